#!/bin/sh
# Launcher: the program lives with its data in one folder (lib/tavelo beside this bin/;
# TAVELO_PROGRAM_DIR names another, as for a build tree).
dir="${TAVELO_PROGRAM_DIR:-$(dirname "$(readlink -f "$0")")/../lib/tavelo}"

# The demo database is made on the first start of an installation only. Once a database
# has been there, a missing Tavelo.mdb was moved or deleted: the program then says so
# itself, instead of a fresh database hiding the loss.
marker="$dir/first-start.done"
mark_started() {
  printf '%s\n' "Tavelo has been started here before: a missing Tavelo.mdb is reported," \
    "not replaced by a new demo database. Delete this file to get one on the next start." \
    >"$marker"
}
if [ -e "$dir/Tavelo.mdb" ]; then
  [ -e "$marker" ] || mark_started 2>/dev/null || true
elif [ ! -e "$marker" ]; then
  if [ ! -w "$dir" ]; then
    echo "tavelo: $dir holds no Tavelo.mdb and is not writable; install Tavelo into a folder you own (cmake --install build --prefix ~/.local)" >&2
    exit 1
  fi
  echo "tavelo: creating the demo database in $dir (recording the demo words takes about half a minute) ..."
  "$dir/tavelo-admin" init --demo || exit 1
  mark_started || echo "tavelo: cannot write $marker" >&2
fi
# X11 also under Wayland (XWayland): topmost window, hotkey and focus click need it.
export QT_QPA_PLATFORM=xcb
exec "$dir/tavelo" "$@"
