#!/usr/bin/env bash
# End-to-end checks of the Windows program with real input under Wine: File > Open through the
# menu and the real Open dialog (started in the folder that holds the ROM), the title that
# follows, and closing the window with Alt+F4 ending the program with exit code 0. Runs on the
# display and prefix the test command prepared, or starts its own.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe="$root/build/win64/VantorCharViewer.exe"
tool="$root/build/native/vantorchar"
[ -f "$exe" ] || { echo "missing $exe"; exit 1; }
[ -x "$tool" ] || { echo "missing $tool"; exit 1; }
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  # shellcheck source=wine-env.sh
  source "$root/scripts/wine-env.sh"
  wine_start "$root/build/wine-extra"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" demo-rom "$work/demo.sfc" >/dev/null || { echo "demo ROM not written"; exit 1; }
failures=0
check() {  # check NAME COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
wait_for_window() {  # wait_for_window TITLE-REGEX SECONDS
  local tries=$(($2 * 5))
  for _ in $(seq 1 "$tries"); do
    xdotool search --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  return 1
}

cd "$work"
timeout --kill-after=5 60 wine "$exe" &
viewer=$!
check "the main window appears" wait_for_window '^VantorCharViewer$' 20
sleep 1
# The File menu sits at the start of the menu bar of the window placed at (60, 60).
xdotool mousemove 80 93 click 1
sleep 1
xdotool key o
check "File > Open shows the Open dialog" wait_for_window '^Open ROM File' 10
sleep 1
xdotool type 'demo.sfc'
xdotool key Return
check "the chosen ROM names the title" wait_for_window '^VantorCharViewer - demo\.sfc $' 10
import -window root "$work/after-open.png" 2>/dev/null
xdotool key alt+F4
code=124
for _ in $(seq 1 50); do
  if ! kill -0 "$viewer" 2>/dev/null; then wait "$viewer"; code=$?; break; fi
  sleep 0.2
done
check "Alt+F4 ends the program with exit code 0 (got $code)" test "$code" -eq 0
kill "$viewer" 2>/dev/null
[ "$failures" -eq 0 ]
