#!/usr/bin/env bash
# The text compare window against GNU diff and two Linux peers (KDiff3, Meld), in one run, on
# the same files: the generated 100,000-line pair, the two 10 MB long-line files, a real pair of
# about 4 MB each, and (with --large) the two 50 MB one-line files.
#
#   bench/textcompare_peers.sh [--large] [BUILD_DIR]
#
# BUILD_DIR is a release build with -DPELKO_BENCH=ON (default build/bench). The real pair is
# given as PELKO_BENCH_REAL_PAIR=left:right, or taken from two versions of a public
# single-header C library (fetched with git when the network allows). The peers are Debian
# packages, installed here (not by install-deps: the application does not need them); each
# program is started under Xvfb and timed until its window is shown and it has gone idle, with
# its peak resident memory. Not a CI test.
set -euo pipefail
cd "$(dirname "$0")/.."
LARGE=0
if [[ ${1:-} == --large ]]; then LARGE=1; shift; fi
BUILD=${1:-build/bench}

need=()
for cmd in kdiff3:kdiff3 meld:meld Xvfb:xvfb xdotool:xdotool diff:diffutils; do
  command -v "${cmd%%:*}" >/dev/null || need+=("${cmd#*:}")
done
if ((${#need[@]})); then
  sudo=""; [[ $(id -u) == 0 ]] || sudo=sudo
  $sudo apt-get install -y --no-install-recommends "${need[@]}" >&2
fi

if [[ ! -x $BUILD/bench/linecompare_bench || ! -x $BUILD/pelkomerge ]]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELKO_TESTS=OFF -DPELKO_BENCH=ON >&2
  cmake --build "$BUILD" -j "${PELKO_JOBS:-3}" --target pelkomerge linecompare_bench largetext_bench >&2
fi

DATA=$(mktemp -d)
# Every program starts with fresh settings of its own.
mkdir -p "$DATA/home"
export HOME=$DATA/home XDG_CONFIG_HOME=$DATA/home/.config XDG_DATA_HOME=$DATA/home/.local/share
# No help alerts: the first open of a window would show one.
mkdir -p "$XDG_DATA_HOME/pelkomerge"
printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' \
  '<plist version="1.0"><dict><key>hideall</key><true/></dict></plist>' \
  >"$XDG_DATA_HOME/pelkomerge/liveHelpSetting.plist"
XVFB_PID=""
cleanup() {
  [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$DATA"
}
trap cleanup EXIT

# The real pair: given, or two versions of one large single-header library.
if [[ -n ${PELKO_BENCH_REAL_PAIR:-} ]]; then
  REAL_LEFT=${PELKO_BENCH_REAL_PAIR%%:*}
  REAL_RIGHT=${PELKO_BENCH_REAL_PAIR#*:}
else
  repo=${PELKO_BENCH_REAL_REPO:-https://github.com/mackron/miniaudio}
  if git clone -q --filter=blob:none --no-checkout "$repo" "$DATA/real-repo" 2>/dev/null; then
    git -C "$DATA/real-repo" show 0.11.22:miniaudio.h >"$DATA/real-old.h"
    git -C "$DATA/real-repo" show 0.11.25:miniaudio.h >"$DATA/real-new.h"
    REAL_LEFT=$DATA/real-old.h
    REAL_RIGHT=$DATA/real-new.h
  else
    echo "no real pair: set PELKO_BENCH_REAL_PAIR=left:right" >&2
  fi
fi

echo "== the window, step by step (offscreen, in process)"
PELKO_BENCH_DATA_DIR=$DATA PELKO_BENCH_REAL_PAIR=${REAL_LEFT:+$REAL_LEFT:$REAL_RIGHT} \
  "$BUILD/bench/linecompare_bench" \
  --benchmark_filter='GnuDiffAlone|ShowWindowToFirstPaint|KeystrokeThenRecompare' 2>&1 |
  grep -v 'This plugin does not support'
if ((LARGE)); then
  PELKO_BENCH_DATA_DIR=$DATA "$BUILD/bench/largetext_bench" 2>&1 | grep -v 'This plugin does not support'
fi

# Whole programs on the same display, timed alike: from the start until a window of the program
# is mapped and its CPU time has not moved for IDLE_MS (not counted).
Xvfb :97 -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=:97
sleep 1
IDLE_MS=400
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo -1; }
# Prints "seconds peak_MB" for one program run on a pair.
time_program() {
  local start now pid last ticks idle_since=0 shown=0
  start=$(date +%s%N)
  # In a session of its own, so that whatever it starts goes with it.
  setsid "$@" >/dev/null 2>&1 &
  pid=$!
  last=$(cpu_ticks $pid)
  while kill -0 $pid 2>/dev/null; do
    sleep 0.05
    now=$(date +%s%N)
    ((shown)) || { xdotool search --onlyvisible --pid $pid >/dev/null 2>&1 && shown=1; }
    ticks=$(cpu_ticks $pid)
    if ((shown)) && [[ $ticks == "$last" ]]; then
      ((idle_since)) || idle_since=$now
      if (((now - idle_since) / 1000000 >= IDLE_MS)); then break; fi
    else
      idle_since=0
    fi
    last=$ticks
    if (((now - start) / 1000000000 > 300)); then idle_since=$now; break; fi
  done
  local hwm
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
  kill -- -$pid 2>/dev/null || true
  sleep 0.5
  kill -9 -- -$pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  awk -v t=$(((idle_since - start) / 1000000)) -v m="${hwm:-0}" 'BEGIN {printf "%.2f %.0f", t / 1000, m / 1024}'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { r = 0; if (b > 0) r = a / b; printf "%.1f", r }'; }
diff_time() {
  local start end
  start=$(date +%s%N)
  diff -a "$1" "$2" >/dev/null || true
  end=$(date +%s%N)
  awk -v t=$(((end - start) / 1000)) 'BEGIN {printf "%.3f", t / 1e6}'
}

pairs=("100k_lines $DATA/lines1.txt $DATA/lines2.txt" "10MB_long_lines $DATA/long1.txt $DATA/long2.txt")
[[ -n ${REAL_LEFT:-} ]] && pairs+=("real_pair $REAL_LEFT $REAL_RIGHT")
((LARGE)) && pairs+=("50MB_one_line $DATA/one-line-1.txt $DATA/one-line-2.txt")
echo
echo "== whole programs: seconds until shown and idle, peak resident MB (ratio to Pelko Merge)"
printf '%-16s %10s %16s %22s %22s\n' pair "GNU diff" "Pelko Merge" KDiff3 Meld
for row in "${pairs[@]}"; do
  read -r name left right <<<"$row"
  d=$(diff_time "$left" "$right")
  read -r pt pm <<<"$(time_program "$BUILD/pelkomerge" "$left" "$right")"
  read -r kt km <<<"$(time_program kdiff3 "$left" "$right")"
  read -r mt mm <<<"$(time_program meld "$left" "$right")"
  printf '%-16s %9ss %8ss %5sMB %8ss %5sMB x%-5s %8ss %5sMB x%-5s\n' "$name" "$d" "$pt" "$pm" \
    "$kt" "$km" "$(ratio "$kt" "$pt")" "$mt" "$mm" "$(ratio "$mt" "$pt")"
done
