#!/usr/bin/env bash
# The Windows build: cross-compiles the core, torvanectl.exe and the test
# programs that need no POSIX processes with MinGW-w64 into build-windows/,
# and runs them under Wine; then drives torvanectl.exe against the Linux
# torvane-sim, by TCP and through a COM port of the Wine prefix mapped to the
# simulator's pseudo-terminal. Installs the toolchain and Wine through apt-get
# when they are missing.
#   scripts/windows.sh                  everything
#   BUILD_DIR=... scripts/windows.sh    another build folder
#   SIM=path/to/torvane-sim             the simulator to drive (default build/sim)
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)

PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 googletest nlohmann-json3-dev cmake ninja-build
          ccache)
scripts/install_packages.sh "${PACKAGES[@]}"

BUILD_DIR="$(mkdir -p "${BUILD_DIR:-build-windows}" && cd "${BUILD_DIR:-build-windows}" && pwd)"
TOOLCHAIN="$PWD/cmake/mingw-w64.cmake"
PREFIX="$BUILD_DIR/prefix"

echo "== GoogleTest for Windows, from Debian's source =="
if [ ! -f "$PREFIX/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$BUILD_DIR/googletest" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$BUILD_DIR/googletest" -j"$(nproc)"
  cmake --install "$BUILD_DIR/googletest" >/dev/null
fi

# nlohmann-json is headers only: Debian's copy serves the Windows build too,
# from the Windows prefix, so no other header of the build machine is seen.
if [ ! -f "$PREFIX/share/cmake/nlohmann_json/nlohmann_jsonConfig.cmake" ]; then
  mkdir -p "$PREFIX/include" "$PREFIX/share/cmake"
  cp -r /usr/include/nlohmann "$PREFIX/include/"
  cp -r /usr/share/cmake/nlohmann_json "$PREFIX/share/cmake/"
fi

echo "== the core, torvanectl.exe and the tests, cross-built =="
# Unoptimised and without debug information: the quickest to compile, and
# the tests under Wine run as fast either way.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
  -DTORVANE_WINDOWS_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0 \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DTORVANE_WERROR=ON \
  -DTORVANE_BUILD_GUI=OFF -DTORVANE_BUILD_BENCH=OFF ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"

echo "== a fresh Wine prefix =="
# Console programs need no display; Wine's Mono and Gecko are not wanted.
export WINEPREFIX="$BUILD_DIR/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
export WINE="$(command -v wine64 || command -v wine)"
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w

echo "== the test programs under Wine =="
total=0
failed=()
for t in "$BUILD_DIR"/tests/torvane_*_tests.exe; do
  status=0
  out=$("$WINE" "$t" --gtest_brief=1 2>&1) || status=$?
  n=$(echo "$out" | sed -n 's/^\[==========\] \([0-9]*\) tests\? from.*/\1/p' | tail -1)
  if [ "$status" -ne 0 ]; then
    echo "$out"
    failed+=("$(basename "$t")")
  fi
  echo "$(basename "$t"): ${n:-0} tests ran"
  total=$((total + ${n:-0}))
done
echo "windows: $total tests ran under Wine"

echo "== torvanectl.exe against torvane-sim, by TCP and through a COM port =="
SIM="${SIM:-build/torvane-sim}"
[ -x "$SIM" ] || { echo "windows: $SIM is missing (build it with scripts/setup.sh)"; exit 1; }
work="$BUILD_DIR/sim-run"
rm -rf "$work" && mkdir -p "$work"
"$SIM" --port 0 --no-udp --link "$work/tty" --restart 300 --ready-delay 200 \
  >"$work/sim.out" 2>&1 </dev/null &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" && break; sleep 0.1; done
tcp=$(sed -n 's/^tcp \(.*\)$/\1/p' "$work/sim.out")
[ -n "$tcp" ] || { cat "$work/sim.out"; echo "windows: torvane-sim did not start"; exit 1; }
# The simulator's pseudo-terminal becomes COM17 of the prefix: Wine's mount
# manager reads the ports named here when Wine starts, makes the
# dosdevices/com17 link and names the port in the serial device map.
"$WINE" reg add 'HKLM\Software\Wine\Ports' /v COM17 /t REG_SZ /d "$work/tty" /f >/dev/null
wineserver -k 2>/dev/null || true
com='\\.\COM17'

ctl() {
  local expect=$1
  shift
  local out status=0
  out=$("$WINE" "$BUILD_DIR/torvanectl.exe" "$@" 2>&1) || status=$?
  out=${out//$'\r'/}
  if [ "$status" -ne 0 ] || ! grep -q -- "$expect" <<<"$out"; then
    echo "$out"
    echo "windows: torvanectl.exe $* exited $status, expected \"$expect\""
    exit 1
  fi
  echo "torvanectl.exe $*: ok"
}
# An EDID file in a folder whose name Windows' ANSI code page cannot hold.
mkdir -p "$work/Prüfung Ω"
cp tests/data/edid/dell_u2415.bin "$work/Prüfung Ω/ÉDID.bin"
head -c 5000 /dev/urandom >"$work/firmware.bin"

ctl 'Serial port (COM17)' ports
for link in "--tcp $tcp" "--serial $com"; do
  # shellcheck disable=SC2086
  ctl 'Power: on' $link status
  # shellcheck disable=SC2086
  ctl 'OUTPUT B: IN3' $link route 3 B
  # shellcheck disable=SC2086
  ctl 'OUTPUT H: IN8' $link matrix
  # shellcheck disable=SC2086
  ctl 'Set successfully!' $link edid file "$work/Prüfung Ω/ÉDID.bin" 2
done
ctl 'Firmware upgrade successfully' --serial "$com" upgrade "$work/firmware.bin"
# The switcher's profile, locked and written under the prefix's APPDATA.
ctl 'IN1: Kämera' --serial "$com" name input 1 Kämera
ctl 'IN1: Kämera' --serial "$com" names

echo "windows: done in $(($(date +%s) - started)) s"
if ((${#failed[@]})); then
  echo "windows: failed under Wine: ${failed[*]}"
  exit 1
fi
