#!/usr/bin/env bash
# The whole suite: set-up (packages, configure, build), the formatting check,
# every test on a Release build (as a packager makes it, so the optimiser's
# warnings are seen too), then the core tests again built as Debug with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the tests of the
# program's threads (the serial port's monitoring thread and the loop's
# hand-off, in-process and in torvanectl over a pseudo-terminal) built as
# RelWithDebInfo with ThreadSanitizer: each build type builds and is tested.
# Warnings are errors in every build of this command (TORVANE_WERROR).
# Last, the Windows build under Wine (scripts/windows.sh).
# Each pass prints how long it took. Every build of this command is a unity
# build (a few sources compiled as one), which halves the compile time of a
# fresh machine; a developer's scripts/setup.sh keeps one file per object.
#   SKIP_SANITIZERS=1 scripts/test.sh   skips both sanitizer passes
#   SKIP_WINDOWS=1 scripts/test.sh      skips the Windows build
set -euo pipefail
cd "$(dirname "$0")/.."
passed() { echo "== $1 took $((SECONDS - ${2})) s =="; }
start=$SECONDS
UNITY="-DCMAKE_UNITY_BUILD=ON"
CMAKE_ARGS="-DTORVANE_WERROR=ON $UNITY ${CMAKE_ARGS:-}" scripts/setup.sh
passed "set-up and the Release build" "$start"
scripts/check_format.sh

# The links and end-to-end tests run as an unprivileged user (see
# scripts/as_normal_user.sh), who must be able to reach and read the built
# programs and the sources' test data, even in a clone under root's home.
let_the_test_user_in() {
  [ "$(id -u)" -eq 0 ] || return 0
  chmod -R a+rX "$1"
  local dir
  dir="$(pwd -P)"
  while [ "$dir" != "/" ]; do
    chmod o+x "$dir"
    dir="$(dirname "$dir")"
  done
}
let_the_test_user_in "${BUILD_DIR:-build}"
start=$SECONDS
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j"$(nproc)" --timeout 300
passed "the tests" "$start"

if [ -z "${SKIP_SANITIZERS:-}" ]; then
  echo "== the same tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
  start=$SECONDS
  BUILD_DIR=build-asan BUILD_TYPE=Debug \
    CMAKE_ARGS="-DTORVANE_WERROR=ON $UNITY -DTORVANE_SANITIZE=ON -DTORVANE_BUILD_GUI=OFF -DTORVANE_BUILD_BENCH=OFF" \
    scripts/setup.sh
  let_the_test_user_in build-asan
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 300
  passed "the sanitized build and its tests" "$start"
fi

if [ -z "${SKIP_SANITIZERS:-}" ]; then
  echo "== the threads under ThreadSanitizer =="
  start=$SECONDS
  # Only what the threaded tests need: the links, the window against the
  # simulator, and torvanectl, with the simulator and torvanectl they start
  # built the same way.
  tsan_tests=(torvane_links_tests torvane_e2e_tests torvane_cli_tests)
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTORVANE_WERROR=ON $UNITY -DTORVANE_SANITIZE_THREAD=ON -DTORVANE_BUILD_GUI=OFF -DTORVANE_BUILD_BENCH=OFF
  cmake --build build-tsan -j"$(nproc)" --target "${tsan_tests[@]}"
  # A report in a child (torvanectl, torvane-sim) ends it with status 66, which
  # the test that started it sees as a failure.
  export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1"
  # The programs run side by side, those that mostly wait for the processes
  # they start split into shards, each shard into a file of its own: a
  # passing one shows its count, a failing one its whole output, and any
  # failure fails the pass once all have ended.
  declare -A tsan_shards=([torvane_cli_tests]=3 [torvane_e2e_tests]=2)
  runs=() pids=()
  for t in "${tsan_tests[@]}"; do
    shards=${tsan_shards[$t]:-1}
    for ((shard = 0; shard < shards; shard++)); do
      GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$shard \
        build-tsan/tests/"$t" --gtest_brief=1 >"build-tsan/$t.$shard.out" 2>&1 &
      runs+=("$t.$shard") pids+=($!)
    done
  done
  tsan_failed=()
  for i in "${!runs[@]}"; do
    if wait "${pids[$i]}"; then
      echo "${runs[$i]}: $(grep -E '^\[  PASSED  \]' "build-tsan/${runs[$i]}.out")"
    else
      cat "build-tsan/${runs[$i]}.out"
      tsan_failed+=("${runs[$i]}")
    fi
  done
  if ((${#tsan_failed[@]})); then
    echo "failed under ThreadSanitizer: ${tsan_failed[*]}"
    exit 1
  fi
  passed "the ThreadSanitizer build and its tests" "$start"
fi

if [ -z "${SKIP_WINDOWS:-}" ]; then
  echo "== the Windows build, its tests under Wine, torvanectl.exe against torvane-sim =="
  start=$SECONDS
  SIM="${BUILD_DIR:-build}/torvane-sim" CMAKE_ARGS="$UNITY" scripts/windows.sh
  passed "the Windows build and its tests under Wine" "$start"
fi
