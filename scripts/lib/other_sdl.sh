# Sourced. fetch_other_sdl DIR: the SDL 1.2 this machine does not have
# installed, ready to run the same binaries on: classic SDL 1.2 beside
# sdl12-compat (the default), sdl12-compat beside classic SDL 1.2. Both carry
# the same library interface (libSDL-1.2.so.0). The other library's Debian
# package is fetched and unpacked under DIR/other-sdl/, not installed (the
# two replace each other machine-wide); with what it needs besides itself
# (X11, sound, SDL 2) installed. Sets other_sdl_name and other_sdl_lib (a
# folder to put first on LD_LIBRARY_PATH); false, with a message, when the
# package cannot be had.

other_sdl_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

fetch_other_sdl() {
    local dir=$1/other-sdl package
    if other_sdl_installed libsdl1.2-compat-shim; then
        package=libsdl1.2debian
        other_sdl_name="classic SDL 1.2"
    else
        package=libsdl1.2-compat
        other_sdl_name=sdl12-compat
    fi
    local missing=() needed
    while read -r needed; do
        case $needed in libsdl1.2* | "<"*) continue ;; esac
        other_sdl_installed "$needed" || missing+=("$needed")
    done < <(apt-cache depends --no-recommends --no-suggests "$package" |
        awk '$1 == "Depends:" {print $2}' | sed 's/:any$//')
    if [ ${#missing[@]} -gt 0 ]; then
        local sudo=()
        [[ $(id -u) -ne 0 ]] && sudo=(sudo)
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends \
            "${missing[@]}" || return 1
    fi
    rm -rf "$dir"
    mkdir -p "$dir/lib"
    (cd "$dir" && apt-get download "$package" >/dev/null 2>&1) ||
        { echo "could not fetch $package" >&2; return 1; }
    dpkg-deb -x "$dir"/*.deb "$dir/root"
    local library
    library=$(find "$dir/root" -name 'libSDL-1.2.so.*' -type f | head -n 1)
    [ -n "$library" ] || { echo "no libSDL-1.2 in $package" >&2; return 1; }
    ln -s "$library" "$dir/lib/libSDL-1.2.so.0"
    other_sdl_lib=$dir/lib
}
