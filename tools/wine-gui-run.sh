#!/usr/bin/env bash
# Runs a Windows program that opens windows under Wine on a display of its
# own: a fresh Xvfb on a free display number (xvfb-run -a), 1024x768 in true
# colour so that pixel checks see exact colours. SCREENSHOT_DIR, when set, is
# created for the program's screenshots.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${SCREENSHOT_DIR:-}" ]; then mkdir -p "$SCREENSHOT_DIR"; fi
bash "$here/tools/wine-prefix.sh"
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$here/tools/wine-run.sh" "$@"
