#!/usr/bin/env bash
# End-to-end test of quarlight-view under Xvfb: the park, the demo creature
# and every exporter-style file each show a model (not the background alone)
# in a --screenshot picture; F12 in a real window saves a numbered PNG beside
# log.txt; a bad argument and a missing or broken file end with their codes.
#   end_to_end.sh <quarlight-view> <exporter3ds> <source tree> <work directory>
# Run it under xvfb-run; CTest does.
set -uo pipefail
viewer=$1
exporter=$2
source_dir=$3
work=$4
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
check "a portrait window still shows the park" shows_model portrait "$source_dir/data/park.3ds" --size 600x800

status=0
(cd "$work/run" && exec "$viewer" --size 12 park.3ds >bad.out 2>bad.err) || status=$?
check "a bad argument ends with exit code 2" exit_code_is "$status" 2
check "and a message naming it" grep -q -- "--size needs" "$work/run/bad.err"
status=0
(cd "$work/run" && exec "$viewer" no_such_model.3ds --frames 5 >missing.out 2>missing.err) || status=$?
check "a missing file ends with exit code 1" exit_code_is "$status" 1
check "and the log's records on the terminal" grep -q "ERR_OPENING_FILE" "$work/run/missing.err"
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
end_with_escape "$window" "$viewer_pid"
ql_stop_window_manager
check "Escape ends the viewer with exit code 0" exit_code_is "$status" 0

report
