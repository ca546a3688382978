#!/usr/bin/env bash
# Checks the release the test command makes with scripts/package.sh: each zip lists exactly the
# expected files; each program is the right PE machine (i686 or x86_64) and subsystem (window or
# console), imports only system DLLs, and carries the version the build sets, which is also the
# one vantorchar --version prints and the zip's name carries; the guide's pictures exist and
# have their sizes; and a second build from scratch gives the same bytes, as does zipping again.
# One line per check; exit code 0 only when every check passed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=$(sed -n 's/^project(VantorCharViewer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
folder="VantorCharViewer-$version"
failures=0
check() {  # check NAME COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

expected_listing() {
  {
    printf '%s\n' "$folder/GUIDE.md" "$folder/LICENSE.txt" "$folder/README.txt" \
      "$folder/VantorCharViewer.exe" "$folder/vantorchar.exe"
    for image in docs/images/*.png; do echo "$folder/images/$(basename "$image")"; done
  } | LC_ALL=C sort
}
zip_listing() { unzip -Z1 "$1" | LC_ALL=C sort; }
# pe_field EXE FIELD: a field of objdump's private headers.
pe_header() { x86_64-w64-mingw32-objdump -p "$1" 2>/dev/null; }
file_format() { x86_64-w64-mingw32-objdump -f "$1" 2>/dev/null | sed -n 's/.*file format //p'; }
subsystem() { pe_header "$1" | sed -n 's/^Subsystem[[:space:]]*[0-9a-f]*[[:space:]]*(\(.*\))/\1/p'; }
only_system_dlls() {
  local dll bad=0
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll|user32.dll|gdi32.dll|comdlg32.dll|comctl32.dll|shell32.dll|msvcrt.dll|advapi32.dll|api-ms-win-crt-*.dll|ucrtbase.dll) ;;
      *) echo "    imports $dll"; bad=1 ;;
    esac
  done < <(pe_header "$1" | sed -n 's/^[[:space:]]*DLL Name: //p')
  return "$bad"
}
# crlf_copy_of ZIP MEMBER FILE: every line of the member ends with CRLF, and without the CRs it
# is FILE.
crlf_copy_of() {
  ! unzip -p "$1" "$2" | grep -qv $'\r$' &&
    cmp -s <(unzip -p "$1" "$2" | tr -d '\r') <(tr -d '\r' <"$3")
}
resource_version() { strings -el "$1" | grep -A1 -x FileVersion | tail -n 1; }
png_size() { identify -format '%wx%h' "$1" 2>/dev/null; }

for arch in win32:pei-i386 win64:pei-x86-64; do
  name=${arch%%:*}
  format=${arch#*:}
  zip="dist/VantorCharViewer-$version-$name.zip"
  check "$zip exists" test -f "$zip"
  [ -f "$zip" ] || continue
  check "$zip lists exactly the expected files" \
    diff <(expected_listing) <(zip_listing "$zip")
  for exe in VantorCharViewer vantorchar; do
    path="build/$name/$exe.exe"
    want_subsystem="Windows GUI"
    [ "$exe" = vantorchar ] && want_subsystem="Windows CUI"
    check "$name $exe.exe is $format" test "$(file_format "$path")" = "$format"
    check "$name $exe.exe is a $want_subsystem program" test "$(subsystem "$path")" = "$want_subsystem"
    check "$name $exe.exe imports only system DLLs" only_system_dlls "$path"
    check "$name $exe.exe carries version $version" test "$(resource_version "$path")" = "$version"
    check "$name $exe.exe in the zip is the one built" \
      cmp -s "$path" <(unzip -p "$zip" "$folder/$exe.exe")
  done
  check "$zip: README.txt has CRLF line ends (Notepad), its text as in docs/" \
    crlf_copy_of "$zip" "$folder/README.txt" docs/README.txt
done
check "vantorchar --version prints $version" \
  test "$(build/native/vantorchar --version)" = "vantorchar $version"

# The guide's pictures, as the window tests made them.
for picture in window.png:842x648 panel-labelled.png:842x648 tile-placed.png:842x648 \
    zoom.png:1280x1024 pixel-editor.png:336x335 map.png:1132x288; do
  file=docs/images/${picture%%:*}
  check "$file is ${picture#*:}" test "$(png_size "$file")" = "${picture#*:}"
done

# Reproducible: the programs of a second build from scratch, and the zips made again.
for arch in win32:toolchain-mingw-i686.cmake win64:toolchain-mingw-x86_64.cmake; do
  name=${arch%%:*}
  again="build/repro-$name"
  rm -rf "$again"
  cmake -S . -B "$again" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="cmake/${arch#*:}" >/dev/null &&
    cmake --build "$again" --target VantorCharViewer vantorchar >/dev/null
  for exe in VantorCharViewer vantorchar; do
    check "$name $exe.exe: a second build gives the same bytes" \
      cmp -s "build/$name/$exe.exe" "$again/$exe.exe"
  done
done
sums_before=$(sha256sum dist/*.zip)
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-} ./scripts/package.sh >/dev/null
check "zipping again gives the same bytes" test "$sums_before" = "$(sha256sum dist/*.zip)"
echo "$sums_before" | sed 's/^/   /'
[ "$failures" -eq 0 ]
