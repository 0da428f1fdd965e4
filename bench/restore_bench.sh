#!/usr/bin/env bash
# Restore benchmark against a real server (not a test): "Restore from SQL files" tasks run by
# kelvanto-cli side by side with the peers, in one run, each restoring into a fresh database,
# median of N runs:
#   engine      the engine with commitEvery 1000 on Kelvanto's own dump in one file
#   client      the stock mariadb client on mariadb-dump's default file of the same data
#   engine-par  the engine with restoreThreads 2 and commitEvery 1000 on Kelvanto's dump with
#               a file per table
#   myloader    myloader -t 2 on a mydumper dump (its default statement size) of the same data
#
#   bench/restore_bench.sh [ROWS...]     rows per table, default: 100000 1000000; RUNS=3 by default
#
# The data is two tables of ROWS rows of mixed types. Kelvanto's dumps are written with
# maxInsertBytes 1 MiB (rows per INSERT up to 1 MiB) when the installed kelvanto-cli takes
# that key; otherwise with ten rows per INSERT, and the output says so. Before every restore
# the database is dropped; every dump creates it. Peak RSS comes from /usr/bin/time; the
# engine's should not grow with the files.
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

# dump_task NAME JSON-BODY: a backup task whose INSERTs take up to 1 MiB (maxInsertBytes) where
# this kelvanto-cli takes that key, else ten rows (the first refusal is said once).
insert_form="maxInsertBytes 1 MiB"
dump_task() {
    if [ "$insert_form" = "maxInsertBytes 1 MiB" ] \
        && task "$1" "\"extras\": {\"maxInsertBytes\": 1048576}, $2" 2>"$work/import.log"; then
        return 0
    fi
    if [ "$insert_form" = "maxInsertBytes 1 MiB" ]; then
        insert_form="ten rows per INSERT"
        echo "== this kelvanto-cli does not take maxInsertBytes ($(head -1 "$work/import.log")):" \
            "Kelvanto's dumps use ten rows per INSERT"
    fi
    task "$1" "$2"
}

checksums() { client -N -e "CHECKSUM TABLE $db.rows_a, $db.rows_b" | cut -f2 | tr '\n' ' '; }

declare -A seconds rss bytes
variants=(engine client engine-par myloader)
for rows in "${sizes[@]}"; do
    echo "== writing the dumps of 2 x $rows rows"
    client -e "DROP DATABASE IF EXISTS $db; CREATE DATABASE $db"
    for name in rows_a rows_b; do
        client "$db" <<SQL
