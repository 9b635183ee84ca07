#!/usr/bin/env bash
# Benchmarks: the native benchmark of the core, then the Window Message benchmark of
# QUORVALE.DLL under Wine.
#
#   bash scripts/bench.sh [native|windows] [Google Benchmark flags for the programs...]
#
# Google Benchmark for the 32-bit Windows build is not packaged; it is built from Debian's
# source package, fetched once into build/gbench. The Windows benchmark builds in a tree of its
# own (build/win-bench) with its own Wine prefix, so that it leaves the test tree build/win and
# its wineserver alone.
#
# Environment:
#   QV_BENCH_BUILD   Windows build tree of the benchmark (default build/win-bench)
#   QV_WINEPREFIX    Wine prefix (default <tree>/wineprefix)
#   QV_BENCH_TIMEOUT seconds before the Windows benchmark is stopped (default 7200; a whole
#                    run takes about 75 minutes under Wine through qemu, most of it in the runs
#                    with the Window Message open on the desktop)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

what=all
case "${1:-}" in
  native | windows) what=$1; shift ;;
esac
QV_WIN_BUILD=${QV_BENCH_BUILD:-$QV_ROOT/build/win-bench}
QV_GBENCH_DIR=$QV_ROOT/build/gbench
QV_BENCH_TIMEOUT=${QV_BENCH_TIMEOUT:-7200}

bash "$QV_ROOT/scripts/setup.sh" || exit 1

cleanup() { qv_stop_wine; qv_stop_xvfb; }
trap cleanup EXIT
failed=()

# The newest unpacked Google Benchmark source in build/gbench, if any.
gbench_source() {
  local d found=
  for d in "$QV_GBENCH_DIR"/benchmark-*/; do
    [ -f "$d/CMakeLists.txt" ] && found=${d%/}
  done
  [ -n "$found" ] && echo "$found"
}

# Fetches Debian's source package of Google Benchmark (same release as libbenchmark-dev).
fetch_gbench() {
  gbench_source >/dev/null && return 0
  # apt-get source needs a deb-src entry; add one for the release only when none serves it.
  if ! apt-get source --print-uris benchmark >/dev/null 2>&1; then
    local codename list=/etc/apt/sources.list.d/qv-src.list keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    # The entry must name the same key as the binary entry of that archive (apt refuses two
    # different ones): try with the archive keyring, then without; keep the first apt accepts.
    local opt ok=
    for opt in "[signed-by=$keyring] " ""; do
      case "$opt" in *signed-by*) [ -f "$keyring" ] || continue ;; esac
      echo "deb-src ${opt}http://deb.debian.org/debian $codename main" > "$list"
      if apt-get -qq indextargets >/dev/null 2>&1; then ok=1; break; fi
    done
    if [ -z "$ok" ]; then
      rm -f "$list"
      echo "bench: cannot add a deb-src entry for $codename" >&2
      return 1
    fi
    apt-get update -q || return 1
  fi
  mkdir -p "$QV_GBENCH_DIR"
  if command -v dpkg-source >/dev/null; then
    # Unpacks and applies Debian's patches.
    (cd "$QV_GBENCH_DIR" && apt-get source -q benchmark) || return 1
  else
    (cd "$QV_GBENCH_DIR" && apt-get source -q --download-only benchmark) || return 1
    local orig
    orig=$(ls "$QV_GBENCH_DIR"/benchmark_*.orig.tar.* 2>/dev/null | tail -n 1)
    [ -n "$orig" ] || return 1
    local version
    version=$(basename "$orig" | sed -E 's/^benchmark_(.*)\.orig\.tar\..*$/\1/')
    mkdir -p "$QV_GBENCH_DIR/benchmark-$version"
    tar -xf "$orig" -C "$QV_GBENCH_DIR/benchmark-$version" --strip-components=1 || return 1
  fi
  gbench_source >/dev/null
}

if [ "$what" != windows ]; then
  echo "=== native: configure and build qv_benchmarks"
  if qv_configure_native && cmake --build "$QV_NATIVE_BUILD" -j"$QV_JOBS" --target qv_benchmarks; then
    echo "=== native: DEBUGL with 10 / 1,000 / 100,000 distinct labels (window and file off)"
    "$QV_NATIVE_BUILD/qv_benchmarks" "$@" || failed+=("native benchmark")
  else
    failed+=("native build")
  fi
fi

if [ "$what" != native ]; then
  echo "=== windows: Google Benchmark sources"
  if fetch_gbench && src=$(gbench_source); then
    echo "using $src"
    echo "=== windows: configure and build winmsg_bench ($QV_WIN_BUILD)"
    if cmake --no-warn-unused-cli -S "$QV_ROOT" -B "$QV_WIN_BUILD" -G "Unix Makefiles" \
         -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-i686.cmake" \
         -DQV_WIN_BENCHMARKS=ON -DQV_GBENCH_SOURCE_DIR="$src" >/dev/null &&
       cmake --build "$QV_WIN_BUILD" -j"$QV_JOBS" --target winmsg_bench; then
      run_dir=$QV_WIN_BUILD/benchrun/winmsg_bench
      # A fresh directory: no Quorvale.Cfg may change the library's settings.
      rm -rf "$run_dir" && mkdir -p "$run_dir"
      echo "=== windows: Window Message benchmark under Wine"
      if qv_start_xvfb && qv_start_wine; then
        (cd "$run_dir" && timeout --kill-after=10 "$QV_BENCH_TIMEOUT" \
          "$QV_ROOT/cmake/wine-run.sh" "$QV_WIN_BUILD/bin/winmsg_bench.exe" --benchmark_color=false "$@")
        rc=$?
        if [ $rc = 124 ] || [ $rc = 137 ]; then echo "winmsg_bench.exe did not finish within $QV_BENCH_TIMEOUT s" >&2; fi
        [ $rc = 0 ] || failed+=("windows benchmark (exit code $rc)")
      else
        failed+=("wine start")
      fi
      cleanup
    else
      failed+=("windows build")
    fi
  else
    failed+=("Google Benchmark sources")
  fi
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "=== FAILED: ${failed[*]}"
  exit 1
fi
echo "=== benchmarks done"
