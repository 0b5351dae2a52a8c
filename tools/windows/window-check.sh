# Sourced by wine-tests.sh and installer-test.sh, which define pass and fail.

# start_display FOLDER: a private Xvfb for Wine's X11 driver; sets display
# and xvfb_pid (the caller's cleanup ends it).
start_display() {
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$1/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
    display=:$(cat "$1/display")
}

# window_named REGEX: the first window on $display whose name matches,
# waited for up to 30 s; nothing when none shows.
window_named() {
    local window
    for _ in $(seq 150); do
        window=$(DISPLAY=$display xdotool search --name "$1" 2>/dev/null | head -1) && [ -n "$window" ] \
            && { echo "$window"; return; }
        sleep 0.2
    done
}

# ends_within PID SECONDS: true once PID has ended; false, with PID killed,
# when it is still running after SECONDS.
ends_within() {
    for _ in $(seq $(($2 * 10))); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    kill "$1" 2>/dev/null || true
    return 1
}

# window_opens_and_closes NAME LOG TASKKILL_WINE COMMAND...: starts COMMAND
# on $display; its window "Veltrin" must appear within 30 s. Then it is
# closed as Windows closes a program's window (taskkill without /f posts
# WM_CLOSE, run by TASKKILL_WINE), and it must end by itself within 20 s,
# with exit code 0.
window_opens_and_closes() {
    local name=$1 log=$2 taskkill_wine=$3 program window= code=0
    shift 3
    # A Wine started without a display keeps using none.
    wineserver -k 2>/dev/null || true
    DISPLAY=$display "$@" >"$log" 2>&1 &
    program=$!
    window=$(window_named '^Veltrin$')
    if [ -z "$window" ]; then
        kill "$program" 2>/dev/null || true
        fail "$name showed no window named Veltrin in 30 s: $(cat "$log")"
        return
    fi
    DISPLAY=$display $taskkill_wine taskkill /im veltrin.exe >/dev/null 2>&1 || true
    if ! ends_within "$program" 20; then
        fail "$name did not end within 20 s of WM_CLOSE"
        return
    fi
    wait "$program" || code=$?
    if [ "$code" -eq 0 ]; then
        pass "$name showed its window and ended on WM_CLOSE with exit 0"
    else
        fail "$name ended on WM_CLOSE with exit $code"
    fi
}
