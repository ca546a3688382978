#!/usr/bin/env bash
# End-to-end checks of the Windows program with real input under Wine: a ROM named on the
# command line is opened at start; File > Open through the menu and the real Open dialog (started
# in the folder that holds the ROM), the title that follows, and closing the window with Alt+F4
# ending the program with exit code 0. Runs on the display and prefix the test command prepared,
# or starts its own.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe="$root/build/win64/VantorCharViewer.exe"
tool="$root/build/native/vantorchar"
[ -f "$exe" ] || { echo "missing $exe"; exit 1; }
[ -x "$tool" ] || { echo "missing $tool"; exit 1; }

work=$(mktemp -d)
own_wine=""
# One exit trap for everything this script starts: its folder, and Wine and Xvfb when it started
# them itself.
trap 'rm -rf "$work"; if [ -n "$own_wine" ]; then wine_stop; fi' EXIT
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  # shellcheck source=wine-env.sh
  source "$root/scripts/wine-env.sh"
  own_wine=1
  wine_start "$root/build/wine-extra" || { echo "no Wine prefix"; exit 1; }
fi

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
wait_for_exit() {  # wait_for_exit PID SECONDS: sets exit_code (124 when it did not end)
  exit_code=124
  for _ in $(seq 1 $(($2 * 5))); do
    if ! kill -0 "$1" 2>/dev/null; then wait "$1"; exit_code=$?; return 0; fi
    sleep 0.2
  done
  return 1
}
# Clicks at (DX, DY) from the top-left corner of the first window whose title matches.
click_in_window() {  # click_in_window TITLE-REGEX DX DY
  local window x y
  window=$(xdotool search --name "$1" | head -n 1)
  [ -n "$window" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^[XY]=')"
  x=$((X + $2))
  y=$((Y + $3))
  xdotool mousemove "$x" "$y" click 1
}
# File > Open: the File menu lies at the start of the menu bar, below the caption; the click is
# tried again until the menu has opened and its "&Open" item (key o) has brought up the dialog.
choose_file_open() {
  for _ in 1 2 3 4 5; do
    click_in_window "$1" 16 33 || return 1
    sleep 0.3
    xdotool key o
    wait_for_window '^Open ROM File' 3 && return 0
    xdotool key Escape
  done
  return 1
}

cd "$work"
# A ROM named on the command line is open at once.
timeout --kill-after=5 60 wine "$exe" demo.sfc &
viewer=$!
check "a ROM named on the command line names the title" \
  wait_for_window '^VantorCharViewer - demo\.sfc $' 20
xdotool key alt+F4
wait_for_exit "$viewer" 10
kill "$viewer" 2>/dev/null

timeout --kill-after=5 60 wine "$exe" &
viewer=$!
check "the main window appears" wait_for_window '^VantorCharViewer$' 20
check "File > Open shows the Open dialog" choose_file_open '^VantorCharViewer$'
xdotool type 'demo.sfc'
xdotool key Return
check "the chosen ROM names the title" wait_for_window '^VantorCharViewer - demo\.sfc $' 10
import -window root "$work/after-open.png" 2>/dev/null
xdotool key alt+F4
wait_for_exit "$viewer" 10
check "Alt+F4 ends the program with exit code 0 (got $exit_code)" test "$exit_code" -eq 0
kill "$viewer" 2>/dev/null
[ "$failures" -eq 0 ]
