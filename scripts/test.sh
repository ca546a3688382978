#!/usr/bin/env bash
# Builds every target and runs every test: native unit tests, the write-safety checks, the patch
# benchmark against xdelta3, the same unit tests under Address- and UndefinedBehaviorSanitizer
# (clang, in the fuzz build) beside the fuzzers, the unit tests and
# window tests of the Windows x86_64 build under Wine (which also take the user guide's
# pictures), a build of the Windows i686 target, and the release zips with their checks. Ends
# with one "N passed, N failed" line. FUZZ_SECONDS (default 20) sets the time per fuzz target.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh" || { echo "setup failed"; exit 1; }

fuzz_seconds=${FUZZ_SECONDS:-20}
passed=0
failed=0
failures=()
log_dir="$root/build/logs"
mkdir -p "$log_dir"

# stage NAME: a heading with the seconds since the start, to see where the time goes.
stage() { echo "== $* [at ${SECONDS}s]"; }

note_pass() { passed=$((passed + $1)); }
note_fail() { failed=$((failed + $1)); failures+=("$2"); }

# configure_and_build NAME CMAKE-ARGS... : quiet unless it fails.
configure_and_build() {
  local name="$1"
  shift
  local dir="$root/build/$name"
  stage "build $name"
  if ! cmake -S "$root" -B "$dir" -G Ninja "$@" >"$log_dir/$name-configure.log" 2>&1; then
    cat "$log_dir/$name-configure.log"
    note_fail 1 "configure $name"
    return 1
  fi
  if ! cmake --build "$dir" >"$log_dir/$name-build.log" 2>&1; then
    tail -n 60 "$log_dir/$name-build.log"
    note_fail 1 "build $name"
    return 1
  fi
}

# count_gtest LABEL LOG EXIT-CODE: adds a GoogleTest run's counts.
count_gtest() {
  local label="$1" log="$2" code="$3"
  local ok bad
  ok=$(grep -a -E '^\[  PASSED  \] [0-9]+ test' "$log" | tail -n 1 | grep -o -E '[0-9]+' | head -n 1)
  bad=$(grep -a -E '^\[  FAILED  \] [0-9]+ test' "$log" | tail -n 1 | grep -o -E '[0-9]+' | head -n 1)
  ok=${ok:-0}
  bad=${bad:-0}
  note_pass "$ok"
  if [ "$bad" -gt 0 ]; then note_fail "$bad" "$label"; fi
  if [ "$code" -ne 0 ] && [ "$bad" -eq 0 ]; then note_fail 1 "$label (exit $code)"; fi
  if [ "$code" -ne 0 ] || [ "$bad" -gt 0 ]; then
    grep -a -E '^\[  FAILED  \]|Failure|ERROR|Sanitizer' "$log" | head -n 40
  fi
  echo "   $label: $ok passed, $bad failed (exit $code)"
}

# ---- layering: includes point down the layers; windows.h only in the window program ----
stage "layering check"
if "$root/scripts/check-layers.sh"; then
  note_pass 1
else
  note_fail 1 "layering"
fi

# ---- native ----
if configure_and_build native -DCMAKE_BUILD_TYPE=Release; then
  stage "native unit tests"
  (cd "$root/build/native" && ./unit_tests --gtest_brief=1) >"$log_dir/native-unit.log" 2>&1
  count_gtest "native unit tests" "$log_dir/native-unit.log" $?
fi

# ---- the user guide's map of the demo ROM's bank regions ----
if [ -x "$root/build/native/vantorchar" ]; then
  mkdir -p "$root/docs/images"
  "$root/build/native/vantorchar" demo-rom "$root/build/guide-demo.sfc" >/dev/null &&
    "$root/build/native/vantorchar" map "$root/build/guide-demo.sfc" \
      --png "$root/docs/images/map.png" >/dev/null ||
    note_fail 1 "the guide's map"
fi

# ---- writes that cannot corrupt a ROM: concurrent writers, killed writers, a full disk ----
if [ -x "$root/build/native/vantorchar" ]; then
  stage "write safety"
  if "$root/scripts/write-safety-tests.sh" >"$log_dir/write-safety.log" 2>&1; then
    note_pass 1
  else
    note_fail 1 "write safety"
  fi
  sed 's/^/   /' "$log_dir/write-safety.log"
fi

# ---- patches: sizes and times beside xdelta3's on a repacking import of the demo ROM ----
if [ -x "$root/build/native/vantorchar" ]; then
  stage "patch benchmark"
  if "$root/scripts/bench-patch.sh" >"$log_dir/bench-patch.log" 2>&1; then
    note_pass 1
  else
    note_fail 1 "patch benchmark"
  fi
  sed 's/^/   /' "$log_dir/bench-patch.log"
fi

