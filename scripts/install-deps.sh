#!/usr/bin/env bash
# Installs the Debian packages the game needs to build and run (with --web,
# also what the browser version needs; with --server, what the leaderboard
# server needs; with --tests, what every test needs, the browser's and the
# server's included), skipping what is already there.
#
# SDL 1.2 is sdl12-compat (libsdl1.2-compat-dev), the SDL 1.2 that current
# distributions ship, on SDL 2 with its Wayland and X11 support. With
# MOSSLANCE_SDL=classic it is the classic SDL 1.2 (libsdl1.2-dev) instead;
# the two replace each other, machine-wide.
set -euo pipefail

sdl_dev=libsdl1.2-compat-dev
[[ "${MOSSLANCE_SDL:-}" == classic ]] && sdl_dev=libsdl1.2-dev
packages=(build-essential cmake pkg-config
  "$sdl_dev" libsdl-image1.2-dev libsdl-ttf2.0-dev libsdl-mixer1.2-dev libmpg123-dev
  librsvg2-bin lame fonts-dejavu-core fonts-liberation libpng-dev zlib1g-dev
  nlohmann-json3-dev libcurl4-openssl-dev)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(googletest libgtest-dev xvfb xdotool x11-utils imagemagick sox valgrind
    clang libclang-rt-dev clang-format)
fi
if [[ "${1:-}" == "--tests" || "${1:-}" == "--server" ]]; then
  # The server's HTTP, JSON and databases; PostgreSQL itself for its tests
  # (pg_virtualenv), curl, wrk and sqlite3 for its process tests and benchmark.
  packages+=(libcpp-httplib-dev libsqlite3-dev libpq-dev libssl-dev
    postgresql postgresql-common curl wrk sqlite3)
fi
if [[ "${1:-}" == "--tests" || "${1:-}" == "--web" ]]; then
  # emcc needs node-acorn; the page is tested in headless Chromium; pngquant
  # makes the page's level-menu pictures smaller.
  packages+=(emscripten node-acorn chromium pngquant)
  command -v npm >/dev/null || packages+=(npm)
fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for package in "${packages[@]}"; do
  if ! installed "$package"; then
    missing+=("$package")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
