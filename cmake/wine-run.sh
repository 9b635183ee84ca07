#!/usr/bin/env bash
# Runs a Windows program under Wine; the Windows build uses it as its cross-compiling
# emulator, so ctest runs the Windows tests through it.
#
#   wine-run.sh PROGRAM.exe [ARGS...]
#
# Environment:
#   DISPLAY        X display for the program's windows (required; scripts/test.sh starts Xvfb).
#   QV_WINEPREFIX  Wine prefix; default <build>/wineprefix, where <build> is the parent of the
#                  program's directory (the Windows build puts its programs in <build>/bin).
# The program runs in the current directory; its directory holds QUORVALE.DLL. The exit code
# is the program's.
set -u

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
prog=$1
shift
if [ ! -f "$prog" ]; then
  echo "wine-run: no such program: $prog" >&2
  exit 2
fi
prog_dir=$(cd "$(dirname "$prog")" && pwd)
prog="$prog_dir/$(basename "$prog")"

if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: DISPLAY is not set; start an X server (e.g. Xvfb :99) and export DISPLAY" >&2
  exit 2
fi

# shellcheck source=wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
qv_wine_env "$(dirname "$prog_dir")" || exit 2
qv_wine_init || { echo "wine-run: initialising $WINEPREFIX failed" >&2; exit 2; }

# Without a server started by the caller (scripts/test.sh keeps one for the whole run), keep
# this one alive a little, so that a series of programs does not restart Wine's services.
wineserver -p30 >/dev/null 2>&1

exec wine "$prog" "$@"
