# Sourced by the scripts that play the real game on a virtual X display.
#
# start_virtual_display WORK [WIDTHxHEIGHT]: starts Xvfb, with a screen of
# 1024x768 unless told otherwise, on a display nobody uses (-displayfd:
# Xvfb picks it and says which once it is ready). -noreset: without it Xvfb
# resets whenever its last client leaves, and a game started in that moment
# fails to open the display now and then. Sets xvfb_pid and exports DISPLAY;
# returns 1 when no display could be started (Xvfb's words are in
# WORK/xvfb.log).
start_virtual_display() {
    rm -f "$1/display"  # a display of an earlier call must not be taken for this one's
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${2:-1024x768}x24" 3>"$1/display" \
        >"$1/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local tries
    for ((tries = 0; tries < 100; tries++)); do
        [ -s "$1/display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$1/display" ] || return 1
    DISPLAY=":$(head -n 1 "$1/display")"
    export DISPLAY
}
