#!/usr/bin/env bash
# A one-title DVD-Video folder long enough to time conversions on: a moving test picture at a disc's usual
# bit rate, 16:9, English and German audio, one chapter a minute.
#
#   bench/make-bench-dvd.sh DIR [SECONDS] [pal|ntsc]
#
# Nothing is written when DIR/VIDEO_TS/VIDEO_TS.IFO exists already.
set -euo pipefail
out=${1:?usage: make-bench-dvd.sh DIR [SECONDS] [pal|ntsc]}
secs=${2:-120}
std=${3:-pal}
case "$std" in
  pal)  target=pal-dvd;  size=720x576; rate=25 ;;
  ntsc) target=ntsc-dvd; size=720x480; rate=30000/1001 ;;
  *) echo "make-bench-dvd.sh: unknown standard '$std'" >&2; exit 2 ;;
esac
if [ -f "$out/VIDEO_TS/VIDEO_TS.IFO" ]; then exit 0; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
export VIDEO_FORMAT=${std^^}

ffmpeg -hide_banner -loglevel error -y \
  -f lavfi -i "testsrc2=size=$size:rate=$rate:duration=$secs" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$secs" \
  -f lavfi -i "sine=frequency=660:sample_rate=48000:duration=$secs" \
  -map 0:v -map 1:a -map 2:a -target "$target" -aspect 16:9 -b:v 5000k -b:a 192k -ac 2 "$work/t1.mpg"

chapters=0
for ((m = 60; m < secs; m += 60)); do chapters+=",$((m / 60)):00"; done
cat > "$work/dvd.xml" <<XML
<dvdauthor dest="$out">
  <vmgm />
  <titleset>
    <titles>
      <video format="$std" aspect="16:9" widescreen="nopanscan" />
      <audio lang="en" />
      <audio lang="de" />
      <pgc>
        <vob file="$work/t1.mpg" chapters="$chapters" />
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
dvdauthor -x "$work/dvd.xml" >"$work/dvdauthor.log" 2>&1 || { cat "$work/dvdauthor.log" >&2; exit 1; }
rm -rf "$out/AUDIO_TS"
