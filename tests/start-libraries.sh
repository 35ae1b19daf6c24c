#!/usr/bin/env bash
# FFmpeg's libraries and Tesseract are loaded when a run first needs them, never at a program's start:
# with what they bring they would cost every start a tenth of a second and some 20 MB. Prints each program
# that loads one at start, and the library.
set -u
status=0
for program in "$@"; do
  loaded=$(ldd "$program") || { echo "$program: ldd cannot read it"; status=1; continue; }
  found=$(grep -oE 'lib(avcodec|avformat|avutil|swscale|swresample|tesseract|lept)[^ ]*' <<<"$loaded" | sort -u)
  if [ -n "$found" ]; then
    echo "$program loads at start:" $found
    status=1
  fi
done
exit $status
