#!/usr/bin/env bash
# The leaderboard server as a process, on SQLite and on a throwaway
# PostgreSQL: the page beside the API, a run the game recorded submitted over
# HTTP, a clean stop on SIGTERM with everything there after a restart, and
# two processes on one PostgreSQL. The API tests run again on PostgreSQL.
# $1: mosslance-server; $2: mosslance-server-tests.
# Exits 77 (skipped) only when PostgreSQL is not there and cannot be installed.
set -u
server=$(realpath "$1")
tests=$(realpath "$2")
here=$(dirname "$(realpath "$0")")

if [ "${MOSSLANCE_INSIDE_POSTGRES:-}" != 1 ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
else
    work=$MOSSLANCE_WORK
fi
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pids=()
stop_all() {
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    pids=()
}
trap 'stop_all; [ "${MOSSLANCE_INSIDE_POSTGRES:-}" = 1 ] || rm -rf "$work"' EXIT

# Starts a server named $1 on database $2, with the options that follow;
# sets port and pid. Every client here comes from one address.
start_server() {
    local name=$1 database=$2
    shift 2
    rm -f "$work/$name.out"  # not to read an earlier server's port before this one's
    "$server" --data "$work/tree" --web "$work/web" --listen 127.0.0.1:0 \
        --database "$database" --workers 8 --submissions-per-minute 100000 \
        --players-per-minute 100000 --reads-per-minute 100000 --connections-per-address 1000 \
        "$@" >"$work/$name.out" 2>"$work/$name.err" &
    pid=$!
    pids+=("$pid")
    port=
    for _ in $(seq 100); do
        port=$(sed -n 's|.*a l.ecoute sur http://127.0.0.1:\([0-9]*\)/.*|\1|p' \
            "$work/$name.out" 2>/dev/null)
        [ -n "$port" ] && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    fail "$name did not start: $(cat "$work/$name.err")"
    return 1
}

# Stops server $1 (pid $2) with SIGTERM and checks that it ended cleanly.
stop_server() {
    local name=$1 stopping=$2
    kill -TERM "$stopping"
    local status=0
    wait "$stopping" || status=$?
    [ "$status" = 0 ] || fail "$name ended with status $status on SIGTERM"
    grep -q "arrete" "$work/$name.out" || fail "$name did not say it stopped"
    pids=("${pids[@]/$stopping/}")
}

api() {  # METHOD PORT PATH [BODY [TOKEN]]: the body, then the status on its own line
    local auth=()
    [ -n "${5:-}" ] && auth=(-H "Authorization: Bearer $5")
    curl -s -o - -w '\n%{http_code}' -X "$1" "${auth[@]}" -H "Content-Type: application/json" \
        --data-binary "${4:-}" \
        "http://127.0.0.1:$2$3"
}
field() {  # NAME JSON: a number or a string field's value
    sed -n "s/.*\"$1\":\"\{0,1\}\([^,\"}]*\).*/\1/p" <<<"$2" | head -n 1
}
run_body() {  # LEVEL: the body that submits the run the game recorded there
    printf '{"level": %s, "replay": "%s"}' "$1" \
        "$(awk '{printf "%s\\n", $0}' "$work/tree/Save/replay-$1.rpl")"
}

# One server on `database`: the page, a player, the game's run ranked, and
# everything still there after SIGTERM and a restart.
check_lifecycle() {
    local database=$1 label=$2
    start_server "$label" "$database" || return
    local answer
    answer=$(curl -s "http://127.0.0.1:$port/")
    [ "$answer" = "la page" ] || fail "$label: the page is not served at /: $answer"
    answer=$(api POST "$port" /api/v1/players "{\"name\": \"Proc $label\"}")
    [ "$(tail -n 1 <<<"$answer")" = 201 ] || fail "$label: no player: $answer"
    local token
    token=$(field token "$answer")
    answer=$(api POST "$port" /api/v1/runs "$(run_body 0)" "$token")
    [ "$(tail -n 1 <<<"$answer")" = 200 ] || fail "$label: the game's run was refused: $answer"
    local run
    run=$(field run "$answer")
    grep -q "$token" "$work/$label.out" "$work/$label.err" && fail "$label: it printed a token"
    stop_server "$label" "$pid"

    start_server "$label-again" "$database" || return
    answer=$(api GET "$port" /api/v1/levels/0)
    grep -q "\"name\":\"Proc $label\"" <<<"$answer" || fail "$label: the run is gone: $answer"
    curl -s "http://127.0.0.1:$port/api/v1/runs/$run" | cmp -s - "$work/tree/Save/replay-0.rpl" ||
        fail "$label: run $run does not download as it was sent"
    answer=$(api POST "$port" /api/v1/players "{\"name\": \"proc $label\"}")
    [ "$(tail -n 1 <<<"$answer")" = 409 ] || fail "$label: the name is free again: $answer"
    stop_server "$label-again" "$pid"
}

# SIGKILL in the middle of submissions from four clients at once: every run
# that was answered 200 is there after a restart.
check_kill() {
    local database=$1 label=$2
    start_server "$label-killed" "$database" || return
    local killed=$pid client
    for client in 1 2 3 4; do
        (
            for i in $(seq 1000); do
                answer=$(api POST "$port" /api/v1/players "{\"name\": \"K$label $client $i\"}")
                answer=$(api POST "$port" /api/v1/runs "$(run_body $((i % 2)))" \
                    "$(field token "$answer")")
                [ "$(tail -n 1 <<<"$answer")" = 200 ] || break
                echo "$(field run "$answer") $((i % 2))" >>"$work/accepted-$label-$client"
            done
        ) &
    done
    sleep 2
    kill -KILL "$killed"
    wait 2>/dev/null
    pids=("${pids[@]/$killed/}")
    start_server "$label-restarted" "$database" || return
    local accepted=0 lost=0 run level
    while read -r run level; do
        accepted=$((accepted + 1))
        curl -s "http://127.0.0.1:$port/api/v1/runs/$run" |
            cmp -s - "$work/tree/Save/replay-$level.rpl" || lost=$((lost + 1))
    done < <(cat "$work"/accepted-"$label"-*)
    echo "$label: $accepted runs answered 200 before SIGKILL, $lost of them lost"
    [ "$accepted" -gt 0 ] || fail "$label: no run was accepted before the kill"
    [ "$lost" = 0 ] || fail "$label: $lost accepted runs lost to SIGKILL"
    stop_all
}

# Bodies past the limit over HTTP, and 200 clients uploading at once: each
# gets its answer, and the server's memory stays bounded by its workers.
check_uploads() {
    local database=$1 label=$2
    start_server "$label-uploads" "$database" || return
    local uploading=$pid
    head -c 1500000 /dev/zero | tr '\0' 'x' >"$work/huge.json"
    local answer
    answer=$(curl -s -w ' %{http_code}' -X POST -H "Content-Type: application/json" \
        --data-binary @"$work/huge.json" \
        "http://127.0.0.1:$port/api/v1/runs")
    [[ "$answer" == '{"error":'*' 413' ]] || fail "$label: a body past the limit: $answer"
    { printf '{"level": 0, "replay": "'; head -c 1200000 /dev/zero | tr '\0' '#';
      printf '"}'; } >"$work/big.json"
    local uploads=()
    for i in $(seq 200); do
        curl -s -o /dev/null -w '%{http_code}\n' --limit-rate 2M -X POST -H "Content-Type: application/json" \
            --data-binary @"$work/big.json" "http://127.0.0.1:$port/api/v1/runs" \
            >>"$work/uploads-$label" &
        uploads+=($!)
    done
    local peak=0 rss
    while kill -0 "${uploads[@]}" 2>/dev/null; do
        rss=$(awk '/VmRSS/ {print $2}' "/proc/$uploading/status" 2>/dev/null || echo 0)
        [ "${rss:-0}" -gt "$peak" ] && peak=$rss
        sleep 0.05
    done
    wait "${uploads[@]}"
    local answered
    answered=$(grep -c '^401$' "$work/uploads-$label")
    echo "$label: 200 uploads of 1.2 MB at once: $answered answered 401 (no token), peak memory $((peak / 1024)) MB"
    [ "$answered" = 200 ] || fail "$label: $answered of 200 uploads answered: $(sort "$work/uploads-$label" | uniq -c)"
    if [ -n "${MOSSLANCE_SANITIZED:-}" ]; then
        echo "$label: the memory bound is not checked under AddressSanitizer"
    else
        [ "$peak" -lt $((150 * 1024)) ] || fail "$label: $((peak / 1024)) MB under 200 uploads"
    fi
    stop_server "$label-uploads" "$uploading"
}

# A client that sends a byte every half second is told 408 once its request
# has taken longer than allowed, and others are served meanwhile; one
# address holding too many connections has the next refused, and one asking
# too often is told when to come back.
check_guards() {
    local database=$1 label=$2
    start_server "$label-guards" "$database" --request-seconds 2 --connections-per-address 4 \
        --reads-per-minute 40 || return
    local guarded=$pid answer started elapsed
    started=$(date +%s%N)
    answer=$(
        exec 3<>"/dev/tcp/127.0.0.1/$port"
        (for c in G E T ' ' / a p i; do printf %s "$c" >&3; sleep 0.5; done) >/dev/null 2>&1 &
        timeout 8 head -n 1 <&3
    )
    elapsed=$((($(date +%s%N) - started) / 1000000))
    [[ "$answer" == "HTTP/1.1 408"* ]] || fail "$label: a byte every half second got: $answer"
    [ "$elapsed" -lt 4000 ] || fail "$label: the slow client was cut after $elapsed ms"
    (
        exec 3<>"/dev/tcp/127.0.0.1/$port"
        printf G >&3
        sleep 1.5
    ) &
    local slow=$!
    sleep 0.3
    # Answered before the slow client is cut (2 s), not after it.
    answer=$(curl -s -o /dev/null -w '%{http_code} %{time_total}' "http://127.0.0.1:$port/api/v1/levels/0")
    [[ "$answer" =~ ^200\ [01]\. ]] || fail "$label: beside a slow client, a request got: $answer"
    wait "$slow"
    local held=()
    for _ in 1 2 3 4; do
        exec {fd}<>"/dev/tcp/127.0.0.1/$port"
        held+=("$fd")
    done
    sleep 0.2
    answer=$(api GET "$port" /api/v1/levels/0)
    [ "$(tail -n 1 <<<"$answer")" = 503 ] || fail "$label: a fifth connection at once got: $answer"
    for fd in "${held[@]}"; do exec {fd}>&-; done
    sleep 0.3
    local codes
    codes=$(for _ in $(seq 45); do
        curl -s -o /dev/null -w '%{http_code}\n' "http://127.0.0.1:$port/api/v1/levels/0"
    done | sort | uniq -c | tr -s ' \n' ' ')
    [[ "$codes" == *" 429"* ]] || fail "$label: 45 reads in a few seconds got: $codes"
    curl -s -D - -o /dev/null "http://127.0.0.1:$port/api/v1/levels/0" | grep -qi '^Retry-After: [0-9]' ||
        fail "$label: a 429 without Retry-After"
    stop_server "$label-guards" "$guarded"
}

# Two servers on one PostgreSQL: a run sent to one is ranked, listed and
# downloadable from the other at once.
check_two_processes() {
    start_server first postgresql:// || return
    local first=$port
    start_server second postgresql:// || return
    local second=$port answer
    answer=$(api POST "$first" /api/v1/players '{"name": "Deux"}')
    local player
    player=$(field player "$answer")
    answer=$(api POST "$first" /api/v1/runs "$(run_body 1)" "$(field token "$answer")")
    local run rank
    run=$(field run "$answer")
    rank=$(field rank "$answer")
    answer=$(api GET "$second" "/api/v1/levels/1/around/$player")
    grep -q "\"rank\":$rank,\"run\":$run" <<<"$answer" ||
        fail "the second server does not rank run $run at $rank: $answer"
    curl -s "http://127.0.0.1:$second/api/v1/runs/$run" |
        cmp -s - "$work/tree/Save/replay-1.rpl" || fail "the second server has not run $run"
    stop_all
}

if [ "${MOSSLANCE_INSIDE_POSTGRES:-}" = 1 ]; then
    MOSSLANCE_TEST_DATABASE=postgresql:// "$tests" --gtest_brief=1 >"$work/pg-tests.log" 2>&1 ||
        fail "the API tests on PostgreSQL: $(grep -E 'FAILED|Failure' -A3 "$work/pg-tests.log")"
    check_lifecycle postgresql:// postgres
    check_kill postgresql:// postgres
    check_two_processes
    exit $((failures > 0))
fi

MOSSLANCE_TEST_TREE=$work/tree "$tests" --gtest_filter='ServerTest.ARunTheGame*' \
    >"$work/tree.log" 2>&1 || { cat "$work/tree.log"; exit 1; }
mkdir -p "$work/web"
printf 'la page' >"$work/web/index.html"
check_lifecycle "$work/leaderboard.sqlite" sqlite
check_kill "$work/leaderboard.sqlite" sqlite
check_uploads "$work/leaderboard.sqlite" sqlite
check_guards "$work/leaderboard.sqlite" sqlite

if ! command -v pg_virtualenv >/dev/null || ! command -v initdb >/dev/null &&
    ! ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1; then
    bash "$here/../../scripts/install-deps.sh" --server >"$work/install.log" 2>&1
fi
if ! command -v pg_virtualenv >/dev/null; then
    echo "SKIPPED: PostgreSQL is not installed and could not be installed" \
        "(bash scripts/install-deps.sh --server)"
    [ "$failures" = 0 ] && exit 77
    exit 1
fi
MOSSLANCE_INSIDE_POSTGRES=1 MOSSLANCE_WORK=$work pg_virtualenv -- bash "$0" "$server" "$tests" ||
    failures=$((failures + 1))
[ "$failures" = 0 ] && echo "server suite: all good"
exit $((failures > 0))
