#!/usr/bin/env bash
# Runs one fuzz target for a while: scripts/fuzz.sh NAME [SECONDS] [BUILD_FOLDER]
# Builds NAME_fuzzer in the fuzz build folder (clang, libFuzzer; made when missing), starts from a
# scratch copy of its seed corpus (so the seeds in the repository stay small) with its dictionary
# when it has one, and keeps what it finds in build folder/fuzz-runs/NAME/. The leak check runs
# with the suppressions of tests/fuzz/lsan.supp (leaks of the system's libraries, not ours).
# tests/fuzz/NAME.options, when present, holds more libFuzzer flags, one a line.
#
# scripts/fuzz.sh --replay [BUILD_FOLDER] builds every target instead and runs each once over
# every input of its seed corpus (CI does this): it fails when a target does not build warning-free
# or fails on an input of its corpus, naming the target.
set -euo pipefail
cd "$(dirname "$0")/.."
REPLAY=false
if [[ ${1:-} == --replay ]]; then
  REPLAY=true
  shift
  BUILD=${1:-build/fuzz}
else
  NAME=${1:?usage: scripts/fuzz.sh NAME [SECONDS] [BUILD_FOLDER] | --replay [BUILD_FOLDER]}
  SECONDS_TO_RUN=${2:-600}
  BUILD=${3:-build/fuzz}
fi
JOBS=${PELKO_JOBS:-3}
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELKO_FUZZ=ON \
    -DPELKO_TESTS=OFF -DPELKO_WERROR=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    >/dev/null
fi
export QT_QPA_PLATFORM=offscreen
# Undefined behaviour is a finding: the first one stops the run and leaves its input.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

if $REPLAY; then
  mapfile -t NAMES < <(cd tests/fuzz && ls ./*_fuzz.cpp | sed 's|^\./||; s|_fuzz\.cpp$||')
  targets=("${NAMES[@]/%/_fuzzer}")
  flock "$BUILD/.fuzz-build.lock" cmake --build "$BUILD" -j "$JOBS" --target "${targets[@]}"
  failed=()
  for name in "${NAMES[@]}"; do
    inputs=(tests/fuzz/corpus/"$name"/*)
    [[ -e ${inputs[0]} ]] || { echo "fuzz replay: $name has no seed corpus"; failed+=("$name"); continue; }
    log=$BUILD/fuzz-replay-$name.log
    if "$BUILD/tests/fuzz/${name}_fuzzer" -runs=1 "${inputs[@]}" >"$log" 2>&1; then
      echo "fuzz replay: $name, ${#inputs[@]} inputs"
    else
      echo "fuzz replay: $name FAILED (log: $log)"
      tail -n 30 "$log"
      failed+=("$name")
    fi
  done
  if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz replay: ${#failed[@]} of ${#NAMES[@]} targets failed: ${failed[*]}"
    exit 1
  fi
  echo "fuzz replay: all ${#NAMES[@]} targets ran their corpora"
  exit 0
fi

# Runs started together build one after the other in the one build folder.
flock "$BUILD/.fuzz-build.lock" cmake --build "$BUILD" -j "$JOBS" --target "${NAME}_fuzzer"
RUN="$BUILD/fuzz-runs/$NAME"
mkdir -p "$RUN/corpus" "$RUN/found"
cp -n tests/fuzz/corpus/"$NAME"/* "$RUN/corpus/" 2>/dev/null || true
ARGS=(-max_total_time="$SECONDS_TO_RUN" -artifact_prefix="$RUN/found/" -print_final_stats=1)
[ -f "tests/fuzz/$NAME.dict" ] && ARGS+=(-dict="tests/fuzz/$NAME.dict")
if [ -f "tests/fuzz/$NAME.options" ]; then
  mapfile -t options < <(grep -v '^\s*\(#\|$\)' "tests/fuzz/$NAME.options")
  ARGS+=("${options[@]}")
fi
exec "$BUILD/tests/fuzz/${NAME}_fuzzer" "${ARGS[@]}" "$RUN/corpus"
