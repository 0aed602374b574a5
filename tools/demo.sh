#!/usr/bin/env bash
# Makes a fresh demo installation under build/demo and runs the updater on it
# in console mode. The updater takes the installation root as its first
# argument with four characters more at the end (they are cut), so the demo
# passes <root>/BIN. With DEMO_WINE=1 the Windows build then migrates a second
# fresh installation under Wine with --console.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
bin=${DEMO_BIN:-$here/build/linux/bin}
if [ ! -x "$bin/updater" ] || [ ! -x "$bin/demo_install" ]; then
  echo "demo: the updater is not built yet" >&2
  exit 1
fi
rows=${DEMO_ROWS:-3000}
rm -rf "$here/build/demo"
"$bin/demo_install" "$here/build/demo" "$rows"
echo "== check (changes nothing) =="
"$bin/updater" --check "$here/build/demo/BIN" FA
echo "== run =="
"$bin/updater" "$here/build/demo/BIN" FA
echo "== result =="
for f in "$here"/build/demo/DBF0*/TDiaNew.Dbf; do
  printf '%s: %s bytes\n' "${f#$here/}" "$(stat -c %s "$f")"
done
left=$(find "$here/build/demo" -name '_*' | wc -l)
echo "backups left: $left"

winbin=${DEMO_WINBIN:-$here/build/windows/bin}
if [ "${DEMO_WINE:-0}" = 1 ] && [ -x "$winbin/updater.exe" ]; then
  rm -rf "$here/build/demo-win"
  "$bin/demo_install" "$here/build/demo-win" "$rows"
  root=$(winepath -w "$here/build/demo-win" 2>/dev/null || echo "Z:${here//\//\\}\\build\\demo-win")
  bash "$here/tools/wine-run.sh" "$winbin/updater.exe" --console "$root\\BIN" FA
fi
