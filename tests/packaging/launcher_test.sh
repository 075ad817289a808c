#!/bin/sh
# The launcher makes the demo database on an installation's first start only; afterwards
# a missing database reaches the program, which reports it. Usage: launcher_test.sh LAUNCHER
set -eu
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prog="$root/lib/tavelo"
mkdir -p "$root/bin" "$prog"
cp "$1" "$root/bin/tavelo"
chmod +x "$root/bin/tavelo"

# Stand-ins that log what they were asked: tavelo-admin (failing while fail-init exists)
# and the program, which notes whether it found a database.
cat >"$prog/tavelo-admin" <<'END'
#!/bin/sh
dir=$(dirname "$0")
[ "$*" = data-dir ] && { echo "$dir"; exit 0; }
echo "admin ${*#--db $dir/Tavelo.mdb }" >>"$dir/log"
[ ! -e "$dir/fail-init" ] && : >"$dir/Tavelo.mdb"
END
cat >"$prog/tavelo" <<'END'
#!/bin/sh
dir=$(dirname "$0")
if [ -e "$dir/Tavelo.mdb" ]; then echo "run${*:+ $*}" >>"$dir/log"; else echo "run, no database" >>"$dir/log"; fi
END
chmod +x "$prog/tavelo-admin" "$prog/tavelo"

failures=0
# start NAME EXPECTED_EXIT EXPECTED_LOG...: one start through the launcher on the PATH.
start() {
  name=$1 want=$2
  shift 2
  : >"$prog/log"
  code=0
  PATH="$root/bin:$PATH" tavelo >/dev/null 2>&1 || code=$?
  got=$(cat "$prog/log")
  want_log=$(printf '%s\n' "$@")
  if [ "$code" != "$want" ] || [ "$got" != "$want_log" ]; then
    echo "FAIL $name: exit $code (want $want), log:" >&2
    printf '%s\n' "$got" "-- want:" "$want_log" >&2
    failures=$((failures + 1))
  fi
}

: >"$prog/fail-init"
start "first start, demo fails" 0 "admin init --demo --progress-window" "run, no database"
rm "$prog/fail-init"
start "first start again" 0 "admin init --demo --progress-window" "run"
start "second start" 0 "run"
rm "$prog/Tavelo.mdb"
start "database gone" 0 "run, no database"
start "still gone" 0 "run, no database"
rm "$prog/first-start.done"
start "marker removed by hand" 0 "admin init --demo --progress-window" "run"

# An installation that had its database before the launcher kept a marker.
rm "$prog/first-start.done"
start "database there, no marker" 0 "run"
rm "$prog/Tavelo.mdb"
start "then gone" 0 "run, no database"

# A build tree named by TAVELO_PROGRAM_DIR (scripts/run) is an installation of its own.
tree="$root/tree"
mkdir "$tree"
cp "$prog/tavelo-admin" "$prog/tavelo" "$tree/"
TAVELO_PROGRAM_DIR="$tree" sh "$1" >/dev/null 2>&1 || true
if [ "$(cat "$tree/log" 2>/dev/null)" != "$(printf '%s\n' "admin init --demo --progress-window" "run")" ] ||
  [ ! -e "$tree/first-start.done" ] || [ -e "$prog/Tavelo.mdb" ]; then
  echo "FAIL build tree: $(cat "$tree/log" 2>/dev/null)" >&2
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "launcher: all starts as expected"
exit "$failures"