# ---- sanitizers and fuzzers: one clang build with Address- and UndefinedBehaviorSanitizer ----
# The fuzz build holds the unit tests too, built with the same sanitizers; they run on the
# second core while the fuzzers (one core each, for a fixed time) run on the first.
if CC=clang CXX=clang++ configure_and_build fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTOR_FUZZ=ON; then
  stage "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer, beside the fuzzers"
  (cd "$root/build/fuzz" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ./unit_tests --gtest_brief=1) >"$log_dir/asan-unit.log" 2>&1 &
  sanitizer_tests=$!
  for target in "$root"/build/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="$root/build/fuzz/corpus-$name"
    findings="$root/build/fuzz/findings-$name"
    mkdir -p "$corpus" "$findings"
    seeds=()
    [ -d "$root/fuzz/seeds/$name" ] && seeds=("$root/fuzz/seeds/$name")
    stage "fuzz $name for ${fuzz_seconds}s"
    if (cd "$root/build/fuzz" && "$target" -max_total_time="$fuzz_seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "${seeds[@]}") \
        >"$log_dir/$name.log" 2>&1; then
      note_pass 1
      grep -a -E 'stat::number_of_executed_units' "$log_dir/$name.log" | sed 's/^/   /'
    else
      tail -n 40 "$log_dir/$name.log"
      note_fail 1 "fuzz $name"
    fi
  done
  wait "$sanitizer_tests"
  count_gtest "sanitizer unit tests" "$log_dir/asan-unit.log" $?
fi

# ---- Windows x86_64, under Wine ----
if configure_and_build win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release; then
  # shellcheck source=wine-env.sh
  source "$root/scripts/wine-env.sh"
  trap wine_stop EXIT
  stage "Wine prefix and display"
  if ! wine_start "$root/build/wine"; then
    note_fail 1 "Wine prefix"
  fi
  stage "Windows unit tests under Wine"
  (cd "$root/build/win64" && wine_run 900 ./unit_tests.exe --gtest_brief=1) \
    >"$log_dir/win64-unit.log" 2>&1
  count_gtest "Windows unit tests" "$log_dir/win64-unit.log" $?
  if [ -f "$root/build/win64/gui_tests.exe" ]; then
    stage "window tests under Wine (they also take the user guide's pictures)"
    mkdir -p "$root/docs/images"
    (cd "$root/build/win64" && VANTOR_SCREENSHOT_DIR="$root/docs/images" \
      wine_run 900 ./gui_tests.exe --gtest_brief=1) >"$log_dir/win64-gui.log" 2>&1
    count_gtest "window tests" "$log_dir/win64-gui.log" $?
  fi
  stage "window tests of the Japanese texts on a prefix without the Japanese font settings"
  plain="$root/build/wine-plain"
  if wine_plain_prefix "$plain"; then
    (cd "$root/build/win64" && WINEPREFIX="$plain/prefix" wine_run 300 ./gui_tests.exe \
      --gtest_brief=1 --gtest_filter='ReadableText.*:PanelWindow.WritePositionDialog*') \
      >"$log_dir/win64-gui-plain.log" 2>&1
    count_gtest "window tests without the Japanese font settings" "$log_dir/win64-gui-plain.log" $?
  else
    note_fail 1 "Wine prefix without the Japanese font settings"
  fi
  if [ -x "$root/scripts/gui-extra-tests.sh" ]; then
    stage "end-to-end checks with real windows"
    if "$root/scripts/gui-extra-tests.sh" >"$log_dir/gui-extra.log" 2>&1; then
      note_pass 1
    else
      tail -n 40 "$log_dir/gui-extra.log"
      note_fail 1 "end-to-end checks"
    fi
  fi
  wine_stop
fi

# ---- Windows i686: build and link only (no 32-bit Wine here) ----
if configure_and_build win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release; then
  note_pass 1
  echo "   i686 build: linked $(cd "$root/build/win32" && ls ./*.exe | tr '\n' ' ')"
fi

# ---- the release: both zips, and what a Windows user gets checked ----
if [ -f "$root/build/win32/vantorchar.exe" ] && [ -f "$root/build/win64/vantorchar.exe" ]; then
  stage "release packages"
  if "$root/scripts/package.sh" >"$log_dir/package.log" 2>&1 &&
      "$root/scripts/check-package.sh" >"$log_dir/check-package.log" 2>&1; then
    note_pass 1
  else
    tail -n 20 "$log_dir/package.log"
    note_fail 1 "release packages"
  fi
  grep -E '^(ok|FAILED|   )' "$log_dir/check-package.log" | grep -vE '^ok:' | sed 's/^/   /'
  grep -E '^package:' "$log_dir/package.log" | sed 's/^/   /'
fi

if [ ${#failures[@]} -gt 0 ]; then
  echo "failed: ${failures[*]}"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
