#!/usr/bin/env bash
# Builds the command-line tool and the Windows program, and starts VantorCharViewer.exe under
# Wine on a ROM: the generated demo ROM demo/demo.sfc, or the one --rom names (a copier header
# in front of the image is fine). Uses your X display; on a machine without one it says how to
# run the program on a virtual display, and saves a screenshot of it there as a proof of life.
#
#   ./scripts/run.sh [--rom PATH]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rom=""
while [ $# -gt 0 ]; do
  case "$1" in
    --rom) [ $# -ge 2 ] || { echo "run: --rom needs a path" >&2; exit 2; }; rom="$2"; shift 2 ;;
    --rom=*) rom="${1#--rom=}"; shift ;;
    -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
    *) echo "run: unknown option $1 (usage: run.sh [--rom PATH])" >&2; exit 2 ;;
  esac
done
if [ -n "$rom" ]; then
  [ -f "$rom" ] || { echo "run: no ROM file at $rom" >&2; exit 1; }
  rom=$(cd "$(dirname "$rom")" && pwd)/$(basename "$rom")
fi
cd "$root"
"$root/scripts/setup.sh"

echo "run: building vantorchar (native) and VantorCharViewer.exe (Windows x86_64)"
cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/native" --target vantorchar >/dev/null
cmake -S "$root" -B "$root/build/win64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" >/dev/null
cmake --build "$root/build/win64" --target VantorCharViewer >/dev/null
tool="$root/build/native/vantorchar"

if [ -z "$rom" ]; then
  mkdir -p "$root/demo"
  rom="$root/demo/demo.sfc"
  "$tool" demo-rom "$rom" >/dev/null
  echo "run: wrote the generated demo ROM $rom ($(stat -c %s "$rom") bytes)"
fi
echo "run: vantorchar info $(basename "$rom") --entry 0x00C (first lines):"
"$tool" info "$rom" --entry 0x00C | head -n 4 | sed 's/^/    /' || true
folder=$(dirname "$rom")

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
trap wine_stop EXIT
if [ -n "${DISPLAY:-}" ]; then
  echo "run: starting VantorCharViewer.exe on $(basename "$rom") under Wine on display" \
    "$DISPLAY (close the window to end)"
  wine_start "$root/build/run-wine" use-own-display
  cd "$folder"
  wine "$root/build/win64/VantorCharViewer.exe" "$rom"
  exit 0
fi

cat <<MSG
run: there is no X display here (DISPLAY is not set), so the window cannot be shown on your
     screen. To use the program on this machine, give it a virtual display and look at it
     through VNC:
         Xvfb :99 -screen 0 1280x1024x24 &
         DISPLAY=:99 $0 ${rom:+--rom "$rom"} &
         x11vnc -display :99 -nopw      # then connect a VNC viewer to this machine
     or run it on a desktop. For now it runs for 10 s on a private virtual display, and a
     screenshot of it is saved.
MSG
wine_start "$root/build/run-wine"
cd "$folder"
timeout 60 wine "$root/build/win64/VantorCharViewer.exe" "$rom" &
viewer=$!
for _ in $(seq 1 50); do
  xdotool search --name '^VantorCharViewer - ' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 2
shot="$root/build/run-screenshot.png"
import -window root "$shot" && echo "run: saved $shot (the window on $(basename "$rom"))"
kill "$viewer" 2>/dev/null || true
