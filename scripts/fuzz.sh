#!/usr/bin/env bash
# Runs one fuzz target for a while: scripts/fuzz.sh NAME [SECONDS] [BUILD_FOLDER]
# Builds NAME_fuzzer in the fuzz build folder (clang, libFuzzer; made when missing), starts from a
# scratch copy of its seed corpus (so the seeds in the repository stay small) with its dictionary
# when it has one, and keeps what it finds in build folder/fuzz-runs/NAME/. The leak check runs
# with the suppressions of tests/fuzz/lsan.supp (leaks of the system's libraries, not ours).
set -euo pipefail
cd "$(dirname "$0")/.."
NAME=${1:?usage: scripts/fuzz.sh NAME [SECONDS] [BUILD_FOLDER]}
SECONDS_TO_RUN=${2:-600}
BUILD=${3:-build/fuzz}
JOBS=${PELKO_JOBS:-3}
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELKO_FUZZ=ON \
    -DPELKO_TESTS=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
# Runs started together build one after the other in the one build folder.
flock "$BUILD/.fuzz-build.lock" cmake --build "$BUILD" -j "$JOBS" --target "${NAME}_fuzzer"
RUN="$BUILD/fuzz-runs/$NAME"
mkdir -p "$RUN/corpus" "$RUN/found"
cp -n tests/fuzz/corpus/"$NAME"/* "$RUN/corpus/" 2>/dev/null || true
ARGS=(-max_total_time="$SECONDS_TO_RUN" -artifact_prefix="$RUN/found/" -print_final_stats=1)
[ -f "tests/fuzz/$NAME.dict" ] && ARGS+=(-dict="tests/fuzz/$NAME.dict")
export QT_QPA_PLATFORM=offscreen
# Undefined behaviour is a finding: the first one stops the run and leaves its input.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec "$BUILD/tests/fuzz/${NAME}_fuzzer" "${ARGS[@]}" "$RUN/corpus"
