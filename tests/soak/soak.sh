#!/usr/bin/env bash
# Soak run: the sample (or the skinned demo) under Xvfb for a long time with
# random keys, mouse moves and clicks, window resizes, minimise and restore,
# and focus changes. Then Escape. Checks that resident memory grows by at most
# 1 MiB after the first minute, that the log holds no Error record and ends
# with the shutdown records, exit code 0 and no sanitizer report.
# Resident memory is read once a second, but it follows the window's size,
# the toggles and what is in view, so it is judged at checkpoints: after the
# first minute, every 3 minutes and at the end, the window is restored to its
# start size and the camera to its start view, and the lowest reading while
# the display toggles go through all their combinations is kept. Growth is
# the lower of the last two checkpoints against the lower of the first two
# (the first after a minute; one at each end where there are fewer than four).
# Where a C compiler is at hand, a probe inside the program takes the
# readings at frame ends, once the GL driver has finished the frame, so no
# frame in flight is counted; otherwise they are taken from outside every
# 0.1 s. The software GL driver keeps each finished frame's binning memory
# until it reuses that frame's slot, and takes more slots the more frames it
# has in flight, so its memory follows the machine's load. It is made to
# rasterise in the program's own thread (LP_NUM_THREADS=0, unless set): one
# frame's worth is left, and the figure is the program's own.
# The first minute presses every key and walks through every combination of
# the display toggles, so what is built on first use exists by then.
# Freed memory is given back to the system at once (large blocks mapped, the
# heap trimmed), so the samples follow what the program holds.
#   tests/soak/soak.sh sample [minutes] [build dir]   (30 minutes by default)
#   tests/soak/soak.sh demo [minutes] [build dir]     (10 minutes by default)
# Work files (log, memory samples, output) go to <build dir>/soak-<program>/.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
which=${1:-sample}
case "$which" in
  sample) minutes=${2:-30} program=sample/quarlight-sample title="Quarlight Sample" ;;
  demo) minutes=${2:-10} program=demo/skinned-demo title="Quarlight Skinned Demo" ;;
  *) echo "usage: $0 sample|demo [minutes] [build dir]" >&2; exit 2 ;;
esac
build=$(cd "${3:-$root/build}" && pwd)

export LP_NUM_THREADS=${LP_NUM_THREADS:-0}
if [ "${QL_SOAK_INSIDE:-}" != 1 ]; then
  QL_SOAK_INSIDE=1 SDL_VIDEODRIVER=x11 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$which" "$minutes" "$build"
fi

source "$root/scripts/xsession.sh"
work=$build/soak-$which
rm -rf "$work"
mkdir -p "$work"
ln -s "$root/data" "$work/data"
memory=$work/memory.txt
checkpoints=$work/checkpoints.txt

ql_start_window_manager || exit 1
# A second window to hand the focus to.
xmessage -geometry 200x60+800+10 "soak" >/dev/null 2>&1 &
other_pid=$!
# The probe, where a C compiler is at hand, reads resident memory and the
# live heap at frame ends.
probe=()
cc -O2 -shared -fPIC -o "$work/heap_probe.so" "$root/tests/soak/heap_probe.c" -ldl 2>/dev/null &&
  probe=(env LD_PRELOAD="$work/heap_probe.so" QL_HEAP_PROBE="$work/heap.txt"
    ASAN_OPTIONS="verify_asan_link_order=0:${ASAN_OPTIONS:-}")  # a sanitized program's runtime then comes second
# A sanitized build reports as the test suites do; its allocator keeps freed
# blocks back to catch late uses, so there its memory is not judged.
sanitized=0
case "$(ldd "$build/$program" 2>/dev/null)" in *libasan*) sanitized=1 ;; esac
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd "$work" && GLIBC_TUNABLES=glibc.malloc.mmap_threshold=65536:glibc.malloc.trim_threshold=131072:glibc.malloc.arena_max=2 \
  exec "${probe[@]}" "$build/$program" >output.txt 2>&1) &
pid=$!
window=$(ql_wait_window "$title" 60) || { kill "$pid"; cat "$work/output.txt"; exit 1; }
other=$(xdotool search --class xmessage 2>/dev/null | head -n 1)
ql_focus "$window"
read -r start_w start_h < <(xdotool getwindowgeometry --shell "$window" | awk -F= '/WIDTH|HEIGHT/ {printf "%s ", $2}')

