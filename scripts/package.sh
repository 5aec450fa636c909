#!/usr/bin/env bash
# Builds the Debian package dist/torvane_VERSION_ARCH.deb in its own build
# folder, installed under /usr, and checks it with lintian: any error fails.
#   scripts/package.sh                  build-package/ and dist/
#   BUILD_DIR=... scripts/package.sh    another build folder
set -euo pipefail
cd "$(dirname "$0")/.."

export BUILD_DIR="${BUILD_DIR:-build-package}"
# lintian only this script needs; scripts/setup.sh installs the rest.
EXTRA_PACKAGES="lintian" BUILD_TARGET=torvane_installed_files \
  CMAKE_ARGS="-C cmake/debian_build_flags.cmake -DCMAKE_INSTALL_PREFIX=/usr -DTORVANE_BUILD_BENCH=OFF ${CMAKE_ARGS:-}" \
  scripts/setup.sh
# The package must hold every file an installation holds.
ctest --test-dir "$BUILD_DIR" --output-on-failure -R '^Packaging\.InstalledFiles$' --no-tests=error

rm -f dist/torvane_*.deb
(cd "$BUILD_DIR" && cpack -G DEB -D CPACK_OUTPUT_FILE_PREFIX="$OLDPWD/dist")
deb=$(ls dist/torvane_*.deb)
lintian --fail-on error "$deb"
echo "package: $deb"
