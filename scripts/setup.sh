#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then
# configures and builds everything into build/ (a Release build unless
# BUILD_TYPE says otherwise).
#   scripts/setup.sh            install + configure + build
#   BUILD_DIR=... scripts/setup.sh   another build folder
#   EXTRA_PACKAGES="..." scripts/setup.sh   also these packages (a script's own)
#   BUILD_TARGET=... scripts/setup.sh   build only this target
#   CMAKE_ARGS=-DCMAKE_UNITY_BUILD=ON scripts/setup.sh   a unity build, as scripts/test.sh makes
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build g++ pkg-config googletest libgtest-dev libgmock-dev
          libbenchmark-dev qt6-base-dev clang clang-format libclang-rt-14-dev
          xvfb xauth fonts-dejavu-core fonts-wqy-microhei openbox x11-utils xdotool edid-decode
          nlohmann-json3-dev libmicrohttpd-dev chromium chromium-driver python3-selenium libmosquitto-dev mosquitto mosquitto-clients openssl
          help2man librsvg2-bin desktop-file-utils bash-completion man-db file dpkg-dev
          ${EXTRA_PACKAGES:-})

scripts/install_packages.sh "${PACKAGES[@]}"

BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" ${CMAKE_ARGS:-}
cmake --build "$BUILD_DIR" -j"$(nproc)" --target "${BUILD_TARGET:-all}"
