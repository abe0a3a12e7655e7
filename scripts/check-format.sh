#!/usr/bin/env bash
# Fails when a C++ source differs from the repository's .clang-format, naming the file and line.
# Exits 77 (CTest's "skipped") when clang-format is not installed.
# Usage: scripts/check-format.sh [--fix] [SOURCE_DIR]
# With --fix it formats those files in place instead. The formatter is for C++ only: run over
# Markdown it breaks titles, paths and tables (docs/.clang-format turns it off there), so give it
# single files by hand only when they are C++.
set -euo pipefail
FIX=false
if [[ ${1:-} == --fix ]]; then
  FIX=true
  shift
fi
cd "${1:-$(dirname "$0")/..}"
if ! command -v clang-format >/dev/null; then
  echo "clang-format is not installed; formatting not checked (scripts/install-deps.sh adds it)"
  exit 77
fi
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find src tests bench tools cmake -name '*.cpp' -o -name '*.h' | sort)
fi
# A file git still lists but the work tree lost (a move not yet committed) is not checked.
present=()
for f in "${files[@]}"; do [[ -f $f ]] && present+=("$f"); done
if $FIX; then
  clang-format -i "${present[@]}"
else
  clang-format --dry-run -Werror "${present[@]}"
fi