alive() { kill -0 "$pid" 2>/dev/null; }
# Brings the window back and gives it the focus. Mapping it restores it where
# activation alone may not, on a loaded machine, and it would stay minimised.
restore() {
  xdotool windowmap "$window" >/dev/null 2>&1
  ql_focus "$window"
}

# Whether the program presented a frame in the last 2 s, as the probe saw.
# Without the focus it waits for messages and draws nothing.
presenting() {
  local last
  last=$(tail -n 1 "$work/heap.txt" 2>/dev/null | cut -d' ' -f1)
  [ -n "$last" ] && [ $(($(date +%s) - last)) -le 2 ]
}

# restore, again until frames come (up to 5 times) where the probe can tell.
restore_drawing() {
  local attempt
  for attempt in 1 2 3 4 5; do
    restore
    [ ${#probe[@]} -eq 0 ] && return 0
    sleep 2
    presenting && return 0
  done
  return 1
}

keys=(s l x v p f F1 space Shift_L Control_L Up Down Left Right Prior Next Return KP_Enter a 1)
random_action() {
  case $((RANDOM % 12)) in
    0 | 1 | 2 | 3) ql_press "${keys[RANDOM % ${#keys[@]}]}" "0.$((RANDOM % 4 + 1))" ;;
    4 | 5) xdotool mousemove --window "$window" $((RANDOM % 800)) $((RANDOM % 600)) ;;
    6) xdotool click $((RANDOM % 3 + 1)) ;;
    7) xdotool windowsize "$window" $((RANDOM % 700 + 200)) $((RANDOM % 500 + 150)) ;;
    8) xdotool windowminimize "$window"; sleep "0.$((RANDOM % 9 + 1))"; restore ;;
    9) [ -n "$other" ] && xdotool windowactivate "$other" >/dev/null 2>&1; sleep "0.$((RANDOM % 9 + 1))"; restore ;;
    10) xdotool windowmove "$window" $((RANDOM % 300)) $((RANDOM % 200)) ;;
    *) sleep 0.3 ;;
  esac
}

# The display toggles: every combination of them needs its own shader
# programs, here and in the GL driver, built once on first use.
toggles=(s x v p f F1)
# All 64 combinations, one press a step in Gray-code order (step k flips the
# toggle of k's lowest set bit), then F1 once more: back where it started.
walk_toggles() {
  local step bit
  for ((step = 1; step < 64; step++)); do
    bit=0
    while (((step >> bit & 1) == 0)); do bit=$((bit + 1)); done
    ql_press "${toggles[bit]}" 0.3
    sleep 0.3
  done
  ql_press F1 0.3
}

warm_up() {
  local key
  for key in "${keys[@]}"; do ql_press "$key" 0.6; sleep 0.2; ql_press "$key" 0.6; done
  walk_toggles
  xdotool windowsize --sync "$window" 900 650 >/dev/null 2>&1; sleep 1
  xdotool windowsize --sync "$window" 200 150 >/dev/null 2>&1; sleep 1
  xdotool windowminimize "$window"; sleep 1; restore; sleep 1
  [ -n "$other" ] && xdotool windowactivate "$other" >/dev/null 2>&1; sleep 1; restore
}

# The lowest resident size while a command runs, sampled every 0.1 s.
lowest_during() {
  local samples=$work/samples.tmp sampler
  (while :; do
     awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null
     sleep 0.1
   done >"$samples") &
  sampler=$!
  "$@"
  kill "$sampler" 2>/dev/null
  wait "$sampler" 2>/dev/null
  sort -n "$samples" | head -n 1
}

# The lowest of a column of the probe's frame-end readings since a time.
lowest_probed() {  # lowest_probed <from> <column>
  awk -v from="$1" -v column="$2" '$1 >= from && (min == "" || $column < min) {min = $column} END {print min}' \
    "$work/heap.txt" 2>/dev/null
}

