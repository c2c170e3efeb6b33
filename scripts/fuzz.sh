#!/usr/bin/env bash
# Builds the libFuzzer target of every parser, and the one that checks the
# level's fast drawing against SDL's blits (build-fuzz, clang), and runs each
# for FUZZ_SECONDS (default 60) from its seed corpus in fuzz/corpus/.
# Fails on any crash, leak, timeout or sanitizer report, and prints how many
# inputs each target ran.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -DMOSSLANCE_FUZZ=ON -DMOSSLANCE_TESTS=OFF \
    -DMOSSLANCE_DATA=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzzers -j "$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A complete cell section is 1.6 MB, far beyond the few kilobytes libFuzzer
# grows inputs to by itself; without a full-size seed it would never reach
# the keyword lines after a section. Two are made here rather than kept in
# git: a whole grid followed by a keyword line, and one number short of it.
full_grid() {
    awk -v cells="$1" 'BEGIN {
        printf "img 1 fond.png\nlimite 100\n#Collisions\n"
        for (i = 0; i < cells; i++) printf "%d%s", (i % 80 == 30) ? 1 : (i % 997 == 0) ? 3 : 0,
            (i % 80 == 79) ? "\n" : " "
        printf "\n"
    }'
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:allocator_may_return_null=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

failed=0
summary=()
for source in fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    corpus="$work/corpus-$name"
    mkdir -p "$corpus"
    cp fuzz/corpus/"$name"/* "$corpus/"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
    if [ "$name" = level ]; then
        { full_grid 800000; printf 'limite 7\n'; } >"$corpus/full_grid_then_keyword"
        full_grid 799999 | sed '$ s/0 *$/1/' >"$corpus/one_cell_short"
        # Room for a whole section and the lines after it.
        options+=(-max_len=1800000)
    fi
    log="$work/$name.log"
    echo "fuzz-$name: ${seconds} s"
    if ! "$build/fuzz/fuzz-$name" "${options[@]}" -artifact_prefix="$work/$name-" "$corpus" \
        >"$log" 2>&1; then
        echo "FAIL: fuzz-$name stopped with a finding:" >&2
        tail -n 60 "$log" >&2
        for artifact in "$work/$name-"*; do
            [ -e "$artifact" ] || continue
            mkdir -p fuzz/findings
            cp "$artifact" fuzz/findings/
            echo "input kept in fuzz/findings/$(basename "$artifact")" >&2
        done
        failed=1
    fi
    # A report the fuzzer did not stop for is a failure too.
    if grep -qE 'ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|runtime error:' "$log"; then
        echo "FAIL: fuzz-$name: sanitizer report" >&2
        grep -m 5 -E 'ERROR:|runtime error:' "$log" >&2
        failed=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    summary+=("fuzz-$name: ${runs:-?} inputs in ${seconds} s")
done

printf '%s\n' "${summary[@]}"
exit "$failed"
