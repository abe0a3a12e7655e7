#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over the sources of src/ (or the files
# given), using the compile commands of a configured build folder (build/test by default; build it
# once first, so the generated form headers exist). Not part of every build: run it by hand.
# Usage: scripts/tidy.sh [-b BUILD_DIR] [-j JOBS] [FILE...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build/test
JOBS=${PELKO_JOBS:-$(nproc)}
while getopts "b:j:" opt; do
  case $opt in
    b) BUILD=$OPTARG ;;
    j) JOBS=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
command -v run-clang-tidy >/dev/null || { echo "clang-tidy is not installed (scripts/install-deps.sh adds it)"; exit 1; }
[[ -f $BUILD/compile_commands.json ]] || { echo "no $BUILD/compile_commands.json: configure and build $BUILD first"; exit 1; }

# The build's precompiled headers are GCC's; clang reads every header itself instead.
commands=$(mktemp -d)
trap 'rm -rf "$commands"' EXIT
python3 - "$BUILD/compile_commands.json" "$commands/compile_commands.json" <<'PY'
import json, re, sys
entries = json.load(open(sys.argv[1]))
for e in entries:
    e["command"] = re.sub(r"\s-include\s+\S*cmake_pch\S*|\s-Winvalid-pch", "", e["command"])
json.dump(entries, open(sys.argv[2], "w"))
PY

if [[ $# -gt 0 ]]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- 'src/*.cpp')
fi
# Colours only on a terminal; the lines of the commands it runs are left out.
if [[ -t 1 ]]; then plain=(cat); else plain=(sed 's/\x1b\[[0-9;]*m//g'); fi
run-clang-tidy -quiet -p "$commands" -j "$JOBS" "${files[@]/#/$PWD/}" 2>/dev/null |
  { grep -v '^clang-tidy-[0-9]* ' || true; } | "${plain[@]}"
