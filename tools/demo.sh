#!/usr/bin/env bash
# Makes a fresh demo installation under build/demo and runs the updater on it
# in console mode.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
bin=$here/build/linux/bin
if [ ! -x "$bin/updater" ] || [ ! -x "$bin/demo_install" ]; then
  echo "demo: the updater is not built yet" >&2
  exit 1
fi
rm -rf "$here/build/demo"
"$bin/demo_install" "$here/build/demo"
"$bin/updater" "$here/build/demo/Conta.exe" FACT
