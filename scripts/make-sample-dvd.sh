#!/usr/bin/env bash
# Builds a small DVD-Video folder for trying the program and for the tests.
#
#   make-sample-dvd.sh DIR [pal|ntsc|mono-ac3]
#
# DIR/VIDEO_TS is written. The pal and ntsc discs have two title sets:
#   title set 1 (16:9): Title01, 24 s, four chapters, audio English + Deutsch, one English subtitle;
#                       Title02, 8 s, two chapters, same streams without subtitles
#   title set 2 (4:3):  Title03, 12 s, three chapters, French audio
# The mono-ac3 disc (PAL) has one title: Title01, 12 s, 4:3, two chapters, one Italian mono AC3 track at
# 500 Hz, the kind of stream that some AC3 decoders cut short.
# Nothing is written when DIR/VIDEO_TS/VIDEO_TS.IFO exists already (the tests cache the disc).
set -euo pipefail

out=${1:?usage: make-sample-dvd.sh DIR [pal|ntsc]}
std=${2:-pal}
case "$std" in
  pal|mono-ac3)  target=pal-dvd;  size=720x576; rate=25 ;;
  ntsc) target=ntsc-dvd; size=720x480; rate=30000/1001 ;;
  *) echo "make-sample-dvd.sh: unknown standard '$std' (pal or ntsc)" >&2; exit 2 ;;
esac

if [ -f "$out/VIDEO_TS/VIDEO_TS.IFO" ]; then exit 0; fi
for tool in ffmpeg spumux dvdauthor; do
  command -v "$tool" >/dev/null || { echo "make-sample-dvd.sh: $tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
format=$std; [ "$std" = mono-ac3 ] && format=pal
export VIDEO_FORMAT=${format^^}

ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }

# One clip: a moving test picture, one tone per audio language, encoded to the DVD target at a low rate.
# $1 name, $2 seconds, $3 aspect, $4 picture source, then the audio frequencies; $channels audio channels.
channels=2
clip() {
  local name=$1 secs=$2 aspect=$3 src=$4; shift 4
  local inputs=(-f lavfi -i "$src=size=$size:rate=$rate:duration=$secs")
  local maps=(-map 0:v)
  local n=1
  for f in "$@"; do
    inputs+=(-f lavfi -i "sine=frequency=$f:sample_rate=48000:duration=$secs")
    maps+=(-map "$n:a")
    n=$((n + 1))
  done
  ff "${inputs[@]}" "${maps[@]}" -target "$target" -aspect "$aspect" \
     -b:v 400k -maxrate 1500k -bufsize 1835k -b:a 64k -ac "$channels" "$work/$name.mpg"
}

author() {
  dvdauthor -x "$work/dvd.xml" >"$work/dvdauthor.log" 2>&1 || { cat "$work/dvdauthor.log" >&2; exit 1; }
  rm -rf "$out/AUDIO_TS"
}

if [ "$std" = mono-ac3 ]; then
  channels=1
  clip m 12 4:3 testsrc 500
  cat > "$work/dvd.xml" <<XML
<dvdauthor dest="$out">
  <vmgm />
  <titleset>
    <titles>
      <video format="pal" aspect="4:3" />
      <audio lang="it" />
      <pgc>
        <vob file="$work/m.mpg" chapters="0,0:06" />
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
  author
  exit 0
fi

clip t1 24 16:9 testsrc2 440 660
clip t2 8 16:9 smptebars 330 550
clip t3 12 4:3 testsrc 880

# A white box with a grey border as the subtitle picture, shown from 2 s to 20 s of Title01; the black
# around it is the transparent colour.
ff -f lavfi -i "color=c=black:size=${size}:duration=1" \
   -vf "drawbox=x=200:y=380:w=320:h=50:color=white:t=fill,drawbox=x=200:y=380:w=320:h=50:color=0x404040:t=4,format=rgb24" \
   -frames:v 1 "$work/sub.png"
cat > "$work/sub.xml" <<XML
<subpictures format="${std^^}">
  <stream>
    <spu start="00:00:02.00" end="00:00:20.00" image="$work/sub.png" transparent="000000" force="no"/>
  </stream>
</subpictures>
XML
spumux -m dvd -s 0 "$work/sub.xml" < "$work/t1.mpg" > "$work/t1s.mpg" 2>"$work/spumux.log" ||
  { cat "$work/spumux.log" >&2; exit 1; }

cat > "$work/dvd.xml" <<XML
<dvdauthor dest="$out">
  <vmgm />
  <titleset>
    <titles>
      <video format="$std" aspect="16:9" widescreen="nopanscan" />
      <audio lang="en" />
      <audio lang="de" />
      <subpicture lang="en" />
      <pgc>
        <vob file="$work/t1s.mpg" chapters="0,0:06,0:12,0:18" />
      </pgc>
      <pgc>
        <vob file="$work/t2.mpg" chapters="0,0:04" />
      </pgc>
    </titles>
  </titleset>
  <titleset>
    <titles>
      <video format="$std" aspect="4:3" />
      <audio lang="fr" />
      <pgc>
        <vob file="$work/t3.mpg" chapters="0,0:04,0:08" />
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
author
