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

PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 googletest cmake ninja-build ccache)
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

echo "== the core, torvanectl.exe and the tests, cross-built =="
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
  -DTORVANE_WINDOWS_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DTORVANE_WERROR=ON \
  -DTORVANE_BUILD_GUI=OFF -DTORVANE_BUILD_BENCH=OFF ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
