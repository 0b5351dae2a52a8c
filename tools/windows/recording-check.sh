# Sourced by wine-tests.sh after window-check.sh; wine-tests.sh defines
# pass, fail, here, app, scratch, simulator and display (start_display).

# recording_through_the_dialog_and_the_session_end: veltrin.exe on its real
# platform plugin, a recording started as a user starts it (the viewer's
# context menu, then Windows' own file dialog: the menu's click once crashed
# the program there), the port opened on a simulator streaming 256 KiB, and
# then the session ended as Windows ends it (WM_QUERYENDSESSION and
# WM_ENDSESSION, from wineboot --end-session). The file must hold the stream
# as the port took it in, to its last byte (opening the port empties what
# the pty held before, as a Windows driver does, so the file is the stream's
# tail), and the program must be gone within 20 s of the session's end: like
# Windows, Wine ends the process once WM_ENDSESSION has been answered, so its
# exit code is Wine's (137) and not the program's. Clicks are at the
# forms' positions (twips at 15 per pixel); with no window manager the
# windows have no frames.
recording_through_the_dialog_and_the_session_end() {
    local stream=$scratch/stream.bin file=$scratch/recording.bin log=$scratch/recording.log
    local program window= viewer= recording= code=0 X Y WINDOW
    head -c 262144 /dev/urandom >"$stream"
    "$simulator" --link "$scratch/com8" --stream "$stream" >"$scratch/stream.log" 2>&1 &
    stream_pid=$!
    for _ in $(seq 50); do [ -e "$scratch/com8" ] && break; sleep 0.1; done
    DISPLAY=$display VELTRIN_WINE_COM3=$scratch/com8 WINEQT_QPA_PLATFORM= "$here/wine.sh" "$app/veltrin.exe" >"$log" 2>&1 &
    program=$!
    window=$(window_named '^Veltrin$')
    [ -n "$window" ] || { fail "recording check: veltrin.exe showed no window: $(cat "$log")"; return; }
    sleep 2
    eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")"
    DISPLAY=$display xdotool mousemove $((X + 7500 / 15)) $((Y + 1215 / 15)) click 1
    viewer=$(window_named '^接收查看$')
    [ -n "$viewer" ] || { fail "recording check: lblTestRF showed no viewer"; return; }
    sleep 1
    eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$viewer")"
    # The context menu, then its fourth entry, "开始记录…".
    DISPLAY=$display xdotool mousemove $((X + 100)) $((Y + 60)) click 3
    sleep 1
    DISPLAY=$display xdotool mousemove $((X + 161)) $((Y + 139)) click 1
    sleep 3
    # Wine's save dialog takes the name typed into its focused name box.
    DISPLAY=$display xdotool type --delay 20 "Z:${file//\//\\}"
    DISPLAY=$display xdotool key Return
    for _ in $(seq 50); do
        recording=$(DISPLAY=$display xdotool search --name '^接收查看 - 正在记录：' 2>/dev/null | head -1) && [ -n "$recording" ] && break
        kill -0 "$program" 2>/dev/null || break
        sleep 0.2
    done
    if [ -z "$recording" ]; then
        kill "$program" 2>/dev/null || true
        fail "recording check: no recording started through the menu and the file dialog: $(grep -v fixme "$log" | tail -3)"
        return
    fi
    # 串口设置, then 打开串口.
    eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")"
    DISPLAY=$display xdotool windowraise "$window"
    DISPLAY=$display xdotool mousemove $((X + 3427 / 15)) $((Y + 1207 / 15)) click 1
    sleep 0.5
    DISPLAY=$display xdotool mousemove $((X + 4680 / 15 + 6)) $((Y + 4507 / 15)) click 1
    for _ in $(seq 150); do grep -q 'stream: all' "$scratch/stream.log" && break; sleep 0.2; done
    # Taken in and flushed (at the latest 1 s after arriving).
    sleep 3
    DISPLAY=$display "$here/wine.sh" wineboot --end-session >/dev/null 2>&1 || true
    if ! ends_within "$program" 20; then
        fail "recording check: veltrin.exe did not end within 20 s of the session's end"
        return
    fi
    wait "$program" || code=$?
    local size
    size=$(stat -c %s "$file" 2>/dev/null || echo 0)
    if [ "$size" -gt 0 ] && tail -c "$size" "$stream" | cmp -s - "$file"; then
        pass "veltrin.exe recorded through the menu and Windows' file dialog: $size bytes, the stream to its last byte; gone at the session's end (WM_ENDSESSION, exit $code)"
    else
        fail "recording check: the file holds $size bytes, not the stream's tail (the session's end: exit $code)"
    fi
}
