#!/usr/bin/env bash
# Checks that includes point down the layers only, and that windows.h and the window resource
# ids stay in the window program: prints each include that goes the wrong way, exits 1 if any.
#
#   platform -> rom -> patch -> sprite -> image -> view -> edit -> assets -> document -> app, cli
#   demo (the generated ROM) sits beside image: it uses platform, rom and sprite.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The folders each folder of src/ may include from (besides itself).
allowed_for() {
  case "$1" in
    platform) echo "" ;;
    rom) echo "platform" ;;
    patch) echo "platform rom" ;;
    sprite) echo "platform rom patch" ;;
    image) echo "platform lodepng giflib" ;;
    demo) echo "platform rom patch sprite" ;;
    view) echo "platform rom patch sprite image" ;;
    edit) echo "platform rom patch sprite image view" ;;
    assets) echo "platform rom patch sprite image view edit" ;;
    document) echo "platform rom patch sprite image view edit assets" ;;
    cli) echo "platform rom patch sprite image view edit assets document demo" ;;
    app) echo "platform rom patch sprite image view edit document res" ;;
    res) echo "" ;;
    *) echo "?" ;;
  esac
}

bad=0
while IFS= read -r file; do
  folder=${file#"$root/src/"}
  folder=${folder%%/*}
  allowed=" $(allowed_for "$folder") $folder "
  while IFS= read -r line; do
    target=$(sed -E 's/.*#include[[:space:]]*"([a-z_]+)\/.*/\1/' <<<"$line")
    if [[ "$allowed" != *" $target "* ]]; then
      echo "layering: ${file#"$root/"} includes $target/ ($line)"
      bad=1
    fi
  done < <(grep -E '^[[:space:]]*#include[[:space:]]*"[a-z_]+/' "$file")
done < <(find "$root/src" -name '*.cpp' -o -name '*.h')

# windows.h belongs to the window program alone (tests and tools included).
while IFS= read -r file; do
  echo "layering: ${file#"$root/"} includes windows.h outside src/app"
  bad=1
done < <(grep -rlE --include='*.cpp' --include='*.h' '#include[[:space:]]*[<"]windows\.h[>"]' \
           "$root/src" "$root/tests/unit" "$root/bench" "$root/fuzz" | grep -v "^$root/src/app/")
exit "$bad"
