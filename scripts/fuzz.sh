#!/usr/bin/env bash
# Builds the fuzz targets with clang (address and undefined sanitizers) and
# runs one of them for a while, adding what it finds to a scratch corpus.
#   scripts/fuzz.sh [TARGET] [SECONDS]     e.g. scripts/fuzz.sh frames 60
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:-frames}"
seconds="${2:-60}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTORVANE_FUZZ=ON -DTORVANE_SANITIZE=ON -DTORVANE_BUILD_GUI=OFF -DTORVANE_BUILD_BENCH=OFF
cmake --build build-fuzz --target "fuzz_${target}"
mkdir -p "build-fuzz/corpus/${target}"
build-fuzz/fuzz/"fuzz_${target}" -max_total_time="${seconds}" \
  "build-fuzz/corpus/${target}" "fuzz/corpus/${target}"
