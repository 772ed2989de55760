#!/bin/sh
# Creates the Wine prefix of a build folder once: wine-init.sh /usr/lib/wine/wine64
WINE=$1
[ -f "$WINEPREFIX/.quintar-ready" ] && exit 0
mkdir -p "$WINEPREFIX"
# Without a display: no progress window, no wait for a window manager.
env -u DISPLAY WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" wineboot -i >/dev/null 2>&1 || exit 1
# Xvfb has no window manager: Wine manages its windows itself.
env -u DISPLAY "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || exit 1
touch "$WINEPREFIX/.quintar-ready"
