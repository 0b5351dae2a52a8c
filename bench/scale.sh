#!/usr/bin/env bash
# Veltrin at scale, every figure next to its baseline from the same run, on a private Xvfb:
#   start-up to the window shown, median of 5 launches alternating with a bare Qt window (bareqt.cpp);
#   idle RSS of both; 1 MiB of random bytes drained through a socat pty pair by Veltrin (viewer shown,
#   Hex) and by cat, nine rounds alternating; the longest answer to _NET_WM_PING (xping.c) while 1 MiB
#   and 8 MiB arrive; the peak RSS at 8 MiB in bytes held per byte received; then bench_convert
#   (Hex -> Ten -> Txt -> Hex of 8 MiB against xxd -p) on the same display.
# Usage: bench/scale.sh BUILD_DIR   (a Release build of Veltrin with its benchmarks)
# Needs: Xvfb, xdotool, socat, python3, xxd, cc with libx11-dev, g++ with qt6-base-dev.
set -u
BUILD=$(cd "${1:?usage: scale.sh BUILD_DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
W=$(mktemp -d /tmp/veltrin-scale.XXXXXX)
PIDS=()
cleanup() { for p in "${PIDS[@]:-}"; do [ -n "$p" ] && kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$W"; }
trap cleanup EXIT
cc -O2 -o "$W/xping" "$HERE/xping.c" -lX11 || exit 1
g++ -O2 -fPIC -o "$W/bareqt" "$HERE/bareqt.cpp" $(pkg-config --cflags --libs Qt6Widgets) || exit 1
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$W/display" >/dev/null 2>&1 & PIDS+=($!)
for _ in $(seq 100); do [ -s "$W/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$W/display")"
echo "display $DISPLAY, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

ms() { date +%s%3N; }
kb() { awk -v k="$2" '$1==k":"{print $2}' "/proc/$1/status" 2>/dev/null; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
launch() { # launch NAME DEV: sets PID
  case $1 in
    bareqt)  "$W/bareqt" >>"$W/app.log" 2>&1 & ;;
    veltrin) VELTRIN_COM3="$2" "$BUILD/src/veltrin" >>"$W/app.log" 2>&1 & ;;
  esac
  PID=$!
}
window() { # the first visible window of PID, polled every 10 ms; empty if PID ends first
  local w; for _ in $(seq 1000); do
    w=$(xdotool search --onlyvisible --pid "$1" --name '^(Veltrin|BareQt)$' 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return; }; kill -0 "$1" 2>/dev/null || return; sleep 0.01
  done
}
# A fresh Xvfb now and then closes a new client's connection before answering it ("could not connect
# to display"), Qt aborts, and that launch is no start-up of the program: it is launched again.
shown() { # shown NAME DEV: launches until a window shows; sets PID, WIN and T0, the successful launch's start
  for _ in 1 2 3; do
    T0=$(ms); launch "$1" "$2"; WIN=$(window "$PID"); [ -n "$WIN" ] && return
    echo "  $1 ended before its window showed; launched again" >&2; wait "$PID" 2>/dev/null
  done
}
open_viewer() { # 串口设置, 打开串口 on its indicator, then lblTestRF (twips at 15 per pixel)
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + 3427 / 15)) $((Y + 1207 / 15)) click 1; sleep 0.3
  xdotool mousemove $((X + 4680 / 15 + 6)) $((Y + 4507 / 15)) click 1; sleep 0.3
  xdotool mousemove $((X + 7500 / 15)) $((Y + 1215 / 15)) click 1; sleep 0.5
}
write_into() { # write_into PEER FILE: 4 KiB pieces, blocking while the reader lags; prints the write loop's own ms
  timeout 160 python3 -c "import sys, time
f=open(sys.argv[1],'wb',buffering=0); d=open(sys.argv[2],'rb').read(); t=time.perf_counter()
for i in range(0,len(d),4096): f.write(d[i:i+4096])
print(round((time.perf_counter()-t)*1000))" "$1" "$2"
}
pty_pair() { # pty_pair NAME: W/NAME.dev for the reader, W/NAME.peer for the writer
  socat pty,raw,echo=0,link="$W/$1.dev" pty,raw,echo=0,link="$W/$1.peer" 2>/dev/null & PIDS+=($!)
  for _ in $(seq 50); do [ -e "$W/$1.peer" ] && break; sleep 0.1; done
}

