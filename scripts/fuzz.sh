#!/usr/bin/env bash
# Runs a fuzzing campaign: builds the libFuzzer targets with clang in build-fuzz/ and runs each
# for SECONDS (default 600), one after another at the lowest priority, each from its seeds and the
# corpus earlier runs grew (build-fuzz/fuzz/corpus/NAME). Prints runs, coverage and peak memory
# per target; a crash leaves its input in build-fuzz/fuzz/artifacts/ and fails the script.
#   scripts/fuzz.sh [SECONDS] [fuzz_NAME ...]     default: every target
# FUZZ_NO_BUILD=1 runs the targets as they are built (while another build is under way).
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
shift || true
targets=("$@")
if [ -z "${FUZZ_NO_BUILD:-}" ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DGUSVAK_FUZZ=ON -DGUSVAK_BENCH=OFF >/dev/null || exit 1
  cmake --build build-fuzz --target "${targets[@]:-fuzzers}" || exit 1
fi
if [ ${#targets[@]} -eq 0 ]; then
  for src in fuzz/fuzz_*.cpp; do
    name=$(basename "$src" .cpp)
    [ -x "build-fuzz/fuzz/$name" ] && targets+=("$name")
  done
fi
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
mkdir -p build-fuzz/fuzz/logs build-fuzz/fuzz/artifacts
status=0
for name in "${targets[@]}"; do
  corpus="build-fuzz/fuzz/corpus/$name"
  mkdir -p "$corpus"
  short=${name#fuzz_}
  case "$short" in build) short=report_stream ;; prepared) short=qt_draw ;; esac
  seeds=()
  [ -d "fuzz/seeds/$short" ] && seeds=("fuzz/seeds/$short")
  log="build-fuzz/fuzz/logs/$name.log"
  nice -n 19 "build-fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/fuzz/artifacts/$name-" "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  rss=$(grep -o 'stat::peak_rss_mb: *[0-9]*' "$log" | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  printf '%-24s exit %d  runs %s  %s  peak %s MB  corpus %s\n' "$name" "$rc" "${runs:-?}" "${cov:-cov: ?}" \
    "${rss:-?}" "$(ls "$corpus" | wc -l)"
  [ $rc -eq 0 ] || status=1
done
exit $status
