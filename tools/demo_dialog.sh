#!/usr/bin/env bash
# Runs the Windows updater with its progress dialog under Wine on the display
# it is started on (tools/demo.sh starts it inside xvfb-run) and takes a
# screenshot of the screen as often as a capture allows (every 0.1 s at
# most) until the program ends, each trimmed to the dialog and timed from
# the program's start. In <outdir> it leaves:
#   screenshots/dialog-NN.png  every picture, screenshots/times.txt their times
#   contact-sheet.png          6 to 9 of them, first to last, labelled with their times
#   dialog.png                 the picture at about two thirds of the run
#   demo_dialog.sh <updater.exe> <installation path + 4 chars> <outdir>
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
program=$1 path=$2 out=$3
shots=$out/screenshots
export WINEPREFIX=${DEMO_WINEPREFIX:-$here/build/windows/wineprefix-demo}
bash "$here/tools/wine-prefix.sh"
# Wine takes its display from the prefix's desktop process: one left from an
# earlier demo would still be drawing on that demo's Xvfb, which is gone.
wineserver -w
mkdir -p "$shots"
rm -f "$shots"/dialog-*.png "$shots/times.txt" "$out/contact-sheet.png" "$out/dialog.png"
start=$(date +%s.%N)
bash "$here/tools/wine-run.sh" "$program" "$path" FA &
pid=$!
n=0
while kill -0 "$pid" 2>/dev/null; do
  sleep 0.1
  shot=$(printf '%s/dialog-%02d.png' "$shots" "$n")
  taken=$(date +%s.%N)
  # An empty screen (before the dialog shows, after it closed) trims to
  # nothing useful: keep only pictures that show a window.
  if import -window root png:- 2>/dev/null | convert - -trim +repage "$shot" 2>/dev/null &&
     [ "$(identify -format '%w' "$shot" 2>/dev/null || echo 0)" -gt 100 ]; then
    awk -v a="$taken" -v b="$start" 'BEGIN { printf "%.1f\n", a - b }' >>"$shots/times.txt"
    n=$((n + 1))
  else
    rm -f "$shot"
  fi
done
set +e
wait "$pid"
code=$?
set -e
total=$(awk -v a="$(date +%s.%N)" -v b="$start" 'BEGIN { printf "%.1f", a - b }')
wineserver -w
echo "updater.exe with its dialog ended with exit code $code after $total s; $n screenshots in ${shots#$here/}"
if [ "$n" -gt 0 ]; then
  # Up to 9 pictures spread evenly from the first to the last.
  count=$((n < 9 ? n : 9))
  font=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
  args=()
  for ((k = 0; k < count; k++)); do
    i=$((count > 1 ? (k * (n - 1) + (count - 1) / 2) / (count - 1) : 0))
    t=$(sed -n "$((i + 1))p" "$shots/times.txt")
    args+=(-label "$t s" "$(printf '%s/dialog-%02d.png' "$shots" "$i")")
  done
  montage -font "$font" -pointsize 16 "${args[@]}" -tile 3x -geometry +8+8 \
    -background white "$out/contact-sheet.png"
  cp "$(printf '%s/dialog-%02d.png' "$shots" $(((n - 1) * 2 / 3)))" "$out/dialog.png"
  echo "contact sheet ($count of them, seconds from the start): ${out#$here/}/contact-sheet.png"
  echo "one picture of the dialog at work: ${out#$here/}/dialog.png"
fi
exit "$code"