# At the start size and the start view (Return puts the camera back), the
# lowest resident size through every combination of the display toggles,
# and the lowest live heap meanwhile: a figure that does not depend on the
# state the random actions left behind.
checkpoint() {
  local lowest from heap=
  restore_drawing
  xdotool windowsize --sync "$window" "$start_w" "$start_h" >/dev/null 2>&1
  ql_press Return 0.3
  sleep 3
  restore_drawing
  from=$(date +%s)
  if [ ${#probe[@]} -gt 0 ]; then
    walk_toggles
    lowest=$(lowest_probed "$from" 2)
    heap=$(lowest_probed "$from" 3)
  else
    lowest=$(lowest_during walk_toggles)
  fi
  if [ -n "$lowest" ]; then
    echo "$(($(date +%s) - start)) $lowest ${heap:--}" >>"$checkpoints"
  else
    echo "soak: no reading at the checkpoint at $(($(date +%s) - start)) s: no frame was presented" >&2
  fi
}

start=$(date +%s)
end=$((start + minutes * 60))
# Seconds since the start and resident KiB, once a second.
(while [ -r "/proc/$pid/status" ]; do
   echo "$(($(date +%s) - start)) $(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null)"
   sleep 1
 done >"$memory") &
sampler=$!
warm_up
actions=0
next=$((start + 60))
while alive && [ "$(date +%s)" -lt "$end" ]; do
  if [ "$(date +%s)" -ge "$next" ]; then
    checkpoint
    next=$((next + 180))
    continue
  fi
  random_action
  actions=$((actions + 1))
  sleep "0.$((RANDOM % 3))"
done
alive && checkpoint

crashed=0
alive || crashed=1
kill "$sampler" 2>/dev/null
if [ "$crashed" = 0 ]; then
  xdotool windowsize "$window" "$start_w" "$start_h" >/dev/null 2>&1
  for _ in 1 2 3 4 5 6; do
    restore
    ql_press Escape 0.4
    sleep 1
    alive || break
  done
fi
ended=1
if alive; then
  ended=0
  kill "$pid"
fi
status=0
wait "$pid" || status=$?
kill "$other_pid" 2>/dev/null
ql_stop_window_manager

log=$work/log.txt
failed=0
verdict() {  # verdict <name> <command...>
  if "${@:2}"; then echo "ok - $1"; else echo "FAIL - $1"; failed=1; fi
}
# The lower of two checkpoints at each end where there are four or more, so
# the two ends never share one.
count=$(wc -l <"$checkpoints" 2>/dev/null || echo 0)
pair=1
[ "$count" -ge 4 ] && pair=2
lower() { cut -d' ' -f2 | sort -n | head -n 1; }
baseline=$(head -n "$pair" "$checkpoints" 2>/dev/null | lower)
final=$(tail -n "$pair" "$checkpoints" 2>/dev/null | lower)
peak=$(awk 'NF == 2 && $1 >= 60 && $2 > max {max = $2} END {print max}' "$memory")
growth=$(( ${final:-0} - ${baseline:-0} ))
echo "soak $which: $minutes min, $actions random actions"
echo "resident memory at the start size: ${baseline:-?} KiB after the first minute, ${final:-?} KiB at the end" \
  "(growth $growth KiB; peak ${peak:-?} KiB)"
echo "checkpoints (s, resident KiB, live heap KiB):"
sed 's/^/  /' "$checkpoints" 2>/dev/null
verdict "the program ran the whole time" [ "$crashed" = 0 ]
memory_held() { [ "$count" -ge 2 ] && [ "$growth" -le 1024 ]; }
if [ "$sanitized" = 1 ]; then
  echo "skip - resident memory (a sanitized build's allocator keeps freed blocks)"
else
  verdict "resident memory grew by at most 1 MiB after the first minute" memory_held
fi
no_sanitizer_report() { ! grep -E -m 5 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$work/output.txt"; }
verdict "the output holds no sanitizer report" no_sanitizer_report
no_error_record() {
  ! grep -q '] Error :' "$log" && return 0
  grep '] Error :' "$log" | sort | uniq -c | head -n 5
  return 1
}
verdict "the log holds no Error record" no_error_record
verdict "Escape ended it$([ "$ended" = 1 ] || echo ' (it did not: killed)')" [ "$ended" = 1 ]
verdict "with exit code 0 (was $status)" [ "$status" = 0 ]
verdict "the log ends with the shutdown records" bash -c \
  "grep -q 'Graphics Engine correctly shutdown' '$log' && grep -q 'Input Engine correctly shutdown' '$log' &&
   grep -q 'Quarlight Engine correctly shutdown' '$log' && tail -n 3 '$log' | grep -q EOF"
exit "$failed"
