#!/usr/bin/env bash
# End-to-end test of the sample program: its real window under Xvfb with
# openbox, real key presses and mouse drags (xdotool), the window's close
# button (wmctrl), screenshots of the window (ImageMagick) and its log.
#   end_to_end.sh <quarlight-sample> <source tree> <work directory>
# Run it under xvfb-run; CTest does.
set -uo pipefail
sample=$1
source_dir=$2
work=$3
source "$source_dir/scripts/xsession.sh"

# --- pictures --------------------------------------------------------------
# The scene below the two text lines at the top (the frame rate changes).
scene_crop="800x570+0+30"


# Mean brightness of the scene area, 0 to 1000.
brightness() {
  convert "$1" -crop "$scene_crop" +repage -colorspace Gray -format "%[fx:round(mean*1000)]" info:
}
darker() { [ "$(brightness "$1")" -lt $(( $(brightness "$2") - 10 )) ]; }

# --- the run ---------------------------------------------------------------
mkdir -p "$work"
rm -rf "${work:?}"/*
shots=$work/shots
source "$source_dir/tests/support/end_to_end_checks.sh"
mkdir -p "$shots"

start_sample() {  # start_sample <directory>: the sample runs there, from its data/
  (cd "$1" && exec "$sample" >output.txt 2>&1) &
  sample_pid=$!
}

run_log_order=(
  "Create Core Engine..." "Create Graphics Engine..." "Create Input Engine..." "Create Geometries..."
  "Main Loop..." "Average FPS == " "End Of the App; Release..." "Graphics Engine correctly shutdown"
  "Input Engine correctly shutdown" "Quarlight Engine correctly shutdown" "EOF")

ql_start_window_manager || exit 1

# Run 1: the controls, ended with Escape.
run1=$work/escape
mkdir -p "$run1"
ln -s "$source_dir/data" "$run1/data"
start_sample "$run1"
window=$(ql_wait_window "Quarlight Sample" 60) || { kill "$sample_pid"; cat "$run1/output.txt"; exit 1; }
ql_focus "$window"
sleep 2.5
ql_shot "$window" "$shots/first.png"
sleep 1
ql_shot "$window" "$shots/second.png"

check "the frame rate is drawn in yellow at the top left" \
  at_least "$(colour_pixels "$shots/second.png" 120x22+0+0 "#FFFF00")" 40
check "the F1 hint is drawn in white under it" \
  at_least "$(colour_pixels "$shots/second.png" 380x18+4+25 "#FFFFFF")" 150
check "the park covers the lower half (hardly any clear colour)" \
  at_most "$(colour_pixels "$shots/second.png" 800x300+0+300 "#000050")" 24000
check "the light moves between two frames a second apart" changed_scene "$shots/first.png" "$shots/second.png"


check "L freezes the light: frames a second apart are equal" press_until l frozen_now

check "S switches to standard lighting: the shadows change" \
  press_until s shows standard changed_scene "$shots/frozen.png" "$shots/standard.png"
check "standard lighting is brighter where the shadows were" darker "$shots/frozen.png" "$shots/standard.png"
check "S switches the stencil shadows back" press_until s shows back same_scene "$shots/frozen.png" "$shots/back.png"

check "X shows the models with ambient light only" \
  press_until x shows ambient darker "$shots/ambient.png" "$shots/frozen.png"
check "X again lights them" press_until x shows back same_scene "$shots/frozen.png" "$shots/back.png"

check "V draws the shadow volumes" press_until v shows volumes changed_scene "$shots/frozen.png" "$shots/volumes.png"
check "V again hides them" press_until v shows back same_scene "$shots/frozen.png" "$shots/back.png"

check "P draws the possible silhouettes" \
  press_until p shows silhouettes changed_scene "$shots/frozen.png" "$shots/silhouettes.png" 100
check "P again hides them" press_until p shows back same_scene "$shots/frozen.png" "$shots/back.png"

check "F switches to wireframe" press_until f shows wireframe changed_scene "$shots/frozen.png" "$shots/wireframe.png"
check "F switches back to solid" press_until f shows back same_scene "$shots/frozen.png" "$shots/back.png"

help_region=560x180+4+25
# The back buffer has the window's 800 x 600 client size from the start:
# the banner, nine lines of 1.1 x 15 pixels under y 300, lands near y 450.
banner_region=800x40+0+440
plain_white=$(colour_pixels "$shots/frozen.png" "$help_region" "#FFFFFF")
help_shown() { at_least "$(colour_pixels "$shots/help.png" "$help_region" "#FFFFFF")" $((plain_white + 1500)); }
check "F1 shows the help text" press_until F1 shows help help_shown
check "F1 shows the banner in yellow under the help" \
  at_least "$(colour_pixels "$shots/help.png" "$banner_region" "#FFFF00")" 150
check "F1 again hides the help and the banner" press_until F1 shows back same_scene "$shots/frozen.png" "$shots/back.png"

check "the Up arrow moves the camera" press_until Up shows forward changed_scene "$shots/frozen.png" "$shots/forward.png"
check "the Left arrow moves the camera" \
  press_until Left shows sideways changed_scene "$shots/forward.png" "$shots/sideways.png"
check "Enter brings back the start-up view" press_until Return shows back same_scene "$shots/frozen.png" "$shots/back.png"

check "a left-button drag turns the camera" drag_changes_scene dragged
check "Enter brings back the start-up view after a drag" \
  press_until Return shows back same_scene "$shots/frozen.png" "$shots/back.png"

check_resizing "$window" "Quarlight Sample"

end_with_escape "$window" "$sample_pid"
check "Escape ends the run with exit code 0" exit_code_is "$status" 0
check "the Escape run's log holds start-up, loop and shutdown in order" log_in_order "$run1/log.txt" "${run_log_order[@]}"

# Run 2: the window's close button.
run2=$work/close
mkdir -p "$run2"
ln -s "$source_dir/data" "$run2/data"
start_sample "$run2"
window=$(ql_wait_window "Quarlight Sample" 60) || { kill "$sample_pid"; cat "$run2/output.txt"; exit 1; }
sleep 1.5
wmctrl -c "Quarlight Sample"
status=0
wait "$sample_pid" || status=$?
check "closing the window ends the run with exit code 0" exit_code_is "$status" 0
check "the close run's log holds start-up, loop and shutdown in order" log_in_order "$run2/log.txt" "${run_log_order[@]}"

# Run 3: no park.
run3=$work/no-park
mkdir -p "$run3/data"
for file in "$source_dir"/data/*; do
  [ "$(basename "$file")" = park.3ds ] || ln -s "$file" "$run3/data/"
done
start_sample "$run3"
status=0
wait "$sample_pid" || status=$?
check "without the park the sample exits with -1" exit_code_is "$status" 255
check "the log names the failed 3ds creation, then the failed initialisation" log_in_order "$run3/log.txt" \
  "Type : '3ds'; Command : './data/park.3ds'" "Initialisation of Quarlight failed"
check "the failed start-up still shuts the engine down" log_in_order "$run3/log.txt" \
  "Initialisation of Quarlight failed" "Quarlight Engine correctly shutdown"

ql_stop_window_manager
report