# Start-up and idle memory, alternating so that both see the same load.
for i in 1 2 3 4 5; do
  for app in bareqt veltrin; do
    shown $app /dev/null; echo $(( $(ms) - T0 )) >>"$W/$app.start"
    [ "$i" = 5 ] && { sleep 2; kb "$PID" VmRSS >"$W/$app.idle"; }
    kill "$PID"; wait "$PID" 2>/dev/null
  done
done
bare_start=$(median <"$W/bareqt.start"); velt_start=$(median <"$W/veltrin.start")
bare_idle=$(cat "$W/bareqt.idle"); velt_idle=$(cat "$W/veltrin.idle")
echo "start-up to the window shown, median of 5: Veltrin $velt_start ms, bare Qt window $bare_start ms," \
  "ratio $(echo "scale=2; $velt_start / $bare_start" | bc) (goal <= 1.2)"
echo "idle RSS: Veltrin $velt_idle kB, bare Qt window $bare_idle kB (goal <= 36 MB)"

# The limit for draining: cat reading the same pty pair.
head -c 1048576 /dev/urandom >"$W/1MiB"; head -c 8388608 /dev/urandom >"$W/8MiB"
pty_pair bare; cat "$W/bare.dev" >"$W/bare.got" & PIDS+=($!); sleep 0.3

ingest() { # ingest NAME PAYLOAD: Veltrin with its viewer shown takes PAYLOAD; sets DRAIN_MS LOOP_MS PING HWM IDLE ANON FILE
  pty_pair "$1"
  shown veltrin "$W/$1.dev"; local pid=$PID win=$WIN; PIDS+=($pid)
  sleep 1; open_viewer "$win"; sleep 1
  IDLE=$(kb "$pid" VmRSS); local anon0 file0; anon0=$(kb "$pid" RssAnon); file0=$(kb "$pid" RssFile)
  "$W/xping" "$win" 120 10 >"$W/$1.ping" & local ping=$!
  local t0; t0=$(ms); LOOP_MS=$(write_into "$W/$1.peer" "$2"); DRAIN_MS=$(( $(ms) - t0 ))
  sleep 2; kill "$ping"; wait "$ping" 2>/dev/null
  PING=$(cat "$W/$1.ping"); HWM=$(kb "$pid" VmHWM)
  ANON=$(( $(kb "$pid" RssAnon) - anon0 )); FILE=$(( $(kb "$pid" RssFile) - file0 ))
  kill "$pid"; wait "$pid" 2>/dev/null
}
# Nine rounds, cat and Veltrin alternating, so that both see the same load; each drain includes the
# writer's start, which alone varies by tens of milliseconds from round to round.
for i in $(seq 9); do
  t0=$(ms); write_into "$W/bare.peer" "$W/1MiB" >>"$W/cat.loop"; echo $(( $(ms) - t0 )) >>"$W/cat.drain"
  ingest "one$i" "$W/1MiB"; echo "$DRAIN_MS" >>"$W/veltrin.drain"; echo "$LOOP_MS" >>"$W/veltrin.loop"
  echo "  ping while 1 MiB arrives, round $i: $PING (goal: max <= 16 ms)"
done
t0=$(ms); python3 -c 'import sys'; writer_ms=$(( $(ms) - t0 ))
cat_ms=$(median <"$W/cat.drain"); drain_ms=$(median <"$W/veltrin.drain")
echo "1 MiB drained, median of 9: Veltrin $drain_ms ms ($(sort -n "$W/veltrin.drain" | paste -sd' ')), cat $cat_ms ms" \
  "($(sort -n "$W/cat.drain" | paste -sd' ')), ratio $(echo "scale=2; $drain_ms / $cat_ms" | bc) (goal <= 1.1);" \
  "each includes the writer's start, python3 alone $writer_ms ms"
echo "  the write loop alone, median of 9: Veltrin $(median <"$W/veltrin.loop") ms ($(sort -n "$W/veltrin.loop" | paste -sd' '))," \
  "cat $(median <"$W/cat.loop") ms ($(sort -n "$W/cat.loop" | paste -sd' '))"
ingest eight "$W/8MiB"
echo "8 MiB: ping $PING (goal: max <= 16 ms)"
echo "  peak RSS $HWM kB, $IDLE kB before the bytes came: $(echo "scale=2; ($HWM - $IDLE) * 1024 / 8388608" | bc)" \
  "bytes held per byte received (goal <= 3, i.e. idle + 24 MB)"
echo "  2 s after: anonymous memory grew by $ANON kB = $(echo "scale=2; $ANON * 1024 / 8388608" | bc) bytes per byte," \
  "mapped files (fonts' glyph data read by measuring ahead) by $FILE kB"

XPING="$W/xping" "$BUILD/bench/bench_convert"
