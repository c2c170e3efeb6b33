#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the
# normal suite, then the same suite on the other SDL 1.2 (classic SDL 1.2
# beside the default sdl12-compat), then the browser version in headless
# Chromium, then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then each fuzzer (the parsers and the fast
# drawing) for a bounded time
# (FUZZ_SECONDS, 60 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
cmake -S . -B build-test -DMOSSLANCE_TESTS=ON
cmake --build build-test -j "$(nproc)"
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
bash scripts/test-other-sdl.sh build-test
bash scripts/test-web.sh build-test
bash scripts/test-sanitize.sh
bash scripts/fuzz.sh
