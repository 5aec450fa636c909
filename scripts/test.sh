#!/usr/bin/env bash
# The whole suite: set-up (packages, configure, build), the formatting check,
# every test, then the same core tests again built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
#   SKIP_SANITIZERS=1 scripts/test.sh   skips the second pass
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check_format.sh
# The links and end-to-end tests run as an unprivileged user (see
# scripts/as_normal_user.sh), who must be able to read the built programs.
[ "$(id -u)" -ne 0 ] || chmod -R a+rX "${BUILD_DIR:-build}"
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)" --timeout 300

if [ -z "${SKIP_SANITIZERS:-}" ]; then
  echo "== the same tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
  BUILD_DIR=build-asan BUILD_TYPE=Debug \
    CMAKE_ARGS="-DTORVANE_SANITIZE=ON -DTORVANE_BUILD_GUI=OFF -DTORVANE_BUILD_BENCH=OFF" \
    scripts/setup.sh
  [ "$(id -u)" -ne 0 ] || chmod -R a+rX build-asan
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 300
fi
