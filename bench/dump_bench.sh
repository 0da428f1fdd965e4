#!/usr/bin/env bash
# Dump benchmark against a real server (not a test): the backup-to-files engine against
# mydumper and mariadb-dump on tables of mixed types, side by side in one run.
#
#   bench/dump_bench.sh [ROWS...]      default: 100000 1000000; RUNS=5 rounds by default
#
# Every round runs each variant once, one after the other; the ratios printed are the medians
# of the per-round ratios, so that a busy stretch of a shared machine weighs on both sides of
# a pair alike. Variants:
#   engine-single          the engine, one row per INSERT
#   engine-multi           the engine, ten rows per INSERT
#   engine-multi-snapshot  engine-multi with consistentSnapshot (one snapshot for the run):
#                          its ratio to engine-multi is the snapshot's cost, which should be noise
#   mydumper               mydumper -t 1 with its default statement size, the peer both engine
#                          formats are held against
#   dump-single            mariadb-dump --skip-extended-insert
#   dump-multi             mariadb-dump (extended inserts)
# With PER_PIECE=1 the engine also runs (single and ten-row) with a bench-only sink that
# opens, appends and closes the file for every statement, to show what the engine's own sink
# saves. Time is wall seconds; cpu is user + system seconds of the dumping process (the
# client's CPU per row, which the load of a shared machine hardly moves); RSS is its peak.
# The engine's times include flushing the finished dump to stable storage (fsync, shown on
# its own as well) and the SHA-256 digests of the run's manifest, which the peers do not do.
#
# Uses the server in KELVANTO_TEST_MYSQL_* when set, else starts a throw-away one.
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"

RUNS=${RUNS:-5}
bench_init "$@"
bench_build dump_engine
bench_servers 1
db=kelvanto_bench
bench_tables "$db"

# The value of one variant in one round: "wall maxrss_kb cpu".
declare -A result sync
variants=(engine-single engine-multi engine-multi-snapshot mydumper dump-single dump-multi)
[ "${PER_PIECE:-0}" = 1 ] && variants+=(engine-single-per-piece engine-multi-per-piece)
for rows in "${sizes[@]}"; do
    table=rows_$rows
    for run in $(seq 1 "$runs"); do
        echo "== $rows rows, round $run of $runs"
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
                one=$(run_one "$work/engine.txt" "$build/bench/dump_engine" "${args[@]}" --sink "$sink")
                grep -q "outcome=finished" "$work/engine.txt" || {
                    echo "engine run failed: $(cat "$work/engine.txt")" >&2
                    exit 1
                }
                sync[$rows,$v]+="$(sed -n 's/.*sync_seconds=\([0-9.]*\).*/\1/p' "$work/engine.txt") "
                ;;
            mydumper)
                one=$(run_one "$work/mydumper.txt" mydumper -h "$host" -P "$port" -u "$user" \
                    ${password:+-p "$password"} -B "$db" -T "$table" -t 1 -o "$work/out/mydumper")
                ;;
            dump-single)
                one=$(run_one "$work/out/dump.sql" mariadb-dump --no-defaults "${auth[@]}" --skip-extended-insert "$db" "$table")
                ;;
            dump-multi)
                one=$(run_one "$work/out/dump.sql" mariadb-dump --no-defaults "${auth[@]}" "$db" "$table")
                ;;
            esac
            result[$rows,$v,$run]=$one
        done
    done
done

# field N (1 wall, 2 rss, 3 cpu) of a variant's round
field() { awk -v n="$4" '{print $n}' <<<"${result[$1,$2,$3]}"; }
# the median over the rounds of field N of a variant
median_of() {
    local run
    for run in $(seq 1 "$runs"); do field "$1" "$2" "$run" "$3"; done | median
}
# the median over the rounds of the per-round ratio of field N of two variants
ratio_of() {
    local run
    for run in $(seq 1 "$runs"); do
        echo "$(field "$1" "$2" "$run" "$4") / $(field "$1" "$3" "$run" "$4")" | bc -l
    done | median
}

echo
echo "== medians of $runs rounds: wall seconds (fsync: the part of it spent flushing to disk),"
echo "   cpu seconds of the dumping process (user + system), peak RSS (MB, the largest of the rounds)"
printf "%-10s %-24s %10s %10s %10s %10s\n" rows variant seconds fsync cpu rss_mb
for rows in "${sizes[@]}"; do
    for v in "${variants[@]}"; do
        f=$(tr ' ' '\n' <<<"${sync[$rows,$v]:-}" | grep . | median || true)
        m=$(for run in $(seq 1 "$runs"); do field "$rows" "$v" "$run" 2; done | sort -g | tail -1)
        printf "%-10s %-24s %10.2f %10s %10.2f %10.1f\n" "$rows" "$v" "$(median_of "$rows" "$v" 1)" "${f:--}" \
            "$(median_of "$rows" "$v" 3)" "$(echo "$m / 1024" | bc -l)"
    done
done

echo
echo "== ratios: medians of the per-round ratios (below 1: the engine is faster or uses less CPU)"
printf "%-10s %-46s %8s %8s\n" rows pair time cpu
pairs=("engine-single mydumper" "engine-multi mydumper" "engine-single dump-single" "engine-multi dump-multi"
    "mydumper dump-multi" "engine-multi-snapshot engine-multi")
for rows in "${sizes[@]}"; do
    for pair in "${pairs[@]}"; do
        read -r a b <<<"$pair"
        printf "%-10s %-46s %8.2f %8.2f\n" "$rows" "$a / $b" "$(ratio_of "$rows" "$a" "$b" 1)" \
            "$(ratio_of "$rows" "$a" "$b" 3)"
    done
done
client -e "DROP DATABASE IF EXISTS $db"
