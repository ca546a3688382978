#!/usr/bin/env bash
# The patch benchmark: the BPS (and IPS) that `vantorchar patch create` makes for a repacking
# import of the demo ROM, beside what xdelta3 -9 -e -s makes for the same pair, measured in one
# run on the same machine. Each tool runs ROUNDS times (default 5); the best wall and CPU times
# are shown (CPU time is what the tool itself spent; wall time also counts waiting for a shared
# machine). Installs Debian's xdelta3 when it is missing. Exits 1 when an aim is missed:
#   - the BPS is at most 1.25 times xdelta3's size;
#   - made in no more CPU time than xdelta3 takes;
#   - a 4 MiB pair (this one) in under 200 ms of CPU time.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${ROUNDS:-5}
tool="$root/build/native/vantorchar"

if ! command -v xdelta3 >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends xdelta3 >/dev/null 2>&1 ||
    { "${sudo_cmd[@]}" apt-get update -qq && "${sudo_cmd[@]}" apt-get install -y -qq \
        --no-install-recommends xdelta3 >/dev/null; } ||
    { echo "bench-patch: xdelta3 could not be installed"; exit 1; }
fi
if [ ! -x "$tool" ]; then
  cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build "$root/build/native" --target vantorchar >/dev/null ||
    { echo "bench-patch: build failed"; exit 1; }
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The pair: the demo ROM, and the same after an import whose graphics no longer fit their
# place, so that the bank region is repacked (every block behind the grown one moves).
"$tool" demo-rom original.sfc >/dev/null || exit 1
cp original.sfc modified.sfc
"$tool" export modified.sfc --entry 0x00C --sheet -o sheet.bmp >/dev/null || exit 1
python3 - <<'PY' || exit 1
import random, struct
b = bytearray(open('sheet.bmp', 'rb').read())
start, width = struct.unpack_from('<I', b, 10)[0], struct.unpack_from('<i', b, 18)[0]
stride = (width + 3) & ~3
rng = random.Random(5)  # noise in 32 rows of one block: it packs far larger than before
for y in range(8, 40):
    for x in range(64):
        b[start + y * stride + x] = rng.randrange(1, 16)
open('noisy.bmp', 'wb').write(b)
PY
"$tool" import modified.sfc --entry 0x00C noisy.bmp --repack --yes --no-backup >import.log 2>&1 ||
  { cat import.log; exit 1; }
grep -q 'バンク余り領域サイズ' import.log || { echo "bench-patch: the import did not repack"; exit 1; }

# best_of NAME COMMAND...: runs the command ROUNDS times; prints "wall_ms cpu_ms" of the best.
best_of() {
  local best_wall=999999 best_cpu=999999 wall cpu
  for _ in $(seq 1 "$rounds"); do
    read -r wall cpu < <( { /usr/bin/env TIMEFORMAT='%R %U %S' bash -c 'time "$@" >/dev/null 2>&1' _ "$@"; } 2>&1 |
      awk '{printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000}')
    [ "$wall" -lt "$best_wall" ] && best_wall=$wall
    [ "$cpu" -lt "$best_cpu" ] && best_cpu=$cpu
  done
  echo "$best_wall $best_cpu"
}

read -r bps_wall bps_cpu < <(best_of "$tool" patch create original.sfc modified.sfc -o out.bps)
read -r ips_wall ips_cpu < <(best_of "$tool" patch create original.sfc modified.sfc -o out.ips)
read -r xd_wall xd_cpu < <(best_of xdelta3 -9 -e -f -s original.sfc modified.sfc out.vcdiff)
"$tool" patch apply original.sfc out.bps -o check.sfc >/dev/null && cmp -s check.sfc modified.sfc ||
  { echo "bench-patch: the BPS does not give the modified ROM"; exit 1; }
"$tool" patch apply original.sfc out.ips -o check.sfc >/dev/null && cmp -s check.sfc modified.sfc ||
  { echo "bench-patch: the IPS does not give the modified ROM"; exit 1; }
xdelta3 -d -f -s original.sfc out.vcdiff check.sfc && cmp -s check.sfc modified.sfc ||
  { echo "bench-patch: xdelta3's patch does not give the modified ROM"; exit 1; }

bps_size=$(stat -c %s out.bps)
ips_size=$(stat -c %s out.ips)
xd_size=$(stat -c %s out.vcdiff)
changed=$(cmp -l original.sfc modified.sfc | wc -l)
echo "pair: the 4 MiB demo ROM and a repacking import of it ($changed bytes differ); best of $rounds"
printf '%-26s %9s %10s %10s\n' "" "bytes" "wall ms" "CPU ms"
printf '%-26s %9d %10d %10d\n' "vantorchar BPS" "$bps_size" "$bps_wall" "$bps_cpu"
printf '%-26s %9d %10d %10d\n' "vantorchar IPS" "$ips_size" "$ips_wall" "$ips_cpu"
printf '%-26s %9d %10d %10d\n' "xdelta3 -9 -e -s" "$xd_size" "$xd_wall" "$xd_cpu"
printf 'BPS size / xdelta3 size: %s (aim: at most 1.25)\n' \
  "$(awk -v a="$bps_size" -v b="$xd_size" 'BEGIN {printf "%.2f", a / b}')"

missed=0
[ $((bps_size * 100)) -le $((xd_size * 125)) ] || { echo "missed: the BPS is larger than 1.25 x xdelta3's"; missed=1; }
[ "$bps_cpu" -le "$xd_cpu" ] || { echo "missed: the BPS took more CPU time than xdelta3"; missed=1; }
[ "$bps_cpu" -lt 200 ] || { echo "missed: the 4 MiB pair took 200 ms or more"; missed=1; }
exit "$missed"
