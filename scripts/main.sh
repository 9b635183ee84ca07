#!/usr/bin/env bash
# Main job: builds everything, runs the small client examples/first_trace under Wine with
# nobody at the screen, and prints the log file it wrote.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
QV_MAIN_TIMEOUT=${QV_MAIN_TIMEOUT:-300}

bash "$QV_ROOT/scripts/setup.sh" || exit 1
cleanup() { qv_stop_wine; qv_stop_xvfb; }
trap cleanup EXIT

echo "=== build (native and Windows)"
qv_configure_native && cmake --build "$QV_NATIVE_BUILD" -j"$QV_JOBS" || exit 1
qv_configure_windows && cmake --build "$QV_WIN_BUILD" -j"$QV_JOBS" || exit 1
[ -f "$QV_WIN_BUILD/bin/first_trace.exe" ] || { echo "first_trace.exe was not built" >&2; exit 1; }

run_dir=$QV_WIN_BUILD/run
mkdir -p "$run_dir"
rm -f "$run_dir/Quorvale_Log.Txt"

echo "=== run first_trace.exe under Wine (in $run_dir)"
qv_start_xvfb || exit 1
qv_start_wine || exit 1
(cd "$run_dir" && timeout --kill-after=10 "$QV_MAIN_TIMEOUT" \
  "$QV_ROOT/cmake/wine-run.sh" "$QV_WIN_BUILD/bin/first_trace.exe")
rc=$?
if [ $rc = 124 ] || [ $rc = 137 ]; then echo "first_trace.exe did not finish within $QV_MAIN_TIMEOUT s" >&2; fi
echo "first_trace.exe exit code: $rc"

echo "=== $run_dir/Quorvale_Log.Txt"
if [ -f "$run_dir/Quorvale_Log.Txt" ]; then
  sed 's/\r$//' "$run_dir/Quorvale_Log.Txt"
else
  echo "(no log file)"
  [ $rc = 0 ] && rc=1
fi
exit $rc
