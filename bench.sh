#!/usr/bin/env bash
# Builds and runs every benchmark; prints median figures over several repetitions.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DGUSVAK_BENCH=ON >/dev/null
cmake --build build-bench
export QT_QPA_PLATFORM=offscreen
for b in build-bench/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
