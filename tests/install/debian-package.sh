#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get, runs the installed velloric-cli from /usr/bin, and
# removes the package again (only when this test installed it).
# Usage: debian-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
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
echo "debian package: 1 passed, 0 failed"
