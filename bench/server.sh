#!/usr/bin/env bash
# The leaderboard server under load, with wrk, on SQLite and on a throwaway
# PostgreSQL, on loopback only: a level's top 10 at 64 connections, verified
# submissions of whole-level runs, a player's rank on a board of 1,000,000
# players, and the server's memory with that board loaded.
#   bash bench/server.sh [--build DIR] [--data GAMEDIR] [--quick]
# DIR is a build folder with mosslance-server, bench-server-whole-run and
# bench-server-board-rank built (default build); GAMEDIR a data tree with the
# game's levels (default DIR/game). --quick runs each load for 2 s instead of 10.
set -eu
here=$(dirname "$(realpath "$0")")
build=$here/../build
data=
seconds=10
while [ $# -gt 0 ]; do
    case $1 in
        --build) build=$2; shift 2 ;;
        --data) data=$2; shift 2 ;;
        --quick) seconds=2; shift ;;
        *) echo "usage: bash bench/server.sh [--build DIR] [--data GAMEDIR] [--quick]" >&2; exit 2 ;;
    esac
done
build=$(realpath "$build")
data=$(realpath "${data:-$build/game}")
server=$build/server/mosslance-server
for tool in wrk curl sqlite3 pg_virtualenv; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: bash scripts/install-deps.sh --server" >&2; exit 1; }
done
[ -x "$server" ] || { echo "no $server: build the target mosslance-server" >&2; exit 1; }
[ -f "$data/Niveaux/niveau-1.niv" ] || { echo "no levels in $data: build the game's data" >&2; exit 1; }

