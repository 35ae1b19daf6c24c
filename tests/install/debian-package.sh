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
dpkg-deb -I "$deb" | grep -q "Depends:.*mencoder.*ffmpeg.*vlc-plugin-base" || fail "the package does not name its encoders and player"
dpkg-deb -I "$deb" | grep -q "Depends:.*libdvdread" || fail "the package does not depend on libdvdread"

preinstalled=0
if dpkg-query -W -f='${Status}' velloric 2>/dev/null | grep -q "install ok installed"; then preinstalled=1; fi
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
cleanup() { if [ "$preinstalled" = 0 ]; then dpkg -r velloric >/dev/null || true; fi; }
trap cleanup EXIT

/usr/bin/velloric-cli --version | grep -q "2\." || fail "velloric-cli --version from /usr/bin"
[ -L /usr/lib/velloric/asapi.dll ] && [ -L /usr/lib/velloric/wmaspi.dll ] || fail "encoder links are missing"
[ -f /usr/share/velloric/Profiles/"Any Player - MPEG-4 (MP4).apf" ] || fail "shipped profiles are missing"
desktop-file-validate /usr/share/applications/velloric.desktop || fail "desktop entry"
appstreamcli validate --no-net /usr/share/metainfo/io.velloric.Velloric.metainfo.xml >/dev/null || fail "metainfo"
[ -f /usr/share/icons/hicolor/scalable/apps/velloric.svg ] || fail "icon"
echo "debian package: 1 passed, 0 failed"
