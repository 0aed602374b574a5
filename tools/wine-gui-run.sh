#!/usr/bin/env bash
# Runs a Windows program that opens windows under Wine on a display of its
# own: a fresh Xvfb on a free display number (xvfb-run -a), 1024x768 in true
# colour so that pixel checks see exact colours.
#
# Each such program gets a Wine prefix of its own (made on first use). Wine
# takes its display driver from the prefix's desktop process, which the
# console tests running at the same time would otherwise start without a
# display. SCREENSHOT_DIR, when set, is created for the program's screenshots.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
program=$(basename "$1" .exe)
export WINEPREFIX=${GUI_WINEPREFIX:-$here/build/windows/wineprefix-$program}
if [ -n "${SCREENSHOT_DIR:-}" ]; then mkdir -p "$SCREENSHOT_DIR"; fi
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  bash -c 'bash "$0/tools/wine-prefix.sh" && exec "$0/tools/wine-run.sh" "$@"' "$here" "$@"
