#!/usr/bin/env bash
# Builds the browser version with the data of a native build (build-test by
# default) and plays it in headless Chromium: tests/web/browser_test.js
# checks the page, the title menu against the native game's, a level played
# to its end, and the records kept in the browser's storage; it prints the
# download size and the timings. tests/web/phone_test.js plays it by touch
# on a phone held sideways. tests/web/board_test.js plays it served by the
# leaderboard server, the world board's page half.
#   bash scripts/test-web.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}

bash scripts/web.sh --build-only "$build/game"
cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target web-title-frames mosslance-server -j "$(nproc)" >/dev/null

# puppeteer-core at the version tests/web/package-lock.json pins, installed
# beside the page's build rather than in the sources.
tools=build-web/tools
if ! cmp -s tests/web/package-lock.json "$tools/package-lock.json" ||
    [ ! -d "$tools/node_modules/puppeteer-core" ]; then
  mkdir -p "$tools"
  cp tests/web/package.json tests/web/package-lock.json "$tools/"
  (cd "$tools" && npm ci --no-audit --no-fund --loglevel=error)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tests/web-title-frames" "$build/game" "$work"
# Every browser test runs, whichever fails.
export NODE_PATH="$PWD/$tools/node_modules"
status=0
node tests/web/browser_test.js build-web "$work" || status=1
node tests/web/offline_test.js build-web || status=1
node tests/web/phone_test.js build-web || status=1
node tests/web/board_test.js build-web "$build/game" "$build/server/mosslance-server" || status=1
exit $status
