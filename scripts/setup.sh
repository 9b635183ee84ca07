#!/usr/bin/env bash
# Installs what the builds and the tests need, on Debian 12 as root. Safe to run again: it
# only installs what is missing and is quick when everything is there.
set -euo pipefail

packages=(cmake make g++ gcc-multilib libgtest-dev libbenchmark-dev
          mingw-w64 g++-mingw-w64-i686-posix
          wine wine32:i386 wine64 xvfb xauth)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

updated=0
apt_update() {
  if [ "$updated" = 0 ]; then
    apt-get update -q
    updated=1
  fi
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  apt_update
fi

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

# QUORVALE.DLL is a 32-bit library, so its tests need 32-bit Wine. On kernels that cannot run
# 32-bit programs (IA-32 emulation off), 32-bit Wine runs under qemu-i386 via binfmt_misc.
runs_i386() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
if ! runs_i386; then
  # Bookworm's qemu 7.2 mishandles the fixed mappings Wine makes; the backported qemu does not.
  if ! grep -rqs '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "deb http://deb.debian.org/debian bookworm-backports main" > /etc/apt/sources.list.d/qv-backports.list
    updated=0
  fi
  if ! qemu-i386-static --version 2>/dev/null | grep -qE 'version ([89]|[1-9][0-9])\.'; then
    apt_update
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q -t bookworm-backports qemu-user-static
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  fi
  # Amd64's qemu package registers no i386 handler (i386 is normally native): register one.
  # The F flag opens the emulator now, so a re-registration picks up an upgraded qemu.
  if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386; fi
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    > /proc/sys/fs/binfmt_misc/register
  if ! runs_i386; then
    echo "setup: cannot run 32-bit Wine on this machine (native or through qemu-i386)" >&2
    exit 1
  fi
  echo "setup: 32-bit programs run through qemu-i386 (the kernel has no 32-bit support)"
fi
echo "setup: ready"
