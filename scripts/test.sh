#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the plain build, a short run
# of every fuzz target, and the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
#   FUZZ_SECONDS=N   seconds per fuzz target (default 15; 0 skips fuzzing)
#   SANITIZE=0       skips the sanitizer build
#   TSAN=0           skips the ThreadSanitizer build of the cross-thread
#                    tests (engine, speech thread)
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"

if [ "${FUZZ_SECONDS:-15}" != 0 ]; then
  bash scripts/fuzz.sh "${FUZZ_SECONDS:-15}"
fi

# Tests that drive a window need an X server; Qt tests use the offscreen platform.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$JOBS"

if [ "${SANITIZE:-1}" != 0 ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALVANE_SANITIZE=ON
  cmake --build build-asan -j "$JOBS"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir build-asan --output-on-failure -j "$JOBS"
fi

# The engine library may be told to terminate from a second thread while it
# recognises, every library call crosses to the speech thread, and a voice
# training is cancelled from the window's thread while it runs on a worker:
# those tests again under ThreadSanitizer.
if [ "${TSAN:-1}" != 0 ]; then
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVANE_TSAN=ON
  cmake --build build-tsan -j "$JOBS" --target test_engine test_libraries test_training
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir build-tsan -L 'engine|libraries|training' \
      -R 'Terminate|StateMachine|SpeechThread|AdaptationRunner|CancelStops' --output-on-failure
fi
