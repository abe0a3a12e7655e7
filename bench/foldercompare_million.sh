#!/usr/bin/env bash
# Generates two trees of 1,000,000 empty files (1,000 folders of 1,000 files each; the right side
# a copy with a few names changed) and runs the folder compare on them in every mode, with the
# window, a Stop and the peak memory. Not part of CI: it needs some minutes and about 6 GB of disk; remove WORK_DIR afterwards.
#   bench/foldercompare_million.sh BUILD_DIR [WORK_DIR]
set -euo pipefail
BUILD=${1:?build folder holding bench/foldercompare_bench}
WORK=${2:-$(mktemp -d)}
L="$WORK/L"; R="$WORK/R"
if [ ! -d "$L" ]; then
  echo "generating 2 x 1,000,000 empty files in $WORK ..."
  mkdir -p "$L" "$R"
  for d in $(seq 0 999); do
    mkdir -p "$L/d$d" "$R/d$d"
    (cd "$L/d$d" && seq -f "f%g" 0 999 | xargs touch -d @1700000000)
    (cd "$R/d$d" && seq -f "f%g" 0 999 | xargs touch -d @1700000000)
  done
  # A few one-sided names.
  for d in 0 500 999; do mv "$R/d$d/f1" "$R/d$d/g1"; done
fi
/usr/bin/time -v "$BUILD/bench/foldercompare_bench" --large "$L" "$R" 2>&1 |
  grep -E "engine|window|find|Maximum resident"
