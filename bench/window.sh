# bench/window.sh: sourced by the benchmarks that drive the real window on a private Xvfb
# (recording.sh, soak.sh). The caller sets BUILD (a build folder), HERE (bench/), W (a scratch
# folder) and PIDS (an array the caller's cleanup kills).

start_display() { # W/xping built, a private Xvfb started, DISPLAY pointing at it
  cc -O2 -o "$W/xping" "$HERE/xping.c" -lX11 || exit 1
  Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$W/display" >/dev/null 2>&1 & PIDS+=($!)
  for _ in $(seq 100); do [ -s "$W/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(cat "$W/display")"
}

start_window() { # start_window DEVICE: the window on DEVICE as COM3, port closed; sets APP WINDOW
  VELTRIN_COM3="$1" QT_QPA_PLATFORM=xcb "$BUILD/src/veltrin" >>"$W/app.log" 2>&1 & APP=$!; PIDS+=($APP)
  WINDOW=""
  for _ in $(seq 100); do WINDOW=$(xdotool search --onlyvisible --pid "$APP" --name '^Veltrin$' 2>/dev/null | head -1)
    [ -n "$WINDOW" ] && break; sleep 0.1; done
  sleep 1
}

open_port() { # 串口设置, then 打开串口 (twips at 15 per pixel), the window raised above the viewer
  xdotool windowraise "$WINDOW"; sleep 0.2
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
  xdotool mousemove $((X + 3427 / 15)) $((Y + 1207 / 15)) click 1; sleep 0.3
  xdotool mousemove $((X + 4680 / 15 + 6)) $((Y + 4507 / 15)) click 1; sleep 0.3
}

show_viewer() { # lblTestRF; sets VIEWER
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
  xdotool mousemove $((X + 7500 / 15)) $((Y + 1215 / 15)) click 1; sleep 0.5
  VIEWER=""
  for _ in $(seq 50); do VIEWER=$(xdotool search --onlyvisible --name '^接收查看$' 2>/dev/null | head -1)
    [ -n "$VIEWER" ] && break; sleep 0.1; done
  [ -n "$VIEWER" ] || { echo "the viewer did not show" >&2; exit 1; }
}

launch_veltrin() { # launch_veltrin DEVICE: the window on DEVICE as COM3, port open, viewer shown
  start_window "$1"; open_port; show_viewer
}

record_to() { # record_to FILE: the viewer's context menu, its fourth entry, the name typed
  eval "$(xdotool getwindowgeometry --shell "$VIEWER")"
  xdotool mousemove $((X + 100)) $((Y + 60)) click 3; sleep 0.5
  xdotool mousemove $((X + 150)) $((Y + 137)) click 1; sleep 1
  xdotool type --delay 10 "$1"; xdotool key Return; sleep 0.5
  xdotool getwindowname "$VIEWER"
}
