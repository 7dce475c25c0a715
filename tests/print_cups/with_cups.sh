#!/bin/bash
# Runs a command against a private CUPS scheduler: starts it in a fresh folder under /tmp (whose
# parents user lp can reach), points libcups, Qt and lp at it (CUPS_SERVER, a private HOME so no
# personal lpoptions interfere), exports CUPS_SANDBOX for the tests' own job checks, and stops it
# and removes the folder whatever happens. Without root or cupsd the command is skipped (exit 0
# with a note), since the scheduler then cannot run its filters as user lp.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ] || [ ! -x /usr/sbin/cupsd ] || ! id lp >/dev/null 2>&1; then
  echo "with_cups: skipped (needs root, cupsd and user lp)"; exit 0
fi
D=$(mktemp -d /tmp/vncups.XXXXXX)
chmod 755 "$D"
cleanup() { "$here/cups_sandbox.sh" stop "$D/box" >/dev/null 2>&1; rm -rf "$D"; }
trap cleanup EXIT
trap 'exit 130' INT TERM
"$here/cups_sandbox.sh" start "$D/box" >/dev/null || { echo "with_cups: the scheduler did not start"; exit 1; }
export CUPS_SERVER="$D/box/run/cups.sock" CUPS_SANDBOX="$D/box" CUPS_SANDBOX_SCRIPT="$here/cups_sandbox.sh"
export HOME="$D/home"; mkdir -p "$HOME"
"$@"
