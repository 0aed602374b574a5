#!/usr/bin/env bash
# Makes the Wine prefix of the Windows build once; quick when it exists.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/windows/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
# Windows are drawn by Wine itself, frame and caption included, rather than
# left to a window manager: the GUI tests run on a bare Xvfb, where managed
# windows wait for a manager that never answers.
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
fi
