#!/usr/bin/env bash
# Compressed dump benchmark against a real server (not a test): the backup-to-files engine
# writing .sql.zst and .sql.gz against the peers that a user would otherwise script, side by
# side in one run, on the table of mixed types; every variant runs once per round, and a
# ratio is the median of the ratios of the rounds (each compares runs under the same load):
#
#   engine-zstd   the engine, ten-row INSERTs, zstd at LEVEL_ZSTD (3, zstd's own default)
#   dump|zstd     mariadb-dump (extended inserts) | zstd -LEVEL_ZSTD
#   engine-gzip   the engine, ten-row INSERTs, gzip at LEVEL_GZIP (6, gzip's own default)
#   dump|gzip     mariadb-dump | gzip -LEVEL_GZIP
#   mydumper-c    mydumper -c (Debian 12's mydumper compresses with gzip only), 4 threads
#
#   bench/compress_bench.sh [ROWS...]   default: 1000000; RUNS=3 by default
#
# Reports wall seconds, cpu seconds (user + system of every process of the variant) and the
# size of what was written (medians), then the ratios of time and size. The engine's time
# includes flushing its files to stable storage (fsync) and digesting them for the run's
# manifest, which the peers do not do.
# Uses the server in KELVANTO_TEST_MYSQL_* when set, else starts a throw-away one.
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"

[ $# -gt 0 ] || set -- 1000000
bench_init "$@"
bench_build dump_engine
bench_servers 1
db=kelvanto_bench
bench_tables "$db"
zl=${LEVEL_ZSTD:-3}
gl=${LEVEL_GZIP:-6}

declare -A seconds cpu size ratios
variants=(engine-zstd "dump|zstd" engine-gzip "dump|gzip" mydumper-c)
# The ratios: engine variant, peer variant, label. Each is taken within one round (the same
# load on the machine for both) and the median of the rounds is reported.
pairs=("engine-zstd dump|zstd zstd_vs_dump|zstd" "engine-gzip dump|gzip gzip_vs_dump|gzip"
    "engine-gzip mydumper-c gzip_vs_mydumper-c")
dump_cmd="mariadb-dump --no-defaults -h$host -P$port -u$user${password:+ -p$password}"
for rows in "${sizes[@]}"; do
    table=rows_$rows
    for run in $(seq 1 "$runs"); do
        declare -A round_seconds=() round_size=()
        for v in "${variants[@]}"; do
            rm -rf "$work/out" && mkdir -p "$work/out"
            case $v in
            engine-*)
                kind=${v#engine-}
                level=$zl
                [ "$kind" = gzip ] && level=$gl
                result=$(run_one "$work/engine.txt" "$build/bench/dump_engine" --host "$host" --port "$port" \
                    --user "$user" --password "$password" --database "$db" --table "$table" --out "$work/out" \
                    --multi-row --compression "$kind" --level "$level")
                grep -q "outcome=finished" "$work/engine.txt" || {
                    echo "engine run failed: $(cat "$work/engine.txt")" >&2
                    exit 1
                }
                bytes=$(sed -n 's/.*bytes=\([0-9]*\).*/\1/p' "$work/engine.txt")
                ;;
            "dump|zstd")
                result=$(run_one "$work/out/dump.sql.zst" bash -o pipefail -c "$dump_cmd $db $table | zstd -q -$zl")
                bytes=$(stat -c %s "$work/out/dump.sql.zst")
                ;;
            "dump|gzip")
                result=$(run_one "$work/out/dump.sql.gz" bash -o pipefail -c "$dump_cmd $db $table | gzip -$gl")
                bytes=$(stat -c %s "$work/out/dump.sql.gz")
                ;;
            mydumper-c)
                result=$(run_one "$work/mydumper.txt" mydumper -h "$host" -P "$port" -u "$user" \
                    ${password:+-p "$password"} -B "$db" -T "$table" -c -t 4 -o "$work/out/mydumper")
                bytes=$(du -sb "$work/out/mydumper" | cut -f1)
                ;;
            esac
            read -r wall _ cputime <<<"$result"
            seconds[$rows,$v]+="$wall "
            cpu[$rows,$v]+="$cputime "
            size[$rows,$v]+="$bytes "
            round_seconds[$v]=$wall
            round_size[$v]=$bytes
        done
        for pair in "${pairs[@]}"; do
            read -r mine peer label <<<"$pair"
            ratios[$rows,time,$label]+="$(echo "${round_seconds[$mine]} / ${round_seconds[$peer]}" | bc -l) "
            ratios[$rows,size,$label]+="$(echo "${round_size[$mine]} / ${round_size[$peer]}" | bc -l) "
        done
        echo "round $run of $rows rows: $(for v in "${variants[@]}"; do printf '%s %.2fs  ' "$v" "${round_seconds[$v]}"; done)"
    done
done

of() { tr ' ' '\n' <<<"$1" | grep . | median; }
echo
echo "== results: median of $runs runs (seconds; cpu: user + system seconds of all processes; size in MB)"
printf "%-10s %-12s %10s %10s %10s\n" rows variant seconds cpu size_mb
for rows in "${sizes[@]}"; do
    for v in "${variants[@]}"; do
        printf "%-10s %-12s %10.2f %10.2f %10.1f\n" "$rows" "$v" "$(of "${seconds[$rows,$v]}")" \
            "$(of "${cpu[$rows,$v]}")" "$(echo "$(of "${size[$rows,$v]}") / 1048576" | bc -l)"
    done
done
echo
echo "== ratios: median of the per-round ratios (engine / peer; below 1: the engine is faster or smaller)"
printf "%-10s %-22s %8s %8s   %s\n" rows pair time size "time ratio of each round"
for rows in "${sizes[@]}"; do
    for pair in "${pairs[@]}"; do
        read -r _ _ label <<<"$pair"
        printf "%-10s %-22s %8.2f %8.2f   %s\n" "$rows" "$label" "$(of "${ratios[$rows,time,$label]}")" \
            "$(of "${ratios[$rows,size,$label]}")" \
            "$(for r in ${ratios[$rows,time,$label]}; do printf '%.2f ' "$r"; done)"
    done
done
client -e "DROP DATABASE IF EXISTS $db"
