#!/usr/bin/env bash
# bench/recording.sh BUILD_DIR: recording what arrives, in the real window on a private Xvfb, fed
# through a socat pty pair. A recording is started as a user starts one: the viewer's context menu,
# "开始记录…", the file's name typed into the dialog.
#   - 8 MiB of random bytes drained by cat, by Veltrin without a recording and by Veltrin recording
#     raw bytes, three rounds alternating; the recording compared with what was sent, and the
#     longest answer to _NET_WM_PING (xping.c) while the bytes arrive;
#   - Veltrin killed with SIGKILL 0.3 s after a last burst: the file holds every byte before it;
#   - a timed log of three bursts 200 ms apart: the lines and the time between them.
# BUILD_DIR is a Release build. Needs: Xvfb, xdotool, socat, python3, cc with libx11-dev.
set -u
BUILD=$(cd "${1:?usage: recording.sh BUILD_DIR}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
W=$(mktemp -d /tmp/veltrin-recording.XXXXXX)
PIDS=()
cleanup() { for p in "${PIDS[@]:-}"; do [ -n "$p" ] && kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$W"; }
trap cleanup EXIT
. "$HERE/window.sh"
start_display
echo "display $DISPLAY, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

ms() { date +%s%3N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
pty_pair() { # pty_pair NAME: W/NAME.dev for the reader, W/NAME.peer for the writer
  socat pty,raw,echo=0,link="$W/$1.dev" pty,raw,echo=0,link="$W/$1.peer" 2>/dev/null & PIDS+=($!)
  for _ in $(seq 50); do [ -e "$W/$1.peer" ] && break; sleep 0.1; done
}
write_into() { # write_into PEER FILE: 4 KiB pieces, blocking while the reader lags
  timeout 160 python3 -c "import sys
f=open(sys.argv[1],'wb',buffering=0); d=open(sys.argv[2],'rb').read()
for i in range(0,len(d),4096): f.write(d[i:i+4096])" "$1" "$2"
}
start_veltrin() { pty_pair "$1"; launch_veltrin "$W/$1.dev"; } # start_veltrin NAME: the window on NAME's pty
stop_veltrin() { kill "$APP"; wait "$APP" 2>/dev/null; }

head -c 8388608 /dev/urandom >"$W/8MiB"
pty_pair bare; cat "$W/bare.dev" >/dev/null & PIDS+=($!); sleep 0.3
for round in 1 2 3; do
  t0=$(ms); write_into "$W/bare.peer" "$W/8MiB"; echo $(( $(ms) - t0 )) >>"$W/cat.ms"

  start_veltrin "plain$round"
  t0=$(ms); write_into "$W/plain$round.peer" "$W/8MiB"; echo $(( $(ms) - t0 )) >>"$W/plain.ms"
  stop_veltrin

  start_veltrin "rec$round"
  echo "  caption: $(record_to "$W/rec$round.bin")"
  "$W/xping" "$VIEWER" 120 10 >"$W/rec$round.ping" & ping=$!
  t0=$(ms); write_into "$W/rec$round.peer" "$W/8MiB"; echo $(( $(ms) - t0 )) >>"$W/rec.ms"
  sleep 1.5; kill "$ping"; wait "$ping" 2>/dev/null
  if cmp -s "$W/8MiB" "$W/rec$round.bin"; then same="identical to what was sent"; else same="DIFFERS from what was sent"; fi
  echo "round $round: the recording, $(stat -c %s "$W/rec$round.bin") bytes, is $same; ping while 8 MiB arrive: $(cat "$W/rec$round.ping") (goal: max <= 16 ms)"
  if [ "$round" = 3 ]; then
    printf 'tail' >"$W/rec$round.peer"; sleep 0.3; kill -KILL "$APP"; wait "$APP" 2>/dev/null
    size=$(stat -c %s "$W/rec$round.bin")
    if cmp -s -n 8388608 "$W/8MiB" "$W/rec$round.bin"; then held="all 8388608 bytes flushed before it"; else held="NOT the bytes flushed before it"; fi
    echo "SIGKILL 0.3 s after a last 4-byte burst: the file holds $size bytes: $held (the burst was waiting for the next flush)"
  else
    stop_veltrin
  fi
done
echo "8 MiB drained, median of 3: cat $(median <"$W/cat.ms") ms ($(sort -n "$W/cat.ms" | paste -sd' ')); Veltrin" \
  "$(median <"$W/plain.ms") ms ($(sort -n "$W/plain.ms" | paste -sd' ')); Veltrin recording raw bytes" \
  "$(median <"$W/rec.ms") ms ($(sort -n "$W/rec.ms" | paste -sd' '))"

start_veltrin timed
echo "  caption: $(record_to "$W/timed.log")"
python3 -c "import sys, time
f=open(sys.argv[1],'wb',buffering=0)
for burst in (b'AB\r\n', b'CD\r\n', b'EF\r\n'): f.write(burst); time.sleep(0.2)" "$W/timed.peer"
sleep 1.5
echo "timed log of three bursts 200 ms apart:"; sed 's/\r$//; s/^/  /' "$W/timed.log"
python3 -c "import sys, datetime
times=[datetime.datetime.strptime(l[:23], '%Y-%m-%d %H:%M:%S.%f') for l in open(sys.argv[1], encoding='ascii') if l.strip()]
print('  between the lines:', ', '.join('%d ms' % round((b - a).total_seconds() * 1000) for a, b in zip(times, times[1:])), '(goal 200 +- 30 ms)')" "$W/timed.log"
stop_veltrin
