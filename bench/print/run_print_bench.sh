#!/bin/bash
# Runs the print benchmark against a private CUPS scheduler (started and stopped around it).
#   bench/print/run_print_bench.sh [BUILD_DIR]
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
exec "$here/../../tests/print_cups/with_cups.sh" "$build/bench/bench_print" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true
