#!/usr/bin/env bash
# Builds the command-line tool and the Windows program, generates the demo ROM demo/demo.sfc,
# shows what the tool reads from it, and starts VantorCharViewer.exe under Wine in the demo
# folder (so File > Open shows demo.sfc at once). Uses your X display; without one it runs on a
# private Xvfb, saves a screenshot and ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"

echo "run: building vantorchar (native) and VantorCharViewer.exe (Windows x86_64)"
cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/native" --target vantorchar >/dev/null
cmake -S "$root" -B "$root/build/win64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" >/dev/null
cmake --build "$root/build/win64" --target VantorCharViewer >/dev/null

demo_dir="$root/demo"
mkdir -p "$demo_dir"
"$root/build/native/vantorchar" demo-rom "$demo_dir/demo.sfc"
echo "run: wrote the generated demo ROM $demo_dir/demo.sfc ($(stat -c %s "$demo_dir/demo.sfc") bytes)"

# Something useful before any window exists: what the tool reads for entry 00C.
echo "run: vantorchar info demo/demo.sfc --entry 0x00C (first lines):"
"$root/build/native/vantorchar" info "$demo_dir/demo.sfc" --entry 0x00C | head -n 8 | sed 's/^/    /'
if "$root/build/native/vantorchar" export "$demo_dir/demo.sfc" --entry 0x00C --frame 0 \
    -o "$demo_dir/entry-00C-frame-0.png" >/dev/null 2>&1; then
  echo "run: exported frame 0 of entry 00C to demo/entry-00C-frame-0.png"
fi

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
if [ -n "${DISPLAY:-}" ]; then
  echo "run: starting VantorCharViewer.exe under Wine on display $DISPLAY in $demo_dir" \
    "(File > Open shows demo.sfc; close the window to end)"
  wine_start "$root/build/run-wine" use-own-display
  cd "$demo_dir"
  wine "$root/build/win64/VantorCharViewer.exe"
else
  echo "run: no DISPLAY: starting VantorCharViewer.exe under Wine on a private Xvfb in" \
    "$demo_dir, saving demo/screenshot.png after 10 s, then ending it"
  wine_start "$root/build/run-wine"
  cd "$demo_dir"
  timeout 60 wine "$root/build/win64/VantorCharViewer.exe" &
  viewer=$!
  sleep 10
  import -window root "$demo_dir/screenshot.png" && echo "run: saved $demo_dir/screenshot.png"
  kill "$viewer" 2>/dev/null || true
fi
