#!/usr/bin/env bash
# The real game's window on big screens, and full screen, under virtual X
# displays of 2560x1440 and 1920x1080: the window's size, its crisp pixels,
# F11 and Alt+Enter in and out of full screen with black bars, and the
# display's mode left as it was. With SHOTS_DIR set, the screenshots are
# copied there (docs/screenshots/ keeps them).
# $1: the build's game folder; $2: the source folder (unused here).
set -u

game_dir=$1
source "$(dirname "$0")/lib/session.sh"

for tool in Xvfb xdotool xwininfo xdpyinfo import convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
export SDL_AUDIODRIVER=dummy
source "$(dirname "$0")/lib/library_leaks.sh"
use_library_leak_suppressions "$work"
source "$(dirname "$0")/lib/virtual_display.sh"

# The largest value of any channel in a part of a picture (0 is black).
brightest() {
    convert "$1" -crop "$2" +repage -format '%[fx:maxima.r*255+maxima.g*255+maxima.b*255]' info:
}

# One screen: WIDTHxHEIGHT, the window's size there, and where the picture
# lies in full screen (WxH+X+Y).
check_screen() {
    local screen=$1 window_size=$2 picture=$3
    local name=$screen
    start_virtual_display "$work" "$screen" ||
        { fail "$screen: Xvfb did not start: $(cat "$work/xvfb.log")"; return; }
    local mode_before
    mode_before=$(xdpyinfo | awk '/dimensions:/ {print $2}')
    (cd "$game_dir" && SDL_VIDEODRIVER=x11 exec ./mosslance-hero >"$work/out" 2>"$work/err") &
    game_pid=$!
    local window
    window=$(timeout 20 xdotool search --sync --onlyvisible --name "MOSSLANCE Hero" | head -n 1)
    if [ -z "$window" ]; then
        fail "$screen: no window"
        return
    fi
    xdotool windowfocus "$window" 2>/dev/null
    sleep 1.5
    local size
    size=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
    [ "$size" = "$window_size" ] || fail "$screen: the window is $size, not $window_size"
    import -window "$window" "$work/window-$name.png"
    # Crisp: shrinking the window's picture to 720x480 by taking one pixel of
    # each block and enlarging it again changes nothing.
    local scale=$((${window_size%x*} / 720))
    convert "$work/window-$name.png" -sample 720x480! -sample "$window_size!" "$work/blocks.png"
    local changed
    changed=$(compare -metric AE "$work/window-$name.png" "$work/blocks.png" null: 2>&1)
    [ "$changed" = 0 ] || fail "$screen: the window at $scale x is not in whole blocks ($changed)"

    xdotool key F11
    sleep 1.5
    # A desktop's window manager puts a full-screen window over the whole
    # screen. Xvfb has none: classic SDL 1.2 places its full-screen window
    # itself, but SDL 2 (under sdl12-compat) leaves that to the manager, so
    # here the script does it.
    local fullscreen_window
    for fullscreen_window in $(xdotool search --onlyvisible --name "MOSSLANCE Hero"); do
        xwininfo -id "$fullscreen_window" | grep -q "Width: ${screen%x*}\$" &&
            xdotool windowmove "$fullscreen_window" 0 0
    done
    sleep 0.5
    import -window root "$work/fullscreen-$name.png"
    [ "$(xdpyinfo | awk '/dimensions:/ {print $2}')" = "$mode_before" ] ||
        fail "$screen: full screen changed the display's mode"
    local w=${picture%%x*} rest=${picture#*x}
    local h=${rest%%+*} x=${picture#*+}
    x=${x%%+*}
    [ "$(brightest "$work/fullscreen-$name.png" "${x}x${h}+0+0")" = 0 ] ||
        fail "$screen: the left bar is not black"
    [ "$(brightest "$work/fullscreen-$name.png" "${x}x${h}+$((x + w))+0")" = 0 ] ||
        fail "$screen: the right bar is not black"
    # The picture fills its place: its first and last columns are not black.
    [ "$(brightest "$work/fullscreen-$name.png" "1x${h}+${x}+0")" != 0 ] ||
        fail "$screen: the picture does not start at x $x"
    [ "$(brightest "$work/fullscreen-$name.png" "1x${h}+$((x + w - 1))+0")" != 0 ] ||
        fail "$screen: the picture does not reach x $((x + w - 1))"

    xdotool key alt+Return
    sleep 1.5
    window=$(xdotool search --onlyvisible --name "MOSSLANCE Hero" | head -n 1)
    size=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
    [ "$size" = "$window_size" ] || fail "$screen: back from full screen, the window is $size"
    xdotool windowfocus "$window" 2>/dev/null
    xdotool key Escape
    for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$game_pid" 2>/dev/null; then
        fail "$screen: Escape did not end the game"
        kill "$game_pid"
    fi
    wait "$game_pid" 2>/dev/null
    game_pid=""
    if [ -n "${SHOTS_DIR:-}" ]; then
        cp "$work/window-$name.png" "$work/fullscreen-$name.png" "$SHOTS_DIR/"
    fi
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    echo "$screen: window $size, full screen picture $picture"
}

check_screen 2560x1440 1440x960 2160x1440+200+0
check_screen 1920x1080 720x480 1620x1080+150+0

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "big screens and full screen: all checks passed"
