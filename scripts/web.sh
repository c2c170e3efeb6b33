#!/usr/bin/env bash
# Installs what is missing, builds the browser version into build-web/ and
# serves it on http://127.0.0.1:8000/.
#   bash scripts/web.sh [--build-only] [GAME_DIR]
# The page ships the data tree of a native build: GAME_DIR, or build/game,
# which is built first (as scripts/play.sh does) when GAME_DIR is not given.
set -euo pipefail
cd "$(dirname "$0")/.."
serve=1
if [[ "${1:-}" == "--build-only" ]]; then
  serve=0
  shift
fi
bash scripts/install-deps.sh --web

game_dir=${1:-}
if [[ -z "$game_dir" ]]; then
  cmake -S . -B build -DMOSSLANCE_TESTS=OFF >/dev/null
  cmake --build build -j "$(nproc)"
  game_dir=build/game
fi
game_dir=$(cd "$game_dir" && pwd)

# Debian's emcc finds its JavaScript parser among Debian's node modules.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build-web -DMOSSLANCE_WEB_DATA="$game_dir" >/dev/null
cmake --build build-web -j "$(nproc)"

if [[ $serve -eq 1 ]]; then
  exec node web/serve.js build-web 8000
fi
