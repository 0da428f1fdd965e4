#!/usr/bin/env bash
# Copy and export benchmark against real servers (not a test): the export engine against the
# mariadb client's raw batch output, and the copy engine against mariadb-dump piped into the
# mariadb client, on tables of mixed types, side by side in one run, median of N runs.
#
#   bench/copy_export_bench.sh [ROWS...]      default: 100000 1000000; RUNS=3 by default
#
# Exports: the engine's CSV, XML and HTML files against
#   mariadb --quick --batch --raw -e 'SELECT * FROM t' > file       (the floor: no escaping at all)
# Copies onto the second server:
#   engine single-row                  against  mariadb-dump --skip-extended-insert | mariadb
#   engine ten-row with addAutocommit  against  the same pipe, and against  mariadb-dump | mariadb
#   engine with maxInsertBytes 1 MiB   against  mariadb-dump | mariadb (whose extended INSERTs
#                                      are of about 1 MiB too: its net_buffer_length)
# Every copy goes into a database dropped just before (not timed). Peak RSS comes from
# /usr/bin/time (for a pipe: the largest of its processes); CPU is user + system time of the
# engine or of the whole pipe.
#
# Uses the servers in KELVANTO_TEST_MYSQL_* and KELVANTO_TEST_MYSQL2_* when set, else starts
# two throw-away ones.
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"

bench_init "$@"
bench_build copy_export_engine
bench_servers 2
db=kelvanto_bench
copy=kelvanto_bench_copy
engine=("$build/bench/copy_export_engine")
source_args=(--host "$host" --port "$port" --user "$user" --password "$password")
bench_tables "$db"

declare -A seconds rss cpu
variants=(export-csv export-xml export-html client-raw copy-single pipe-single copy-ten-autocommit pipe-default
    copy-sized)
for rows in "${sizes[@]}"; do
    table=rows_$rows
    for run in $(seq 1 "$runs"); do
        for v in "${variants[@]}"; do
            rm -rf "$work/out" && mkdir -p "$work/out"
            case $v in
            copy-* | pipe-*) client2 -e "DROP DATABASE IF EXISTS $copy; CREATE DATABASE $copy" ;;
            esac
            case $v in
            export-*)
                result=$(run_one "$work/engine.txt" "${engine[@]}" export "${source_args[@]}" --database "$db" \
                    --table "$table" --out "$work/out" --format "${v#export-}")
                ;;
            client-raw)
                result=$(run_one "$work/out/raw.txt" mariadb --no-defaults "${auth[@]}" --quick --batch --raw \
                    -e "SELECT * FROM $table" "$db")
                ;;
            copy-single)
                result=$(run_one "$work/engine.txt" "${engine[@]}" copy "${source_args[@]}" --database "$db" --table "$table" \
                    --dest-host "$host" --dest-port "$port2" --dest-user "$user" --dest-password "$password" \
                    --dest-database "$copy" --out "$work/out")
                ;;
            copy-ten-autocommit)
                result=$(run_one "$work/engine.txt" "${engine[@]}" copy "${source_args[@]}" --database "$db" --table "$table" \
                    --dest-host "$host" --dest-port "$port2" --dest-user "$user" --dest-password "$password" \
                    --dest-database "$copy" --out "$work/out" --multi-row --autocommit)
                ;;
            copy-sized)
                result=$(run_one "$work/engine.txt" "${engine[@]}" copy "${source_args[@]}" --database "$db" --table "$table" \
                    --dest-host "$host" --dest-port "$port2" --dest-user "$user" --dest-password "$password" \
                    --dest-database "$copy" --out "$work/out" --multi-row --max-insert-bytes 1048576)
                ;;
            pipe-single)
                result=$(run_one "$work/out/pipe.txt" bash -c "mariadb-dump --no-defaults ${auth[*]} \
                    --skip-extended-insert $db $table | mariadb --no-defaults ${auth2[*]} $copy")
                ;;
            pipe-default)
                result=$(run_one "$work/out/pipe.txt" bash -c "mariadb-dump --no-defaults ${auth[*]} $db $table \
                    | mariadb --no-defaults ${auth2[*]} $copy")
                ;;
            esac
            case $v in
            export-* | copy-*)
                grep -q "outcome=finished" "$work/engine.txt" || {
                    echo "$v failed: $(cat "$work/engine.txt") $(cat "$work/stderr")" >&2
                    exit 1
                }
                ;;
            esac
            case $v in
            copy-* | pipe-*)
                got=$(client2 -N -e "SELECT COUNT(*) FROM $copy.$table")
                [ "$got" = "$rows" ] || {
                    echo "$v copied $got rows instead of $rows" >&2
                    exit 1
                }
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
echo "== results: median of $runs runs (seconds; cpu: user + system seconds), peak RSS (MB, the largest of the runs)"
printf "%-10s %-22s %10s %10s %10s\n" rows variant seconds cpu rss_mb
for rows in "${sizes[@]}"; do
    for v in "${variants[@]}"; do
        s=$(tr ' ' '\n' <<<"${seconds[$rows,$v]}" | grep . | median)
        m=$(tr ' ' '\n' <<<"${rss[$rows,$v]}" | grep . | sort -g | tail -1)
        c=$(tr ' ' '\n' <<<"${cpu[$rows,$v]}" | grep . | median)
        printf "%-10s %-22s %10.2f %10.2f %10.1f\n" "$rows" "$v" "$s" "$c" "$(echo "$m / 1024" | bc -l)"
        declare "med_${v//-/_}_$rows=$s" "cpu_${v//-/_}_$rows=$c"
    done
done
echo
echo "== ratios (engine / peer; below 1 means the engine is faster)"
for rows in "${sizes[@]}"; do
    r() { local a=med_$1_$rows b=med_$2_$rows; echo "${!a} / ${!b}" | bc -l; }
    rc() { local a=cpu_$1_$rows b=cpu_$2_$rows; echo "${!a} / ${!b}" | bc -l; }
    printf "%-10s export csv / raw client %.2f  xml %.2f  html %.2f\n" "$rows" "$(r export_csv client_raw)" \
        "$(r export_xml client_raw)" "$(r export_html client_raw)"
    printf "%-10s copy single-row / pipe --skip-extended-insert %.2f   ten-row+autocommit / same pipe %.2f  / default pipe %.2f\n" \
        "$rows" "$(r copy_single pipe_single)" "$(r copy_ten_autocommit pipe_single)" \
        "$(r copy_ten_autocommit pipe_default)"
    printf "%-10s copy maxInsertBytes 1 MiB / default pipe %.2f   cpu %.2f\n" "$rows" "$(r copy_sized pipe_default)" \
        "$(rc copy_sized pipe_default)"
done
client -e "DROP DATABASE IF EXISTS $db"
client2 -e "DROP DATABASE IF EXISTS $copy"
