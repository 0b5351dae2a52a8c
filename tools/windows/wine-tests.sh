#!/usr/bin/env bash
# Runs the Windows build in BUILD_DIR (tools/windows/cross-build.sh) under
# the tests' Wine (wine.sh: Debian's Wine 8.0 with a serial wait that
# completes through a completion port, and modem lines on a pty), in a
# throwaway prefix. Proof: the real Windows build, run by Wine's Windows API
# on Linux, not a Linux build of the same code.
#   1. the Windows tests (tests/windows/CMakeLists.txt lists them), through
#      ctest, offscreen, and the code page 936 converter's table against the
#      Linux build's;
#   2. end to end: the Linux veltrin-hostsim from NATIVE_BUILD_DIR (default
#      build-test) plays the host module on a pty that Wine maps as COM3;
#      veltrin-cli.exe from the unpacked zip sends a print test, asks
#      questions and reads their answers, and monitors a pty pair whose far
#      end this script writes to; the main window's print test is sent, and
#      its answers and viewer read, by Qt Tests built for Windows
#      (com3_printtest.exe, com3_receivetest.exe); veltrin.exe from the zip
#      is started on an X display and closed as Windows closes a window.
#
#   tools/windows/wine-tests.sh BUILD_DIR [NATIVE_BUILD_DIR]
set -euo pipefail
# A step that fails outside a check would otherwise end the run unexplained.
trap 'echo "FAIL: wine-tests.sh stopped at line $LINENO"' ERR
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath "${1:?usage: $0 BUILD_DIR [NATIVE_BUILD_DIR]}")
native=$(realpath "${2:-$root/build-test}")

