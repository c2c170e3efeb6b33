#!/usr/bin/env bash
# Installs what is missing, builds the game and its data, and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DMOSSLANCE_TESTS=OFF
cmake --build build -j "$(nproc)"
cd build/game && exec ./mosslance-hero
