#!/usr/bin/env bash
# Installs the game as a player would get it and plays it from there: the
# layout under the prefix, the launcher's per-user folder (links, a Save/ of
# the player's own, nothing of the player's overwritten, a moved prefix), and
# a level of the shipped data played to its end on a virtual X display, with
# its record written in the per-user folder.
#   $1: the build's game folder (build/game)   $2: the source folder
set -u

game_dir=${1:?usage: install.sh BUILD/game SOURCE}
build_dir=$(cd "$game_dir/.." && pwd)
[ -f "$build_dir/CMakeCache.txt" ] || { echo "FAIL: no CMake build in $build_dir"; exit 1; }
# The cmake that made the build installs it.
cmake=$(sed -n 's/^CMAKE_COMMAND:INTERNAL=//p' "$build_dir/CMakeCache.txt")
[ -x "$cmake" ] || cmake=cmake
for tool in "$cmake" Xvfb xdotool xwininfo import compare convert identify; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

# Spaces everywhere: in the prefix, the home folder and the data home.
work=$(mktemp -d "/tmp/mosslance install XXXXXX")
xvfb_pid=""
game_pid=""
suppressions=""
failures=0
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$game_pid" ] && wait "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
    [ -n "$suppressions" ] && rm -rf "$suppressions"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# A failure after which nothing more can be checked.
