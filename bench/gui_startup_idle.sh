#!/usr/bin/env bash
# Start-up and idle cost of the torvane window, under a virtual X display:
#   - start-up: from launching the program to its main window being shown
#     (goal: under 500 ms), the median of several runs;
#   - idle: CPU time used while the window sits on the General page with the
#     600 ms port refresh running (goal: under 1% of one core).
#   bench/gui_startup_idle.sh [RUNS] [IDLE_SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
TORVANE="$BUILD_DIR/gui/torvane"
RUNS="${1:-5}"
IDLE_SECONDS="${2:-20}"
[ -x "$TORVANE" ] || { echo "build $TORVANE first (scripts/setup.sh)" >&2; exit 2; }

if [ -z "${DISPLAY:-}" ] || [ -n "${TORVANE_BENCH_IN_XVFB:-}" ]; then
  if [ -z "${TORVANE_BENCH_IN_XVFB:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "needs xvfb-run (apt-get install xvfb xauth)" >&2; exit 2; }
    exec env TORVANE_BENCH_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
  fi
fi
export QT_QPA_PLATFORM=xcb

ticks=$(getconf CLK_TCK)
starts=()
for _ in $(seq "$RUNS"); do
  out=$(mktemp)
  begin=$(date +%s%3N)
  TORVANE_REPORT_MAPPED=1 "$TORVANE" >"$out" 2>/dev/null &
  pid=$!
  for _ in $(seq 400); do grep -q '^mapped' "$out" && break; sleep 0.01; done
  mapped=$(sed -n 's/^mapped //p' "$out")
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  rm -f "$out"
  [ -n "$mapped" ] || { echo "the window never showed" >&2; exit 1; }
  starts+=($((mapped - begin)))
done
sorted=$(printf '%s\n' "${starts[@]}" | sort -n)
median=$(echo "$sorted" | sed -n "$(((RUNS + 1) / 2))p")
echo "start-up to mapped window: median ${median} ms over ${RUNS} runs ($(echo $sorted | tr '\n' ' ')ms)"

out=$(mktemp)
TORVANE_REPORT_MAPPED=1 "$TORVANE" >"$out" 2>/dev/null &
pid=$!
for _ in $(seq 400); do grep -q '^mapped' "$out" && break; sleep 0.01; done
sleep 2  # let start-up work settle
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(cpu)
sleep "$IDLE_SECONDS"
after=$(cpu)
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
rm -f "$out"
awk -v used=$((after - before)) -v t="$ticks" -v s="$IDLE_SECONDS" \
  'BEGIN { printf "idle on the General page: %.2f%% of one core (%.0f ms CPU in %d s)\n", 100 * used / t / s, 1000 * used / t, s }'
