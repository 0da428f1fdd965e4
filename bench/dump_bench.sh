#!/usr/bin/env bash
# Dump benchmark against a real server (not a test): the backup-to-files engine against
# mariadb-dump on tables of mixed types, side by side in one run, median of N runs.
#
#   bench/dump_bench.sh [ROWS...]      default: 100000 1000000; RUNS=3 by default
#
# Pairs: engine single-row INSERTs vs mariadb-dump --skip-extended-insert, engine ten-row
# INSERTs vs mariadb-dump (extended inserts). The engine also runs with a bench-only sink
# that opens, appends and closes the file for every statement, to show what the engine's
# own sink saves, and with consistentSnapshot (engine-multi-snapshot: one snapshot for the
# run, whose cost should be within noise of engine-multi). The engine's times include flushing the finished dump to stable storage
# (fsync), which mariadb-dump does not do; that part is shown on its own as well. Peak RSS
# comes from /usr/bin/time.
#
# Uses the server in KELVANTO_TEST_MYSQL_* when set, else starts a throw-away one.
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"

bench_init "$@"
bench_build dump_engine
bench_servers 1
db=kelvanto_bench
bench_tables "$db"

declare -A seconds rss sync cpu
variants=(engine-single dump-single engine-multi dump-multi engine-single-per-piece engine-multi-per-piece
    engine-multi-snapshot)
for rows in "${sizes[@]}"; do
    table=rows_$rows
    for run in $(seq 1 "$runs"); do
        for v in "${variants[@]}"; do
            rm -rf "$work/out" && mkdir -p "$work/out"
            case $v in
            engine-*)
                args=(--host "$host" --port "$port" --user "$user" --password "$password" --database "$db"
                    --table "$table" --out "$work/out")
                [[ $v == *multi* ]] && args+=(--multi-row)
                [[ $v == *-snapshot ]] && args+=(--snapshot)
                sink=file
                [[ $v == *-per-piece ]] && sink=per-piece
                result=$(run_one "$work/engine.txt" "$build/bench/dump_engine" "${args[@]}" --sink "$sink")
                grep -q "outcome=finished" "$work/engine.txt" || {
                    echo "engine run failed: $(cat "$work/engine.txt")" >&2
                    exit 1
                }
                sync[$rows,$v]+="$(sed -n 's/.*sync_seconds=\([0-9.]*\).*/\1/p' "$work/engine.txt") "
                ;;
            dump-single)
                result=$(run_one "$work/out/dump.sql" mariadb-dump --no-defaults "${auth[@]}" --skip-extended-insert "$db" "$table")
                ;;
            dump-multi)
                result=$(run_one "$work/out/dump.sql" mariadb-dump --no-defaults "${auth[@]}" "$db" "$table")
                ;;
            esac
            read -r wall maxrss cputime <<<"$result"
            seconds[$rows,$v]+="$wall "
            rss[$rows,$v]+="$maxrss "
            cpu[$rows,$v]+="$cputime "
        done
    done
done

echo
echo "== results: median of $runs runs (seconds; fsync: the part of it spent flushing to disk;"
echo "   cpu: user + system seconds of the dumping process), peak RSS (MB, the largest of the runs)"
printf "%-10s %-24s %10s %10s %10s %10s\n" rows variant seconds fsync cpu rss_mb
for rows in "${sizes[@]}"; do
    for v in "${variants[@]}"; do
        s=$(tr ' ' '\n' <<<"${seconds[$rows,$v]}" | grep . | median)
        m=$(tr ' ' '\n' <<<"${rss[$rows,$v]}" | grep . | sort -g | tail -1)
        f=$(tr ' ' '\n' <<<"${sync[$rows,$v]:-}" | grep . | median || true)
        c=$(tr ' ' '\n' <<<"${cpu[$rows,$v]}" | grep . | median)
        printf "%-10s %-24s %10.2f %10s %10.2f %10.1f\n" "$rows" "$v" "$s" "${f:--}" "$c" "$(echo "$m / 1024" | bc -l)"
        declare "med_${v//-/_}_$rows=$s" "cpu_${v//-/_}_$rows=$c"
    done
done
echo
echo "== ratios (engine / mariadb-dump; below 1 means the engine is faster or leaner)"
for rows in "${sizes[@]}"; do
    es=med_engine_single_$rows ds=med_dump_single_$rows em=med_engine_multi_$rows dm=med_dump_multi_$rows
    ces=cpu_engine_single_$rows cds=cpu_dump_single_$rows cem=cpu_engine_multi_$rows cdm=cpu_dump_multi_$rows
    printf "%-10s time: single-row %.2f  ten-row vs extended %.2f   cpu: single-row %.2f  ten-row %.2f\n" \
        "$rows" "$(echo "${!es} / ${!ds}" | bc -l)" "$(echo "${!em} / ${!dm}" | bc -l)" \
        "$(echo "${!ces} / ${!cds}" | bc -l)" "$(echo "${!cem} / ${!cdm}" | bc -l)"
    sn=med_engine_multi_snapshot_$rows
    printf "%-10s snapshot: ten-row with consistentSnapshot / without %.2f\n" "$rows" "$(echo "${!sn} / ${!em}" | bc -l)"
done
client -e "DROP DATABASE IF EXISTS $db"
