#!/usr/bin/env bash
# Restore benchmark against a real server (not a test): a "Restore from SQL files" task run
# by kelvanto-cli against the mariadb command-line client, on the same dump file, each
# restoring into a fresh database, side by side in one run, median of N runs.
#
#   bench/restore_bench.sh [ROWS...]     default: 100000 1000000; RUNS=3 by default
#
# The dumps are written by the backup engine (kelvanto-cli, a backup task) from a table of
# mixed types: single-row INSERTs and ten-row INSERTs, both with SET AUTOCOMMIT=0 / COMMIT
# around the records. Before every restore the database is dropped; the dump creates it.
# Peak RSS comes from /usr/bin/time; the engine's should not grow with the file.
#
# Uses the server in KELVANTO_TEST_MYSQL_* when set, else starts a throw-away one.
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"

bench_init "$@"
bench_build kelvanto-cli
bench_servers 1
cli=("$build/cli/kelvanto-cli" --data-dir "$work/data")
db=kelvanto_restore_bench
server_json=$(printf '{"host": "%s", "port": %s, "user": "%s", "password": "%s"}' "$host" "$port" "$user" "$password")

# task NAME JSON-BODY: imports a manual task of that name into the benchmark's data folder
task() {
    echo "{\"name\": \"$1\", $2}" | "${cli[@]}" task import - >/dev/null
}

declare -A seconds rss bytes
variants=(engine-single client-single engine-ten client-ten)
for rows in "${sizes[@]}"; do
    echo "== writing the dumps of $rows rows"
    client -e "DROP DATABASE IF EXISTS $db; CREATE DATABASE $db"
    client "$db" <<SQL
CREATE TABLE t (
  id INT NOT NULL PRIMARY KEY, qty INT, big BIGINT UNSIGNED, price DECIMAL(10,2), ratio DOUBLE,
  name VARCHAR(40), note TEXT, created DATETIME, day DATE, flag TINYINT, raw VARBINARY(16), code CHAR(8)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
INSERT INTO t
SELECT seq, CAST(seq % 1000 AS SIGNED) - 500, seq * 2654435761, (seq % 100000) / 100, seq / 7,
       CONCAT('name ', seq, ' O''Brien'), REPEAT(CONCAT('note ', seq % 97, ' '), 1 + seq % 5),
       '2024-01-01 00:00:00' + INTERVAL seq SECOND, '2000-01-01' + INTERVAL (seq % 9000) DAY, seq % 2,
       UNHEX(MD5(seq)), LPAD(seq % 100000000, 8, '0')
FROM seq_1_to_$rows;
SQL
    for form in single ten; do
        file="$work/dump-$rows-$form.sql"
        multi=0
        [ $form = ten ] && multi=1
        task "dump $rows $form" "\"type\": 1, \"source\": $server_json,
            \"backupSettings\": {\"fileMode\": 1, \"singleFilePath\": \"$file\", \"multiRowInsert\": $multi,
                \"addAutocommit\": 1, \"unixLineEnds\": 1},
            \"databases\": [{\"checkState\": 2, \"name\": \"$db\",
                \"tables\": [{\"checkState\": 2, \"kind\": 1, \"database\": \"$db\", \"name\": \"t\"}]}]"
        "${cli[@]}" run "dump $rows $form" >"$work/dump.log" || {
            cat "$work/dump.log" >&2
            exit 1
        }
        bytes[$rows,$form]=$(stat -c %s "$file")
        task "restore $rows $form" "\"type\": 6, \"destination\": $server_json, \"restoreFiles\": [{\"path\": \"$file\"}]"
    done
    checksum=$(client -N -e "CHECKSUM TABLE $db.t" | cut -f2)

    for run in $(seq 1 "$runs"); do
        for v in "${variants[@]}"; do
            form=${v#*-}
            file="$work/dump-$rows-$form.sql"
            client -e "DROP DATABASE IF EXISTS $db"
            case $v in
            engine-*) result=$(run_one "$work/run.log" "${cli[@]}" run "restore $rows $form") ;;
            client-*) result=$(run_one "$work/run.log" mariadb --no-defaults "${auth[@]}" -e "source $file") ;;
            esac
            restored=$(client -N -e "CHECKSUM TABLE $db.t" | cut -f2)
            if [ "$restored" != "$checksum" ]; then
                echo "$v restored a table that differs (checksum $restored, expected $checksum)" >&2
                exit 1
            fi
            read -r wall maxrss _ <<<"$result"
            seconds[$rows,$v]+="$wall "
            rss[$rows,$v]+="$maxrss "
        done
    done
done
client -e "DROP DATABASE IF EXISTS $db"

echo
echo "== results: median of $runs runs (seconds), peak RSS (MB, the largest of the runs)"
printf "%-10s %-8s %10s %-14s %10s %10s\n" rows form dump_mb variant seconds rss_mb
for rows in "${sizes[@]}"; do
    for v in "${variants[@]}"; do
        form=${v#*-}
        s=$(tr ' ' '\n' <<<"${seconds[$rows,$v]}" | grep . | median)
        m=$(tr ' ' '\n' <<<"${rss[$rows,$v]}" | grep . | sort -g | tail -1)
        printf "%-10s %-8s %10.1f %-14s %10.2f %10.1f\n" "$rows" "$form" "$(echo "${bytes[$rows,$form]} / 1048576" | bc -l)" \
            "$v" "$s" "$(echo "$m / 1024" | bc -l)"
        declare "med_${v//-/_}_$rows=$s"
    done
done
echo
echo "== ratios (engine time / mariadb client time; 1.00 or below means the engine is as fast or faster)"
for rows in "${sizes[@]}"; do
    es=med_engine_single_$rows cs=med_client_single_$rows et=med_engine_ten_$rows ct=med_client_ten_$rows
    printf "%-10s single-row %.2f   ten-row %.2f\n" "$rows" "$(echo "${!es} / ${!cs}" | bc -l)" \
        "$(echo "${!et} / ${!ct}" | bc -l)"
done
