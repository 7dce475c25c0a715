# Sourced by the vnreport command-line tests: a work folder of their own, removed however the
# script ends, with a private runtime folder so that Qt does not complain or share one with
# another test running beside it. Sets `work`.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
