#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Velloric needs.
# Quiet when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config g++ clang
  qt6-base-dev qt6-base-dev-tools libqt6dbus6 qt6-svg-dev libgl-dev
  libdvdread-dev libblkid-dev libjpeg62-turbo-dev libavcodec-dev libavformat-dev
  libtesseract-dev tesseract-ocr-eng tesseract-ocr-fra tesseract-ocr-deu tesseract-ocr-spa tesseract-ocr-ita
  libvlc-dev vlc-plugin-base vlc-plugin-video-output
  libgtest-dev libgmock-dev libbenchmark-dev
  mencoder ffmpeg dvdauthor lsdvd genisoimage mjpegtools
  xvfb xauth bc time dosfstools fusefat
  desktop-file-utils appstream imagemagick fonts-dejavu-core dbus-daemon
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
