#!/usr/bin/env bash
# Builds the Debian package dist/torvane_VERSION_ARCH.deb in its own build
# folder, installed under /usr, and checks it with lintian: any error fails.
#   scripts/package.sh                  build-package/ and dist/
#   BUILD_DIR=... scripts/package.sh    another build folder
set -euo pipefail
cd "$(dirname "$0")/.."

# Only the packaging needs these; scripts/setup.sh installs the rest.
PACKAGING_PACKAGES=(lintian)
missing=()
for p in "${PACKAGING_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "package: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

export BUILD_DIR="${BUILD_DIR:-build-package}"
CMAKE_ARGS="-DCMAKE_INSTALL_PREFIX=/usr -DTORVANE_BUILD_BENCH=OFF ${CMAKE_ARGS:-}" scripts/setup.sh
# The package must hold every file an installation holds.
ctest --test-dir "$BUILD_DIR" --output-on-failure -R '^Packaging\.InstalledFiles$' --no-tests=error

rm -f dist/torvane_*.deb
(cd "$BUILD_DIR" && cpack -G DEB -D CPACK_OUTPUT_FILE_PREFIX="$OLDPWD/dist")
deb=$(ls dist/torvane_*.deb)
lintian --fail-on error "$deb"
echo "package: $deb"
