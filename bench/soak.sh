#!/usr/bin/env bash
# bench/soak.sh BUILD_DIR [BYTES [REPLUGS [QUESTIONS]]]: a long unattended run, against the simulator,
# on a private Xvfb. Defaults: 1 GiB, 1000 replugs, 100000 questions; a short run such as
#     bench/soak.sh build-rel 67108864 50 5000
# takes about a minute.
#   - The window, recording raw bytes from the viewer's context menu (as bench/recording.sh does),
#     on a simulator that streams BYTES of random data at the pty's full speed (--stream); the
#     adapter is pulled out (SIGUSR1) REPLUGS times, spread evenly over the bytes recorded, and the
#     window's own DeviceReturnWatch reopens the port each time.
#   - Meanwhile veltrin-cli --json batch asks QUESTIONS status questions (printers 1-4 in turn,
#     all on line) through a second simulator, on one port opened once; any other answer is shown.
#   - Open descriptors and RSS of both programs at the start, at every 10 % of each one's work and at
#     the end; the window's RSS per byte of its history; the longest UI stall (xping, _NET_WM_PING
#     every 20 ms); the window ended by SIGTERM, and a cmp of its recording with the bytes sent.
# BUILD_DIR is a Release build. SOAK_LIMIT_S bounds the run (default 600 s + 3 s a replug + 1 s a
# MB); a run that does not finish by then says how far it got. Needs: Xvfb, xdotool, cc with libx11-dev.
set -u
BUILD=$(cd "${1:?usage: soak.sh BUILD_DIR [BYTES [REPLUGS [QUESTIONS]]]}" && pwd)
BYTES=${2:-1073741824}
REPLUGS=${3:-1000}
QUESTIONS=${4:-100000}
HERE=$(cd "$(dirname "$0")" && pwd)
W=$(mktemp -d /tmp/veltrin-soak.XXXXXX)
PIDS=()
cleanup() { for p in "${PIDS[@]:-}"; do [ -n "$p" ] && kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$W"; }
trap cleanup EXIT
. "$HERE/window.sh"
start_display
echo "soak: $BYTES bytes, $REPLUGS replugs, $QUESTIONS questions; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

fds() { ls "/proc/$1/fd" 2>/dev/null | wc -l; }
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status" 2>/dev/null; }
sample() { # sample NAME PID WHEN
  printf '  %-6s %-5s fds %3s  RSS %8s KiB\n' "$1" "$3" "$(fds "$2")" "$(rss_kib "$2")"
}
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }

head -c "$BYTES" /dev/urandom >"$W/stream.bin"
"$BUILD/tools/hostsim/veltrin-hostsim" --link "$W/com3" --stream "$W/stream.bin" --away 100 \
  >"$W/sim.log" 2>&1 & SIM=$!; PIDS+=($SIM)
"$BUILD/tools/hostsim/veltrin-hostsim" --link "$W/station" --quiet >/dev/null 2>&1 & PIDS+=($!)
for _ in $(seq 50); do [ -e "$W/com3" ] && [ -e "$W/station" ] && break; sleep 0.1; done
# The recording starts before the port opens: the pty holds the stream's first bytes until then.
start_window "$W/com3"
show_viewer
echo "  caption: $(record_to "$W/rec.bin")"
open_port
"$W/xping" "$WINDOW" 100000 20 >"$W/ping" & PING=$!; PIDS+=($PING)

for ((i = 0; i < QUESTIONS; i++)); do echo "status $((i % 4 + 1))"; done >"$W/questions.txt"
# The batch's stdin (a FIFO, so that the batch is this shell's own child) stays open after the last
# question, so that its end can be sampled.
mkfifo "$W/questions.fifo"
"$BUILD/tools/cli/veltrin-cli" --port "$W/station" --json batch - <"$W/questions.fifo" >"$W/cli.out" 2>"$W/cli.err" &
CLI=$!; PIDS+=($CLI)
{ cat "$W/questions.txt"; while [ ! -e "$W/cli.done" ]; do sleep 0.2; done; } >"$W/questions.fifo" & PIDS+=($!)

