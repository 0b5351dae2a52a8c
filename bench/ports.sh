#!/usr/bin/env bash
# bench/ports.sh BUILD_DIR: what watching the serial ports costs the window.
# Veltrin runs on a private Xvfb with the simulated module as COM3; its CPU
# time is read from /proc over 30 s with the port closed, with it open, and
# with the port panel shown (the list of ports polled every 500 ms). Then,
# with the panel shown, a serial device node is made and removed every
# second (as a USB adapter plugged in and out would), so that every poll
# that sees it rescans with QSerialPortInfo (on the catalog's scan thread),
# while xping times the window's answers to _NET_WM_PING: the longest is the
# longest UI stall; the same pings with nothing changing come first, for
# the load's share. Needs root for mknod.
set -euo pipefail
BUILD=$(realpath "${1:?usage: $0 BUILD_DIR}")
HERE=$(cd "$(dirname "$0")" && pwd)
W=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -f /dev/ttyUSB97; rm -rf "$W"' EXIT
cc -O2 -o "$W/xping" "$HERE/xping.c" -lX11

# A display of its own, so that runs beside other benchmarks do not meet.
export DISPLAY=":$((500 + RANDOM % 200))"
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
sleep 1
"$BUILD/tools/hostsim/veltrin-hostsim" --link "$W/com3" --out "$W" >/dev/null & pids+=($!)
for _ in $(seq 50); do [ -e "$W/com3" ] && break; sleep 0.1; done
VELTRIN_COM3="$W/com3" QT_QPA_PLATFORM=xcb "$BUILD/src/veltrin" >/dev/null 2>&1 & app=$!; pids+=($app)
for _ in $(seq 100); do win=$(xdotool search --name '^Veltrin$' 2>/dev/null | head -1) && [ -n "$win" ] && break; sleep 0.1; done
sleep 2
read -r x y < <(xdotool getwindowgeometry "$win" | awk '/Position/ { split($2, p, ","); print p[1], p[2] }')
click() { xdotool mousemove $((x + $1)) $((y + $2)) click 1; sleep 1; }

ticks() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
cpu() {
    local before after
    before=$(ticks); sleep 30; after=$(ticks)
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f%% of a core\n", 100 * t / hz / 30 }'
}
echo "idle, port closed:        $(cpu)"
click 228 80      # 串口设置
click 319 300     # 打开串口
click 52 80       # back to 打印测试: the panel hidden, nothing polled
echo "idle, port open:          $(cpu)"
click 228 80
echo "port panel shown:         $(cpu)"

# The same pings with nothing plugged in or out first: on a loaded machine
# the longest answer is mostly the UI thread waiting for a core, and this
# line shows how much of the next one is that.
echo -n "UI while no port changes:   "
"$W/xping" "$win" 20 10
( while :; do mknod /dev/ttyUSB97 c 188 97 2>/dev/null; sleep 1; rm -f /dev/ttyUSB97; sleep 1; done ) & pids+=($!)
echo -n "UI while ports come and go: "
"$W/xping" "$win" 20 10
