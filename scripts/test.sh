#!/usr/bin/env bash
# All tests: the native unit tests, then the Windows tests of QUORVALE.DLL under Wine.
# Exits non-zero when anything fails.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$QV_ROOT/scripts/setup.sh" || exit 1

failed=()
cleanup() { qv_stop_wine; qv_stop_xvfb; }
trap cleanup EXIT

echo "=== native: configure and build"
if qv_configure_native && cmake --build "$QV_NATIVE_BUILD" -j"$QV_JOBS"; then
  echo "=== native: tests"
  ctest --test-dir "$QV_NATIVE_BUILD" --output-on-failure -j"$QV_JOBS" || failed+=("native tests")
else
  failed+=("native build")
fi

echo "=== windows: configure and build"
if qv_configure_windows && cmake --build "$QV_WIN_BUILD" -j"$QV_JOBS"; then
  echo "=== windows: tests under Wine"
  if qv_start_xvfb && qv_start_wine; then
    # One at a time: the tests share one desktop, its focus and its mouse.
    ctest --test-dir "$QV_WIN_BUILD" --output-on-failure -j1 || failed+=("windows tests")
  else
    failed+=("wine start")
  fi
  cleanup
else
  failed+=("windows build")
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "=== FAILED: ${failed[*]}"
  exit 1
fi
echo "=== all tests passed"