echo "window (progress: bytes recorded) and veltrin-cli (progress: questions answered):"
sample window "$APP" start; sample cli "$CLI" start
START_RSS=$(rss_kib "$APP")
T0=$SECONDS
DEADLINE=$((SECONDS + ${SOAK_LIMIT_S:-$((600 + REPLUGS * 3 + BYTES / 1000000))}))
window_mark=1 cli_mark=1 asked=0 back=0 answered=0 recorded=0
while [ "$SECONDS" -lt "$DEADLINE" ]; do
  recorded=$(size_of "$W/rec.bin")
  back=$(grep -c 'plugged back' "$W/sim.log")
  answered=$(wc -l <"$W/cli.out")
  while [ "$window_mark" -le 9 ] && [ "$recorded" -ge $((window_mark * BYTES / 10)) ]; do
    sample window "$APP" "$((window_mark * 10))%"; window_mark=$((window_mark + 1)); done
  while [ "$cli_mark" -le 9 ] && [ "$answered" -ge $((cli_mark * QUESTIONS / 10)) ]; do
    sample cli "$CLI" "$((cli_mark * 10))%"; cli_mark=$((cli_mark + 1)); done
  if [ "$cli_mark" -eq 10 ] && [ "$answered" -ge "$QUESTIONS" ]; then
    sample cli "$CLI" end; cli_mark=11; CLI_SECONDS=$((SECONDS - T0)); touch "$W/cli.done"; fi
  # The next replug once the last is back and the bytes recorded reach its share.
  if [ "$asked" -lt "$REPLUGS" ] && [ "$back" -eq "$asked" ] && [ -e "$W/com3" ] \
     && [ "$recorded" -ge $(((asked + 1) * BYTES / (REPLUGS + 1))) ]; then
    kill -USR1 "$SIM"; asked=$((asked + 1)); fi
  # A recording that stays short of the stream once all is sent has lost bytes: waiting on is no use.
  if grep -q 'stream: all' "$W/sim.log" && [ "$recorded" -ne "${last_size:--1}" ]; then
    last_size=$recorded still_since=$SECONDS; fi
  ended=$([ "$recorded" -ge "$BYTES" ] || { grep -q 'stream: all' "$W/sim.log" \
    && [ $((SECONDS - ${still_since:-$SECONDS})) -ge 5 ]; } && echo yes)
  [ "$ended" = yes ] && [ "$back" -ge "$REPLUGS" ] && [ "$cli_mark" -eq 11 ] && break
  sleep 0.05
done
WINDOW_SECONDS=$((SECONDS - T0))
[ "$SECONDS" -lt "$DEADLINE" ] || echo "NOT FINISHED in time: $recorded bytes recorded, $asked replugs asked, $back back, $answered answered"
sample window "$APP" end
END_RSS=$(rss_kib "$APP")
kill "$PING"; wait "$PING" 2>/dev/null
kill -TERM "$APP"; wait "$APP"; APP_EXIT=$?
wait "$CLI"; CLI_EXIT=$?

echo "window: $recorded of $BYTES bytes recorded in $WINDOW_SECONDS s, $back of $REPLUGS replugs;" \
  "RSS grew $(( (END_RSS - START_RSS) / 1024 )) MiB: $(awk -v a="$START_RSS" -v b="$END_RSS" -v n="$BYTES" \
  'BEGIN { printf "%.2f", (b - a) * 1024 / n }') bytes per byte of history (goal <= 1.2)"
echo "longest UI stall (xping every 20 ms through the run): $(cat "$W/ping") (goal: max <= 8 ms)"
echo "window ended by SIGTERM: exit code $APP_EXIT (goal 0)"
if cmp "$W/stream.bin" "$W/rec.bin" >"$W/cmp" 2>&1; then
  echo "cmp: the recording equals the $BYTES bytes the simulator sent"
else
  echo "cmp: the recording DIFFERS from what was sent: $(head -c 300 "$W/cmp")"
  # A gap where the adapter went is the hang-up's (the pty drops what is unread), anywhere else the
  # window's: the nearest vanishing tells which.
  first=$(grep -o 'byte [0-9]*' "$W/cmp" | head -1 | cut -d' ' -f2)
  [ -n "$first" ] && awk -v at="$first" '/unplugged for .*the stream at byte/ {
      match($0, /at byte [0-9]+/); n = substr($0, RSTART + 8, RLENGTH - 8) + 0
      if (best == "" || (n - at)^2 < (best - at)^2) { best = n; line = $0 } }
    END { if (best != "") printf "  the nearest vanishing: %s (%+d bytes from the first difference)\n", line, best - at }' "$W/sim.log"
  grep 'still unread' "$W/sim.log" | head -3 | sed 's/^/  /'
fi
echo "veltrin-cli batch: $answered of $QUESTIONS answered in ${CLI_SECONDS:-?} s," \
  "$(grep -c '"exit_code":0' "$W/cli.out") on line, exit code $CLI_EXIT; $(grep -c . "$W/cli.err") lines on stderr"
# Every simulated printer is on line: any other answer is a reply that came after the deadline
# ("reply":null) or a wrong one.
grep -v '"exit_code":0' "$W/cli.out" | head -5 | sed 's/^/  not on line: /'
