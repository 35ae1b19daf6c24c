#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get, runs the installed velloric-cli from /usr/bin, and
# removes the package again (only when this test installed it).
# Usage: debian-package.sh BUILD_DIR SAMPLE_DISC
set -euo pipefail
build=$(cd "$1" && pwd)
disc=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
. "$(dirname "$0")/stream-lengths.sh"
if [ "$(id -u)" -ne 0 ]; then echo "installing a package needs root: skipped"; exit 0; fi

rm -f "$build"/velloric_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/velloric_*.deb)
# Read whole first: grep -q leaving early would end the writer with SIGPIPE under pipefail.
info=$(dpkg-deb -I "$deb")
grep -q "Depends:.*mencoder.*ffmpeg.*vlc-plugin-base.*vlc-plugin-video-output" <<<"$info" ||
  fail "the package does not name its encoders and player"
grep -q "Depends:.*libdvdread" <<<"$info" || fail "the package does not depend on libdvdread"
grep -q "Depends:.*libqt6svg6" <<<"$info" || fail "the package does not depend on the SVG module"
# Loaded at run time, so no library scan finds them.
for lib in libavformat libavcodec libtesseract; do
  grep -q "Depends:.*$lib[0-9]" <<<"$info" || fail "the package does not depend on $lib"
done

preinstalled=0
if [ "$(dpkg-query -W -f='${Status}' velloric 2>/dev/null || true)" = "install ok installed" ]; then preinstalled=1; fi
export DEBIAN_FRONTEND=noninteractive
# Another apt-get may hold the lock for a while: wait for it rather than fail.
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "$deb" >/dev/null
cleanup() { if [ "$preinstalled" = 0 ]; then dpkg -r velloric >/dev/null || true; fi; }
trap cleanup EXIT

version=$(/usr/bin/velloric-cli --version) || fail "velloric-cli --version from /usr/bin"
grep -q "^velloric-cli 2\." <<<"$version" || fail "velloric-cli --version printed: $version"
[ -L /usr/lib/velloric/asapi.dll ] && [ -L /usr/lib/velloric/wmaspi.dll ] || fail "encoder links are missing"
[ -f /usr/share/velloric/Profiles/"Any Player - MPEG-4 (MP4).apf" ] || fail "shipped profiles are missing"
desktop-file-validate /usr/share/applications/velloric.desktop || fail "desktop entry"
appstreamcli validate --no-net /usr/share/metainfo/io.velloric.Velloric.metainfo.xml >/dev/null || fail "metainfo"
[ -f /usr/share/icons/hicolor/scalable/apps/velloric.svg ] || fail "icon"
# A chapter converted through the package's own encoder links, with a home of its own.
home=$(mktemp -d)
trap 'cleanup; rm -rf "$home"' EXIT
listing=$(env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$home" /usr/bin/velloric-cli list "$disc") || fail "list from /usr/bin"
env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$home" /usr/bin/velloric-cli convert "$disc" --chapter 1:1 --output "$home" >"$home/convert.log" 2>&1 ||
  { cat "$home/convert.log"; fail "convert from /usr/bin"; }
check_stream_lengths "$listing" "$home/Title01-Chapter01.mp4"
echo "debian package: 1 passed, 0 failed"
