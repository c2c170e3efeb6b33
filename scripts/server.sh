#!/usr/bin/env bash
# Installs what is missing, builds the game, the page and the leaderboard
# server, and serves the whole site (the page and the API) on
# http://127.0.0.1:8080/ on SQLite, in build/leaderboard/leaderboard.sqlite.
#   bash scripts/server.sh [mosslance-server options, e.g. --listen 0.0.0.0:8080]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --server
bash scripts/web.sh --build-only  # build/game first, then the page into build-web/
cmake -S . -B build -DMOSSLANCE_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)" --target mosslance-server
mkdir -p build/leaderboard
exec build/server/mosslance-server --data build/game --web build-web \
  --database build/leaderboard/leaderboard.sqlite "$@"
