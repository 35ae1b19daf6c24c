# Shared pieces of the scripts that build small DVD-Video folders for trying the program, for the tests
# and for the benchmarks. Sourced, not run; the script sets $out (the disc folder) first.
#
#   dvd_standard STD           target, size and rate of pal or ntsc; any other standard ends the script
#   dvd_begin FORMAT TOOL...   ends the script when the disc exists; else checks the tools and makes $work
#   dvd_clip NAME SECS ASPECT SOURCE FREQ...   one title's video and audio as $work/NAME.mpg
#   dvd_xml_begin, dvd_titleset, dvd_pgc, dvd_titleset_end, dvd_author   the dvdauthor file, then the disc

dvd_script=${0##*/}

dvd_standard() {
  case "$1" in
    pal)  target=pal-dvd;  size=720x576; rate=25 ;;
    ntsc) target=ntsc-dvd; size=720x480; rate=30000/1001 ;;
    *) echo "$dvd_script: unknown standard '$1' (pal or ntsc)" >&2; exit 2 ;;
  esac
}

# Nothing is written when $out/VIDEO_TS/VIDEO_TS.IFO exists already (the tests cache the disc). FORMAT
# (pal or ntsc) is the video format spumux and dvdauthor assume.
dvd_begin() {
  local format=$1 tool; shift
  if [ -f "$out/VIDEO_TS/VIDEO_TS.IFO" ]; then exit 0; fi
  for tool in "$@"; do
    command -v "$tool" >/dev/null ||
      { echo "$dvd_script: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$out"
  export VIDEO_FORMAT=${format^^}
}

ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }

# One clip: a moving picture from the lavfi SOURCE, one tone per audio stream, encoded to the DVD target
# with $dvd_channels audio channels at the rates in $dvd_rates (low by default, to keep the discs small).
dvd_channels=2
dvd_rates=(-b:v 400k -maxrate 1500k -bufsize 1835k -b:a 64k)
dvd_clip() {
  local name=$1 secs=$2 aspect=$3 src=$4 f n=1; shift 4
  local inputs=(-f lavfi -i "$src=size=$size:rate=$rate:duration=$secs")
  local maps=(-map 0:v)
  for f in "$@"; do
    inputs+=(-f lavfi -i "sine=frequency=$f:sample_rate=48000:duration=$secs")
    maps+=(-map "$n:a")
    n=$((n + 1))
  done
  ff "${inputs[@]}" "${maps[@]}" -target "$target" -aspect "$aspect" \
     "${dvd_rates[@]}" -ac "$dvd_channels" "$work/$name.mpg"
}

# The dvdauthor file, $work/dvd.xml, written piece by piece; lines of its own go in with dvd_xml.
dvd_xml() { printf '%s\n' "$@" >>"$work/dvd.xml"; }

dvd_xml_begin() {
  printf '<dvdauthor dest="%s">\n  <vmgm />\n' "$out" >"$work/dvd.xml"
}

# dvd_titleset FORMAT ASPECT "AUDIO LANGUAGES" ["SUBTITLE LANGUAGES"]; a 16:9 set is letterboxed only.
dvd_titleset() {
  local lang widescreen=
  [ "$2" = 16:9 ] && widescreen=' widescreen="nopanscan"'
  dvd_xml '  <titleset>' '    <titles>' "      <video format=\"$1\" aspect=\"$2\"$widescreen />"
  for lang in $3; do dvd_xml "      <audio lang=\"$lang\" />"; done
  for lang in ${4:-}; do dvd_xml "      <subpicture lang=\"$lang\" />"; done
}

# dvd_pgc FILE CHAPTERS: a title of one video file, chapters given as start times ("0,0:06").
dvd_pgc() {
  dvd_xml '      <pgc>' "        <vob file=\"$1\" chapters=\"$2\" />" '      </pgc>'
}

dvd_titleset_end() { dvd_xml '    </titles>' '  </titleset>'; }

# Closes the file and writes the disc; dvdauthor's log is shown only when it fails.
dvd_author() {
  dvd_xml '</dvdauthor>'
  dvdauthor -x "$work/dvd.xml" >"$work/dvdauthor.log" 2>&1 || { cat "$work/dvdauthor.log" >&2; exit 1; }
  rm -rf "$out/AUDIO_TS"
}
