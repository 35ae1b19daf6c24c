#!/usr/bin/env bash
# Builds a small DVD-Video folder whose one title has two camera angles, for testing angle choice.
#
#   make-angle-dvd.sh DIR [pal|ntsc]
#
# Title01, 16:9, 8 s, one chapter: angle 1 is a test picture with a 440 Hz tone, angle 2 colour bars with
# a 660 Hz tone. dvdauthor cannot write angles, so it writes the two pictures as two cells of one program
# chain, and this script then marks the cells as an angle block (first and last cell), halves the chain's
# playing time and gives the title two angles in the menu's title table. The cells are not interleaved.
# Nothing is written when DIR/VIDEO_TS/VIDEO_TS.IFO exists already.
set -euo pipefail

out=${1:?usage: make-angle-dvd.sh DIR [pal|ntsc]}
std=${2:-pal}
case "$std" in
  pal)  target=pal-dvd;  size=720x576; rate=25;         fps_bits=0x40 ;;
  ntsc) target=ntsc-dvd; size=720x480; rate=30000/1001; fps_bits=0xc0 ;;
  *) echo "make-angle-dvd.sh: unknown standard '$std' (pal or ntsc)" >&2; exit 2 ;;
esac
if [ -f "$out/VIDEO_TS/VIDEO_TS.IFO" ]; then exit 0; fi
for tool in ffmpeg dvdauthor od dd; do
  command -v "$tool" >/dev/null || { echo "make-angle-dvd.sh: $tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
export VIDEO_FORMAT=${std^^}

for angle in 1 2; do
  if [ $angle = 1 ]; then src=testsrc; tone=440; else src=smptebars; tone=660; fi
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$src=size=$size:rate=$rate:duration=8" \
    -f lavfi -i "sine=frequency=$tone:sample_rate=48000:duration=8" -map 0:v -map 1:a \
    -target "$target" -aspect 16:9 -b:v 400k -maxrate 1500k -bufsize 1835k -b:a 64k -ac 2 "$work/angle$angle.mpg"
done
cat > "$work/dvd.xml" <<XML
<dvdauthor dest="$out">
  <vmgm />
  <titleset>
    <titles>
      <video format="$std" aspect="16:9" widescreen="nopanscan" />
      <audio lang="en" />
      <pgc>
        <vob file="$work/angle1.mpg"><cell chapter="1" /></vob>
        <vob file="$work/angle2.mpg"><cell chapter="0" program="0" /></vob>
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
dvdauthor -x "$work/dvd.xml" >"$work/dvdauthor.log" 2>&1 || { cat "$work/dvdauthor.log" >&2; exit 1; }
rm -rf "$out/AUDIO_TS"

u32() { od -An -tu4 --endian=big -j "$2" -N4 "$1" | tr -d ' '; }
u16() { od -An -tu2 --endian=big -j "$2" -N2 "$1" | tr -d ' '; }
u8() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }
put() { printf "$(printf '\\x%02x' "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

for f in "$out/VIDEO_TS/VTS_01_0.IFO" "$out/VIDEO_TS/VTS_01_0.BUP"; do
  pgcit=$(( $(u32 "$f" $((0xcc))) * 2048 ))
  pgc=$(( pgcit + $(u32 "$f" $((pgcit + 12))) ))
  cells=$(( pgc + $(u16 "$f" $((pgc + 0xe8))) ))
  put "$f" $((pgc + 4)) 0; put "$f" $((pgc + 5)) 0; put "$f" $((pgc + 6)) 0x08; put "$f" $((pgc + 7)) $fps_bits
  put "$f" "$cells" $(( ($(u8 "$f" "$cells") & 0x0f) | 0x50 ))                # first cell of an angle block
  put "$f" $((cells + 24)) $(( ($(u8 "$f" $((cells + 24))) & 0x0f) | 0xd0 ))  # last cell of the block
done
for f in "$out/VIDEO_TS/VIDEO_TS.IFO" "$out/VIDEO_TS/VIDEO_TS.BUP"; do
  put "$f" $(( $(u32 "$f" $((0xc4))) * 2048 + 8 + 1 )) 2                     # title 1: two angles
done
