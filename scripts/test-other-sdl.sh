#!/usr/bin/env bash
# Runs a build's whole suite again on the other SDL 1.2: classic SDL 1.2 when
# the machine has sdl12-compat (the default), sdl12-compat when it has the
# classic one. Both carry the same library interface (libSDL-1.2.so.0), so
# the same binaries run on either. The other library's Debian package is
# fetched and unpacked under BUILD/other-sdl/, not installed (the two
# replace each other machine-wide), and the tests find it first through
# LD_LIBRARY_PATH.
#   bash scripts/test-other-sdl.sh [BUILD]     (BUILD defaults to build-test)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-test}" && pwd)
other=$build/other-sdl

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
if installed libsdl1.2-compat-shim; then
    package=libsdl1.2debian
    name="classic SDL 1.2"
else
    package=libsdl1.2-compat
    name=sdl12-compat
fi

# What the other library needs besides itself (X11, sound, SDL 2), which
# does not clash with the SDL 1.2 in place.
missing=()
while read -r needed; do
    case $needed in libsdl1.2* | "<"*) continue ;; esac
    installed "$needed" || missing+=("$needed")
done < <(apt-cache depends --no-recommends --no-suggests "$package" |
    awk '$1 == "Depends:" {print $2}' | sed 's/:any$//')
if [ ${#missing[@]} -gt 0 ]; then
    sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends \
        "${missing[@]}"
fi

rm -rf "$other"
mkdir -p "$other/lib"
(cd "$other" && apt-get download "$package" >/dev/null 2>&1) ||
    { echo "could not fetch $package" >&2; exit 1; }
dpkg-deb -x "$other"/*.deb "$other/root"
library=$(find "$other/root" -name 'libSDL-1.2.so.*' -type f | head -n 1)
[ -n "$library" ] || { echo "no libSDL-1.2 in $package" >&2; exit 1; }
ln -s "$library" "$other/lib/libSDL-1.2.so.0"
export LD_LIBRARY_PATH="$other/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
echo "running the suite on $name: $(ldd "$build/game/mosslance-hero" | grep 'libSDL-1.2')"
# The level tools' player tests touch no SDL; they ran once already.
ctest --test-dir "$build" --output-on-failure -j 2 -LE players
