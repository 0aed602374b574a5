#!/usr/bin/env bash
# The demo, in two parts; `make demo` builds each part's programs and runs it.
#
#   demo.sh console  A fresh demo installation in build/demo/console, looked at
#                    with --check and migrated by the Linux updater, which is
#                    copied into the installation's BIN folder as it ships (its
#                    Error.log and its record Actualiza.log are written there).
#                    Everything it prints is also kept in build/demo/console.txt.
#   demo.sh window   The Windows updater with its progress dialog under Wine on
#                    Xvfb, migrating a larger installation (build/demo/window:
#                    more companies, more records) so that the dialog can be
#                    watched for some seconds: screenshots
#                    in build/demo/screenshots, a contact sheet of them with their
#                    times in build/demo/contact-sheet.png and one picture of the
#                    dialog at work in build/demo/dialog.png.
#
# The updater takes the installation root with four characters more at the
# end (they are cut), so the demo passes <root>/BIN.
# DEMO_ROWS (3000) and DEMO_DIALOG_ROWS (20000) are the rows of each TDiaNew;
# the window part's installation has DEMO_DIALOG_BRANCHES (40) more companies.
set -eo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$here/build/demo
part=${1:-console}

console_part() {
  local bin=${DEMO_BIN:-$here/build/linux/bin}
  if [ ! -x "$bin/updater" ] || [ ! -x "$bin/demo_install" ]; then
    echo "demo: the updater is not built yet (make demo builds it)" >&2
    exit 1
  fi
  local inst=$out/console
  rm -rf "$inst" "$out/console.txt"
  mkdir -p "$out"
  "$bin/demo_install" "$inst" "${DEMO_ROWS:-3000}"
  mkdir -p "$inst/BIN"
  cp "$bin/updater" "$inst/BIN/"
  echo "== check (changes nothing) =="
  "$inst/BIN/updater" --check "$inst/BIN" FA || true
  echo "== run =="
  local code=0
  "$inst/BIN/updater" "$inst/BIN" FA --json "$out/run.json" || code=$?
  echo "== result =="
  for f in "$inst"/DBF0*/TDiaNew.Dbf; do
    printf '%s: %s bytes\n' "${f#$here/}" "$(stat -c %s "$f")"
  done
  echo "backups left: $(find "$inst" -name '_*' | wc -l)"
  echo "the run's record: ${inst#$here/}/BIN/Actualiza.log (Windows-1252), as JSON: ${out#$here/}/run.json"
  return "$code"
}

window_part() {
  local bin=${DEMO_BIN:-$here/build/linux/bin}
  local winbin=${DEMO_WINBIN:-$here/build/windows/bin}
  if [ ! -x "$winbin/updater.exe" ] || ! command -v xvfb-run >/dev/null; then
    echo "demo: the Windows updater or Xvfb is missing; no dialog to show" >&2
    exit 1
  fi
  local inst=$out/window
  rm -rf "$inst"
  "$bin/demo_install" "$inst" "${DEMO_DIALOG_ROWS:-20000}" "${DEMO_DIALOG_BRANCHES:-40}" >/dev/null
  mkdir -p "$inst/BIN"
  cp "$winbin/updater.exe" "$inst/BIN/"
  local root
  root=$(WINEPREFIX=${DEMO_WINEPREFIX:-$here/build/windows/wineprefix-demo} winepath -w "$inst" 2>/dev/null ||
         echo "Z:${inst//\//\\}")
  echo "== the Windows program with its progress dialog (Wine, Xvfb) =="
  xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    bash "$here/tools/demo_dialog.sh" "$inst/BIN/updater.exe" "$root\\BIN" "$out"
}

case $part in
  console)
    mkdir -p "$out"
    # The transcript keeps what the terminal showed; the exit code is the run's.
    set +e
    console_part 2>&1 | tee "$out/console.txt.tmp"
    code=${PIPESTATUS[0]}
    set -e
    mv "$out/console.txt.tmp" "$out/console.txt"
    echo "console transcript: ${out#$here/}/console.txt"
    exit "$code"
    ;;
  window) window_part ;;
  *)
    echo "usage: demo.sh console|window" >&2
    exit 2
    ;;
esac
