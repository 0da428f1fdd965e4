#!/usr/bin/env bash
# What 100, 1000 and 10,000 waiting daily tasks cost while they wait (CPU share of one core,
# resident memory, threads), how long the quit takes, and how fast Run Immediately is served:
# runner_idle on the real clock, median of RUNS (3) rounds of SECONDS_PER_ROUND (30) each.
#
#   bench/runner_idle.sh [LARGEST_COUNT, default 10000]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/bench-common.sh"
bench_init
bench_build runner_idle
"$build/bench/runner_idle" "${SECONDS_PER_ROUND:-30}" "$runs" "${1:-10000}"
