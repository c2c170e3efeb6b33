#!/usr/bin/env bash
# Starts the real game as a player does: its window under a virtual X
# server, a start without any data files, and a start without a display.
# $1: the build's game folder; $2: the source folder (unused here).
set -u

game_dir=$1
source "$(dirname "$0")/lib/session.sh"

# Waits up to $2 tenths of a second for process $1 to end; its status goes
# to $status (124 when it had to be killed).
wait_for_exit() {
    local pid=$1 tenths=$2
    for ((i = 0; i < tenths; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        status=124
    else
        wait "$pid"
        status=$?
    fi
}

[ -x "$game_dir/mosslance-hero" ] || { echo "no game binary in $game_dir" >&2; exit 1; }
# No sound device is needed, and none is guessed at.
export SDL_AUDIODRIVER=dummy
source "$(dirname "$0")/lib/library_leaks.sh"
use_library_leak_suppressions "$work"

source "$(dirname "$0")/lib/virtual_display.sh"
start_virtual_display "$work" || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
display=$DISPLAY

# 1. The window. Only a story and a saved-game file, so that the game stays
# on its title menu; every picture and sound is missing and simply not shown.
mkdir -p "$work/window/Story" "$work/window/Save"
cp "$game_dir/mosslance-hero" "$work/window/"
printf '0 Niveaux/niveau-0.lvl\n' >"$work/window/Story/game.story"
printf '2\n' >"$work/window/Save/save.sv"
(cd "$work/window" && DISPLAY=$display SDL_VIDEODRIVER=x11 exec ./mosslance-hero \
    >"$work/window.out" 2>"$work/window.err") &
game_pid=$!
window=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name "MOSSLANCE Hero" |
    head -n 1)
if [ -z "$window" ]; then
    fail "no visible window named \"MOSSLANCE Hero\""
else
    info=$(DISPLAY=$display xwininfo -id "$window")
    width=$(awk '/^ *Width:/ {print $2}' <<<"$info")
    height=$(awk '/^ *Height:/ {print $2}' <<<"$info")
    depth=$(awk '/^ *Depth:/ {print $2}' <<<"$info")
    [ "$width" = 720 ] || fail "window width $width, not 720"
    [ "$height" = 480 ] || fail "window height $height, not 480"
    # X counts a window's depth in colour bits (24 on this server); its
    # pixels take the bits per pixel of that depth's pixmap format.
    bpp=$(DISPLAY=$display xdpyinfo |
        sed -n "s/^ *depth $depth, bits_per_pixel \([0-9]*\),.*/\1/p")
    [ "$bpp" = 32 ] || fail "window of depth $depth has $bpp bits per pixel, not 32"
    DISPLAY=$display xdotool key Escape
fi
wait_for_exit "$game_pid" 100
game_pid=""
if [ "$status" != 0 ]; then
    fail "Escape on the title menu: exit status $status, not 0"
    head -n 40 "$work/window.err" >&2
fi

# 2. No data at all: the two open messages, nothing else, and a normal exit.
mkdir -p "$work/empty"
cp "$game_dir/mosslance-hero" "$work/empty/"
(cd "$work/empty" && DISPLAY=$display SDL_VIDEODRIVER=x11 exec ./mosslance-hero \
    >"$work/empty.out" 2>"$work/empty.err") &
game_pid=$!
wait_for_exit "$game_pid" 200
game_pid=""
if [ "$status" != 0 ]; then
    fail "without data files: exit status $status, not 0"
    head -n 40 "$work/empty.err" >&2
fi
printf '\n\nImpossible d'"'"'ouvrir le fichier Hero Title/hero.imga !! 404 Not found !\n\n' \
    >"$work/expected.out"
printf '\n\nImpossible d'"'"'ouvrir le fichier Story/game.story !! 404 Not found !\n\n' \
    >>"$work/expected.out"
if ! cmp -s "$work/expected.out" "$work/empty.out"; then
    fail "without data files, the messages differ:"
    diff <(od -c "$work/expected.out") <(od -c "$work/empty.out") >&2
fi

# 3. No display: status 1 and the reason on the error stream, both with the
# X11 driver asked for and with no driver named (SDL 1.2 would then fall
# back to drawing on the terminal with characters).
missing=1000
while [ -e "/tmp/.X11-unix/X$missing" ] || [ -e "/tmp/.X$missing-lock" ]; do
    missing=$((missing + 1))
done
run_without_display() {
    local label=$1
    shift
    (cd "$work/empty" && exec env "$@" ./mosslance-hero </dev/null >"$work/nodisplay.out" \
        2>"$work/nodisplay.err") &
    game_pid=$!
    wait_for_exit "$game_pid" 200
    game_pid=""
    if [ "$status" != 1 ]; then
        fail "$label: exit status $status, not 1"
        head -n 40 "$work/nodisplay.err" >&2
    fi
    grep -q "MOSSLANCE Hero" "$work/nodisplay.err" ||
        fail "$label: no message on the error stream"
    echo "$label: $(cat "$work/nodisplay.err")"
}
run_without_display "x11 without its display" SDL_VIDEODRIVER=x11 DISPLAY=":$missing"
run_without_display "no driver and no DISPLAY" -u SDL_VIDEODRIVER -u DISPLAY

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "start-up as a player: all checks passed"
