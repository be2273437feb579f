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
# In a crowd: the whole of it, the band of sky with the light's marker (and
# nothing else that moves) above it, the first creature's body (its arms' surroundings catch the clones' moving
# shadows), the nearest clone to its right, and the ground in front of the
# crowd.
crowd_crop="700x330+40+170"
marker_crop="800x50+0+70"
creature_body_crop="36x70+382+375"
clone_body_crop="80x120+525+335"
ground_crop="800x130+0+470"
# With the light frozen at once it stands behind the fountain, so the first
# creature's shadow runs alone down the avenue towards the camera.
creature_shadow_crop="60x110+370+490"

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

end_with_escape "$window" "$demo_pid"
ql_stop_window_manager
log=$work/run/log.txt
check "Escape ends the run with exit code 0" exit_code_is "$status" 0
check "the log holds the creature's loading, the loop and the clean shutdown in order" log_in_order "$log" \
  "Create Geometries..." "Infos of the Cal3D model : ./data/creature.cfg" "Main Loop..." "Average FPS == " \
  "End Of the App; Release..." "ModelSkel './data/creature.cfg' Destroyed" "Graphics Engine correctly shutdown" \
  "Input Engine correctly shutdown" "Quarlight Engine correctly shutdown" "EOF"
check "the log holds no failure" no_failure_records "$log"

# A crowd of 32: the first creature stands in its place and answers the keys,
# its clones loop their animations, each from its own point of the cycle.
mkdir -p "$work/crowd"
ln -s "$source_dir/data" "$work/crowd/data"
ql_start_window_manager || exit 1
(cd "$work/crowd" && exec "$demo" --crowd 32 --still-light 6 >output.txt 2>&1) &
demo_pid=$!
window=$(ql_wait_window "$title" 60) || { kill "$demo_pid"; cat "$work/crowd/output.txt"; exit 1; }
ql_focus "$window"
# Shot $1, at least one frame after shot $2 (the crowd moved), within 10 s.
shoot_new_frame() {
  local _
  for _ in $(seq 20); do
    shoot "$1"
    [ "$(differing "$shots/$2.png" "$shots/$1.png" "$crowd_crop")" -ge 200 ] && return 0
    sleep 0.5
  done
  return 1
}
# The light stands still from the start, a few degrees round from behind
# the fountain, where a press of L in the first frames used to leave it, so
# every run sees the same shadows. The crowd's first frames come after its
# load: the light is judged on two frames after the crowd first shows.
crowd_shows() {
  local _
  for _ in $(seq 60); do
    shoot frame
    [ "$(colour_pixels "$shots/frame.png" "$crowd_crop" "#E86450" 20%)" -ge 6000 ] && return 0
    sleep 1
  done
  return 1
}
light_still() {
  crowd_shows || return 1
  sleep 2
  shoot_new_frame next frame || return 1
  local moved
  moved=$(differing "$shots/frame.png" "$shots/next.png" "$marker_crop")
  echo "  changed pixels round the light's marker: $moved"
  [ "$moved" -le 20 ]
}
check "the crowd's light stands still from the start" light_still
shoot crowd
check "the crowd stands in the park in red cloth" \
  at_least "$(colour_pixels "$shots/crowd.png" "$crowd_crop" "#E86450" 20%)" 6000
# Three shots, frames apart: frames may be so slow that two poses of the
# looping wave a frame apart look alike, so "moves" takes the largest change
# of the three pairs and "stands still" the largest too.
shoot_still_series() {
  shoot still1
  sleep 1.2
  shoot_new_frame still2 still1
  sleep 0.7
  shoot_new_frame still3 still2
}
largest_change() {  # largest_change <crop>
  local a b c
  a=$(differing "$shots/still1.png" "$shots/still2.png" "$1")
  b=$(differing "$shots/still2.png" "$shots/still3.png" "$1")
  c=$(differing "$shots/still1.png" "$shots/still3.png" "$1")
  printf '%s\n' "$a" "$b" "$c" | sort -n | tail -n 1
}
# The clones' shadows may fall on the first creature, so it must change far
# less than the clone, not nothing at all. A series that a stalled frame
# spoilt is shot again, up to three times; a first creature that moves with
# the clones fails every series.
own_poses() {
  local series
  for series in 1 2 3; do
    shoot_still_series
    first_moved=$(largest_change "$creature_body_crop")
    clone_moved=$(largest_change "$clone_body_crop")
    echo "  changed pixels: first creature $first_moved, its neighbour $clone_moved"
    [ "$clone_moved" -ge 300 ] && [ "$((first_moved * 5))" -le "$clone_moved" ] &&
      [ "$(largest_change "$creature_shadow_crop")" -le 20 ] && return 0
  done
  return 1
}
own_poses || true  # judged by the checks below, on the last series
check "each creature keeps its own pose: the first stands still while a clone waves" \
  test "$clone_moved" -ge 300 -a "$((first_moved * 5))" -le "$clone_moved"

# Below the front row only the ground shows, where the crowd's shadows fall
# from whichever side the light stands: the waving arms' shadows move there.
check "with the light frozen the crowd's shadows move on the ground as the clones wave" \
  at_least "$(largest_change "$ground_crop")" 300

# Each shadow is cast by its own creature's pose: while the clones' shadows
# move on the ground, the first creature's stands still with it; then the
# first creature moves and its shadow with it.
check "the first creature's shadow stands still while it stands" \
  at_most "$(largest_change "$creature_shadow_crop")" 20
first_moving() {
  shoot moving1
  sleep 0.8
  shoot_new_frame moving2 moving1
  [ "$(differing "$shots/moving1.png" "$shots/moving2.png" "$creature_body_crop")" -ge 200 ]
}
# Held until it moves: a short press can fall between two slow frames.
check "Space sets the first creature of the crowd moving" hold_until space 20 first_moving
check "the first creature's shadow moves with it" \
  at_least "$(differing "$shots/moving1.png" "$shots/moving2.png" "$creature_shadow_crop")" 200
end_with_escape "$window" "$demo_pid" 30
ql_stop_window_manager
check "the crowd's run ends with exit code 0" exit_code_is "$status" 0
check "the crowd's log holds its loop, its release and the clean shutdown in order" log_in_order \
  "$work/crowd/log.txt" "Main Loop..." "End Of the App; Release..." "ModelSkelMeta './data/creature.cfg' Destroyed" \
  "Graphics Engine correctly shutdown" "Quarlight Engine correctly shutdown"
check "the crowd's log holds no failure or leftover" eval \
  "! grep -q -e 'Called function return' -e 'still alive' -e 'not released' '$work/crowd/log.txt'"
check "the crowd's models are all released" \
  test "$(grep -c "ModelSkel './data/creature.cfg' Destroyed" "$work/crowd/log.txt")" -eq 32

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
