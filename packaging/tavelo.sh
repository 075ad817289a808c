#!/bin/sh
# Launcher: the program lives in lib/tavelo beside this bin/ (TAVELO_PROGRAM_DIR names
# another folder, as for a build tree); the learner's data lives in the folder tavelo-admin
# data-dir names, by the same rule the program follows.
dir="${TAVELO_PROGRAM_DIR:-$(dirname "$(readlink -f "$0")")/../lib/tavelo}"

# Any option but --data-dir goes to the program as it is: --help and --version answer
# there before anything is set up, and an unknown option is refused there.
select=""
case "$#:${1:-}" in
0:) ;;
2:--data-dir) select="$2" ;;
1:--data-dir=?*) select="${1#--data-dir=}" ;;
*) exec "$dir/tavelo" "$@" ;;
esac
if [ -n "$select" ]; then
  data=$("$dir/tavelo-admin" --data-dir "$select" data-dir) || exit 1
else
  data=$("$dir/tavelo-admin" data-dir) || exit 1
fi

# The demo database is made on the first start only. Once a database has been there, a
# missing Tavelo.mdb was moved or deleted: the program then says so itself, instead of a
# fresh database hiding the loss. When the demo cannot be made, the program's own refusal
# names the folder on the screen.
marker="$data/first-start.done"
mark_started() {
  printf '%s\n' "Tavelo has been started here before: a missing Tavelo.mdb is reported," \
    "not replaced by a new demo database. Delete this file to get one on the next start." \
    >"$marker"
}
if [ -e "$data/Tavelo.mdb" ]; then
  [ -e "$marker" ] || mark_started 2>/dev/null || true
elif [ ! -e "$marker" ]; then
  # Work that takes longer than a second (recording the words of a build without the
  # recordings) shows its progress in a window.
  if "$dir/tavelo-admin" --db "$data/Tavelo.mdb" init --demo --progress-window >/dev/null; then
    mark_started || echo "tavelo: cannot write $marker" >&2
  fi
fi
exec "$dir/tavelo" "$@"
