# Helpers for driving the sample's real window under Xvfb: a window manager,
# real key presses and mouse moves (xdotool), screenshots (ImageMagick).
# Sourced by the run scripts (scripts/run-sample, scripts/run-skinned-demo,
# scripts/windows-check) and the end-to-end tests.

# Openbox gives the window focus and a close button that wmctrl can press.
# An X server resets when its last client leaves, and a window manager that
# connects during the reset fails at once: it is started again.
ql_start_window_manager() {
  QL_WM_LOG=$(mktemp)
  openbox >"$QL_WM_LOG" 2>&1 &
  QL_WM_PID=$!
  for _ in $(seq 150); do
    wmctrl -m >/dev/null 2>&1 && return 0
    if ! kill -0 "$QL_WM_PID" 2>/dev/null; then
      openbox >>"$QL_WM_LOG" 2>&1 &
      QL_WM_PID=$!
    fi
    sleep 0.1
  done
  echo "xsession: the window manager did not start within 15 s; it said:" >&2
  cat "$QL_WM_LOG" >&2
  return 1
}

ql_stop_window_manager() {
  [ -n "${QL_WM_PID:-}" ] && kill "$QL_WM_PID" 2>/dev/null && wait "$QL_WM_PID" 2>/dev/null
  QL_WM_PID=
  return 0
}

# Prints the id of the visible window titled $1 once it exists (waits up to $2 s).
ql_wait_window() {
  local title=$1 seconds=${2:-30} id
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  echo "xsession: no window '$title' after $seconds s" >&2
  return 1
}

ql_focus() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
}

# A real key press held for $2 seconds (default 0.15): long enough for the
# controls, which read the keyboard state at most every 25 ms, and shorter
# than their half-second repeat lock.
ql_press() {
  xdotool keydown "$1"
  sleep "${2:-0.15}"
  xdotool keyup "$1"
}

# Screenshot of the window's client area.
ql_shot() {
  import -window "$1" "$2"
}

# The client area of window $1 as "x y width height" in screen coordinates.
ql_window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}'
}

# Drags the bottom-right corner of window $1's frame by $2, $3 pixels with
# the left button, as a user does, holding it still a moment before the
# release so that the program sees the button down while the size changes.
ql_drag_frame_corner() {
  local x y w h bottom
  read -r x y w h < <(ql_window_geometry "$1")
  bottom=$(xprop -id "$1" _NET_FRAME_EXTENTS | awk -F', ' '{print $4}')
  xdotool mousemove $((x + w - 2)) $((y + h + ${bottom:-4} / 2 + 1))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.2
  for _ in 1 2 3 4 5 6; do
    xdotool mousemove_relative -- $(($2 / 6)) $(($3 / 6))
    sleep 0.1
  done
  sleep 0.6
  xdotool mouseup 1
}

# Ends the program QL_PROGRAM_PID as a user does, with Escape pressed in its
# window QL_WINDOW: held $2 seconds (DirectInput reports only the keys down
# when it reads, and a slow frame can miss a short press), pressed again
# while the program still runs, at most $1 times, each followed by up to 5 s
# for it to end. QL_STATUS is then its exit code; 1 when it never ended (it
# is stopped).
ql_end_with_escape() {
  local tries=$1 hold=$2
  for _ in $(seq "$tries"); do
    kill -0 "$QL_PROGRAM_PID" 2>/dev/null || break
    ql_focus "$QL_WINDOW" || true
    ql_press Escape "$hold"
    for _ in $(seq 50); do
      kill -0 "$QL_PROGRAM_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  if kill -0 "$QL_PROGRAM_PID" 2>/dev/null; then
    kill "$QL_PROGRAM_PID" 2>/dev/null || true
    wait "$QL_PROGRAM_PID" 2>/dev/null || true
    return 1
  fi
  QL_STATUS=0
  wait "$QL_PROGRAM_PID" || QL_STATUS=$?
}

# ql_launch_shot_escape <title> <seconds> <screenshot> <output> <command...>:
# the run the scripts make of a program with a window. The command starts in
# the background, its output in <output>; once its window titled <title>
# shows (within QL_WINDOW_WAIT seconds, 30 by default) it is focused, and
# after <seconds> more a screenshot of it is saved as <screenshot> (QL_SHOT_OK
# says whether that worked). The function named by QL_AFTER_SHOT, if any, runs
# next, while the program does; then Escape ends it (ql_end_with_escape,
# QL_ESCAPE_TRIES times, 4 by default, held QL_ESCAPE_HOLD seconds, 0.4).
# Returns 1 when no window showed, 2 when the program did not end, otherwise
# 0 with its exit code in QL_STATUS. QL_PROGRAM_PID and QL_WINDOW name it.
ql_launch_shot_escape() {
  local title=$1 seconds=$2 shot=$3 output=$4
  shift 4
  QL_STATUS=
  QL_SHOT_OK=false
  "$@" >"$output" 2>&1 &
  QL_PROGRAM_PID=$!
  if ! QL_WINDOW=$(ql_wait_window "$title" "${QL_WINDOW_WAIT:-30}"); then
    kill "$QL_PROGRAM_PID" 2>/dev/null || true
    wait "$QL_PROGRAM_PID" 2>/dev/null || true
    return 1
  fi
  ql_focus "$QL_WINDOW" || true
  sleep "$seconds"
  ql_shot "$QL_WINDOW" "$shot" && QL_SHOT_OK=true
  if [ -n "${QL_AFTER_SHOT:-}" ]; then
    "$QL_AFTER_SHOT"
  fi
  ql_end_with_escape "${QL_ESCAPE_TRIES:-4}" "${QL_ESCAPE_HOLD:-0.4}" || return 2
}
