# Sourced by the install tests. check_stream_lengths LISTING FILE: FILE holds a video and an audio stream,
# each within 0.5 s of the length of the first chapter of the first title in LISTING (velloric-cli list).
check_stream_lengths() {
  local listing=$1 file=$2 expected streams kind length
  expected=$(python3 -c '
import json, sys
c = json.load(sys.stdin)["titles"][0]["chapters"][0]
seconds = lambda t: sum(float(x) * m for x, m in zip(t.split(":"), (3600, 60, 1)))
print(seconds(c["end"]) - seconds(c["start"]))' <<<"$listing")
  streams=$(ffprobe -v error -show_entries stream=codec_type,duration -of csv=p=0 "$file") ||
    fail "ffprobe cannot read $file"
  for kind in video audio; do
    length=$(awk -F, -v k="$kind" '$1 == k { print $2; exit }' <<<"$streams")
    [ -n "$length" ] || fail "$file has no $kind stream: $streams"
    awk -v a="$length" -v b="$expected" 'BEGIN { d = a - b; exit !(d < 0.5 && d > -0.5) }' ||
      fail "the $kind stream of $file is $length s long, the chapter $expected s"
  done
}
