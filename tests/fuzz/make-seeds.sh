#!/usr/bin/env bash
# Packs disc folders into seeds of the disc-load fuzz target: VIDEO_TS.IFO, VIDEO_TS.BUP, then each
# VTS_nn_0.IFO, separated as DiscLoadFuzz.cpp reads them.
#
#   make-seeds.sh OUT_DIR DISC_FOLDER...    (each DISC_FOLDER holds VIDEO_TS/ or is one)
set -euo pipefail
out=${1:?usage: make-seeds.sh OUT_DIR DISC_FOLDER...}
shift
mkdir -p "$out"
for disc in "$@"; do
  dir=$disc; [ -d "$dir/VIDEO_TS" ] && dir=$dir/VIDEO_TS
  name=$(echo "$disc" | tr '/' '_')
  {
    cat "$dir/VIDEO_TS.IFO"; printf '@@NEXT-FILE@@'
    if [ -f "$dir/VIDEO_TS.BUP" ]; then cat "$dir/VIDEO_TS.BUP"; fi
    for ifo in "$dir"/VTS_??_0.IFO; do printf '@@NEXT-FILE@@'; cat "$ifo"; done
  } > "$out/seed$name"
done
