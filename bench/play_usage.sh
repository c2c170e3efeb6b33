#!/usr/bin/env bash
# CPU time and peak memory of the real game while a level plays, in a real
# window on the X display $DISPLAY (bench/run starts a virtual one).
#
#   bench/play_usage.sh GAME_DIR [--quick]
#
# Each run starts build/game's mosslance-hero in a private copy of the data
# tree, goes through the title and level menus with xdotool into the first
# level, and keeps the hero in the air with the space bar (a release and a
# press in the same frame start a new jump), so the level goes on for as long
# as the measurement lasts. The game's CPU time (utime + stime of
# /proc/PID/stat, every thread) is read over a window of several seconds of
# play; its peak resident memory is VmHWM of /proc/PID/status at the end.
# Prints the medians over the runs:
#   play_cpu_percent N %        of one core
#   peak_rss_mb N MB            MiB (2^20 bytes)
#   play_xserver_cpu_percent N %  what the X server spent on the game's frames
set -u

game_dir=$(cd "${1:?usage: play_usage.sh GAME_DIR [--quick]}" && pwd)
quick=0
[ "${2:-}" = "--quick" ] && quick=1
if [ "$quick" = 1 ]; then runs=1 window=2; else runs=3 window=8; fi
: "${DISPLAY:?play_usage.sh needs an X display}"
for tool in xdotool awk; do
    command -v "$tool" >/dev/null || { echo "play_usage.sh: $tool is not installed" >&2; exit 1; }
done
[ -x "$game_dir/mosslance-hero" ] || { echo "play_usage.sh: no game in $game_dir" >&2; exit 1; }

ticks=$(getconf CLK_TCK)
work=$(mktemp -d /tmp/mosslance-play-usage-XXXXXX)
game_pid=""
keeper_pid=""
cleanup() {
    [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$game_pid" ] && wait "$game_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# utime + stime of process $1, in clock ticks.
cpu_ticks() {
    # The command name (field 2) may hold spaces: count from the last ')'.
    sed 's/^.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'
}
now() { date +%s.%N; }

# The X server's pid, to see what it spends drawing for the game.
xserver_pid=${XSERVER_PID:-}

cpu_results=()
rss_results=()
xcpu_results=()
# One run: start, play, measure, quit. Sets cpu, rss and xcpu; false when the
# game did not reach the level or left it too soon.
one_run() {
    local copy=$1
    rm -rf "$copy"
    mkdir -p "$copy/Save"
    for entry in "$game_dir"/*; do
        [ "$(basename "$entry")" = Save ] || ln -s "$entry" "$copy/"
    done
    # The same level count without its line end: the start of a game writes
    # it again as a new file, and the new inode shows that a level started.
    tr -d '\n' <"$game_dir/Save/save.sv" >"$copy/Save/save.sv" || return 1
    saved_inode=$(stat -c %i "$copy/Save/save.sv")
    # No records: the end of the level (any score above 0) writes one, which
    # tells whether the level was still playing when the window closed.
    (cd "$copy" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy exec ./mosslance-hero \
        >"$work/game.out" 2>&1) &
    game_pid=$!
    if ! timeout 20 xdotool search --sync --onlyvisible --name "MOSSLANCE Hero" >/dev/null; then
        echo "play_usage.sh: no game window" >&2
        cat "$work/game.out" >&2
        return 1
    fi
    sleep 0.5
    xdotool key space  # title menu: start
    sleep 0.5
    xdotool key space  # level menu: the first level, then a second of "ready"
    sleep 1.8
    xdotool keydown space
    (
        while :; do
            sleep 0.3
            xdotool keyup space keydown space
        done
    ) &
    keeper_pid=$!
    sleep 1

    start_time=$(now)
    start_ticks=$(cpu_ticks "$game_pid")
    [ -n "$xserver_pid" ] && xstart_ticks=$(cpu_ticks "$xserver_pid")
    sleep "$window"
    stop_ticks=$(cpu_ticks "$game_pid")
    stop_time=$(now)
    [ -n "$xserver_pid" ] && xstop_ticks=$(cpu_ticks "$xserver_pid")
    hwm_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$game_pid/status")

    kill "$keeper_pid" 2>/dev/null
    wait "$keeper_pid" 2>/dev/null
    keeper_pid=""
    xdotool keyup space
    if [ "$(stat -c %i "$copy/Save/save.sv")" = "$saved_inode" ]; then
        echo "play_usage.sh: the keys did not start a level" >&2
        return 1
    fi
    if ls "$copy"/Save/records-*.rcd >/dev/null 2>&1; then
        echo "play_usage.sh: the level ended before the measurement did" >&2
        return 1
    fi
    xdotool key Escape
    for ((i = 0; i < 50; i++)); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
    game_pid=""

    seconds=$(awk -v a="$start_time" -v b="$stop_time" 'BEGIN {print b - a}')
    cpu=$(awk -v t=$((stop_ticks - start_ticks)) -v hz="$ticks" -v s="$seconds" \
        'BEGIN {printf "%.3f", 100 * t / hz / s}')
    rss=$(awk -v kb="$hwm_kb" 'BEGIN {printf "%.3f", kb / 1024}')
    xcpu=""
    if [ -n "$xserver_pid" ]; then
        xcpu=$(awk -v t=$((xstop_ticks - xstart_ticks)) -v hz="$ticks" -v s="$seconds" \
            'BEGIN {printf "%.3f", 100 * t / hz / s}')
    fi
}

# After a failed run: whatever is left of it goes.
stop_game() {
    if [ -n "$keeper_pid" ]; then
        kill "$keeper_pid" 2>/dev/null
        wait "$keeper_pid" 2>/dev/null
    fi
    if [ -n "$game_pid" ]; then
        kill "$game_pid" 2>/dev/null
        wait "$game_pid" 2>/dev/null
    fi
    keeper_pid=""
    game_pid=""
    xdotool keyup space
}

for ((run = 0; run < runs; run++)); do
    # Keys sent to a window that is still starting are lost now and then: a
    # failed run is tried once more.
    if ! one_run "$work/run-$run"; then
        stop_game
        one_run "$work/run-$run" || exit 1
    fi
    cpu_results+=("$cpu")
    rss_results+=("$rss")
    [ -n "$xcpu" ] && xcpu_results+=("$xcpu")
done

median() {
    printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo "play_cpu_percent $(median "${cpu_results[@]}") %"
echo "peak_rss_mb $(median "${rss_results[@]}") MB"
if [ "${#xcpu_results[@]}" -gt 0 ]; then
    echo "play_xserver_cpu_percent $(median "${xcpu_results[@]}") %"
fi
