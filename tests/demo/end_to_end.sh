#!/usr/bin/env bash
# End-to-end test of the skinned demo: its real window under Xvfb with
# openbox, real key presses (xdotool), resizes and a drag of its frame,
# screenshots (ImageMagick) and its log.
#   end_to_end.sh <skinned-demo> <source tree> <work directory>
# Run it under xvfb-run; CTest does.
set -uo pipefail
demo=$1
source_dir=$2
work=$3
title="Quarlight Skinned Demo"
source "$source_dir/scripts/xsession.sh"

# The scene below the two text lines at the top (the frame rate changes),
# and the part of it where the creature stands, in front of the fountain.
scene_crop="800x570+0+30"
creature_crop="200x200+300+300"

creature_changed() { [ "$(differing "$1" "$2" "$creature_crop")" -ge 500 ]; }

no_failure_records() { ! grep -q "Called function return" "$1"; }

mkdir -p "$work"
rm -rf "${work:?}"/*
shots=$work/shots
source "$source_dir/tests/support/end_to_end_checks.sh"
# Presses take effect within a few frames here.
settle() { sleep "${1:-0.6}"; }
mkdir -p "$shots" "$work/run"
ln -s "$source_dir/data" "$work/run/data"

ql_start_window_manager || exit 1
(cd "$work/run" && exec "$demo" >output.txt 2>&1) &
demo_pid=$!
window=$(ql_wait_window "$title" 60) || { kill "$demo_pid"; cat "$work/run/output.txt"; exit 1; }
ql_focus "$window"
sleep 2.5
shoot() { ql_shot "$window" "$shots/$1.png"; }
shoot first

# The cloth the creature wears is the only red in front of the fountain.
check "the creature stands in front of the fountain in its red cloth" \
  at_least "$(colour_pixels "$shots/first.png" "$creature_crop" "#E86450" 20%)" 500

check "L freezes the light and the creature stands still" press_until l frozen_now

check "Space starts an animation: the creature moves" \
  press_until space shows spinning creature_changed "$shots/frozen.png" "$shots/spinning.png"
# Released, the animation plays its cycle (2.5 s at the scene's speed) and ends.
sleep 3.5
check "the animation ends after its cycle and the creature stands as before" \
  shows after same_scene "$shots/frozen.png" "$shots/after.png"

check_resizing "$window" "$title"

ended() { ! kill -0 "$demo_pid" 2>/dev/null; }
ql_focus "$window"
press_until Escape ended
status=0
wait "$demo_pid" || status=$?
ql_stop_window_manager
log=$work/run/log.txt
check "Escape ends the run with exit code 0" exit_code_is "$status" 0
check "the log holds the creature's loading, the loop and the clean shutdown in order" log_in_order "$log" \
  "Create Geometries..." "Infos of the Cal3D model : ./data/creature.cfg" "Main Loop..." "Average FPS == " \
  "End Of the App; Release..." "ModelSkel './data/creature.cfg' Destroyed" "Graphics Engine correctly shutdown" \
  "Input Engine correctly shutdown" "Quarlight Engine correctly shutdown" "EOF"
check "the log holds no failure" no_failure_records "$log"

# Without the creature the start-up fails after the park and shuts down.
mkdir -p "$work/no-creature/data"
for file in "$source_dir"/data/*; do
  [ "$(basename "$file")" = creature.cfg ] || ln -s "$file" "$work/no-creature/data/"
done
(cd "$work/no-creature" && exec "$demo" >output.txt 2>&1) &
demo_pid=$!
status=0
wait "$demo_pid" || status=$?
log=$work/no-creature/log.txt
check "without the creature the demo exits with -1" exit_code_is "$status" 255
check "the log names the failed cal3d creation, the failed start-up, then the shutdown" log_in_order "$log" \
  "Infos of the 3DS model : ./data/park.3ds" "Type : 'cal3d'; Command : './data/creature.cfg'" "Initialisation of Quarlight failed" \
  "Quarlight Engine correctly shutdown"

report