CREATE TABLE $name (
  id INT NOT NULL PRIMARY KEY, qty INT, big BIGINT UNSIGNED, price DECIMAL(10,2), ratio DOUBLE,
  name VARCHAR(40), note TEXT, created DATETIME, day DATE, flag TINYINT, raw VARBINARY(16), code CHAR(8)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
INSERT INTO $name
SELECT seq, CAST(seq % 1000 AS SIGNED) - 500, seq * 2654435761, (seq % 100000) / 100, seq / 7,
       CONCAT('name ', seq, ' O''Brien'), REPEAT(CONCAT('note ', seq % 97, ' '), 1 + seq % 5),
       '2024-01-01 00:00:00' + INTERVAL seq SECOND, '2000-01-01' + INTERVAL (seq % 9000) DAY, seq % 2,
       UNHEX(MD5(seq)), LPAD(seq % 100000000, 8, '0')
FROM seq_1_to_$rows;
SQL
    done
    tables_json="[{\"checkState\": 2, \"kind\": 1, \"database\": \"$db\", \"name\": \"rows_a\"},
        {\"checkState\": 2, \"kind\": 1, \"database\": \"$db\", \"name\": \"rows_b\"}]"
    databases_json="[{\"checkState\": 2, \"name\": \"$db\", \"tables\": $tables_json}]"

    # Kelvanto's dump in one file, and with a file per table (and its manifest).
    own="$work/own-$rows.sql"
    per_table="$work/per-table-$rows"
    mkdir -p "$per_table"
    dump_task "dump $rows one" "\"type\": 1, \"source\": $server_json,
        \"backupSettings\": {\"fileMode\": 1, \"singleFilePath\": \"$own\", \"multiRowInsert\": 1, \"unixLineEnds\": 1},
        \"databases\": $databases_json"
    dump_task "dump $rows per table" "\"type\": 1, \"source\": $server_json,
        \"backupSettings\": {\"fileMode\": 2, \"fileSplit\": 3, \"backupFolder\": \"$per_table/\",
            \"fileNameFormat\": \"%DATABASE%_%TABLE%\", \"multiRowInsert\": 1, \"unixLineEnds\": 1},
        \"databases\": $databases_json"
    for name in "dump $rows one" "dump $rows per table"; do
        "${cli[@]}" run "$name" >"$work/dump.log" || {
            cat "$work/dump.log" >&2
            exit 1
        }
    done
    per_table_files=$(find "$per_table" -name '*.sql' | sort | sed 's/.*/{"path": "&"}/' | paste -sd, -)
    [ -n "$(find "$per_table" -name '*.manifest.json')" ] || {
        echo "the per-table dump has no manifest" >&2
        exit 1
    }
    task "restore $rows" "\"type\": 6, \"destination\": $server_json, \"extras\": {\"commitEvery\": 1000},
        \"restoreFiles\": [{\"path\": \"$own\"}]"
    task "restore $rows parallel" "\"type\": 6, \"destination\": $server_json,
        \"extras\": {\"commitEvery\": 1000, \"restoreThreads\": 2}, \"restoreFiles\": [$per_table_files]"

    # The peers' dumps: mariadb-dump's default file, mydumper's folder.
    peer="$work/peer-$rows.sql"
    mariadb-dump --no-defaults "${auth[@]}" --databases "$db" >"$peer"
    mydumped="$work/mydumper-$rows"
    mydumper -h "$host" -P "$port" -u "$user" ${password:+-p "$password"} -B "$db" -o "$mydumped" -t 2 >/dev/null
    bytes[$rows,engine]=$(stat -c %s "$own")
    bytes[$rows,client]=$(stat -c %s "$peer")
    bytes[$rows,engine-par]=$(du -cb "$per_table"/*.sql | tail -1 | cut -f1)
    bytes[$rows,myloader]=$(du -cb "$mydumped" | tail -1 | cut -f1)
    checksum=$(checksums)

    for run in $(seq 1 "$runs"); do
        for v in "${variants[@]}"; do
            client -e "DROP DATABASE IF EXISTS $db"
            case $v in
            engine) result=$(run_one "$work/run.log" "${cli[@]}" run "restore $rows") ;;
            engine-par)
                result=$(run_one "$work/run.log" "${cli[@]}" run "restore $rows parallel")
                grep -q "over 2 connections" "$work/run.log" || {
                    echo "the parallel restore ran over one connection:" >&2
                    cat "$work/run.log" >&2
                    exit 1
                }
                ;;
            client) result=$(run_one "$work/run.log" mariadb --no-defaults "${auth[@]}" -e "source $peer") ;;
            myloader)
                result=$(run_one "$work/run.log" myloader -h "$host" -P "$port" -u "$user" ${password:+-p "$password"} \
                    -d "$mydumped" -t 2)
                ;;
            esac
            restored=$(checksums)
            if [ "$restored" != "$checksum" ]; then
                echo "$v restored tables that differ (checksums $restored, expected $checksum)" >&2
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
echo "== results: median of $runs runs (seconds), peak RSS (MB, the largest of the runs); Kelvanto's dumps: $insert_form"
printf "%-10s %-12s %10s %10s %10s\n" rows variant dump_mb seconds rss_mb
for rows in "${sizes[@]}"; do
    for v in "${variants[@]}"; do
        s=$(tr ' ' '\n' <<<"${seconds[$rows,$v]}" | grep . | median)
        m=$(tr ' ' '\n' <<<"${rss[$rows,$v]}" | grep . | sort -g | tail -1)
        printf "%-10s %-12s %10.1f %10.2f %10.1f\n" "2x$rows" "$v" "$(echo "${bytes[$rows,$v]} / 1048576" | bc -l)" \
            "$s" "$(echo "$m / 1024" | bc -l)"
        declare "med_${v//-/_}_$rows=$s"
    done
done
echo
echo "== ratios (1.00 or below means the engine is as fast or faster)"
for rows in "${sizes[@]}"; do
    e=med_engine_$rows c=med_client_$rows p=med_engine_par_$rows l=med_myloader_$rows
    printf "%-10s engine commitEvery 1000 / mariadb client %.2f   engine restoreThreads 2 / myloader -t 2 %.2f\n" \
        "2x$rows" "$(echo "${!e} / ${!c}" | bc -l)" "$(echo "${!p} / ${!l}" | bc -l)"
done
