#!/bin/bash
# The test fixture of the Windows build: one Xvfb and one persistent
# wineserver for the whole ctest run. ctest-wine-env.sh up|down PREFIX
set -u
export WINEPREFIX=$2 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
here=$(dirname "$(realpath "$0")")
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
case $1 in
up)
  flock "$WINEPREFIX.lock" "$here/wine-init.sh" "$WINE" || exit 1
  # The server wineboot left behind lingers and has no display: stop it first.
  "$WINESERVER" -k >/dev/null 2>&1; "$WINESERVER" -w >/dev/null 2>&1
  if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 140); do [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break; done
    setsid Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    echo $! > "$WINEPREFIX.xvfb.pid"
    for i in $(seq 1 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done
    echo ":$n" > "$WINEPREFIX.display"; export DISPLAY=:$n
  fi
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  # Start Wine's services now, with their output away from ctest's pipes.
  "$WINE" cmd.exe /c exit >/dev/null 2>&1 </dev/null ;;
down)
  "$WINESERVER" -k >/dev/null 2>&1; "$WINESERVER" -w >/dev/null 2>&1
  [ -f "$WINEPREFIX.xvfb.pid" ] && kill "$(cat "$WINEPREFIX.xvfb.pid")" 2>/dev/null
  rm -f "$WINEPREFIX.xvfb.pid" "$WINEPREFIX.display" ;;
esac
exit 0
