#!/usr/bin/env bash
# End-to-end test of quarlight-view under Xvfb: the park, the demo creature
# (Cal3D, glTF and MD5), the OBJ and glTF test scenes and every
# exporter-style file each show a model (not the
# background alone) in a --screenshot picture; --list prints a model's parts;
# F12 in a real window saves a numbered PNG beside log.txt, the mouse orbits
# and zooms, F frames again; a bad argument and a missing or broken file end
# with their codes.
#   end_to_end.sh <quarlight-view> <exporter3ds> <objwriter-scene> <gltfwrite> <source tree> <work directory>
# The viewer's ground, its G key and the first line a failure prints are
# checked too. Run it under xvfb-run; CTest does.
set -uo pipefail
viewer=$1
exporter=$2
objwriter=$3
gltfwrite=$4
source_dir=$5
work=$6
source "$source_dir/scripts/xsession.sh"

mkdir -p "$work"
rm -rf "${work:?}"/*
shots=$work/shots
source "$source_dir/tests/support/end_to_end_checks.sh"
mkdir -p "$shots" "$work/models" "$work/run"
"$exporter" "$work/models" || { echo "exporter3ds failed"; exit 1; }

# Everything below the two text lines is the scene; the clear colour is #000050.
scene_crop="800x560+0+40"
model_pixels() {  # model_pixels <image> [crop]: pixels of the scene area that are not the clear colour
  local crop=${2:-$scene_crop}
  local size=${crop%%+*}
  echo $(( ${size%x*} * ${size#*x} - $(colour_pixels "$1" "$crop" "#000050" 3%) ))
}

# --screenshot runs, from a folder that is neither the model's nor the viewer's.
view() {  # view <name> <model> [options...]: the exit code, the picture in $shots/<name>.png
  local name=$1 model=$2
  shift 2
  (cd "$work/run" && exec "$viewer" "$model" --screenshot "$shots/$name.png" "$@" >"$name.out" 2>"$name.err")
}
shows_model() {  # shows_model <name> <model> [options...]
  local name=$1
  view "$@" || { echo "  exit code $?:" >&2; cat "$work/run/$name.err" >&2; return 1; }
  local width height
  read -r width height < <(identify -format "%w %h" "$shots/$name.png")
  at_least "$(model_pixels "$shots/$name.png" "${width}x$((height - 40))+0+40")" 5000
}

check "the park (absolute path) fills the view" shows_model park "$source_dir/data/park.3ds"
ln -s "$source_dir/data" "$work/data"
check "the demo creature (relative path, parts beside its .cfg) plays an animation" \
  shows_model creature ../data/creature.cfg --anim 1 --size 800x600
for model in "$work"/models/exported_*.3ds; do
  name=$(basename "$model" .3ds)
  check "the exporter-style file $name shows its model" shows_model "$name" "../models/$name.3ds"
done
# A downloaded model often comes without its maps: shown, those materials
# untextured, and the log names each missing file.
mkdir -p "$work/bare"
cp "$work/models/exported_floats.3ds" "$work/bare/"
check "a model whose texture file is missing is shown" shows_model bare "../bare/exported_floats.3ds"
check "and the log names the missing file" \
  grep -q "Warning : \"Texture 'checker_texture_with_a_long_name.tga' not found" "$work/run/log.txt"
# OBJ: its material library and texture map beside it, found from elsewhere.
"$objwriter" "$work/objmodels" || { echo "objwriter-scene failed"; exit 1; }
check "the OBJ scene (library and map beside it) shows its model" shows_model obj ../objmodels/scene.obj
check "and its textured floor was found" eval '! grep -q "Warning" "$work/run/obj.out"'
check "the creature plays an animation chosen by name" shows_model creature_walk ../data/creature.cfg --anim walk
# glTF: the test scene binary and as text with its .bin beside it, and the
# creature; MD5: the creature, its animations named in the list beside it.
mkdir -p "$work/gltfmodels"
"$gltfwrite" "$work/gltfmodels" || { echo "gltfwrite failed"; exit 1; }
check "the glTF scene (.glb, its texture embedded) shows its model" shows_model gltf_scene ../gltfmodels/scene.glb
check "the glTF scene (.gltf and its .bin) shows its model" shows_model gltf_text ../gltfmodels/scene.gltf
check "the glTF creature plays an animation" shows_model gltf_creature ../gltfmodels/creature.glb --anim 1
check "the MD5 creature plays an animation chosen by name" \
  shows_model md5_creature ../data/creature/creature.md5mesh --anim walk
status=0
(cd "$work/run" && exec "$viewer" ../objmodels/scene.obj --list >list.out 2>list.err) || status=$?
check "--list ends with exit code 0" exit_code_is "$status" 0
check "and lists the materials with their textures, nothing else on standard output" eval \
  'grep -qx "  0 stone: texture maps/stone.tga" "$work/run/list.out" && grep -qx "  1 paint: no texture" "$work/run/list.out" &&
   ! grep -q "Create Core Engine" "$work/run/list.out"'
status=0
(cd "$work/run" && exec "$viewer" ../data/creature.cfg --list >list-creature.out 2>list-creature.err) || status=$?
check "--list of the creature names its bones and animations" eval \
  '[ "$status" = 0 ] && grep -qx "skin: 27 bones" "$work/run/list-creature.out" &&
   grep -qx "  1 walk.caf: 1.20 s" "$work/run/list-creature.out"'
status=0
(cd "$work/run" && exec "$viewer" ../objmodels/broken/position_past_count/scene.obj --frames 5 \
  >broken-obj.out 2>broken-obj.err) || status=$?
check "a broken OBJ file ends with exit code 1 and the record saying why" eval \
  '[ "$status" = 1 ] && grep -q "The shape .block. has a face whose corner names a position" "$work/run/broken-obj.err"'
check "a portrait window still shows the park" shows_model portrait "$source_dir/data/park.3ds" --size 600x800
check "four lights light and shadow the park" shows_model lights4 "$source_dir/data/park.3ds" --lights 4
# A model with no ground of its own stands on the viewer's: the bottom of
# the view, below the model, is the ground, not the background.
ground_crop="800x60+0+540"
ground_shown() { at_least "$(model_pixels "$1" "$ground_crop")" 40000; }
ground_hidden() { at_most "$(model_pixels "$1" "$ground_crop")" 2000; }
check "the model without a ground stands on the viewer's ground" ground_shown "$shots/exported_floats.png"
# Its shadow falls on that ground: the ground's own grey in ambient light
# alone, beside the lit ground.
shadow_on_ground() {
  at_least "$(colour_pixels "$1" "800x200+0+400" "#63635F" 2%)" 1000 &&
    at_least "$(colour_pixels "$1" "$ground_crop" "#A8A8A3" 3%)" 20000
}
check "and casts its shadow onto it" shadow_on_ground "$shots/exported_floats.png"
# The creatures stand nearer the light, so the ground lit beside their
# shadows is brighter: their shadows alone are counted.
shadow_below() { at_least "$(colour_pixels "$1" "800x200+0+400" "#63635F" 2%)" 1000; }
check "so do the glTF and the MD5 creature" eval \
  'shadow_below "$shots/gltf_creature.png" && shadow_below "$shots/md5_creature.png"'

status=0
(cd "$work/run" && exec "$viewer" --size 12 park.3ds >bad.out 2>bad.err) || status=$?
check "a bad argument ends with exit code 2" exit_code_is "$status" 2
check "and a message naming it" grep -q -- "--size needs" "$work/run/bad.err"
status=0
(cd "$work/run" && exec "$viewer" no_such_model.3ds --frames 5 >missing.out 2>missing.err) || status=$?
check "a missing file ends with exit code 1" exit_code_is "$status" 1
check "and the log's records on the terminal" grep -q "ERR_OPENING_FILE" "$work/run/missing.err"
first_error_is() {  # first_error_is <name> <line>: the first line of <name>.err
  [ "$(head -n 1 "$work/run/$1.err")" = "$2" ] || { echo "  first line: $(head -n 1 "$work/run/$1.err")" >&2; return 1; }
}
check "its first line names the cause" \
  first_error_is missing "quarlight-view: cannot open no_such_model.3ds: No such file or directory"
check "each record shows once, on standard error alone" eval \
  '[ "$(cat "$work/run/missing.out" "$work/run/missing.err" | grep -c "ERR_OPENING_FILE")" = 1 ] &&
   ! grep -q "Create Core Engine" "$work/run/missing.out" "$work/run/missing.err"'
mkdir -p "$work/run/folder.3ds"
: >"$work/run/empty.3ds"
echo "solid cube" >"$work/run/text.3ds"
for problem in "folder.3ds:is a directory" "empty.3ds:is empty" "text.3ds:is not a 3D Studio file"; do
  file=${problem%%:*}
  status=0
  (cd "$work/run" && exec "$viewer" "$file" --frames 5 >"$file.out" 2>"$file.err") || status=$?
  check "$file ends with exit code 1, its first line saying it ${problem#*:}" eval \
    '[ "$status" = 1 ] && first_error_is "$file" "quarlight-view: $file ${problem#*:}"'
done
status=0
(cd "$work/run" && exec "$viewer" ../data/creature.cfg --anim 8 --frames 5 >anim.out 2>anim.err) || status=$?
check "--anim past the last animation ends with exit code 1" exit_code_is "$status" 1
check "and says the range and the animations' names" first_error_is anim \
  "quarlight-view: --anim 8: ../data/creature.cfg has 8 animations, 0 to 7 (0 idle, 1 walk, 2 run, 3 wave, 4 jump, 5 wag, 6 spin, 7 look)"
status=0
(cd "$work/run" && exec timeout 120 "$viewer" "$source_dir/data/park.3ds" --screenshot /no/such/dir/x.png \
  >unwritable.out 2>unwritable.err) || status=$?
check "a screenshot that cannot be written ends the run with exit code 1" exit_code_is "$status" 1
check "and one line on standard error that says why" eval \
  '[ "$(wc -l <"$work/run/unwritable.err")" = 1 ] &&
   first_error_is unwritable "quarlight-view: cannot write the screenshot /no/such/dir/x.png: No such file or directory"'
for model in "$work"/models/broken_*.3ds; do
  status=0
  (cd "$work/run" && exec "$viewer" "$model" --frames 5 >broken.out 2>broken.err) || status=$?
  if [ "$(basename "$model")" = broken_chunk_past_parent.3ds ]; then
    # A chunk running past its parent is read up to the parent's end.
    check "the file with a chunk past its parent is shown, with a warning" \
      eval '[ "$status" = 0 ] && grep -q "longer than their parent" "$work/run/broken.out"'
    continue
  fi
  check "the broken file $(basename "$model") ends with exit code 1 and its records" \
    eval '[ "$status" = 1 ] && grep -q "3DSError(s)" "$work/run/broken.err"'
done

# F12 in a real window: a numbered PNG beside log.txt.
ql_start_window_manager || exit 1
mkdir -p "$work/keys"
(cd "$work/keys" && exec "$viewer" "$work/models/exported_floats.3ds" >output.txt 2>&1) &
viewer_pid=$!
window=$(ql_wait_window "Quarlight Viewer - $work/models/exported_floats.3ds" 60) \
  || { kill "$viewer_pid"; cat "$work/keys/output.txt"; exit 1; }
ql_focus "$window"
sleep 2
saved() { [ -f "$work/keys/screenshot-001.png" ]; }
check "F12 saves screenshot-001.png beside log.txt" press_until F12 saved
check "the saved frame shows the model" at_least "$(model_pixels "$work/keys/screenshot-001.png")" 5000
check "the log names the file" grep -q "Screenshot saved to screenshot-001.png" "$work/keys/log.txt"
without_ground() { ql_shot "$window" "$shots/no-ground.png" && ground_hidden "$shots/no-ground.png"; }
with_ground() { ql_shot "$window" "$shots/ground-again.png" && ground_shown "$shots/ground-again.png"; }
check "G hides the ground" press_until g without_ground
check "and G shows it again" press_until g with_ground

# The mouse camera, with the light frozen so only the camera changes the picture.
check "L freezes the light: frames a second apart are equal" press_until l frozen_now
check "a left-button drag orbits the camera" drag_changes_scene orbited
check "F frames the model again" press_until f shows framed same_scene "$shots/frozen.png" "$shots/framed.png"
zoomed_in() {
  xdotool mousemove --window "$window" 400 300
  for _ in 1 2 3 4; do
    xdotool click 4
    sleep 0.15
  done
  settle
  shoot zoomed
  at_least "$(model_pixels "$shots/zoomed.png")" "$(($(model_pixels "$shots/framed.png") + 5000))"
}
check "the wheel brings the model nearer" zoomed_in
check "and F frames it again" press_until f shows reframed same_scene "$shots/frozen.png" "$shots/reframed.png"
end_with_escape "$window" "$viewer_pid"
ql_stop_window_manager
check "Escape ends the viewer with exit code 0" exit_code_is "$status" 0

report
