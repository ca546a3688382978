#!/usr/bin/env bash
# Builds the Windows release of both targets and writes
#   dist/VantorCharViewer-VERSION-win32.zip   (i686, the main download)
#   dist/VantorCharViewer-VERSION-win64.zip   (x86_64)
# each holding one folder with the two programs, the plain-text quick guide, the user guide with
# its pictures and the licence. Builds from the same build folders as the test command. The zips
# are the same bytes for the same sources: the programs carry no time stamps, and every file of a
# zip is stored in a fixed order with the date SOURCE_DATE_EPOCH (default: the last commit's).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"

version=$(sed -n 's/^project(VantorCharViewer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1767225600)}
dist="$root/dist"
mkdir -p "$dist"

# build_release NAME TOOLCHAIN: the two programs in build/NAME.
build_release() {
  cmake -S "$root" -B "$root/build/$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2" >/dev/null
  cmake --build "$root/build/$1" --target VantorCharViewer vantorchar >/dev/null
}

# make_zip NAME: stages the files and zips them in a fixed order with fixed dates.
make_zip() {
  local name="$1" folder="VantorCharViewer-$version"
  local stage="$root/build/package/$name"
  rm -rf "$stage"
  mkdir -p "$stage/$folder/images"
  cp "$root/build/$name/VantorCharViewer.exe" "$root/build/$name/vantorchar.exe" "$stage/$folder/"
  # The quick guide is read in Notepad, which wants CRLF line ends.
  sed 's/\r*$/\r/' "$root/docs/README.txt" >"$stage/$folder/README.txt"
  cp "$root/docs/guide.md" "$stage/$folder/GUIDE.md"
  cp "$root/docs/images/"*.png "$stage/$folder/images/"
  cp "$root/LICENSE" "$stage/$folder/LICENSE.txt"
  find "$stage" -exec touch -h -d "@$epoch" {} +
  chmod -R u=rwX,go=rX "$stage"
  local zip="$dist/VantorCharViewer-$version-$name.zip"
  rm -f "$zip"
  (cd "$stage" && find "$folder" -type f | LC_ALL=C sort | TZ=UTC zip -X -q -D "$zip" -@)
  echo "package: wrote $zip ($(stat -c %s "$zip") bytes)"
}

build_release win32 toolchain-mingw-i686.cmake
build_release win64 toolchain-mingw-x86_64.cmake
make_zip win32
make_zip win64
