#!/usr/bin/env bash
# Compressed dump benchmark against a real server (not a test): the backup-to-files engine
# writing .sql.zst and .sql.gz against the peers that a user would otherwise script, side by
# side in one run, median of N runs, on the table of mixed types:
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
# size of what was written. The engine's time includes flushing its files to stable storage
# (fsync) and digesting them for the run's manifest, which the peers do not do.
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

declare -A seconds cpu size
variants=(engine-zstd "dump|zstd" engine-gzip "dump|gzip" mydumper-c)
dump_cmd="mariadb-dump --no-defaults -h$host -P$port -u$user${password:+ -p$password}"
for rows in "${sizes[@]}"; do
    table=rows_$rows
    for run in $(seq 1 "$runs"); do
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
            size[$rows,$v]=$bytes
        done
    done
done

echo
echo "== results: median of $runs runs (seconds; cpu: user + system seconds of all processes; size in MB)"
printf "%-10s %-12s %10s %10s %10s\n" rows variant seconds cpu size_mb
for rows in "${sizes[@]}"; do
    for v in "${variants[@]}"; do
        s=$(tr ' ' '\n' <<<"${seconds[$rows,$v]}" | grep . | median)
        c=$(tr ' ' '\n' <<<"${cpu[$rows,$v]}" | grep . | median)
        printf "%-10s %-12s %10.2f %10.2f %10.1f\n" "$rows" "$v" "$s" "$c" "$(echo "${size[$rows,$v]} / 1048576" | bc -l)"
        key=${v//[-|]/_}
        declare "med_${key}_$rows=$s" "size_${key}_$rows=${size[$rows,$v]}"
    done
done
echo
echo "== ratios (engine / peer; below 1 means the engine is faster or smaller)"
for rows in "${sizes[@]}"; do
    ez=med_engine_zstd_$rows dz=med_dump_zstd_$rows eg=med_engine_gzip_$rows dg=med_dump_gzip_$rows
    my=med_mydumper_c_$rows
    sez=size_engine_zstd_$rows sdz=size_dump_zstd_$rows seg=size_engine_gzip_$rows sdg=size_dump_gzip_$rows
    printf "%-10s time: zstd %.2f  gzip %.2f  gzip vs mydumper -c %.2f   size: zstd %.2f  gzip %.2f\n" "$rows" \
        "$(echo "${!ez} / ${!dz}" | bc -l)" "$(echo "${!eg} / ${!dg}" | bc -l)" "$(echo "${!eg} / ${!my}" | bc -l)" \
        "$(echo "${!sez} / ${!sdz}" | bc -l)" "$(echo "${!seg} / ${!sdg}" | bc -l)"
done
client -e "DROP DATABASE IF EXISTS $db"
