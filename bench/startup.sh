#!/usr/bin/env bash
# bench/startup.sh [-n ROUNDS] VELTRIN...: start-up to the first visible window, on a private Xvfb,
# beside a bare Qt window (bareqt.cpp) in the same run, and the same bare window with a Chinese label
# (what the first Chinese text costs: the font fallback's search). Each round launches the two bare
# windows, then every VELTRIN binary given (say the build from before a change and the one after), in
# turn, so that all see the same load; xdotool looks for the window every 10 ms, as peers.sh does. VELTRIN_COM3 is
# /dev/null, so that no adapter is looked for. Prints each one's median, fastest and slowest, and its
# median's ratio to the bare window's (goal: 1.1 or less).
#     bench/startup.sh -n 9 /tmp/before/build-rel/src/veltrin build-rel/src/veltrin
# Needs: Xvfb, xdotool, g++ with qt6-base-dev.
set -u
ROUNDS=9
[ "${1:-}" = -n ] && { ROUNDS=$2; shift 2; }
[ $# -ge 1 ] || { echo "usage: startup.sh [-n ROUNDS] VELTRIN..." >&2; exit 2; }
HERE=$(cd "$(dirname "$0")" && pwd)
W=$(mktemp -d /tmp/veltrin-startup.XXXXXX)
PIDS=()
cleanup() { for p in "${PIDS[@]:-}"; do [ -n "$p" ] && kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$W"; }
trap cleanup EXIT
g++ -O2 -fPIC -o "$W/bareqt" "$HERE/bareqt.cpp" $(pkg-config --cflags --libs Qt6Widgets) || exit 1
g++ -O2 -fPIC -DBAREQT_LABEL='"打印测试"' -o "$W/bareqt-chinese" "$HERE/bareqt.cpp" \
  $(pkg-config --cflags --libs Qt6Widgets) || exit 1
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$W/display" >/dev/null 2>&1 & PIDS+=($!)
for _ in $(seq 100); do [ -s "$W/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$W/display")" QT_QPA_PLATFORM=xcb
echo "display $DISPLAY, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $ROUNDS rounds"

ms() { date +%s%3N; }
# The first visible window of PID; empty if PID ends first.
window() {
  local w; for _ in $(seq 1000); do
    w=$(xdotool search --onlyvisible --pid "$1" --name '^(Veltrin|BareQt)$' 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return; }; kill -0 "$1" 2>/dev/null || return; sleep 0.01
  done
}
# A fresh Xvfb now and then refuses a new client at first; such a launch is no start-up: it is retried.
time_start() { # time_start PROGRAM: prints ms to its window
  local t0 pid win
  for _ in 1 2 3; do
    t0=$(ms); VELTRIN_COM3=/dev/null "$1" >>"$W/app.log" 2>&1 & pid=$!
    win=$(window "$pid"); local t=$(( $(ms) - t0 ))
    kill "$pid" 2>/dev/null; { wait "$pid"; } 2>/dev/null
    [ -n "$win" ] && { echo "$t"; return; }
  done
  echo "  $1 showed no window in three launches" >&2
}
stats() { sort -n "$1" | awk '{ v[NR] = $1 } END { printf "%d %d %d", v[int((NR + 1) / 2)], v[1], v[NR] }'; }

programs=("$W/bareqt" "$W/bareqt-chinese" "$@")
names=("bare Qt window" "bare Qt window, Chinese label" "$@")
for ((round = 1; round <= ROUNDS; round++)); do
  for i in "${!programs[@]}"; do time_start "${programs[$i]}" >>"$W/$i.ms"; done
done
read -r bare_median bare_min bare_max < <(stats "$W/0.ms")
printf '%-44s median %4d ms (%d-%d)\n' "${names[0]}" "$bare_median" "$bare_min" "$bare_max"
read -r chinese_median _ < <(stats "$W/1.ms")
for ((i = 1; i < ${#programs[@]}; i++)); do
  read -r median fastest slowest < <(stats "$W/$i.ms")
  printf '%-44s median %4d ms (%d-%d), %s x the bare window, %s x with a Chinese label\n' "${names[$i]}" \
    "$median" "$fastest" "$slowest" "$(echo "scale=2; $median / $bare_median" | bc)" \
    "$(echo "scale=2; $median / $chinese_median" | bc)"
done
echo "(goal: 1.1 x the bare window or less)"
