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
# shellcheck source=dvd-build-lib.sh
source "$(dirname "$0")/dvd-build-lib.sh"
dvd_standard "$std"
if [ "$std" = pal ]; then fps_bits=0x40; else fps_bits=0xc0; fi
dvd_begin "$std" ffmpeg dvdauthor od dd

dvd_clip angle1 8 16:9 testsrc 440
dvd_clip angle2 8 16:9 smptebars 660
dvd_xml_begin
dvd_titleset "$std" 16:9 en
dvd_xml '      <pgc>' \
        "        <vob file=\"$work/angle1.mpg\"><cell chapter=\"1\" /></vob>" \
        "        <vob file=\"$work/angle2.mpg\"><cell chapter=\"0\" program=\"0\" /></vob>" \
        '      </pgc>'
dvd_titleset_end
dvd_author

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
