#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan) and runs the whole test suite there, the real game's player
# tests included: any sanitizer report fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan

cmake -S . -B "$build" -DMOSSLANCE_SANITIZE=ON -DMOSSLANCE_TESTS=ON -DMOSSLANCE_LEVEL_PLAYS=100 \
    >/dev/null
cmake --build "$build" -j "$(nproc)"

# Leaks count as failures (but for the few that system libraries make, see
# the suppression file); a report stops the program with a non-zero status.
# SDL 2 (under sdl12-compat) is built without frame pointers: the slower
# unwinding shows which of the library's calls made a block.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:fast_unwind_on_malloc=0
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# The player model's thousands of plays per level (label "players") run in
# the normal build; here the model runs in its own tests and in the build.
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -LE players
