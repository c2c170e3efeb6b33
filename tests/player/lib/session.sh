# Sourced at the top of a player test: a scratch folder $work, the pids of
# the virtual X server and of the game (both stopped, and $work removed, on
# exit), and fail, which reports a failed check and counts it in $failures.
work=$(mktemp -d)
xvfb_pid=""
game_pid=""
failures=0

cleanup() {
    if [ -n "$game_pid" ]; then kill "$game_pid" 2>/dev/null; fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
