# What the end-to-end scripts share: named checks with a tally, picture
# comparisons with ImageMagick, log order, and key presses repeated until the
# picture shows their effect. Sourced after `work`, `shots` and `scene_crop`
# are set; shoot and what uses it need `window` too.

passed=0
failed=0
check() {  # check <name> <command...>
  local name=$1
  shift
  if "$@"; then
    echo "ok - $name"
    passed=$((passed + 1))
  else
    echo "FAIL - $name"
    failed=$((failed + 1))
  fi
}
report() {  # the closing tally; true when every check passed
  echo "screenshots: $shots"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# Pixels of two screenshots that differ in region $3 (the scene by default).
differing() {
  convert "$1" -crop "${3:-$scene_crop}" +repage "$work/crop1.png"
  convert "$2" -crop "${3:-$scene_crop}" +repage "$work/crop2.png"
  compare -metric AE -fuzz 2% "$work/crop1.png" "$work/crop2.png" null: 2>&1 | cut -d' ' -f1
}
same_scene() { [ "$(differing "$1" "$2")" -le 20 ]; }
changed_scene() { [ "$(differing "$1" "$2")" -ge "${3:-500}" ]; }
shoot() { ql_shot "$window" "$shots/$1.png"; }

# Pixels of colour $3 (within $4, 25 % by default) in region $2 (WxH+X+Y) of
# image $1: the region against a plain picture of that colour.
colour_pixels() {
  local size=${2%%+*} differ
  convert "$1" -crop "$2" +repage "$work/region.png"
  convert -size "$size" "xc:$3" "$work/plain.png"
  differ=$(compare -metric AE -fuzz "${4:-25%}" "$work/region.png" "$work/plain.png" null: 2>&1 | cut -d' ' -f1)
  echo $(( ${size%x*} * ${size#*x} - differ ))
}
at_least() { [ "$1" -ge "$2" ]; }
at_most() { [ "$1" -le "$2" ]; }
exit_code_is() { [ "$1" = "$2" ]; }

# The texts, each on a later line of the log than the one before.
log_in_order() {
  local log=$1 position=0 line
  shift
  for expected in "$@"; do
    line=$(grep -n -F -- "$expected" "$log" | cut -d: -f1 | awk -v p="$position" '$1 > p' | head -n 1)
    if [ -z "$line" ]; then
      echo "  '$expected' missing after line $position of $log" >&2
      return 1
    fi
    position=$line
  done
}

# A key's first press only arms its half-second lock, and frames under Xvfb
# take up to a few hundred milliseconds: each key is pressed (0.3 s, shorter
# than the lock) until the command sees its effect, at most four times.
settle() { sleep "${1:-0.8}"; }
press_until() {  # press_until <key> <command...>
  local key=$1 try
  shift
  for try in 1 2 3 4; do
    ql_press "$key" 0.3
    settle
    "$@" && return 0
  done
  return 1
}
# Where frames take longer than a press, a press may fall between two input
# steps and be lost, and a toggle needs its key seen in two steps: hold the
# key down, run the command every quarter second, and let go as soon as it
# succeeds (at most $2 seconds).
hold_until() {  # hold_until <key> <seconds> <command...>
  local key=$1 tries=$(($2 * 4))
  shift 2
  xdotool keydown "$key"
  for _ in $(seq "$tries"); do
    sleep 0.25
    if "$@"; then
      xdotool keyup "$key"
      return 0
    fi
  done
  xdotool keyup "$key"
  return 1
}

# shows <name> <command...>: a screenshot <name>.png, then the command.
shows() {
  local name=$1
  shift
  shoot "$name"
  "$@"
}
# With the light frozen (and nothing animating) the picture stands still.
frozen_now() {
  shoot frozen1
  sleep 1
  shoot frozen
  same_scene "$shots/frozen1.png" "$shots/frozen.png"
}

# A left-button drag of 150 pixels to the right from the window's middle:
# whether screenshot $1 then shows a scene changed from frozen.png.
drag_changes_scene() {  # drag_changes_scene <name>
  xdotool mousemove --window "$window" 400 300
  sleep 0.2
  xdotool mousedown 1
  for _ in $(seq 10); do
    xdotool mousemove_relative -- 15 0
    sleep 0.12
  done
  xdotool mouseup 1
  settle
  shoot "$1"
  changed_scene "$shots/frozen.png" "$shots/$1.png"
}

# --- the window resized, dragged, maximised and restored -------------------
# Window shot $1 shows the whole frame: the frame rate in yellow in the
# top-left corner, the F1 hint in white under it, and no undrawn band (white
# or black) along the right and bottom edges, where the park lies.
fills_window() {
  local w h band
  read -r w h < <(identify -format "%w %h" "$1")
  band=$(((w / 10) * (h / 2)))
  at_least "$(colour_pixels "$1" "$((w / 4))x$((h * 5 / 100))+0+0" "#FFFF00")" 25 &&
    at_least "$(colour_pixels "$1" "$((w / 2))x$((h * 6 / 100))+0+$((h * 35 / 1000))" "#FFFFFF")" 60 &&
    for colour in "#FFFFFF" "#000000"; do
      at_most "$(colour_pixels "$1" "$((w / 10))x$((h / 2))+$((w - w / 10))+$((h / 2))" "$colour" 10%)" \
        $((band / 20)) &&
        at_most "$(colour_pixels "$1" "${w}x$((h / 10))+0+$((h - h / 10))" "$colour" 10%)" \
          $((w * (h / 10) / 20)) || return 1
    done
}
shot_size_is() { [ "$(identify -format "%wx%h" "$1")" = "$2" ]; }
shot_wider_than() { [ "$(identify -format "%w" "$1")" -gt "$2" ]; }
# Openbox reads the Motif hints: functions without maximise (16).
no_maximise_offered() {
  local functions
  functions=$(xprop -id "$1" _MOTIF_WM_HINTS | awk -F'= ' '{print $2}' | cut -d, -f2)
  [ -n "$functions" ] && [ $((functions & 16)) -eq 0 ]
}

# check_resizing <window> <title>: resized by another program larger and
# smaller, a user's drag of its frame, maximised and restored; after each the
# picture fills the window. Its shots are resized-*.png.
check_resizing() {
  local window=$1 title=$2 shot=$shots/resized
  check "the window asks for no maximise button" no_maximise_offered "$window"
  xdotool windowsize "$window" 980 720
  sleep 1.5
  ql_shot "$window" "$shot-larger.png"
  check "resized to 980 x 720 by another program" shot_size_is "$shot-larger.png" 980x720
  check "the picture fills the larger window" fills_window "$shot-larger.png"
  xdotool windowsize "$window" 560 420
  sleep 1.5
  ql_shot "$window" "$shot-smaller.png"
  check "resized to 560 x 420 by another program" shot_size_is "$shot-smaller.png" 560x420
  check "the picture fills the smaller window" fills_window "$shot-smaller.png"
  ql_drag_frame_corner "$window" 240 180
  sleep 1.5
  ql_shot "$window" "$shot-dragged.png"
  check "a drag of the frame's corner widens the window" shot_wider_than "$shot-dragged.png" 700
  check "the picture fills the dragged window" fills_window "$shot-dragged.png"
  wmctrl -r "$title" -b add,maximized_vert,maximized_horz
  sleep 1.5
  ql_shot "$window" "$shot-maximised.png"
  check "maximised, the window spans the screen" shot_wider_than "$shot-maximised.png" 1000
  check "the picture fills the maximised window" fills_window "$shot-maximised.png"
  wmctrl -r "$title" -b remove,maximized_vert,maximized_horz
  sleep 1.5
  ql_shot "$window" "$shot-restored.png"
  check "restored, the window has its dragged size again" same_size "$shot-dragged.png" "$shot-restored.png"
  check "the picture fills the restored window" fills_window "$shot-restored.png"
}
same_size() { [ "$(identify -format "%wx%h" "$1")" = "$(identify -format "%wx%h" "$2")" ]; }

# Escape in window $1 until process $2 has ended (pressed, or held up to $3
# seconds where frames are slow); its exit code lands in $status.
end_with_escape() {
  local window=$1 pid=$2 hold=${3:-}
  process_ended() { ! kill -0 "$pid" 2>/dev/null; }
  ql_focus "$window"
  if [ -n "$hold" ]; then
    hold_until Escape "$hold" process_ended
  else
    press_until Escape process_ended
  fi
  status=0
  wait "$pid" || status=$?
}
