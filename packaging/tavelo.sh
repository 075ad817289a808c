#!/bin/sh
# Launcher: the program lives with its data in one folder (lib/tavelo beside this bin/).
dir="$(dirname "$(readlink -f "$0")")/../lib/tavelo"
if [ ! -e "$dir/Tavelo.mdb" ]; then
  if [ ! -w "$dir" ]; then
    echo "tavelo: $dir holds no Tavelo.mdb and is not writable; install Tavelo into a folder you own (cmake --install build --prefix ~/.local)" >&2
    exit 1
  fi
  echo "tavelo: creating the demo database in $dir ..."
  "$dir/tavelo-admin" init --demo || exit 1
fi
# X11 also under Wayland (XWayland): topmost window, hotkey and focus click need it.
export QT_QPA_PLATFORM=xcb
exec "$dir/tavelo" "$@"
