#!/usr/bin/env bash
# Plays the real game as a player would, on a virtual X display: title menu,
# level choice, a level played to its end, the end-of-level screen and its
# record file, the level played again, back to the title, quit.
#   $1: the build's game folder (holds mosslance-hero)   $2: the source folder
set -u

game_dir=${1:?usage: full_run.sh BUILD/game SOURCE}
binary="$game_dir/mosslance-hero"
[ -x "$binary" ] || { echo "FAIL: no game at $binary"; exit 1; }
for tool in Xvfb xdotool xwininfo awk; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

work=$(mktemp -d /tmp/mosslance-full-run-XXXXXX)
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$game_pid" ] && wait "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- game output ---"
    cat "$work/stdout.txt" "$work/stderr.txt" 2>/dev/null
    exit 1
}

# The data: one level whose floor (row 30) ends at column 238. The hero stands
# at y 290 on it, and after the space bar is tapped it drops at 5 pixels a
# frame, so it walks off in frame 238 - 31 = 207 and is below row 500 after 43
# more frames: the final score is 250, whose square is the record.
floor_end=238
expected_score=250
expected_square=62500

cp "$binary" "$work/"
mkdir -p "$work/Story" "$work/Save" "$work/Niveaux" "$work/Player"
printf '0 Niveaux/run.lvl\n' >"$work/Story/game.story"
printf '1\n' >"$work/Save/save.sv"
printf 'name machin\n' >"$work/Player/hero.hr"
{
    printf 'limite 100000\n#Collisions\n'
    awk -v end="$floor_end" 'BEGIN {
        for (c = 0; c < 10000; c++) {
            line = ""
            for (r = 0; r < 80; r++) line = line (r ? " " : "") ((r == 30 && c < end) ? 1 : 0)
            print line
        }
    }'
} >"$work/Niveaux/run.lvl"
# No animation files are written: the game reports each one it misses on its
# standard output, which tells this script which screen it has reached
# (the enemy animation when a level starts, the end animation when it ends).
level_marker="Enemies/ennemi-01.imga"
end_marker="Title/gameover.imga"

source "$(dirname "$0")/lib/virtual_display.sh"
start_virtual_display "$work" || fail "no virtual display could be started: $(cat "$work/xvfb.log")"

source "$(dirname "$0")/lib/library_leaks.sh"
use_library_leak_suppressions "$work"

(cd "$work" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy exec ./mosslance-hero \
    >"$work/stdout.txt" 2>"$work/stderr.txt") &
game_pid=$!

window=""
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "MOSSLANCE Hero" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game exited before opening its window"
    sleep 0.1
done
[ -n "$window" ] || fail "no window named MOSSLANCE Hero"
size=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
[ "$size" = "720x480" ] || fail "the window is $size, not 720x480"
xdotool windowfocus "$window" 2>/dev/null
sleep 0.5

press() {
    xdotool key --delay 60 "$@"
    sleep 0.3
}
# Waits until the game has written `marker` `count` times.
wait_for() {
    local marker=$1 count=$2 what=$3
    local seen
    for _ in $(seq 600); do
        seen=$(grep -cF "$marker" "$work/stdout.txt" 2>/dev/null)
        [ "${seen:-0}" -ge "$count" ] && return 0
        kill -0 "$game_pid" 2>/dev/null || fail "the game exited while waiting for $what"
        sleep 0.1
    done
    fail "timed out waiting for $what"
}
# One play of the level: a tap of the space bar once the hero stands on the
# floor, so that it walks off at the dropping speed, then wait for the end.
play_level() {
    local round=$1
    wait_for "$level_marker" "$round" "level start $round"
    sleep 1.5
    press space
    wait_for "$end_marker" "$round" "level end $round"
    sleep 0.5
}

press space          # title menu: start
press space          # level choice: level 0, then the ready picture
play_level 1
for _ in $(seq 50); do
    [ -f "$work/Save/records-0.rcd" ] && break
    sleep 0.1
done
record=$(cat "$work/Save/records-0.rcd" 2>/dev/null)
[ "$record" = "$expected_square" ] ||
    fail "records-0.rcd holds '$record', expected $expected_square (score $expected_score)"
[ "$(cat "$work/Save/save.sv")" = "1" ] || fail "save.sv was not rewritten as 1"

press space          # end of level: play again
play_level 2
record=$(cat "$work/Save/records-0.rcd" 2>/dev/null)
[ "$record" = "$expected_square" ] || fail "after an equal score records-0.rcd holds '$record'"

press Down space     # end of level: back to the title
sleep 0.5
press Down Down space  # title menu: quit

status=""
for _ in $(seq 100); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
        wait "$game_pid"
        status=$?
        game_pid=""
        break
    fi
    sleep 0.1
done
[ -n "$status" ] || fail "the game did not quit from the title menu"
[ "$status" = 0 ] || fail "the game exited with status $status"
echo "PASS: full run, score $expected_score, record file $expected_square"
