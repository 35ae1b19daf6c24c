#!/usr/bin/env bash
# Installs the build into a temporary prefix, makes the installed tree read-only, and runs the installed
# velloric-cli with a temporary HOME: settings must land in the config folder, the work file in the cache
# folder, and nothing may be written under the prefix.
# Usage: installed-program.sh BUILD_DIR SAMPLE_DISC
set -euo pipefail
build=$1
disc=$2
root=$(mktemp -d)
prefix=$root/prefix
mounted=0
cleanup() {
  if [ "$mounted" = 1 ]; then umount "$prefix" || true; fi
  rm -rf "$root"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
# A read-only bind mount where the machine allows it (root writes through mode bits); otherwise the
# listing taken before and after the run shows any write.
if mount --bind "$prefix" "$prefix" 2>/dev/null; then
  mounted=1
  mount -o remount,ro,bind "$prefix" 2>/dev/null || true
fi
chmod -R a-w "$prefix" 2>/dev/null || true
before=$(find "$prefix" -printf '%p %s %T@\n' | sort)

export HOME=$root/home
mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME
cli=$prefix/bin/velloric-cli
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$(dirname "$0")/stream-lengths.sh"

"$cli" --version >/dev/null || fail "--version"
# The whole output is read first: grep -q leaving early would end the writer with SIGPIPE under pipefail.
profiles=$("$cli" profiles) || fail "profiles exited non-zero"
grep -q "Any Player - MPEG-4 (MP4)" <<<"$profiles" || fail "installed profiles are not listed"
listing=$("$cli" list "$disc") || fail "list exited non-zero"
grep -q '"Title01"' <<<"$listing" || fail "list of the sample disc"

out=$root/out
mkdir -p "$out" "$HOME/.config/velloric"
# The settings are read from the config folder: the output folder comes from there.
printf '[Main]\r\nOutput Path=%s/\r\nAsk=0\r\nOverwrite=1\r\n' "$out" >"$HOME/.config/velloric/Preferences.ini"
# The work file must go to the cache folder: watch for it while the conversion runs.
"$cli" convert "$disc" --chapter 1:1 >"$root/convert.log" 2>&1 &
pid=$!
seen_work=0
while kill -0 "$pid" 2>/dev/null; do
  if ls "$HOME/.cache/velloric/" 2>/dev/null | grep -q '\.avi$'; then seen_work=1; fi
  sleep 0.05
done
wait "$pid" || { cat "$root/convert.log"; fail "convert exited non-zero"; }
[ "$seen_work" = 1 ] || fail "no work file was seen in ~/.cache/velloric"
ls "$out" | grep -q '\.mp4$' || fail "no output file"
# The output holds a video and an audio stream, each as long as the chapter the listing gives.
check_stream_lengths "$listing" "$(ls "$out"/*.mp4)"
stray=$(find "$HOME" -type f -not -path "$HOME/.config/velloric/*" -not -path "$HOME/.cache/velloric/*")
[ -z "$stray" ] || fail "files written outside the config and cache folders: $stray"

after=$(find "$prefix" -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || { diff <(echo "$before") <(echo "$after") || true; fail "the installed tree changed"; }
echo "installed program: 1 passed, 0 failed"
