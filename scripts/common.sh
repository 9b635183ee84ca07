# Shared by test.sh and main.sh (sourced).
QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QV_NATIVE_BUILD=$QV_ROOT/build/native
QV_WIN_BUILD=$QV_ROOT/build/win
QV_JOBS=2

qv_configure_native() {
  cmake -S "$QV_ROOT" -B "$QV_NATIVE_BUILD" -G "Unix Makefiles" >/dev/null
}
qv_configure_windows() {
  cmake -S "$QV_ROOT" -B "$QV_WIN_BUILD" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-i686.cmake" >/dev/null
}

# One X server for the whole run (Wine binds its desktop to the first display it sees).
QV_XVFB_PID=
qv_start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QV_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$QV_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$QV_XVFB_PID" 2>/dev/null
    wait "$QV_XVFB_PID" 2>/dev/null
    QV_XVFB_PID=
  done
  echo "cannot start Xvfb" >&2
  return 1
}
qv_stop_xvfb() {
  if [ -n "$QV_XVFB_PID" ]; then
    kill "$QV_XVFB_PID" 2>/dev/null
    wait "$QV_XVFB_PID" 2>/dev/null
    QV_XVFB_PID=
  fi
}

# Wine for the Windows build tree, with its own prefix and one wineserver for the run.
qv_start_wine() {
  # shellcheck source=../cmake/wine-env.sh
  source "$QV_ROOT/cmake/wine-env.sh"
  qv_wine_env "$QV_WIN_BUILD" && qv_wine_start
}
qv_stop_wine() {
  if declare -F qv_wine_stop >/dev/null; then qv_wine_stop; fi
}
