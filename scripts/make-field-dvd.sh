#!/usr/bin/env bash
# Builds small DVD-Video folders whose pictures are coded as real discs code interlaced video and film,
# for testing how the program deinterlaces.
#
#   make-field-dvd.sh DIR pal|ntsc
#
# pal:  Title01, 8 s, true interlaced video: a moving picture rendered at 50 fields a second, woven top
#       field first and coded as interlaced pictures; Title02, 8 s, progressive 25 frames a second coded
#       as film is on a disc (progressive frames in an interlaced sequence): a fast test picture that
#       FFmpeg's idet takes for interlaced video.
# ntsc: Title01, 8 s, film at 23.976 frames a second, soft telecined: progressive frames with the 3:2
#       pulldown flags (repeat_first_field, top_field_first) that make 29.97 frames a second on playback;
#       Title02, 8 s, the same film hard telecined: its 3:2 pulldown woven into 29.97 interlaced pictures
#       with no pulldown flags, two of each five pictures mixing the fields of two film frames.
# Each title has one English tone. Nothing is written when DIR/VIDEO_TS/VIDEO_TS.IFO exists already.
set -euo pipefail

out=${1:?usage: make-field-dvd.sh DIR pal|ntsc}
std=${2:-pal}
# shellcheck source=dvd-build-lib.sh
source "$(dirname "$0")/dvd-build-lib.sh"
dvd_standard "$std"
dvd_begin "$std" ffmpeg mpeg2enc dvdauthor

# mux NAME: $work/NAME.m2v with a 440 Hz tone as long as the picture, as $work/NAME.mpg. The elementary
# stream is read with its presentation times made: mpeg2enc writes none, and its packs would then carry
# decoding times only, which a disc never does (dvdauthor measured such a title half a second long, and
# its opening pictures were lost).
mux() {
  ff -fflags +genpts -i "$work/$1.m2v" -f lavfi -i "sine=frequency=440:sample_rate=48000" -map 0:v -map 1:a -shortest \
     -c:v copy -c:a ac3 -b:a 64k -ac 2 -f dvd -muxrate 10080000 -packetsize 2048 "$work/$1.mpg"
}

# progressive NAME RATE SECS [mpeg2enc options]: testsrc2 frames coded by mpeg2enc as a DVD film is.
progressive() {
  local name=$1 fps=$2 secs=$3; shift 3
  ff -f lavfi -i "testsrc2=size=$size:rate=$fps:duration=$secs" -pix_fmt yuv420p -f yuv4mpegpipe - |
    mpeg2enc -f 8 -a 2 -b 3000 -I 0 -v 0 "$@" -o "$work/$name.m2v" 2>"$work/$name.log" ||
    { cat "$work/$name.log" >&2; exit 1; }
  mux "$name"
}

dvd_xml_begin
if [ "$std" = pal ]; then
  # Fifty pictures a second, the odd ones giving the top field and the even ones the bottom field.
  ff -f lavfi -i "testsrc2=size=$size:rate=50:duration=8" -vf "tinterlace=mode=interleave_top" \
     -flags +ilme+ildct -top 1 -c:v mpeg2video -b:v 3000k -maxrate 8000k -bufsize 1835k -g 15 -bf 2 \
     -aspect 4:3 -an -f mpeg2video "$work/fields.m2v"
  mux fields
  progressive film 25 8 -F 3
  dvd_titleset pal 4:3 en
  dvd_pgc "$work/fields.mpg" 0,0:04
  dvd_pgc "$work/film.mpg" 0,0:04
else
  progressive soft 24000/1001 8 -F 1 -p
  ff -f lavfi -i "testsrc2=size=$size:rate=24000/1001:duration=8" -vf "telecine=first_field=top:pattern=23" \
     -flags +ilme+ildct -top 1 -c:v mpeg2video -b:v 3000k -maxrate 8000k -bufsize 1835k -g 15 -bf 2 \
     -aspect 4:3 -an -f mpeg2video "$work/hard.m2v"
  mux hard
  dvd_titleset ntsc 4:3 en
  dvd_pgc "$work/soft.mpg" 0,0:04
  dvd_pgc "$work/hard.mpg" 0,0:04
fi
dvd_titleset_end
dvd_author
