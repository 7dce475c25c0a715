#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the host window with the stocktake module
# on the embedded default database (SQLite, created with demo data on first use).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
if [ -x build/src/host/retailhost ]; then
  exec build/src/host/retailhost "$@"
fi
echo "run.sh: the host window (build/src/host/retailhost) is not built yet;"
echo "        it will start: build/src/host/retailhost [--db PATH | --pg CONNINFO] [--operator CODE]"
