#!/usr/bin/env bash
# Plays a short session of the real game under valgrind's memcheck, on a
# virtual X display: title menu, level choice, a level played to its end,
# the end-of-level screen, back to the title menu, quit. Fails on any invalid
# read or write, use of an uninitialised value, or definitely lost block;
# what system libraries leak on their own is suppressed, and explained, in
# tests/sanitizer/valgrind.supp.
#   $1: the build's game folder (holds mosslance-hero)   $2: the source folder
set -u

game_dir=${1:?usage: valgrind.sh BUILD/game SOURCE}
source_dir=${2:?usage: valgrind.sh BUILD/game SOURCE}
for tool in valgrind Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
# A sanitizer build cannot run under valgrind; its own run covers it.
if nm -C "$game_dir/mosslance-hero" 2>/dev/null | grep -q __asan_init; then
    echo "SKIP: $game_dir/mosslance-hero is built with AddressSanitizer"
    exit 0
fi

work=$(mktemp -d /tmp/mosslance-valgrind-XXXXXX)
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/valgrind.log" ] && tail -n 80 "$work/valgrind.log"
    exit 1
}

# The shipped pictures, sounds and font, with a level of our own that ends
# soon: its floor stops 49 columns past the hero, after a bonus and an enemy
# (it falls at 5 pixels a frame: 92 frames + 50 - 100 is still a record).
tree=$work/game
cp -a "$game_dir" "$tree"
rm -f "$tree"/Save/*
mkdir -p "$tree/Story" "$tree/Save"
printf '0 Niveaux/valgrind.lvl\n' >"$tree/Story/game.story"
printf '1\n' >"$tree/Save/save.sv"
{
    printf 'img 3 Niveaux/niveau-1/extra.png\ntile 0 Niveaux/niveau-1/tile0.png\n'
    printf 'tile 1 Niveaux/niveau-1/tile1.png\n#Collisions\n'
    awk 'BEGIN {
        for (c = 0; c < 10000; c++) {
            line = ""
            for (r = 0; r < 80; r++) {
                v = (r == 30 && c < 80) ? 1 : 0
                if (c == 50 && r == 27) v = 2   # a bonus at the hero s waist
                if (c == 60 && r == 27) v = 3   # an enemy in its way
                if (c == 70 && r == 20) v = 4   # a stump in view
                line = line (r ? " " : "") v
            }
            print line
        }
    }'
} >"$tree/Niveaux/valgrind.lvl"

source "$(dirname "$0")/lib/virtual_display.sh"
start_virtual_display "$work" || fail "Xvfb did not start"

(cd "$tree" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy exec valgrind --tool=memcheck \
    --error-exitcode=99 --leak-check=full --show-leak-kinds=definite \
    --errors-for-leak-kinds=definite --num-callers=40 --gen-suppressions=all \
    --suppressions="$source_dir/tests/sanitizer/valgrind.supp" \
    --log-file="$work/valgrind.log" ./mosslance-hero >"$work/out" 2>"$work/err") &
game_pid=$!

# Waits up to $2 seconds for the check $1 (a command) to succeed.
wait_for() {
    local seconds=$2
    for _ in $(seq $((seconds * 10))); do
        eval "$1" && return 0
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for: $3"
        sleep 0.1
    done
    fail "timed out waiting for: $3"
}
# The title menu runs once the missing record has been reported and the
# game's main thread sleeps between frames.
wait_for 'grep -q "Save/records.rcd" "$work/out"' 120 "the title menu"
# Under valgrind only one of the game's threads runs at a time, and SDL 2
# (sdl12-compat) has several: the main thread's sleep between frames may
# show on any of them.
sleeping() {
    cut -d" " -f1 /proc/"$game_pid"/task/*/syscall 2>/dev/null | grep -qxE "35|230"
}
wait_for sleeping 60 "an idle title menu"
sleep 1
window=$(xdotool search --onlyvisible --name "MOSSLANCE Hero" | head -n 1)
[ -n "$window" ] || fail "no window"
xdotool windowfocus "$window"
sleep 0.5
started=$SECONDS
note() { echo "$((SECONDS - started)) s: $*"; }
note "title menu"
key() {
    xdotool key "$1"
    sleep "${2:-1.5}"
}
key space 2     # title menu: start
key space       # level choice: level 0, after a second of the ready picture
wait_for '[ -s "$tree/Save/records-0.rcd" ]' 240 "the end of the level"
note "end of the level"
sleep 2
key Down        # end of level: back to the title
key space 3
key Down
key Down
key space       # quit
for _ in $(seq 1200); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not quit from its title menu"
note "quit"
wait "$game_pid"
status=$?
game_pid=""

# Summed over every process the log covers: SDL 2 (under sdl12-compat)
# may start helpers of its own, which valgrind follows and sums up apart.
total() { sed -n "$1" "$work/valgrind.log" | tr -d , | awk 'NF { n++; s += $1 } END { if (n) print s }'; }
errors=$(total 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p')
lost=$(total 's/.*definitely lost: \([0-9,]*\) bytes.*/\1/p')
suppressed=$(total 's/.*ERROR SUMMARY: .*suppressed: \([0-9]*\) from.*/\1/p')
echo "valgrind: ${errors:-?} errors, ${lost:-0} bytes definitely lost (after suppressions;" \
    "${suppressed:-?} suppressed), record $(cat "$tree/Save/records-0.rcd")"
[ "$status" = 0 ] || fail "exit status $status (99: valgrind found errors)"
[ "${errors:-1}" = 0 ] || fail "valgrind reports $errors errors"
echo "PASS: valgrind session"
