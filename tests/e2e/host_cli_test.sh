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
touch "$work/plainfile"
expect 1 'cannot use the data folder'      -- env XDG_DATA_HOME="$work/plainfile/sub" "$host" --screenshot "$work/s.png"

# An unattended run never waits on a message box: the box goes to stderr and the run fails.
cp "$work/demo.db" "$work/broken.db"
sqlite3 "$work/broken.db" "delete from tbSysMsg where lower(f_Csmc) = 'dybm'"
expect 1 '错误: '                           -- "$host" --db "$work/broken.db" --screenshot "$work/b.png"

# A host with the database open: init-demo leaves the file alone.
"$host" --db "$work/demo.db" --screenshot "$work/s.png" --screenshot-after 5000 >/dev/null 2>&1 &
for _ in $(seq 50); do grep -q FLOCK /proc/locks && break; sleep 0.1; done
before=$(stat -c %i "$work/demo.db")
expect 1 'in use by a running host'        -- "$host" init-demo --db "$work/demo.db" --lines 30
[ "$(stat -c %i "$work/demo.db")" = "$before" ] || { echo "FAIL: the open database was replaced"; fail=1; }
wait
expect 0 'demo data written'               -- "$host" init-demo --db "$work/demo.db" --lines 30
exit $fail
