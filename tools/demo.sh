#!/usr/bin/env bash
# Makes a fresh demo installation under build/demo and runs the updater on it
# in console mode. The updater takes the installation root as its first
# argument with four characters more at the end (they are cut), so the demo
# passes <root>/BIN. With DEMO_WINE=1 the Windows build then migrates a second
# fresh installation under Wine with --console. When the Windows build is
# there, its progress dialog runs under Wine on Xvfb (tools/demo_dialog.sh).
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
# The Windows program as its users see it: the progress dialog on a display
# of its own, migrating a second fresh installation; screenshots of it are
# left in build/demo/screenshots. Its companies are larger (DEMO_DIALOG_ROWS,
# 20000 rows by default) so that the run lasts long enough to watch.
if [ -x "$winbin/updater.exe" ] && command -v xvfb-run >/dev/null; then
  echo "== the Windows program with its progress dialog (Wine, Xvfb) =="
  rm -rf "$here/build/demo-dialog"
  "$bin/demo_install" "$here/build/demo-dialog" "${DEMO_DIALOG_ROWS:-20000}" >/dev/null
  root=$(winepath -w "$here/build/demo-dialog" 2>/dev/null || echo "Z:${here//\//\\}\\build\\demo-dialog")
  xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    bash "$here/tools/demo_dialog.sh" "$winbin/updater.exe" "$root\\BIN" "$here/build/demo/screenshots"
fi
if [ "${DEMO_WINE:-0}" = 1 ] && [ -x "$winbin/updater.exe" ]; then
  rm -rf "$here/build/demo-win"
  "$bin/demo_install" "$here/build/demo-win" "$rows"
  root=$(winepath -w "$here/build/demo-win" 2>/dev/null || echo "Z:${here//\//\\}\\build\\demo-win")
  bash "$here/tools/wine-run.sh" "$winbin/updater.exe" --console "$root\\BIN" FA
fi
