# What the benchmark scripts share; sourced by them, not run.
#
#   bench_init ROWS...        runs, sizes (default 100000 1000000), build, work, cleanup
#   bench_build TARGET...     builds the targets in $build (a new folder: Release, no tests)
#   bench_servers COUNT       the servers in KELVANTO_TEST_MYSQL_* (and MYSQL2_*), else
#                             throw-away ones; sets host port user password auth client
#                             (and port2 auth2 client2 for two)
#   bench_tables DB           the table rows_N of mixed types for every size
#   run_one OUT COMMAND...    prints "seconds maxrss_kb cpu_seconds" of one run
#   median                    the median of the numbers on standard input
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

bench_init() {
    runs=${RUNS:-3}
    sizes=("$@")
    [ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
    build=${KELVANTO_BENCH_BUILD:-$KELVANTO_ROOT/build-bench}
    work=$(mktemp -d /tmp/kelvanto-bench-XXXXXX)
    fixture=""
    trap bench_cleanup EXIT
}

bench_cleanup() {
    [ -n "$fixture" ] && "$KELVANTO_ROOT/scripts/mariadb-fixture" stop "$fixture" || true
    rm -rf "$work"
    [ -n "$fixture" ] && rm -rf "$fixture" || true
}

bench_build() {
    echo "== building $* in $build"
    # An existing build folder keeps its own configuration; a new one is configured for Release.
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$KELVANTO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANTO_BUILD_TESTS=OFF >/dev/null
    fi
    cmake --build "$build" --target "$@" >"$work/build.log" 2>&1 || {
        cat "$work/build.log" >&2
        exit 1
    }
}

bench_servers() {
    local count=$1
    local wanted=KELVANTO_TEST_MYSQL_PORT
    [ "$count" -eq 2 ] && wanted=KELVANTO_TEST_MYSQL2_PORT
    if [ -z "${!wanted:-}" ]; then
        fixture=$(mktemp -d /tmp/kelvanto-bench-server-XXXXXX)
        echo "== starting $count private MariaDB server(s)"
        eval "$("$KELVANTO_ROOT/scripts/mariadb-fixture" start "$fixture" "$count")"
    fi
    host=${KELVANTO_TEST_MYSQL_HOST:-127.0.0.1}
    port=$KELVANTO_TEST_MYSQL_PORT
    user=${KELVANTO_TEST_MYSQL_USER:-root}
    password=${KELVANTO_TEST_MYSQL_PASSWORD:-}
    auth=(-h"$host" -P"$port" -u"$user")
    [ -n "$password" ] && auth+=(-p"$password")
    if [ "$count" -eq 2 ]; then
        port2=$KELVANTO_TEST_MYSQL2_PORT
        auth2=(-h"$host" -P"$port2" -u"$user")
        [ -n "$password" ] && auth2+=(-p"$password")
    fi
    return 0
}

client() { mariadb --no-defaults "${auth[@]}" "$@"; }
client2() { mariadb --no-defaults "${auth2[@]}" "$@"; }

bench_tables() {
    local db=$1 rows
    echo "== creating the tables (${sizes[*]} rows)"
    client -e "CREATE DATABASE IF NOT EXISTS $db"
    for rows in "${sizes[@]}"; do
        client "$db" <<SQL
DROP TABLE IF EXISTS rows_$rows;
CREATE TABLE rows_$rows (
  id INT NOT NULL PRIMARY KEY, qty INT, big BIGINT UNSIGNED, price DECIMAL(10,2), ratio DOUBLE,
  name VARCHAR(40), note TEXT, created DATETIME, day DATE, flag TINYINT, raw VARBINARY(16), code CHAR(8)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
INSERT INTO rows_$rows
SELECT seq, CAST(seq % 1000 AS SIGNED) - 500, seq * 2654435761, (seq % 100000) / 100, seq / 7,
       CONCAT('name ', seq, ' O''Brien'), REPEAT(CONCAT('note ', seq % 97, ' '), 1 + seq % 5),
       '2024-01-01 00:00:00' + INTERVAL seq SECOND, '2000-01-01' + INTERVAL (seq % 9000) DAY, seq % 2,
       UNHEX(MD5(seq)), LPAD(seq % 100000000, 8, '0')
FROM seq_1_to_$rows;
SQL
    done
}

# cpu is the user + system time of the command (for a pipe, of all its processes), which the
# load of a shared machine hardly moves; maxrss is that of its largest process.
run_one() {
    local out=$1
    shift
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -f "%M %U %S" -o "$work/rss" "$@" >"$out" 2>"$work/stderr" || {
        tail -n 20 "$out" "$work/stderr" >&2
        return 1
    }
    end=$(date +%s.%N)
    local rss user system
    read -r rss user system < <(tail -1 "$work/rss")
    echo "$(echo "$end - $start" | bc -l) $rss $(echo "$user + $system" | bc -l)"
}

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
