#!/usr/bin/env bash
# Runs a Windows program under Wine with the build's own prefix (made once by
# tools/wine-prefix.sh). Used by ctest as the cross-compiling emulator.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/windows/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
