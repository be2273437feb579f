#!/usr/bin/env bash
# scripts/run-sample builds the model viewer with the sample and says how to
# run it. Run on a copy of the script, with setup, cmake and the sample
# replaced by stand-ins that record what they were asked.
#   run_sample_test.sh <source tree> <work directory>
set -uo pipefail
source_dir=$1
work=$2
rm -rf "$work"
mkdir -p "$work/tree/scripts" "$work/bin"
cp "$source_dir/scripts/run-sample" "$work/tree/scripts/"
printf '#!/bin/sh\n' >"$work/tree/scripts/setup"
# The stand-in cmake records its arguments and "builds" the sample.
cat >"$work/bin/cmake" <<'STUB'
#!/bin/sh
echo "$@" >>"$CMAKE_LOG"
mkdir -p build/sample
printf '#!/bin/sh\n' >build/sample/quarlight-sample
chmod +x build/sample/quarlight-sample
STUB
chmod +x "$work/bin/cmake" "$work/tree/scripts/setup"

output=$(cd "$work" && CMAKE_LOG="$work/cmake.log" DISPLAY=:stand-in PATH="$work/bin:$PATH" \
  bash tree/scripts/run-sample 2>&1)
status=$?
failed=0
expect() {  # expect <name> <command...>
  local name=$1
  shift
  if "$@"; then echo "ok - $name"; else echo "FAIL - $name"; failed=$((failed + 1)); fi
}
expect "run-sample ends well" test "$status" -eq 0
expect "it builds quarlight-view with the sample" grep -q -- "--target.*quarlight-sample.*quarlight-view" "$work/cmake.log"
expect "and says where the viewer is" grep -q "build/viewer/quarlight-view" <<<"$output"
[ "$failed" -eq 0 ] && echo "3 passed, 0 failed" || { echo "$output"; echo "$((3 - failed)) passed, $failed failed"; exit 1; }
