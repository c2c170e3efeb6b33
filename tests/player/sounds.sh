#!/usr/bin/env bash
# Decodes every sound the game plays, as the game's decoder does (honouring
# lame's encoder delay and padding), and checks what a player would hear:
# effects shorter than a second, at least 30 seconds of music, nothing
# clipped, nothing silent, effects that start at once, and music whose end
# runs into its start smoothly. Also checks that synth writes the same files
# on every run.
# Usage: sounds.sh GAME_DIR SOURCE_DIR
set -uo pipefail

game_dir=${1:?usage: sounds.sh GAME_DIR SOURCE_DIR}
music_dir=$game_dir/Music
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for tool in lame sox soxi awk; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: $tool is needed (Debian packages lame and sox)"
        exit 1
    fi
done

# "Pk lev dB" or "RMS lev dB" of a WAV, over all its channels.
stat_db() {
    sox "$1" -n stats 2>&1 | awk -v key="$2" 'index($0, key) == 1 { print $(NF - (NF > 4 ? 2 : 0)) }'
}

# Whether the first number is below the second.
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# The samples of a window of a WAV as lines of channel values: sox trim arguments follow.
window() {
    local wav=$1
    shift
    sox "$wav" -t dat - trim "$@" | tr -d '\r' | awk '!/^;/ { $1 = ""; print }'
}

# Joins the music's last 10 ms to its first 10 ms, as a loop plays them, and
# compares the seam with its surroundings. Level: the RMS over 5 ms on either
# side; a gap of silence or a cut-off tail shows as a step of tens of dB.
# Jump: at each boundary between two samples, a line fitted to the 4 samples
# before it and one fitted to the 4 after it are extended to the boundary,
# and the distance between them is the jump there (fitting averages out the
# MP3 coding noise, which is a little stronger at a stream's ends). A click
# makes the jump at the seam larger than anywhere else around it.
# Prints the figures; fails when the seam stands out.
seam_check() {
    local wav=$1 samples=441
    { window "$wav" "-${samples}s"; window "$wav" 0 "${samples}s"; } | awk -v n="$samples" '
        function db(v) { return v > 0 ? 20 * log(v) / log(10) : -999 }
        # The line through x[c, from .. from + k - 1] at the boundary on the
        # side dir (+1 after the last sample, -1 before the first).
        function reach(c, from, dir,   i, mean, t, sxy, sxx) {
            mean = 0
            for (i = 0; i < k; ++i) mean += x[c, from + i]
            mean /= k
            sxy = 0; sxx = 0
            for (i = 0; i < k; ++i) { t = i - (k - 1) / 2; sxy += t * (x[c, from + i] - mean); sxx += t * t }
            return mean + dir * (sxy / sxx) * (k / 2)
        }
        { for (c = 1; c <= NF; ++c) x[c, NR - 1] = $c; channels = NF; total = NR }
        END {
            if (total != 2 * n || channels < 1) { print "seam: cannot read the windows"; exit 1 }
            k = 4; m = int(n / 2)
            worstLevel = 0; worstJump = 0
            for (c = 1; c <= channels; ++c) {
                tail = 0; head = 0
                for (i = 0; i < m; ++i) { tail += x[c, n - 1 - i] ^ 2; head += x[c, n + i] ^ 2 }
                tail = sqrt(tail / m); head = sqrt(head / m)
                level = db(head) - db(tail)
                if (level < 0) level = -level
                if (level > worstLevel) worstLevel = level
                seam = 0; rest = 0
                for (j = k; j <= 2 * n - k; ++j) {
                    d = reach(c, j - k, 1) - reach(c, j, -1)
                    if (d < 0) d = -d
                    if (j == n) seam = d
                    else if ((j < n - k || j > n + k) && d > rest) rest = d
                }
                jump = rest > 0 ? seam / rest : (seam > 0 ? 99 : 0)
                if (jump > worstJump) worstJump = jump
                printf "seam: channel %d: %.1f dBFS before, %.1f dBFS after; jump %.4f at the seam, at most %.4f elsewhere\n", \
                    c, db(tail), db(head), seam, rest
            }
            printf "seam: level step %.2f dB, jump ratio %.2f\n", worstLevel, worstJump
            exit !(worstLevel < 10 && worstJump < 1)
        }'
}

check_sound() {
    local name=$1 kind=$2
    local mp3=$music_dir/$name.mp3 wav=$work/$name.wav
    if [[ ! -f $mp3 ]]; then
        fail "$mp3 is missing"
        return
    fi
    if ! lame --quiet --decode "$mp3" "$wav" || [[ ! -s $wav ]]; then
        fail "$name.mp3 does not decode"
        return
    fi
    local seconds peak rms
    seconds=$(soxi -D "$wav")
    peak=$(stat_db "$wav" "Pk lev dB")
    rms=$(stat_db "$wav" "RMS lev dB")
    if [[ -z $seconds || -z $peak || -z $rms ]]; then
        fail "$name.mp3 cannot be measured"
        return
    fi
    local onset=0 shown=""
    if [[ $kind == effect ]]; then
        # An effect is played at the moment it belongs to: it must not open
        # with silence (a sample above -40 dBFS within 10 ms).
        onset=$(window "$wav" 0 0.02 | awk '{ v = $1 < 0 ? -$1 : $1 } v > 0.01 { print (NR - 1) / 44.1; found = 1; exit }
            END { if (!found) print 999 }')
        shown=$(printf '  onset %.2f ms' "$onset")
    fi
    printf '%-16s %8.3f s  peak %7.2f dBFS  RMS %7.2f dBFS%s\n' "$name.mp3" "$seconds" "$peak" "$rms" "$shown"
    if [[ $kind == music ]]; then
        below "$seconds" 30 && fail "$name.mp3 lasts $seconds s, less than 30 s"
    else
        below "$seconds" 1 || fail "$name.mp3 lasts $seconds s, not under a second"
        below "$seconds" 0.02 && fail "$name.mp3 lasts only $seconds s"
        below "$onset" 10 || fail "$name.mp3 starts only after $onset ms"
    fi
    below "$peak" -0.5 || fail "$name.mp3 peaks at $peak dBFS: it may clip"
    below -40 "$rms" || fail "$name.mp3 is nearly silent (RMS $rms dBFS)"
    if [[ $kind == music ]]; then
        seam_check "$wav" || fail "$name.mp3 does not loop smoothly"
        # The check must notice what a decoder that ignored lame's gapless
        # header would play: the encoder delay as silence at the top of the
        # loop, or the padding as silence at its end.
        sox "$wav" "$work/delay.wav" pad 1105s 0
        sox "$wav" "$work/padding.wav" pad 0 1037s
        for broken in delay padding; do
            if seam_check "$work/$broken.wav" >/dev/null; then
                fail "the seam check misses the silence of the encoder $broken"
            fi
        done
    fi
}

# The sounds are made by our own code and must come out the same each time:
# run the build's synth again and compare with what the build encoded.
synth=$game_dir/../tools/synth/synth
built=$game_dir/../assets/sounds/wav
if [[ -x $synth && -d $built ]]; then
    mkdir "$work/again"
    before=$failures
    "$synth" "$work/again" || fail "synth failed"
    for wav in "$built"/*.wav; do
        cmp -s "$wav" "$work/again/${wav##*/}" || fail "synth wrote ${wav##*/} differently the second time"
    done
    ((failures == before)) && echo "synth writes the same files on a second run"
fi

check_sound Fond music
for effect in bonus degat menu valide souffle_air saut_beton1; do
    check_sound "$effect" effect
done

if ((failures > 0)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "every sound passes"
