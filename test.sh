#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs every test.
#   ./test.sh             release-with-debug-info build in build/
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
# The plain run also builds and tests the configuration without Qt in build-noqt/, and gives each
# fuzz target a short run in build-fuzz/ (clang).
set -euo pipefail
cd "$(dirname "$0")"

build=build
extra=()
for arg in "$@"; do
  case "$arg" in
    --sanitize)
      build=build-asan
      extra+=(-DGUSVAK_SANITIZE=ON -DGUSVAK_BENCH=OFF)
      export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
      ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
  esac
done

./scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
cmake -S . -B "$build" -G Ninja "${extra[@]}" >/dev/null
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure

# The engine core and the host server must keep building and passing their tests without Qt.
if [ "$build" = build ]; then
  cmake -S . -B build-noqt -G Ninja -DGUSVAK_WITH_QT=OFF -DGUSVAK_BENCH=OFF >/dev/null
  cmake --build build-noqt
  ctest --test-dir build-noqt --output-on-failure

  # Every fuzz target builds (clang) and runs a few seconds from its seeds without a finding.
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DGUSVAK_FUZZ=ON -DGUSVAK_BENCH=OFF >/dev/null
  cmake --build build-fuzz --target fuzzers
  ctest --test-dir build-fuzz -L fuzz --output-on-failure
fi
