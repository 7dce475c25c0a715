#!/usr/bin/env bash
# retailhost's command line as an integrator's script meets it: bad numbers are usage errors, a
# sheet that cannot be shown is said at once, a data folder that cannot be made is named, and
# init-demo refuses to replace a database that a running host has open.
set -uo pipefail
host="$1"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
fail=0
expect() { # expect RC PATTERN -- command...
  local rc="$1" pattern="$2"; shift 3
  local out got
  out=$(timeout 60 "$@" 2>&1); got=$?
  if [ "$got" -ne "$rc" ] || ! grep -q -- "$pattern" <<<"$out"; then
    echo "FAIL: $* -> exit $got (want $rc), output: $out"; fail=1
  fi
}

"$host" init-demo --db "$work/demo.db" --lines 30 >/dev/null || { echo "init-demo failed"; exit 1; }
posted=$("$host" call --db "$work/demo.db" OpenQuery "select f_Djh from tbDlpdzb where f_Jzbz=1" | sed -n 3p)

expect 2 'from 1 to 1000000, not "abc"'   -- "$host" init-demo --db "$work/x.db" --lines abc
expect 2 'not "-5"'                        -- "$host" init-demo --db "$work/x.db" --lines -5
expect 2 'not "99999999999"'               -- "$host" init-demo --db "$work/x.db" --lines 99999999999
expect 2 'milliseconds from 0 to 600000'   -- "$host" --db "$work/demo.db" --screenshot-after abc
expect 2 'no stocktake sheet 999999999999' -- "$host" --db "$work/demo.db" --sheet 999999999999 --screenshot "$work/s.png"
expect 2 "$posted is already posted"       -- "$host" --db "$work/demo.db" --sheet "$posted" --screenshot "$work/s.png"
expect 2 'a 32-bit integer'                -- "$host" call --db "$work/demo.db" RunServerFunction 4294967329 x
expect 2 'unknown operation 4294967329'    -- "$host" call --db "$work/demo.db" 4294967329
# A command-line query is bounded: past a limit the run fails with the option that raises it, and
# prints no rows.
cross="select a.f_Spbm from tbspda a, tbspda b"
expect 1 '超过 5 行的上限（可用 --max-rows'  -- "$host" call --db "$work/demo.db" --max-rows 5 OpenQuery "$cross"
expect 1 '字节的上限（可用 --max-bytes'      -- "$host" call --db "$work/demo.db" --max-bytes 1000 OpenQuery "select hex(zeroblob(2000))"
expect 2 'takes a positive number, not "0"' -- "$host" call --db "$work/demo.db" --max-rows 0 OpenQuery "$cross"
lines=$("$host" call --db "$work/demo.db" --max-rows 5 OpenQuery "$cross" | wc -l)
[ "$lines" -eq 2 ] || { echo "FAIL: a refused result printed $lines lines, not False and the message"; fail=1; }
touch "$work/plainfile"
expect 1 'cannot use the data folder'      -- env XDG_DATA_HOME="$work/plainfile/sub" "$host" --screenshot "$work/s.png"

# An unattended run never waits on a message box: the box goes to stderr and the run fails.
cp "$work/demo.db" "$work/broken.db"
sqlite3 "$work/broken.db" "delete from tbSysMsg where lower(f_Csmc) = 'dybm'"
expect 1 '错误: '                           -- "$host" --db "$work/broken.db" --screenshot "$work/b.png"

# A full disk under the settings and the screenshot (a private small file system, where this
# machine allows one): the unattended run logs the reason in Chinese, waits on no box, fails, and
# leaves no partial or temporary file behind.
mkdir "$work/full"
if [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
  out=$(timeout 150 unshare -m sh -c '
    mount -t tmpfs -o size=256k tmpfs "$1" || exit 99
    mkdir -p "$1/config/gusvak"
    dd if=/dev/zero of="$1/filler" bs=4k 2>/dev/null
    XDG_CONFIG_HOME="$1/config" "$2" --db "$3" --screenshot "$1/shot.png"; rc=$?
    ls -A "$1" "$1/config/gusvak" | grep -E "shot|tmp-" && echo "LEFTOVER"
    exit $rc' sh "$work/full" "$host" "$work/demo.db" 2>&1); rc=$?
  if [ $rc -ne 99 ]; then
    { [ $rc -eq 1 ] && grep -q '磁盘空间不足' <<<"$out" && ! grep -q 'LEFTOVER\|Cannot write' <<<"$out"; } \
      || { echo "FAIL: full disk: exit $rc: $out"; fail=1; }
  fi
fi

# A host with the database open: init-demo leaves the file alone.
"$host" --db "$work/demo.db" --screenshot "$work/s.png" --screenshot-after 5000 >/dev/null 2>&1 &
for _ in $(seq 50); do grep -q FLOCK /proc/locks && break; sleep 0.1; done
before=$(stat -c %i "$work/demo.db")
expect 1 'in use by a running host'        -- "$host" init-demo --db "$work/demo.db" --lines 30
[ "$(stat -c %i "$work/demo.db")" = "$before" ] || { echo "FAIL: the open database was replaced"; fail=1; }
wait
expect 0 'demo data written'               -- "$host" init-demo --db "$work/demo.db" --lines 30
exit $fail
