#!/usr/bin/env bash
# The whole suite: set-up (packages, configure, build), then every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)" --timeout 300
