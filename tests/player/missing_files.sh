#!/usr/bin/env bash
# Starts the real game with files of the shipped data tree taken away, as a
# broken install would have it. Whatever is missing, the game never crashes,
# writes the message the game gives for that file (and no other), and goes
# on: to the title menu and into a level, or, without the story or the saved
# game, it ends by itself with status 0.
#
# Files that tell the player something (story, saved game, records, hero,
# animation and level files, animation and hero frames) are taken away one
# at a time, or one animation's frames at a time; the pictures, sounds and
# the font that load silently are taken away a folder at a time.
#   $1: the build's game folder (holds mosslance-hero)   $2: the source folder
set -u

game_dir=${1:?usage: missing_files.sh BUILD/game SOURCE}
[ -x "$game_dir/mosslance-hero" ] || { echo "FAIL: no game in $game_dir"; exit 1; }
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

work=$(mktemp -d /tmp/mosslance-missing-XXXXXX)
xvfb_pid=""
game_pid=""
failures=0
cases=0
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    [ -n "${MISSING_FILES_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

source "$(dirname "$0")/lib/virtual_display.sh"
start_virtual_display "$work" || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

# --- What the shipped tree holds -------------------------------------------

tree=$work/shipped
cp -a "$game_dir" "$tree"
rm -rf "$tree/Save"/*.tmp
# A start of a level rewrites the saved game unless it already reads the
# same, byte for byte. A trailing blank changes no count but makes every
# start replace the file, which tells this script that a level started.
[ -f "$tree/Save/save.sv" ] && printf ' ' >>"$tree/Save/save.sv"
mapfile -t shipped < <(cd "$tree" && find . -type f ! -name mosslance-hero | sed 's|^\./||' | sort)

# The level files in the story file's order: a line counts when its first
# word contains the index expected next and a path follows.
level_files=()
if [ -f "$tree/Story/game.story" ]; then
    mapfile -t level_files < <(awk 'BEGIN { n = 0 }
        NF >= 2 && index($1, n "") > 0 && n < 100 { print $2; n++ }' "$tree/Story/game.story")
fi
level_count=2
if [ -f "$tree/Save/save.sv" ]; then
    read -r first_word <"$tree/Save/save.sv" || true
    [[ "${first_word:-}" =~ ^[+-]?[0-9]+ ]] && level_count=$((10#${BASH_REMATCH[0]#+}))
fi
frames_of() {  # the frame paths an animation file names
    awk '$1 == "img" && NF >= 2 { print $2 }' "$tree/$1"
}
hero_frames() {  # the frame names a hero file builds
    awk '$1 == "img" && ($2 == "run" || $2 == "stand" || $2 == "jump") && $3 ~ /^[0-9]+$/ &&
        NF >= 4 { for (n = 1; n <= $3 && n <= 101; n++) print $4 "0" n ".png" }' "$tree/$1"
}
is_shipped() {
    local f
    for f in "${shipped[@]}"; do [ "$f" = "$1" ] && return 0; done
    return 1
}
open_message() { echo "Impossible d'ouvrir le fichier $1 !! 404 Not found !"; }
load_message() { echo "Le fichier $1 a eu un probleme de chargement de fichier"; }

# --- One run of the game ---------------------------------------------------

# Waits up to $2 tenths of a second for the game to end; sets $status (124
# when it had to be stopped).
wait_for_exit() {
    local tenths=$1
    for _ in $(seq "$tenths"); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$game_pid" 2>/dev/null; then
        kill "$game_pid" 2>/dev/null
        wait "$game_pid" 2>/dev/null
        status=124
    else
        wait "$game_pid"
        status=$?
    fi
    game_pid=""
}

# Waits up to $1 tenths of a second until the output holds every line of
# the file $2.
wait_for_lines() {
    local tenths=$1 lines=$2 out=$3
    for _ in $(seq "$tenths"); do
        # Lines of $lines that the output lacks: none left means all came.
        [ -f "$out" ] && ! grep -qvxFf "$out" "$lines" && return 0
        kill -0 "$game_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Keys pressed while the game still sets up its window are lost. Its screen
# loops sleep between frames, so the first sleep of its main thread shows
# that the title menu runs.
wait_until_idle() {
    local call
    for _ in $(seq 200); do
        if ! call=$(cut -d' ' -f1 "/proc/$game_pid/syscall" 2>/dev/null); then
            sleep 1.5 # no view of the process: give it time instead
            return
        fi
        case $call in 35 | 230) return ;; esac # nanosleep, clock_nanosleep
        sleep 0.02
    done
}

# Run in the copied tree before the game starts, and checked there after.
prepare=""
verify=""

# run LABEL STAGE LEVEL EXPECTED_LINES_FILE FILE...
# Copies the tree without the FILEs and plays it to STAGE: "ends" (the game
# must end by itself), "title" (the title menu, then Escape), "level" (level
# LEVEL started from the menus, then Escape) or "end" (level LEVEL played
# until the hero falls out, then Escape on the end-of-level screen) or
# "end-again" (the same, with the level played once more before Escape).
# Leaves the game's output in $run_dir/out and $run_dir/err.
run() {
    local label=$1 stage=$2 level=$3 expected=$4
    shift 4
    cases=$((cases + 1))
    run_dir=$work/run-$cases
    cp -a "$tree" "$run_dir"
    local f
    for f in "$@"; do rm -f "$run_dir/$f"; done
    (cd "$run_dir" && eval "$prepare")
    local record_before saved_before
    record_before=$(cat "$run_dir/Save/records-$level.rcd" 2>/dev/null)
    saved_before=""
    [ -f "$run_dir/Save/save.sv" ] && saved_before=$(stat -c %i "$run_dir/Save/save.sv")

    (cd "$run_dir" && exec ./mosslance-hero >out 2>err) &
    game_pid=$!
    if [ "$stage" = ends ]; then
        wait_for_exit 100
        [ "$status" = 124 ] && fail "$label: the game did not end by itself"
    else
        local window=""
        for _ in $(seq 150); do
            window=$(xdotool search --onlyvisible --name "MOSSLANCE Hero" 2>/dev/null | head -n 1)
            [ -n "$window" ] && break
            kill -0 "$game_pid" 2>/dev/null || break
            sleep 0.1
        done
        if [ -z "$window" ]; then
            fail "$label: no window (the game ended or hung before its title menu)"
            wait_for_exit 1
        else
            wait_until_idle
            xdotool windowfocus "$window" 2>/dev/null
            sleep 0.2
            if [ "$stage" != title ]; then
                xdotool key space # title menu: start
                sleep 0.3
                for _ in $(seq "$level"); do
                    xdotool key Right
                    sleep 0.1
                done
                xdotool key space # level choice; the ready picture shows for a second
                sleep 1.3
                wait_for_lines 40 "$expected" "$run_dir/out" ||
                    fail "$label: the expected message did not come"
                if [ "$stage" = end ] || [ "$stage" = end-again ]; then
                    # The end-of-level screen has been reached once the
                    # record is written, or after what a fall takes.
                    for _ in $(seq 40); do
                        [ "$(cat "$run_dir/Save/records-$level.rcd" 2>/dev/null)" != \
                            "$record_before" ] && break
                        sleep 0.1
                    done
                    sleep 0.3
                fi
                if [ "$stage" = end-again ]; then
                    xdotool key space # end of the level: play it again
                    sleep 3.5
                fi
            fi
            kill -0 "$game_pid" 2>/dev/null || fail "$label: the game ended before Escape"
            xdotool key Escape
            wait_for_exit 100
            # Each start of a level replaces the saved game with a new file.
            if [ "$stage" != title ] && [ -n "$saved_before" ] && [ -z "$prepare" ]; then
                [ "$(stat -c %i "$run_dir/Save/save.sv" 2>/dev/null)" != "$saved_before" ] ||
                    fail "$label: the level was never started"
            fi
        fi
    fi
    [ "$status" = 0 ] || fail "$label: exit status $status, not 0"
    if [ -n "$verify" ] && ! (cd "$run_dir" && eval "$verify"); then
        fail "$label: afterwards, not true: $verify"
    fi
    for f in "$run_dir"/Save/*.tmp; do
        [ -f "$f" ] && fail "$label: a temporary file was left in Save/: $(basename "$f")"
    done
    if grep -qE 'Sanitizer|runtime error|Segmentation|Aborted' "$run_dir/err"; then
        fail "$label: sanitizer or crash report:"
        head -n 30 "$run_dir/err"
    fi
}

# check LABEL STAGE LEVEL BASELINE "MESSAGE..." FILE...
# A run without FILEs must write each MESSAGE line, and nothing that the same
# run with nothing missing (BASELINE) does not write besides them.
check() {
    local label=$1 stage=$2 level=$3 baseline=$4 messages=$5
    shift 5
    local expected=$work/expected-$((cases + 1))
    printf '%s' "$messages" | sed '/^$/d' >"$expected"
    run "$label" "$stage" "$level" "$expected" "$@"
    local line
    while IFS= read -r line; do
        grep -qxF -- "$line" "$run_dir/out" || fail "$label: no message \"$line\""
    done <"$expected"
    while IFS= read -r line; do
        [ -z "$line" ] && continue
        grep -qxF -- "$line" "$expected" && continue
        grep -qxF -- "$line" "$baseline" && continue
        fail "$label: unexpected message \"$line\""
    done <"$run_dir/out"
    chattr -i "$run_dir/Save/save.sv" 2>/dev/null || true
    [ -n "${MISSING_FILES_KEEP:-}" ] || rm -rf "$run_dir"
}

# --- Without a story or a saved game the game ends at once ------------------

if ! is_shipped Story/game.story || ! is_shipped Save/save.sv; then
    # Nothing more can be played; check that this ends as it should.
    : >"$work/none"
    check "as shipped (no story or saved game)" ends 0 "$work/none" \
        "$(is_shipped Story/game.story || open_message Story/game.story)"
    echo "NOTE: the shipped tree has no story or saved-game file; only its start was checked"
    [ "$failures" -eq 0 ] && { echo "PASS: missing files, $cases run(s)"; exit 0; }
    exit 1
fi

: >"$work/none"
check "Story/game.story" ends 0 "$work/none" "$(open_message Story/game.story)" Story/game.story
check "Save/save.sv" ends 0 "$work/none" "" Save/save.sv

# --- The baselines: each stage with nothing missing -------------------------

first_level=${level_files[0]:-}
for stage in title level; do
    : >"$work/none"
    run "nothing missing ($stage)" "$stage" 0 "$work/none"
    cp "$run_dir/out" "$work/baseline-$stage"
    [ -n "${MISSING_FILES_KEEP:-}" ] || rm -rf "$run_dir"
done
# The end of a level is reached fast on an empty grid: without level 0's
# file the hero falls out at once.
open_message "niveau  $first_level" >"$work/level0-missing"
run "nothing else missing (end)" end 0 "$work/level0-missing" "$first_level"
cp "$run_dir/out" "$work/baseline-end"
[ -n "${MISSING_FILES_KEEP:-}" ] || rm -rf "$run_dir"
for stage in title level end; do
    grep -qE 'Le fichier|Hero ' "$work/baseline-$stage" &&
        fail "with nothing missing ($stage) the game reports a missing file:" &&
        cat "$work/baseline-$stage"
done

# --- One file, or one animation's frames, at a time ------------------------

handled=()
mark() { handled+=("$@"); }

for ((i = 0; i < level_count && i < 10; i++)); do
    f="Save/records-$i.rcd"
    is_shipped "$f" || continue
    check "$f" title 0 "$work/baseline-title" "$(open_message Save/records.rcd)" "$f"
    mark "$f"
done

# An animation file, then all of its frames; each at the screen that loads it.
animation_stage() {
    case $1 in
        Title/hero.imga) echo title ;;
        Title/gameover.imga) echo end ;;
        *) echo level ;;
    esac
}
for imga in $(printf '%s\n' "${shipped[@]}" | grep '\.imga$'); do
    stage=$(animation_stage "$imga")
    extra=()
    prefix=""
    if [ "$stage" = end ]; then
        extra=("$first_level")
        prefix="$(cat "$work/level0-missing")"$'\n'
    fi
    check "$imga" "$stage" 0 "$work/baseline-$stage" "$prefix$(open_message "Hero $imga")" \
        "$imga" "${extra[@]}"
    mapfile -t frames < <(frames_of "$imga" | sort -u)
    present=()
    for f in "${frames[@]}"; do is_shipped "$f" && present+=("$f"); done
    if [ ${#present[@]} -gt 0 ]; then
        check "the frames of $imga" "$stage" 0 "$work/baseline-$stage" \
            "$prefix$(for f in "${present[@]}"; do load_message "$f"; done)" \
            "${present[@]}" "${extra[@]}"
    fi
    mark "$imga" "${present[@]}"
done

if is_shipped Player/hero.hr; then
    mapfile -t frames < <(hero_frames Player/hero.hr | sort -u)
    present=()
    for f in "${frames[@]}"; do is_shipped "$f" && present+=("$f"); done
    check "Player/hero.hr" level 0 "$work/baseline-level" \
        "$(open_message "Hero Player/hero.hr")" Player/hero.hr
    if [ ${#present[@]} -gt 0 ]; then
        check "the hero's frames" level 0 "$work/baseline-level" \
            "$(for f in "${present[@]}"; do load_message "$f"; done)" "${present[@]}"
    fi
    mark Player/hero.hr "${present[@]}"
fi

# Each level file, started from the level choice (which offers ten at most).
for ((i = 0; i < ${#level_files[@]} && i < level_count && i < 10; i++)); do
    f=${level_files[$i]}
    is_shipped "$f" || continue
    check "$f (level $i)" level "$i" "$work/baseline-level" "$(open_message "niveau  $f")" "$f"
    mark "$f"
done

# --- The silent rest, a folder at a time -----------------------------------

rest=()
for f in "${shipped[@]}"; do
    case " ${handled[*]} " in *" $f "*) continue ;; esac
    case $f in Story/game.story | Save/save.sv) continue ;; esac
    rest+=("$f")
done
for folder in $(printf '%s\n' "${rest[@]}" | awk -F/ '{ print (NF > 1 ? $1 : ".") }' | sort -u); do
    group=()
    for f in "${rest[@]}"; do
        if [ "$folder" = . ]; then [[ "$f" != */* ]] && group+=("$f"); else [[ "$f" == "$folder"/* ]] && group+=("$f"); fi
    done
    check "the silent files of $folder (${#group[@]})" level 0 "$work/baseline-level" "" "${group[@]}"
done
# The font draws the score in a level and the record on its end screen.
if is_shipped shark.ttf; then
    check "shark.ttf (to the end of a level)" end 0 "$work/baseline-end" \
        "$(cat "$work/level0-missing")" shark.ttf "$first_level"
fi

# --- Saves that cannot be written ------------------------------------------

# Level 0's records file is a folder, and the saved game is immutable: not
# even root can replace either. The game plays level 0 to its end twice,
# beating its record, says that the record could not be kept, and goes on;
# the saved game stays as it was.
prepare='rm -f Save/records-0.rcd && mkdir Save/records-0.rcd && { chattr +i Save/save.sv || true; }'
verify='cmp -s Save/save.sv ../shipped/Save/save.sv && [ -d Save/records-0.rcd ]'
# The empty grid's fall scores 54, the first end's record, which the game
# says it could not keep; the second end scores less and says nothing.
check "unwritable saved game and records file" end-again 0 "$work/baseline-end" \
    "$(cat "$work/level0-missing")"$'\n'"Impossible d'enregistrer le record 54 du niveau 1 dans Save/records-0.rcd : il sera perdu en quittant le jeu" \
    "$first_level"
prepare=""
verify=""

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed in $cases runs"
    exit 1
fi
echo "PASS: missing files, ${#shipped[@]} shipped files, $cases runs"
