#!/usr/bin/env bash
# Runs a build's whole suite again on the other SDL 1.2: classic SDL 1.2 when
# the machine has sdl12-compat (the default), sdl12-compat when it has the
# classic one (see scripts/lib/other_sdl.sh). The same binaries run on
# either; the tests find the other library first through LD_LIBRARY_PATH.
#   bash scripts/test-other-sdl.sh [BUILD]     (BUILD defaults to build-test)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-test}" && pwd)
source scripts/lib/other_sdl.sh
fetch_other_sdl "$build"
export LD_LIBRARY_PATH="$other_sdl_lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
echo "running the suite on $other_sdl_name: $(ldd "$build/game/mosslance-hero" | grep 'libSDL-1.2')"
# The level tools' player tests touch no SDL; they ran once already.
ctest --test-dir "$build" --output-on-failure -j 2 -LE players
