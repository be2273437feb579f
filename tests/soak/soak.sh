#!/usr/bin/env bash
# Soak run: the sample (or the skinned demo) under Xvfb for a long time with
# random keys, mouse moves and clicks, window resizes, minimise and restore,
# and focus changes. Then Escape. Checks that resident memory grows by at most
# 1 MiB after the first minute (both measured at the start size), that the log
# holds no Error record and ends with the shutdown records, and exit code 0.
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

if [ "${QL_SOAK_INSIDE:-}" != 1 ]; then
  QL_SOAK_INSIDE=1 SDL_VIDEODRIVER=x11 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$which" "$minutes" "$build"
fi

source "$root/scripts/xsession.sh"
work=$build/soak-$which
rm -rf "$work"
mkdir -p "$work"
ln -s "$root/data" "$work/data"
memory=$work/memory.txt

ql_start_window_manager || exit 1
# A second window to hand the focus to.
xmessage -geometry 200x60+800+10 "soak" >/dev/null 2>&1 &
other_pid=$!
(cd "$work" && exec "$build/$program" >output.txt 2>&1) &
pid=$!
window=$(ql_wait_window "$title" 60) || { kill "$pid"; cat "$work/output.txt"; exit 1; }
other=$(xdotool search --class xmessage 2>/dev/null | head -n 1)
ql_focus "$window"
read -r start_w start_h < <(xdotool getwindowgeometry --shell "$window" | awk -F= '/WIDTH|HEIGHT/ {printf "%s ", $2}')

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null; }
alive() { kill -0 "$pid" 2>/dev/null; }
# Memory is compared at the start size: the back buffer follows the window.
settled_rss() {
  xdotool windowactivate --sync "$window" >/dev/null 2>&1
  xdotool windowsize --sync "$window" "$start_w" "$start_h" >/dev/null 2>&1
  sleep 3
  rss_kib
}

keys=(s l x v p f F1 space Shift_L Control_L Up Down Left Right Prior Next Return KP_Enter a 1)
random_action() {
  case $((RANDOM % 12)) in
    0 | 1 | 2 | 3) ql_press "${keys[RANDOM % ${#keys[@]}]}" "0.$((RANDOM % 4 + 1))" ;;
    4 | 5) xdotool mousemove --window "$window" $((RANDOM % 800)) $((RANDOM % 600)) ;;
    6) xdotool click $((RANDOM % 3 + 1)) ;;
    7) xdotool windowsize "$window" $((RANDOM % 700 + 200)) $((RANDOM % 500 + 150)) ;;
    8) xdotool windowminimize "$window"; sleep "0.$((RANDOM % 9 + 1))"; ql_focus "$window" ;;
    9) [ -n "$other" ] && xdotool windowactivate "$other" >/dev/null 2>&1; sleep "0.$((RANDOM % 9 + 1))"; ql_focus "$window" ;;
    10) xdotool windowmove "$window" $((RANDOM % 300)) $((RANDOM % 200)) ;;
    *) sleep 0.3 ;;
  esac
}

start=$(date +%s)
end=$((start + minutes * 60))
baseline=
next_sample=$start
actions=0
while alive && [ "$(date +%s)" -lt "$end" ]; do
  now=$(date +%s)
  if [ -z "$baseline" ] && [ "$now" -ge $((start + 60)) ]; then
    baseline=$(settled_rss)
    echo "$((now - start)) $baseline baseline" >>"$memory"
  fi
  if [ "$now" -ge "$next_sample" ]; then
    echo "$((now - start)) $(rss_kib)" >>"$memory"
    next_sample=$((now + 10))
  fi
  random_action
  actions=$((actions + 1))
  sleep "0.$((RANDOM % 3))"
done

crashed=0
alive || crashed=1
final=
if [ "$crashed" = 0 ]; then
  final=$(settled_rss)
  echo "$(($(date +%s) - start)) $final final" >>"$memory"
  for _ in 1 2 3 4 5 6; do
    ql_focus "$window"
    ql_press Escape 0.4
    sleep 1
    alive || break
  done
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
growth=$(( ${final:-0} - ${baseline:-0} ))
echo "soak $which: $minutes min, $actions random actions"
echo "resident memory: ${baseline:-?} KiB after the first minute, ${final:-?} KiB at the end (growth $growth KiB)"
verdict "the program ran the whole time" [ "$crashed" = 0 ]
memory_held() { [ -n "$baseline" ] && [ -n "$final" ] && [ "$growth" -le 1024 ]; }
verdict "resident memory grew by at most 1 MiB after the first minute" memory_held
verdict "the log holds no Error record" bash -c "! grep -n '] Error :' '$log'"
verdict "Escape ended it with exit code 0 (was $status)" [ "$status" = 0 ]
verdict "the log ends with the shutdown records" bash -c \
  "grep -q 'Graphics Engine correctly shutdown' '$log' && grep -q 'Input Engine correctly shutdown' '$log' &&
   grep -q 'Quarlight Engine correctly shutdown' '$log' && tail -n 3 '$log' | grep -q EOF"
exit "$failed"
