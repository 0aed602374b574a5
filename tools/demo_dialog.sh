#!/usr/bin/env bash
# Runs the Windows updater with its progress dialog under Wine on the display
# it is started on (tools/demo.sh starts it inside xvfb-run) and takes a
# screenshot of the screen every 0.1 s (plus the time a capture takes) until
# the program ends, trimmed to the dialog. Keeps them as dialog-NN.png in
# <outdir> and copies the first, the middle and the last as dialog_start.png,
# dialog_middle.png, dialog_end.png.
#   demo_dialog.sh <updater.exe> <installation path + 4 chars> <outdir>
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
program=$1 path=$2 out=$3
export WINEPREFIX=${DEMO_WINEPREFIX:-$here/build/windows/wineprefix-demo}
bash "$here/tools/wine-prefix.sh"
mkdir -p "$out"
rm -f "$out"/dialog-*.png "$out"/dialog_*.png
bash "$here/tools/wine-run.sh" "$program" "$path" FA &
pid=$!
n=0
while kill -0 "$pid" 2>/dev/null; do
  sleep 0.1
  shot=$(printf '%s/dialog-%02d.png' "$out" "$n")
  # An empty screen (before the dialog shows, after it closed) trims to
  # nothing useful: keep only pictures that show a window.
  if import -window root png:- 2>/dev/null | convert - -trim +repage "$shot" 2>/dev/null &&
     [ "$(identify -format '%w' "$shot" 2>/dev/null || echo 0)" -gt 100 ]; then
    n=$((n + 1))
  else
    rm -f "$shot"
  fi
done
set +e
wait "$pid"
code=$?
set -e
echo "updater.exe with its dialog ended with exit code $code; $n screenshots in $out"
if [ "$n" -gt 0 ]; then
  cp "$(printf '%s/dialog-%02d.png' "$out" 0)" "$out/dialog_start.png"
  cp "$(printf '%s/dialog-%02d.png' "$out" $((n / 2)))" "$out/dialog_middle.png"
  cp "$(printf '%s/dialog-%02d.png' "$out" $((n - 1)))" "$out/dialog_end.png"
fi
exit "$code"
