#!/usr/bin/env bash
# The ROM is never left half-written, by the command-line tool as a user runs it:
#   - two imports into one ROM at once, many times: each either writes or is refused, and what
#     every successful one wrote is in the ROM afterwards (none undone by the other);
#   - an import that repacks a bank region, killed (SIGKILL) at random moments: the ROM is
#     afterwards byte for byte the old image or the new one, never anything else; the next
#     write removes the temporary files they left;
#   - a ROM on a small file system that fills up during the write (a tmpfs, where this runs as
#     root): the write fails with its reason, the ROM is as it was, no temporary file is left.
# Prints one line per check and ends with exit code 0 only when all passed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool="$root/build/native/vantorchar"
[ -x "$tool" ] || { echo "missing $tool"; exit 1; }
work=$(mktemp -d)
mounted=""
cleanup() {
  if [ -n "$mounted" ]; then umount "$mounted" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {  # check NAME COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}
same() { cmp -s "$1" "$2"; }

"$tool" demo-rom "$work/demo.sfc" >/dev/null || { echo "demo ROM not written"; exit 1; }
# Two entries whose graphics lie in different bank regions, each with a changed picture (the
# sheet turned upside down, so that it packs larger and its region is repacked).
for entry in 0x00C 0x00A; do
  "$tool" export "$work/demo.sfc" --entry "$entry" --sheet -o "$work/sheet-$entry.bmp" >/dev/null
  convert "$work/sheet-$entry.bmp" -flip "BMP3:$work/new-$entry.bmp"
done

# ---- two writers at once ----
rounds=20
lost=0
refused=0
for round in $(seq 1 "$rounds"); do
  cp "$work/demo.sfc" "$work/two.sfc"
  "$tool" import "$work/two.sfc" --entry 0x00C "$work/new-0x00C.bmp" --repack --yes \
    >"$work/a.out" 2>&1 &
  first=$!
  "$tool" import "$work/two.sfc" --entry 0x00A "$work/new-0x00A.bmp" --repack --yes \
    >"$work/b.out" 2>&1 &
  second=$!
  wait "$first"; code_a=$?
  wait "$second"; code_b=$?
  for side in "a:0x00C:$code_a" "b:0x00A:$code_b"; do
    IFS=: read -r name entry code <<<"$side"
    if [ "$code" -eq 0 ]; then
      "$tool" export "$work/two.sfc" --entry "$entry" --sheet -o "$work/now.bmp" >/dev/null
      "$tool" export "$work/demo.sfc" --entry "$entry" --sheet -o "$work/was.bmp" >/dev/null
      # What it wrote is still there: the sheet differs from the original one.
      if same "$work/now.bmp" "$work/was.bmp"; then lost=$((lost + 1)); fi
    elif grep -qE "Another program is writing|changed, replaced or removed" "$work/$name.out"; then
      refused=$((refused + 1))
    else
      echo "round $round: import $name failed otherwise: $(cat "$work/$name.out")"
      lost=$((lost + 1))
    fi
  done
done
check "two imports at once: each writes or is refused ($refused refused), nothing written is lost ($rounds rounds)" \
  test "$lost" -eq 0

# ---- killed in the middle ----
cp "$work/demo.sfc" "$work/whole.sfc"
started=$(date +%s%N)
"$tool" import "$work/whole.sfc" --entry 0x00C "$work/new-0x00C.bmp" --repack --yes --no-backup \
  >/dev/null 2>&1
# The kills are spread over 1.2 times what a whole import takes here, so that early ones find
# the old image, late ones the new, and the rest land while it is being written.
span_ms=$(( ($(date +%s%N) - started) / 1000000 * 12 / 10 + 1 ))
kills=30
mixed=0
old=0
new=0
for kill_round in $(seq 1 "$kills"); do
  cp "$work/demo.sfc" "$work/killed.sfc"
  "$tool" import "$work/killed.sfc" --entry 0x00C "$work/new-0x00C.bmp" --repack --yes \
    >/dev/null 2>&1 &
  victim=$!
  delay_ms=$(( (kill_round * 17 % kills) * span_ms / kills ))
  sleep "$(printf "%d.%03d" $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -9 "$victim" 2>/dev/null
  wait "$victim" 2>/dev/null
  if same "$work/killed.sfc" "$work/demo.sfc"; then
    old=$((old + 1))
  elif same "$work/killed.sfc" "$work/whole.sfc"; then
    new=$((new + 1))
  else
    echo "kill $kill_round: the ROM is neither the old nor the new image"
    mixed=$((mixed + 1))
  fi
done
check "an import killed at $kills moments within ${span_ms} ms leaves the old ($old) or the new ($new) image" \
  test "$mixed" -eq 0
# Both outcomes seen: the kills did span the write, not all fall before or after it.
check "the kills came both before and after the new image was in place" \
  test "$old" -gt 0 -a "$new" -gt 0
# The next write removes what the killed writers left beside the ROM, and says so (one more
# left by a process id that no process has, so that there is at least one).
head -c 4096 /dev/zero >"$work/killed.sfc.2147483000-0.tmp"
left=$(find "$work" -maxdepth 1 -name 'killed.sfc.*.tmp' | wc -l)
cp "$work/demo.sfc" "$work/killed.sfc"
out=$("$tool" import "$work/killed.sfc" --entry 0x00C "$work/new-0x00C.bmp" --repack --yes 2>&1)
check "the next write removes the $left temporary files killed writers left, and says so" \
  test "$(find "$work" -maxdepth 1 -name 'killed.sfc.*.tmp' | wc -l)" -eq 0 -a \
       "$(grep -c 'left by a writer that did not finish' <<<"$out")" -eq "$left"

# ---- a full disk ----
if [ "$(id -u)" -eq 0 ] && mkdir -p "$work/small" && mount -t tmpfs -o size=6m tmpfs "$work/small"; then
  mounted="$work/small"
  cp "$work/demo.sfc" "$work/small/full.sfc"
  out=$("$tool" import "$work/small/full.sfc" --entry 0x00C "$work/new-0x00C.bmp" --repack --yes 2>&1)
  code=$?
  check "a full disk fails the write (exit $code) and says so" \
    grep -q "No space left on device" <<<"$out"
  check "a full disk leaves the ROM as it was" same "$work/small/full.sfc" "$work/demo.sfc"
  check "a full disk leaves no temporary file" \
    test "$(ls -A "$work/small")" = "full.sfc"
else
  echo "skipped: the full-disk check needs root to mount a small tmpfs (not counted)"
fi
[ "$failures" -eq 0 ]
