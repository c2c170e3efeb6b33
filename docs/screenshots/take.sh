#!/usr/bin/env bash
# Takes the README's screenshots of the real game: installs the build into a
# temporary prefix, starts the installed launcher on a virtual X display and
# photographs the title menu, level 1 while the hero jumps its first gap, the
# end of the level, the level menu with that attempt counted, and level 1
# practised.
#   bash docs/screenshots/take.sh [BUILD]   (BUILD defaults to build)
# The full-screen and big-screen pictures come from tests/player/big_screens.sh
# (SHOTS_DIR=docs/screenshots bash tests/player/big_screens.sh BUILD/game .).
# The jump is timed by the clock, so on a busy machine the hero may miss the
# gap; run it again then.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
work=$(mktemp -d /tmp/mosslance-shots-XXXXXX)
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY

(cd "$work" && HOME="$work/home" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
    exec "$work/prefix/bin/mosslance-hero") >/dev/null 2>&1 &
game_pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name "MOSSLANCE Hero" | head -n 1)
x=$(xwininfo -id "$window" | awk '/Absolute upper-left X:/ {print $4}')
y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y:/ {print $4}')
shot() { import -window root -crop "720x480+$x+$y" +repage -strip "$here/$1.png"; }

sleep 2
shot title
xdotool key space  # "Jouer"
sleep 0.8
xdotool key space  # level 1; the ready picture, then the level
# The first gap of level 1 comes under the hero about 5 seconds on: jump
# it, and photograph the hero in the air above it.
sleep 4.4
xdotool keydown space
sleep 0.7
xdotool keyup space
sleep 0.25
shot level
sleep 14  # the hero runs on until it misses a gap
shot level-end
# Back to the level menu, which now counts that attempt, and level 1
# practised: a few checkpoints on, the hero in the air.
xdotool key Down space
sleep 0.8
xdotool key space
sleep 0.8
shot level-menu-progress
xdotool key e
sleep 4.4
xdotool keydown space
sleep 0.7
xdotool keyup space
sleep 2.5
xdotool keydown space
sleep 0.45
shot practice
xdotool keyup space
xdotool key Escape
sleep 0.8
xdotool key Escape
wait "$game_pid" || true
game_pid=""
echo "wrote $here/title.png, level.png, level-end.png, level-menu-progress.png and practice.png"