abort() {
    echo "FAIL: $*"
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- ${log##*/} ---"; tail -n 20 "$log"; }
    done
    exit 1
}

# --- 1. The installed tree ---------------------------------------------------
prefix="$work/pre fix"
"$cmake" --install "$build_dir" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    abort "cmake --install failed"
data="$prefix/share/mosslance-hero"
[ -x "$prefix/bin/mosslance-hero" ] || fail "no launcher in bin/"
[ -x "$prefix/lib/mosslance-hero/mosslance-hero" ] || fail "no game in lib/mosslance-hero/"
[ -e "$data/mosslance-hero" ] && fail "the executable was copied into the data tree"
for needed in Story/game.story Save/save.sv Player/hero.hr Title/ready.png shark.ttf \
    Music/Fond.mp3 Niveaux/niveau-1.niv Enemies/ennemi-01.imga; do
    [ -f "$data/$needed" ] || fail "the data tree has no $needed"
done
# Everything else the build laid out is there too, and of Save/ only the
# shipped saved game (whatever playing from build/game wrote stays behind).
(cd "$game_dir" && find . -type f ! -path './Save/*' ! -path ./mosslance-hero ! -name '*.part' |
    sort) >"$work/built.txt"
(cd "$data" && find . -type f ! -path './Save/*' | sort) >"$work/installed.txt"
diff "$work/built.txt" "$work/installed.txt" >"$work/tree-diff.txt" ||
    fail "the installed data differs from build/game: $(head -n 5 "$work/tree-diff.txt")"
[ "$(cd "$data/Save" && ls -A)" = save.sv ] || fail "Save/ holds more than save.sv: $(ls -A "$data/Save")"
cmp -s "$data/Save/save.sv" "$2/data/Save/save.sv" || fail "the installed save.sv is not the shipped one"

desktop="$prefix/share/applications/mosslance-hero.desktop"
if [ -f "$desktop" ]; then
    for line in 'Exec=mosslance-hero' 'Icon=mosslance-hero' 'Name=MOSSLANCE Hero' \
        'Name\[fr\]=' 'Comment=' 'Comment\[fr\]=' 'Terminal=false' 'Categories=Game;'; do
        grep -q "^$line" "$desktop" || fail "the desktop entry has no line $line"
    done
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1 ||
            fail "desktop-file-validate: $(cat "$work/desktop.log")"
    fi
else
    fail "no desktop entry in share/applications"
fi
for size in 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/mosslance-hero.png"
    got=$(identify -format '%wx%h' "$icon" 2>/dev/null)
    [ "$got" = "${size}x${size}" ] || fail "icon $icon is '$got', not ${size}x${size}"
done

# --- 2. The launcher, with a stand-in for the game --------------------------
# The stand-in says where it runs and with which arguments, and exits 7, so
# every rule of the per-user folder is checked in a moment, without a display.
stub="$work/stub prefix"
mkdir -p "$stub/bin" "$stub/lib/mosslance-hero" "$stub/share/mosslance-hero"
cp "$prefix/bin/mosslance-hero" "$stub/bin/"
cat >"$stub/lib/mosslance-hero/mosslance-hero" <<'EOF'
#!/bin/sh
{ pwd -P; printf '<%s>\n' "$@"; } >"$STUB_REPORT"
exit 7
EOF
chmod +x "$stub/lib/mosslance-hero/mosslance-hero"
shipped="$stub/share/mosslance-hero"
mkdir -p "$shipped/Save" "$shipped/Story" "$shipped/Mes niveaux"
printf '3\n' >"$shipped/Save/save.sv"
printf '0 Mes niveaux/a.niv\n' >"$shipped/Story/game.story"
printf 'font\n' >"$shipped/shark.ttf"

home="$work/home dir"
elsewhere="$work/some folder"
mkdir -p "$home" "$elsewhere"
export STUB_REPORT="$work/stub-report.txt"
# Runs the launcher $1 from another folder with HOME and XDG_DATA_HOME as
# given; its status goes to $status.
launch() {
    local launcher=$1 xdg=$2
    shift 2
    rm -f "$STUB_REPORT"
    (cd "$elsewhere" && HOME=$home XDG_DATA_HOME=$xdg "$launcher" "$@") >"$work/launch.log" 2>&1
    status=$?
}

user="$home/.local/share/mosslance-hero"
launch "$stub/bin/mosslance-hero" "" "two words" "*"
[ "$status" = 7 ] || fail "the launcher returned $status, not the game's 7"
[ "$(head -n 1 "$STUB_REPORT" 2>/dev/null)" = "$(cd "$user" 2>/dev/null && pwd -P)" ] ||
    fail "the game did not run in $user: $(cat "$STUB_REPORT" "$work/launch.log" 2>/dev/null)"
[ "$(tail -n +2 "$STUB_REPORT" 2>/dev/null | tr '\n' ' ')" = "<two words> <*> " ] ||
    fail "the arguments reached the game as: $(tail -n +2 "$STUB_REPORT" 2>/dev/null)"
for entry in Story shark.ttf "Mes niveaux"; do
    [ "$(readlink "$user/$entry")" = "$shipped/$entry" ] || fail "$user/$entry is no link to the data"
done
[ -d "$user/Save" ] && [ ! -L "$user/Save" ] || fail "the per-user Save/ is not a folder of its own"
cmp -s "$user/Save/save.sv" "$shipped/Save/save.sv" || fail "Save/save.sv was not seeded"

# The player's own files, and a folder of their own in place of a link, stay.
printf '5\n' >"$user/Save/save.sv"
printf '22500' >"$user/Save/records-0.rcd"
rm "$user/Story" && mkdir "$user/Story" && printf 'mine\n' >"$user/Story/game.story"
# A moved prefix, started through a link in the player's own bin folder.
mv "$stub" "$work/moved prefix"
stub="$work/moved prefix"
shipped="$stub/share/mosslance-hero"
mkdir -p "$home/bin" && ln -s "$stub/bin/mosslance-hero" "$home/bin/mh"
launch "$home/bin/mh" ""
[ "$status" = 7 ] || fail "through a link the launcher returned $status: $(cat "$work/launch.log")"
[ "$(cat "$user/Save/save.sv")" = 5 ] || fail "the player's save.sv was overwritten"
[ "$(cat "$user/Save/records-0.rcd")" = 22500 ] || fail "the player's record was touched"
[ "$(cat "$user/Story/game.story")" = mine ] || fail "the player's own Story/ was replaced"
[ "$(readlink "$user/shark.ttf")" = "$shipped/shark.ttf" ] ||
    fail "after the move shark.ttf links to $(readlink "$user/shark.ttf")"

# --serveur writes the world board's address into the settings, keeping the
# other lines, and the rest of the arguments go to the game; a bad address
# stops before the game starts and changes nothing; "" removes it.
settings="$user/Save/reglages.txt"
printf 'fantome 0\nserveur http://ancien:1\nallure 70\n' >"$settings"
launch "$home/bin/mh" "" --serveur http://127.0.0.1:8080 plus
[ "$status" = 7 ] || fail "with --serveur the launcher returned $status: $(cat "$work/launch.log")"
[ "$(cat "$settings")" = "$(printf 'fantome 0\nallure 70\nserveur http://127.0.0.1:8080')" ] ||
    fail "--serveur left the settings as: $(cat "$settings")"
[ "$(tail -n +2 "$STUB_REPORT" 2>/dev/null)" = "<plus>" ] ||
    fail "after --serveur the game was given: $(tail -n +2 "$STUB_REPORT" 2>/dev/null)"
for bad in ftp://hote "http://a b" http://; do
    launch "$home/bin/mh" "" --serveur "$bad"
    [ "$status" = 1 ] && [ ! -e "$STUB_REPORT" ] || fail "--serveur '$bad' started the game ($status)"
    grep -q "^serveur http://127.0.0.1:8080$" "$settings" || fail "--serveur '$bad' changed the settings"
done
launch "$home/bin/mh" "" --serveur ""
[ "$(cat "$settings")" = "$(printf 'fantome 0\nallure 70')" ] ||
    fail "--serveur \"\" left the settings as: $(cat "$settings")"

# A saved game of fewer levels than a newer release ships is raised to the
# shipped count, its records kept (one the game reads no number from counts
# 2); one of more levels is left alone. A relative XDG_DATA_HOME is ignored.
xdg="$work/data home"
saved="$xdg/mosslance-hero/Save"
launch "$stub/bin/mosslance-hero" "$xdg"
printf ' 3\n' >"$saved/save.sv"
printf '22500' >"$saved/records-2.rcd"
printf '10\n' >"$shipped/Save/save.sv"
launch "$stub/bin/mosslance-hero" "$xdg"
[ "$(cat "$saved/save.sv")" = 10 ] || fail "a saved game of 3 levels was not raised to the shipped 10"
[ "$(cat "$saved/records-2.rcd")" = 22500 ] || fail "raising the level count touched a record"
for mine in 12 +0012 2147483647; do
    printf '%s\n' "$mine" >"$saved/save.sv"
    launch "$stub/bin/mosslance-hero" "$xdg"
    [ "$(cat "$saved/save.sv")" = "$mine" ] || fail "a saved game of $mine levels became $(cat "$saved/save.sv")"
done
for unread in 'abc' '99999999999' ''; do
    printf '%s' "$unread" >"$saved/save.sv"
    launch "$stub/bin/mosslance-hero" "$xdg"
    [ "$(cat "$saved/save.sv")" = 10 ] || fail "a saved game holding '$unread' was not raised"
done
# A saved game that is a link stays one, and the file it names is raised.
printf '3\n' >"$work/synced save.sv"
rm -f "$saved/save.sv" && ln -s "$work/synced save.sv" "$saved/save.sv"
launch "$stub/bin/mosslance-hero" "$xdg"
[ -L "$saved/save.sv" ] && [ "$(cat "$work/synced save.sv")" = 10 ] ||
    fail "a linked saved game was not raised through its link: $(ls -l "$saved/save.sv")"
# A Save/ that takes no new file: the launcher says so and starts the game
# with the saved game as it is.
rm -f "$saved/save.sv" && printf '3\n' >"$saved/save.sv"
if chattr +i "$saved" 2>/dev/null || { [ "$(id -u)" != 0 ] && chmod a-w "$saved"; }; then
    launch "$stub/bin/mosslance-hero" "$xdg"
    chattr -i "$saved" 2>/dev/null || true
    chmod u+w "$saved"
    [ "$status" = 7 ] && [ "$(cat "$saved/save.sv")" = 3 ] &&
        grep -q "impossible de relever le nombre de niveaux" "$work/launch.log" ||
        fail "with a read-only Save/ the launcher returned $status: $(cat "$work/launch.log")"
else
    echo "NOTE: no way here to make a folder refuse new files; the read-only Save/ was not checked"
fi
launch "$stub/bin/mosslance-hero" "relative/path"
[ "$(head -n 1 "$STUB_REPORT" 2>/dev/null)" = "$(cd "$user" && pwd -P)" ] ||
    fail "a relative XDG_DATA_HOME was not ignored"

# Without its data the launcher says so and starts nothing.
mv "$shipped" "$stub/share/elsewhere"
launch "$stub/bin/mosslance-hero" "$xdg"
[ "$status" != 0 ] && [ "$status" != 7 ] && [ ! -e "$STUB_REPORT" ] && grep -q . "$work/launch.log" ||
    fail "with no data the launcher returned $status: $(cat "$work/launch.log")"

# --- 3. The installed game, played ------------------------------------------
source "$(dirname "$0")/lib/virtual_display.sh"
start_virtual_display "$work" || abort "Xvfb did not start"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
# (The sanitizers' options cannot hold a path with spaces, as $work has.)
suppressions=$(mktemp -d /tmp/mosslance-lsan-XXXXXX)
source "$(dirname "$0")/lib/library_leaks.sh"
use_library_leak_suppressions "$suppressions"

xdg="$work/player data"
user="$xdg/mosslance-hero"
start_game() {
    (cd "$elsewhere" && HOME=$home XDG_DATA_HOME=$xdg exec "$1/bin/mosslance-hero") \
        >"$work/game.log" 2>&1 &
    game_pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name "MOSSLANCE Hero" 2>/dev/null |
        head -n 1)
    [ -n "$window" ] || abort "no window named MOSSLANCE Hero"
    xdotool windowfocus "$window" 2>/dev/null
    sleep 0.5
}
# Escape quits from any screen; the launcher hands back the game's status.
quit_game() {
    xdotool key Escape
    for _ in $(seq 100); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$game_pid" 2>/dev/null && abort "the game did not quit on Escape"
    wait "$game_pid"
    status=$?
    game_pid=""
    [ "$status" = 0 ] || fail "the game ended with status $status: $(cat "$work/game.log")"
}
# Whether the window shows the picture $1 (flattened on white, as the game
# draws it over its white screen): under 1 % of its pixels differ.
shows() {
    import -window root -crop "720x480+$x+$y" +repage "$work/shot.png" 2>/dev/null || return 1
    compare -metric AE -fuzz 10% "$work/shot.png" "$1" null: 2>&1 |
        awk '{ exit !($1 + 0 < 720 * 480 / 100) }'
}

