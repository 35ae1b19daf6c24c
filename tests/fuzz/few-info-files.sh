#!/bin/bash
# mutate-discs.py on discs holding fewer information files than it may pick to damage: one (a lone
# VIDEO_TS.IFO), two (with its backup) and none. Every run must end listed or refused, and the script too.
set -u
cli=$1 disc=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/one/VIDEO_TS" "$root/two/VIDEO_TS" "$root/none/VIDEO_TS"
cp "$disc/VIDEO_TS/VIDEO_TS.IFO" "$root/one/VIDEO_TS/"
cp "$disc/VIDEO_TS/VIDEO_TS.IFO" "$disc/VIDEO_TS/VIDEO_TS.BUP" "$root/two/VIDEO_TS/"
ln -s "$disc/VIDEO_TS/VTS_01_1.VOB" "$root/none/VIDEO_TS/VTS_01_1.VOB"
exec python3 "$(dirname "$0")/mutate-discs.py" "$cli" 30 "$root/one" "$root/two" "$root/none"
