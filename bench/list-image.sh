#!/usr/bin/env bash
# Listing a disc image against listing the same disc as a folder (velloric-cli list), run in turn by
# farm-bench so that the ratio holds on a busy machine. The image is made from the folder by genisoimage.
#
#   bench/list-image.sh [BUILD_DIR] [DISC_FOLDER] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
disc=${2:-$build/sample-dvd/pal}
runs=${3:-10}
cli="$PWD/$build/bin/velloric-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
genisoimage -quiet -dvd-video -o "$work/disc.iso" "$disc"
farm-bench -n "$runs" --timeout 600 --vs "$cli list $disc" -- "$cli" list "$work/disc.iso"
