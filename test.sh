#!/usr/bin/env bash
# Sets up, builds and runs every test; then the core tests once more under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the tests that start threads under
# ThreadSanitizer (a data race fails the run).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh test

jobs=${JOBS:-2}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DROWBIT_SANITIZE=ON -DROWBIT_BUILD_UI=OFF
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -L "core|threads" -LE peer

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROWBIT_SANITIZE_THREAD=ON \
      -DROWBIT_BUILD_UI=OFF
cmake --build build-tsan -j"$jobs" --target thread_test_programs
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir build-tsan --output-on-failure -j"$jobs" -L threads