if [ "${MOSSLANCE_BENCH_INSIDE:-}" != 1 ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    "$build/bench/server/bench-server-whole-run" "$data/Niveaux/niveau-1.niv" >"$work/run.rpl"
    printf '{"level": 0, "replay": "%s"}' "$(awk '{printf "%s\\n", $0}' "$work/run.rpl")" \
        >"$work/run.json"
else
    work=$MOSSLANCE_BENCH_WORK
fi
frames=$(sed -n 's/^images //p' "$work/run.rpl")
fingerprint=$(sed -n 's/^niveau //p' "$work/run.rpl")

cat >"$work/submit.lua" <<'LUA'
local file = io.open(os.getenv("BENCH_WORK") .. "/run.json")
local body = file:read("*a")
file:close()
local tokens = {}
for line in io.lines(os.getenv("BENCH_WORK") .. "/tokens") do tokens[#tokens + 1] = line end
local count = 0
request = function()
    count = count + 1
    return wrk.format("POST", "/api/v1/runs", {["Authorization"] = "Bearer " .. tokens[count % #tokens + 1],
        ["Content-Type"] = "application/json"}, body)
end
LUA
cat >"$work/around.lua" <<'LUA'
math.randomseed(os.time())
request = function()
    return wrk.format("GET", "/api/v1/levels/0/around/" .. math.random(100001, 1100000))
end
LUA

pid=
stop_server() {
    if [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null; then
        local status=0
        wait "$pid" 2>/dev/null || status=$?
        [ "$status" = 0 ] || echo "the server ended with status $status: $(tail -n 3 "$work/server.out")" >&2
    fi
    pid=
}
trap 'stop_server; [ "${MOSSLANCE_BENCH_INSIDE:-}" = 1 ] || rm -rf "$work"' EXIT
start_server() {
    rm -f "$work/server.out"  # not to read the last server's port before this one's
    "$server" --data "$data" --listen 127.0.0.1:0 --database "$1" \
        --submissions-per-minute 1000000 --players-per-minute 1000000 \
        --reads-per-minute 10000000 --connections-per-address 1000 >"$work/server.out" 2>&1 &
    pid=$!
    port=
    for _ in $(seq 600); do  # a board of a million players is read first
        port=$(sed -n 's|.*http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/server.out" 2>/dev/null)
        [ -n "$port" ] && return 0
        sleep 0.1
    done
    echo "the server did not start: $(cat "$work/server.out")" >&2
    exit 1
}
# wrk's requests a second and its 99th percentile, then non-2xx answers.
figures() {
    local out=$1
    local rate p99 bad
    rate=$(awk '/Requests\/sec/ {print $2}' "$out")
    p99=$(awk '$1 == "99%" {print $2}' "$out")
    bad=$(awk '/Non-2xx/ {print $5}' "$out")
    echo "$rate requests/s, p99 $p99${bad:+, $bad refused}"
}

# One database: $1 its --database, $2 the SQL that seeds a board of a million
# players, run by $3 (a command reading SQL on its standard input).
bench_database() {
    local database=$1 label=$2
    shift 2
    start_server "$database"
    : >"$work/tokens"
    for i in $(seq 64); do
        curl -s -X POST --data-binary "{\"name\": \"Banc $i\"}" "http://127.0.0.1:$port/api/v1/players" |
            sed -n 's/.*"token":"\([0-9a-f]*\)".*/\1/p' >>"$work/tokens"
        echo >>"$work/tokens"
    done
    BENCH_WORK=$work wrk -t2 -c16 -d"${seconds}s" --latency -s "$work/submit.lua" \
        "http://127.0.0.1:$port" >"$work/submit.txt"
    echo "$label: verified submissions of a whole run of level 1 ($frames frames), 16 connections: $(figures "$work/submit.txt")"
    wrk -t2 -c64 -d"${seconds}s" --latency "http://127.0.0.1:$port/api/v1/levels/0" >"$work/top.txt"
    echo "$label: a level's top 10, 64 connections: $(figures "$work/top.txt")"
    stop_server

    "$@" <<SQL
BEGIN;
CREATE TEMP TABLE n (i BIGINT);
$(seed_numbers)
INSERT INTO players SELECT 100000 + i, 'Million ' || i, 'million ' || i, 'hash ' || i, 0 FROM n;
INSERT INTO runs SELECT 100000 + i, 100000 + i, 0, '$fingerprint', (i * 7919) % 20000, $frames, 0, i, '' FROM n;
INSERT INTO best SELECT '$fingerprint', 100000 + i, 100000 + i, (i * 7919) % 20000 FROM n;
COMMIT;
$(after_seed)
SQL
    local started=$(date +%s%N)
    start_server "$database"
    echo "$label: start with that board read into memory: $(( ($(date +%s%N) - started) / 1000000 )) ms"
    wrk -t2 -c16 -d"${seconds}s" --latency -s "$work/around.lua" "http://127.0.0.1:$port" >"$work/around.txt"
    echo "$label: a player's rank and neighbours on a board of 1,000,000 players, 16 connections: $(figures "$work/around.txt")"
    wrk -t1 -c1 -d"${seconds}s" --latency -s "$work/around.lua" "http://127.0.0.1:$port" >"$work/around.txt"
    echo "$label: the same, one connection at a time: $(figures "$work/around.txt")"
    wrk -t2 -c64 -d"${seconds}s" --latency "http://127.0.0.1:$port/api/v1/levels/0" >"$work/top.txt"
    echo "$label: the top 10 of that board, 64 connections: $(figures "$work/top.txt")"
    echo "$label: the server's memory with that board loaded: $(awk '/VmRSS/ {print $2, $3}' /proc/$pid/status) resident"
    stop_server
}

if [ "${MOSSLANCE_BENCH_INSIDE:-}" = 1 ]; then
    seed_numbers() { echo "INSERT INTO n SELECT generate_series(1, 1000000);"; }
    # As after any bulk load: the rows' visibility settled and the planner's
    # statistics taken, rather than left to the first readers.
    after_seed() { echo "VACUUM ANALYZE; CHECKPOINT;"; }
    bench_database postgresql:// PostgreSQL psql -q -v ON_ERROR_STOP=1
    exit 0
fi
after_seed() { echo "ANALYZE;"; }
seed_numbers() {
    echo "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 1000000)"
    echo "INSERT INTO n SELECT i FROM c;"
}
"$build/bench/server/bench-server-board-rank"
bench_database "$work/bench.sqlite" SQLite sqlite3 "$work/bench.sqlite"
MOSSLANCE_BENCH_INSIDE=1 MOSSLANCE_BENCH_WORK=$work pg_virtualenv -- \
    bash "$0" --build "$build" --data "$data" $([ "$seconds" = 2 ] && echo --quick) |
    grep -v "^Creating new\|^Dropping cluster"
