#!/usr/bin/env bash
# The long run of the path operations' property categories:
#   scripts/property-run.sh [-j JOBS] [-b BUILD_FOLDER] [-x PATTERN] [CASES]
# Builds test_pathops in the release configuration (build/ci-release unless -b says otherwise) and
# runs every category of the PathProperty suite (tests/pathops/PropertyRun.h) at CASES cases
# (100,000 unless given), in lanes spread over JOBS processes (all cores unless given). Fewer
# cases than 100,000 are spread over the same seeds, 1 to 100,000, as ./test spreads its few.
# Prints each category's cases per second (on one core) and every failing seed with the command
# line that reruns it; exits 1 when a case failed or a lane crashed. -x leaves out the categories
# whose names match the extended regular expression PATTERN.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=$(nproc)
BUILD=build/ci-release
EXCLUDE=
while getopts "j:b:x:" opt; do
  case $opt in
    j) JOBS=$OPTARG ;;
    b) BUILD=$OPTARG ;;
    x) EXCLUDE=$OPTARG ;;
    *) echo "usage: scripts/property-run.sh [-j JOBS] [-b BUILD_FOLDER] [-x PATTERN] [CASES]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
CASES=${1:-100000}
# The seeds the full run covers (kLongRunSeeds in tests/pathops/PropertyRun.h).
RANGE=100000
[[ $CASES =~ ^[1-9][0-9]*$ && $JOBS =~ ^[1-9][0-9]*$ ]] || {
  echo "CASES and JOBS are positive whole numbers" >&2
  exit 2
}

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELKO_TESTS=ON -DPELKO_WERROR=ON \
  >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target test_pathops
BIN=$PWD/$BUILD/tests/test_pathops
export QT_QPA_PLATFORM=offscreen

mapfile -t CATEGORIES < <("$BIN" --gtest_list_tests --gtest_filter='PathProperty.*' |
  sed -n 's/^  \([A-Za-z0-9_]*\).*/\1/p')
if [[ -n $EXCLUDE ]]; then
  kept=()
  for category in "${CATEGORIES[@]}"; do
    if [[ $category =~ ^($EXCLUDE)$ ]]; then
      echo "property run: $category left out"
    else
      kept+=("$category")
    fi
  done
  CATEGORIES=("${kept[@]}")
fi
[[ ${#CATEGORIES[@]} -gt 0 ]] || { echo "no PathProperty tests in $BIN" >&2; exit 1; }

STEP=$((RANGE / CASES))
((STEP >= 1)) || STEP=1
# Lanes of a few hundred cases at most, so that the slow categories spread over every core and
# the last lanes end close together.
LANE=$(((CASES + 4 * JOBS - 1) / (4 * JOBS)))
((LANE <= 500)) || LANE=500
LOGS=$BUILD/property-run
rm -rf "$LOGS"
mkdir -p "$LOGS"
lanes=()
for ((start = 0; start < CASES; start += LANE)); do
  count=$((CASES - start < LANE ? CASES - start : LANE))
  for category in "${CATEGORIES[@]}"; do
    lanes+=("$category $((1 + start * STEP)) $count")
  done
done
echo "property run: ${#CATEGORIES[@]} categories, $CASES cases each (seeds 1 to" \
  "$((1 + (CASES - 1) * STEP)), step $STEP), ${#lanes[@]} lanes on $JOBS processes"

runLane() {
  local category=$1 first=$2 count=$3
  local log=$LOGS/$category.$first.log
  PELKO_SEED=$first PELKO_CASES=$count PELKO_SEED_STEP=$STEP \
    "$BIN" --gtest_filter="PathProperty.$category" >"$log" 2>&1 || true
  # A lane that ended without its summary line crashed or was killed inside a case.
  grep -qE "^\[property\] $category: [0-9]+ cases" "$log" ||
    echo "[property] lane crashed: PELKO_SEED=$first PELKO_CASES=$count" \
      "PELKO_SEED_STEP=$STEP $BIN --gtest_filter=PathProperty.$category (log: $log)" >>"$log"
}
export -f runLane
export BIN LOGS STEP
began=$EPOCHREALTIME
printf '%s\n' "${lanes[@]}" | xargs -P "$JOBS" -L 1 bash -c 'runLane $0 $1 $2'
ended=$EPOCHREALTIME

# One summary line per lane: "[property] NAME: N cases (...), F failed, S s".
cat "$LOGS"/*.log | awk -v began="$began" -v ended="$ended" -v order="${CATEGORIES[*]}" -v jobs="$JOBS" '
  /^\[property\] [A-Za-z0-9_]+: [0-9]+ cases/ {
    name = $2; sub(":", "", name)
    cases[name] += $3; seconds[name] += $(NF - 1)
    for (i = 4; i < NF; ++i) if ($i == "failed,") failed[name] += $(i - 1)
  }
  END {
    printf "%-32s %10s %8s %17s\n", "category", "cases", "failed", "cases/s (1 core)"
    n = split(order, names, " ")
    for (i = 1; i <= n; ++i) {
      name = names[i]
      rate = seconds[name] > 0 ? cases[name] / seconds[name] : 0
      printf "%-32s %10d %8d %17.1f\n", name, cases[name], failed[name], rate
      total += cases[name]; bad += failed[name]; cpu += seconds[name]
    }
    printf "all: %d cases, %d failed, %.0f s of cases on %s processes, %.0f s wall\n", total, bad,
           cpu, jobs, ended - began
  }'
problems=$(cat "$LOGS"/*.log | grep -E '^\[property\] (.* failed: |rerun: |lane crashed: )' || true)
if [[ -n $problems ]]; then
  echo "$problems"
  exit 1
fi
echo "property run: every case passed"
