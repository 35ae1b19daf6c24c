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
format=$std; [ "$std" = mono-ac3 ] && format=pal
# shellcheck source=dvd-build-lib.sh
source "$(dirname "$0")/dvd-build-lib.sh"
dvd_standard "$format"
dvd_begin "$format" ffmpeg spumux dvdauthor

if [ "$std" = mono-ac3 ]; then
  dvd_channels=1
  dvd_clip m 12 4:3 testsrc 500
  dvd_xml_begin
  dvd_titleset pal 4:3 it
  dvd_pgc "$work/m.mpg" 0,0:06
  dvd_titleset_end
  dvd_author
  exit 0
fi

dvd_clip t1 24 16:9 testsrc2 440 660
dvd_clip t2 8 16:9 smptebars 330 550
dvd_clip t3 12 4:3 testsrc 880

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

dvd_xml_begin
dvd_titleset "$std" 16:9 "en de" en
dvd_pgc "$work/t1s.mpg" 0,0:06,0:12,0:18
dvd_pgc "$work/t2.mpg" 0,0:04
dvd_titleset_end
dvd_titleset "$std" 4:3 fr
dvd_pgc "$work/t3.mpg" 0,0:04,0:08
dvd_titleset_end
dvd_author