start_game "$prefix"
x=$(xwininfo -id "$window" | awk '/Absolute upper-left X:/ {print $4}')
y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y:/ {print $4}')
xdotool key space  # title menu: "Jouer"
sleep 0.5
xdotool key space  # level choice: the first level
convert "$data/Title/ready.png" -background white -flatten "$work/ready.png"
ready=""
for _ in $(seq 30); do
    shows "$work/ready.png" && { ready=yes; break; }
    sleep 0.1
done
[ -n "$ready" ] || fail "the ready picture did not show"
# No key from here on. The confirming Space's release reaches the level
# first, so the hero starts on the ground and runs with nothing pressed: the
# shipped first level sets it down on 160 columns of ground ending in a gap,
# and it runs off into the gap about four seconds in, every time. Once it is
# out, the end of the level writes the first record.
record_file="$user/Save/records-0.rcd"
for _ in $(seq 900); do
    [ -s "$record_file" ] && break
    kill -0 "$game_pid" 2>/dev/null || abort "the game ended during the level: $(cat "$work/game.log")"
    sleep 0.1
done
[ -s "$record_file" ] || abort "no record in $record_file after 90 s"
square=$(cat "$record_file")
score=$(awk -v s="$square" 'BEGIN { r = int(sqrt(s) + 0.5); if (s > 0 && r * r == s) print r }')
[ -n "$score" ] || fail "the record file holds '$square', not the square of a score"
# Where the hero had to leave the ground: R, the first solid row at or below
# its start (row 24) under column 31, and G, the first column after 31 with
# nothing solid (file numbers 1, 3, 4) in row R. It walks off in frame G - 31
# and falls out at 5 pixels a frame or faster (a few frames spare for where
# exactly its body leaves the edge).
read -r ground_row gap_column < <(awk '
    /^#Collisions/ { cells = 1; next }
    cells { for (i = 1; i <= NF; i++) { solid[n] = ($i == 1 || $i == 3 || $i == 4); n++ } }
    n >= 2000 * 80 { exit }  # a first gap further on would not end the level in time
    END {
        for (r = 24; r < 80 && !solid[31 * 80 + r]; r++) {}
        for (c = 32; c < 10000 && solid[c * 80 + r]; c++) {}
        print r, c
    }' "$data/Niveaux/niveau-1.niv")
least=$((gap_column - 31))
most=$((least + (510 - 10 * ground_row) / 5 + 5))
[ -n "$score" ] && [ "$score" -ge "$least" ] && [ "$score" -le "$most" ] ||
    fail "score $score: the hero should fall out of the gap at column $gap_column (score $least to $most)"
sleep 0.5
quit_game
[ "$(cd "$data/Save" && ls -A)" = save.sv ] || fail "the game wrote into the installed tree"

# Installed again, then moved: the record stays, the links follow.
"$cmake" --install "$build_dir" --prefix "$prefix" >"$work/install.log" 2>&1 || abort "reinstall failed"
mv "$prefix" "$work/moved install"
start_game "$work/moved install"
quit_game
[ "$(cat "$record_file")" = "$square" ] || fail "the record did not survive a reinstall and a move"
[ "$(readlink "$user/Title")" = "$work/moved install/share/mosslance-hero/Title" ] ||
    fail "after the move Title links to $(readlink "$user/Title")"

[ "$failures" = 0 ] || exit 1
echo "PASS: installed, launched, level 1 played to its end with score $score"
