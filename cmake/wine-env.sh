# Wine environment of a Windows build tree; sourced by wine-run.sh and the scripts.
#
#   source cmake/wine-env.sh
#   qv_wine_env BUILD_DIR    # exports WINEPREFIX (BUILD_DIR/wineprefix, or $QV_WINEPREFIX) etc.
#   qv_wine_init             # creates the prefix once (about 10-40 s)
#   qv_wine_start            # fresh persistent wineserver bound to $DISPLAY, services started
#   qv_wine_stop             # ends the prefix's wineserver and every Wine process in it
#
# Wine binds its desktop to the X display of the first process of a server session, so a run
# uses one X server and one wineserver from start to end.
#
# On kernels without 32-bit support (no native i386 ELF), 32-bit Wine runs under qemu-i386
# through binfmt_misc (scripts/setup.sh registers it); a small preloaded shim then fixes the
# emulator's handling of MAP_FIXED_NOREPLACE (see qemu_noreplace.c).

QV_CMAKE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

qv_wine_env() {
  local build=$1
  export WINEPREFIX=${QV_WINEPREFIX:-$build/wineprefix}
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if qv_wine_emulated; then
    qv_wine_shim "$build/wine-shim" || return 1
  fi
}

# True when i386 programs run through qemu (binfmt_misc) rather than natively.
qv_wine_emulated() {
  [ -r /proc/sys/fs/binfmt_misc/qemu-i386 ] && grep -q '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386
}

qv_wine_shim() {
  local dir=$1 src=$QV_CMAKE_DIR/qemu_noreplace.c
  local so32=$dir/lib/i386-linux-gnu/qv_noreplace.so so64=$dir/lib/x86_64-linux-gnu/qv_noreplace.so
  if [ ! -f "$so32" ] || [ "$src" -nt "$so32" ] || [ ! -f "$so64" ]; then
    mkdir -p "$(dirname "$so32")" "$(dirname "$so64")"
    local tmp
    tmp=$(mktemp -d) || return 1
    # ld.so expands $LIB per architecture; the 64-bit twin is empty and only keeps native
    # programs started by Wine (wineserver) from warning about the preload.
    if ! { gcc -m32 -O2 -fPIC -ffreestanding -fno-stack-protector -fno-builtin -c "$src" -o "$tmp/nr.o" &&
           ld -m elf_i386 -shared -o "$so32" "$tmp/nr.o" &&
           echo 'int qv_noreplace_native;' > "$tmp/e.c" &&
           gcc -shared -fPIC -o "$so64" "$tmp/e.c"; }; then
      echo "wine-env: cannot build the qemu shim (needs gcc and binutils)" >&2
      rm -rf "$tmp"
      return 1
    fi
    rm -rf "$tmp"
  fi
  export LD_PRELOAD="$dir/\$LIB/qv_noreplace.so"
  export QEMU_SET_ENV="LD_PRELOAD=$LD_PRELOAD"
}

qv_wine_init() {
  local ready=$WINEPREFIX/.qv-ready-3
  [ -f "$ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$ready" ]; then
      wine wineboot -i >/dev/null 2>&1 || exit 1
      # A crashing program ends at once: the debugger named here does not exist (without
      # one, Wine would start winedbg, which hangs under emulation).
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
        /t REG_SZ /d qv-no-debugger.exe /f >/dev/null 2>&1 || exit 1
      # Xvfb has no window manager: unmanaged windows vanish at once instead of after ~2 s.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || exit 1
      touch "$ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

qv_wine_start() {
  wineserver -k >/dev/null 2>&1
  qv_wine_init || { echo "wine-env: initialising $WINEPREFIX failed" >&2; return 1; }
  wineserver -k >/dev/null 2>&1
  wineserver -p || return 1
  # Start the prefix's services now, so that every program afterwards starts in a moment.
  wine wineboot >/dev/null 2>&1
  return 0
}

qv_wine_stop() {
  wineserver -k >/dev/null 2>&1
  return 0
}