scratch=$(mktemp -d)
cleanup() {
    local pid
    for pid in ${simulator_pid:-} ${pair_pid:-} ${feeder_pid:-} ${stream_pid:-} ${xvfb_pid:-}; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine() { "$here/wine.sh" "$@"; }
. "$here/window-check.sh"
. "$here/recording-check.sh"
# Wine hands Windows programs no QT_* variable of the Unix environment, but
# passes WINEQT_* on without its WINE. The offscreen platform finds fonts
# only in one folder: Arial's metrics (Liberation Sans) and a CJK font.
mkdir -p "$scratch/fonts"
ln -s /usr/share/fonts/truetype/liberation2/*.ttf /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "$scratch/fonts/"
export WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR="Z:$scratch/fonts"
wine wineboot -i 2>/dev/null

status=0
echo "== Windows tests under Wine"
ctest --test-dir "$build" --output-on-failure -j"${VELTRIN_JOBS:-$(nproc)}" || status=1

echo "== Code page 936: Windows' own converter under Wine against Qt's (ICU) on Linux"
"$native/tools/codepage-table/veltrin-codepage-table" >"$scratch/table-linux.txt"
wine "$build/veltrin-codepage-table.exe" >"$scratch/table-windows.txt"
if "$here/compare-codepage-tables.sh" "$scratch/table-linux.txt" "$scratch/table-windows.txt"; then
    echo "PASS: the two converters' tables agree"
else
    echo "FAIL: the two converters' tables differ"
    status=1
fi

echo "== End to end under Wine: veltrin-hostsim on a pty as COM3"
simulator=$native/tools/hostsim/veltrin-hostsim
printers=$scratch/printers
link=$scratch/com3
mkdir -p "$printers"
# Printers on channel 20 (the default), channels 3 and 7 busy, and a quick
# search.
"$simulator" --link "$link" --out "$printers" --busy 3,7 --search-time 300 >"$scratch/module.log" &
simulator_pid=$!
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
# COM3 for CreateFile, and the registry entry QSerialPortInfo lists.
export VELTRIN_WINE_COM3=$link

# The programs run from the zip's folder, unpacked: what a user gets, without
# the build's extra DLLs and plugins.
(cd "$scratch" && cmake -E tar xf "$(ls "$build"/veltrin-*-windows-x64.zip)")
app=$(ls -d "$scratch"/veltrin-*-windows-x64)

fail() { echo "FAIL: $*"; status=1; }
pass() { echo "PASS: $*"; }
printer3() { od -An -tx1 -v "$printers/printer3.bin" 2>/dev/null | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
cli() { wine "$app/veltrin-cli.exe" "$@"; }

# The command line's own checks, which need no module.
code=0; cli status 9 >/dev/null 2>&1 || code=$?
[ "$code" -eq 2 ] && pass "veltrin-cli.exe status 9: usage error, exit 2" || fail "veltrin-cli.exe status 9 exited $code, not 2"
code=0; cli send --notation nope x >/dev/null 2>&1 || code=$?
[ "$code" -eq 2 ] && pass "veltrin-cli.exe send --notation nope: usage error, exit 2" || fail "send --notation nope exited $code, not 2"
if cli ports 2>/dev/null | grep -q COM3; then pass "veltrin-cli.exe ports lists COM3"; else fail "veltrin-cli.exe ports does not list COM3"; fi
# The bytes a send would put on the line, with no port: the code page 936
# path of this build on its own.
dry=$(cli --verbose send --dry-run --notation text "中文A" 2>&1 | tr -d '\r')
echo "$dry"
if printf '%s\n' "$dry" | grep -qx 'data  D6 D0 CE C4 41 20' && printf '%s\n' "$dry" | grep -q 'Windows code page 936'; then
    pass "veltrin-cli.exe send --dry-run: D6 D0 CE C4 41 20 through Windows' code page 936"
else
    fail "veltrin-cli.exe send --dry-run printed something else"
fi

code=0; cli --port COM3 --handshake none send --printers 3 --notation text "中文A" || code=$?
expected="d6 d0 ce c4 41 20"
if [ "$code" -eq 0 ] && [ "$(printer3)" = "$expected" ]; then
    pass "veltrin-cli.exe send: printer3.bin holds $expected"
else
    fail "veltrin-cli.exe send exited $code; printer3.bin holds '$(printer3)', expected '$expected'"
fi

# Each question's answer, read back through QSerialPort's completion port.
check_answer() {
    local want=$1 answer code=0
    shift
    answer=$(cli --port COM3 --handshake none "$@" 2>&1 | tr -d '\r') || code=$?
    if [ "$code" -eq 0 ] && [ "$answer" = "$want" ]; then
        pass "veltrin-cli.exe $*: $(echo "$want" | tr '\n' ' ')"
    else
        fail "veltrin-cli.exe $* answered '$answer' (exit $code), expected '$want'"
    fi
}
check_answer "提示:所检测的打印机在线！" status 3
check_answer 20 host-channel
check_answer "$(seq 0 30 | grep -vx -e 3 -e 7 -e 20)" search 0 30

# What arrives unasked: COM4 and COM5 are the two ends of a pty pair; this
# script writes GBK text to COM5's end while veltrin-cli.exe monitors COM4.
socat pty,raw,echo=0,link="$scratch/com4" pty,raw,echo=0,link="$scratch/com5" 2>/dev/null &
pair_pid=$!
for _ in $(seq 50); do [ -e "$scratch/com4" ] && [ -e "$scratch/com5" ] && break; sleep 0.1; done
export VELTRIN_WINE_COM4=$scratch/com4
(while sleep 0.3; do printf '\xd6\xd0\xce\xc4\x41' >"$scratch/com5"; done) &
feeder_pid=$!
code=0
monitored=$(cli --port COM4 --handshake none monitor --seconds 2 2>&1 | tr -d '\r') || code=$?
kill "$feeder_pid" 2>/dev/null && wait "$feeder_pid" 2>/dev/null || true
if [ "$code" -eq 0 ] && printf '%s' "$monitored" | grep -q 'D6 D0 CE C4 41'; then
    pass "veltrin-cli.exe monitor --seconds 2: $(printf '%s\n' "$monitored" | grep -m1 'D6 D0 CE C4 41' | head -c 60)"
else
    fail "veltrin-cli.exe monitor --seconds 2 printed '$monitored' (exit $code), without D6 D0 CE C4 41"
fi

# batch: two questions on the port opened once, one result line each.
asked() { grep -c '^frame 15 \[1\] -> reply 01$' "$scratch/module.log" || true; }
before=$(asked)
printf 'status 1\n# skipped\nstatus 1\n' | cli --port COM3 --handshake none batch - >"$scratch/batch.out" 2>&1 || true
sleep 0.5
if [ $(($(asked) - before)) -eq 2 ] && [ "$(grep -c '^\[[0-9]*\] status 1: ' "$scratch/batch.out")" -eq 2 ]; then
    pass "veltrin-cli.exe batch: both questions reached the module, one result line each"
else
    fail "veltrin-cli.exe batch: $(($(asked) - before)) questions reached the module; it printed: $(cat "$scratch/batch.out")"
fi

# The hardware handshake, "硬件握手" (RTS/CTS, the default): a send goes out
# while the module holds CTS high (wine-modem-lines.c reports it).
lines=$scratch/modem-lines
echo "CTS DSR DCD" >"$lines"
before=$(printer3)
code=0; VELTRIN_WINE_MODEM_LINES=$lines cli --port COM3 send --printers 3 --notation text "B" || code=$?
if [ "$code" -eq 0 ] && [ "$(printer3)" = "${before:+$before }42 20" ]; then
    pass "veltrin-cli.exe send with RTS/CTS and CTS high: printer3.bin got 42 20"
else
    fail "veltrin-cli.exe send with RTS/CTS and CTS high exited $code; printer3.bin went from '$before' to '$(printer3)'"
fi

# CTS held low: the far end takes nothing. A pty sends whatever CTS says, so
# the far end here is a pty nobody reads (socat -u only writes to it), as on
# Linux: once it is full, no byte leaves, and the send must end as "设备忙",
# naming the CTS line, instead of waiting for ever.
socat -u EXEC:'sleep 600' PTY,link="$scratch/com6",rawer 2>/dev/null &
stuck_pid=$!
for _ in $(seq 50); do [ -e "$scratch/com6" ] && break; sleep 0.1; done
echo "DSR DCD" >"$lines"
printf 'ABCDEFGHIJKLMNO %.0s' $(seq 12500) >"$scratch/stuck.txt"
code=0
VELTRIN_WINE_COM6=$scratch/com6 VELTRIN_WINE_MODEM_LINES=$lines timeout 120 "$here/wine.sh" "$app/veltrin-cli.exe" \
    --port COM6 send --notation text --file "Z:$scratch/stuck.txt" >"$scratch/stuck.out" 2>&1 || code=$?
kill "$stuck_pid" 2>/dev/null && wait "$stuck_pid" 2>/dev/null || true
echo "CTS DSR DCD" >"$lines"
if [ "$code" -eq 3 ] && grep -q '设备忙' "$scratch/stuck.out" && grep -q 'CTS' "$scratch/stuck.out"; then
    pass "veltrin-cli.exe send with RTS/CTS and CTS low: exit 3, $(head -2 "$scratch/stuck.out" | tr '\n' ' ')"
else
    fail "veltrin-cli.exe send with RTS/CTS and CTS low exited $code (124: hung), saying: $(cat "$scratch/stuck.out")"
fi

# The main window's Qt Tests built for Windows, each bounded as ctest bounds
# the others: a hung one fails with its name instead of holding the run.
qtest() {
    local code=0
    timeout 300 "$here/wine-qtest.sh" "$@" || code=$?
    if [ "$code" -eq 124 ]; then
        # timeout ends the script; the Windows program goes with its prefix's server.
        wineserver -k 2>/dev/null || true
        echo "$(basename "$1") ${2:-}: did not end within 300 s, killed"
    fi
    return "$code"
}

# The main window's print test.
before=$(printer3)
if VELTRIN_PRINTER3_FILE="Z:$printers/printer3.bin" qtest "$build/com3_printtest.exe"; then
    pass "com3_printtest.exe: the main window's print test reached printer 3 ($(printer3))"
else
    fail "com3_printtest.exe: printer3.bin went from '$before' to '$(printer3)'"
fi

# The main window's answers, and its viewer: each case with its own COM3.
if qtest "$build/com3_receivetest.exe" answersOfTheModule; then
    pass "com3_receivetest.exe: the wireless panel's status, host channel and search read the module's answers"
else
    fail "com3_receivetest.exe answersOfTheModule"
fi
if VELTRIN_WINE_COM3=$scratch/com4 VELTRIN_WINE_COM4=$scratch/com5 \
    qtest "$build/com3_receivetest.exe" bytesShownInTheViewer; then
    pass "com3_receivetest.exe: the viewer shows what arrived in Hex, then as GBK text in Txt"
else
    fail "com3_receivetest.exe bytesShownInTheViewer"
fi

# veltrin.exe itself, on its real platform plugin (qwindows) through Wine's
# X11 driver on a private Xvfb, closed as Windows closes a program's window.
start_display "$scratch"
WINEQT_QPA_PLATFORM= window_opens_and_closes veltrin.exe "$scratch/veltrin.log" "$here/wine.sh" "$here/wine.sh" "$app/veltrin.exe"
recording_through_the_dialog_and_the_session_end

echo "-- the module's log"
cat "$scratch/module.log"

exit "$status"
