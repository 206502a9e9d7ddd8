#!/usr/bin/env bash
# Runs the core's unit tests under the sanitizers (clang):
#   asan: every native test executable built with AddressSanitizer and
#         UndefinedBehaviorSanitizer, run through CTest;
#   tsan: the threading tests (decoder object across threads, stress) built
#         with ThreadSanitizer.
#
# usage: scripts/run-sanitizers.sh [asan|tsan|all]   (default all)
# env:  TL_ASAN_BUILD, TL_TSAN_BUILD  build directories (default build/asan and
#       build/tsan, the directories of the asan and tsan presets)
#       TL_JOBS  build and test parallelism (default 2)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
jobs=${TL_JOBS:-2}
asan_build=${TL_ASAN_BUILD:-$root/build/asan}
tsan_build=${TL_TSAN_BUILD:-$root/build/tsan}

# The test executables that exercise threads; TSan runs these whole.
tsan_tests=(tests_framework_threads tests_robustness_stress)

configure() {  # dir sanitizers
  cmake -S "$root" -B "$1" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTL_SANITIZE="$2" -DTL_BUILD_TESTS=ON -DTL_BUILD_TOOLS=OFF >/dev/null
}

# Every test executable the configuration defines (all are named tests_*).
test_targets() {
  ninja -C "$1" -t targets all | sed -n 's/^\(tests_[A-Za-z0-9_]*\): phony$/\1/p' | sort -u
}

run_asan() {
  configure "$asan_build" address,undefined
  cmake --build "$asan_build" -j "$jobs" --target $(test_targets "$asan_build")
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir "$asan_build" -j "$jobs" --output-on-failure --timeout 900
}

run_tsan() {
  configure "$tsan_build" thread
  local available=() t
  for t in "${tsan_tests[@]}"; do
    test_targets "$tsan_build" | grep -qx "$t" && available+=("$t")
  done
  [ ${#available[@]} -gt 0 ] || { echo "no threading tests are defined" >&2; return 1; }
  cmake --build "$tsan_build" -j "$jobs" --target "${available[@]}"
  local failed=0
  for t in "${available[@]}"; do
    echo "== $t under ThreadSanitizer"
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 TL_SOURCE_DIR="$root" \
      "$tsan_build/bin/$t" || failed=1
  done
  return $failed
}

status=0
case $which in
  asan) run_asan || status=1 ;;
  tsan) run_tsan || status=1 ;;
  all)
    run_asan || status=1
    run_tsan || status=1
    ;;
  *) echo "usage: $0 [asan|tsan|all]" >&2; exit 2 ;;
esac
[ $status -eq 0 ] && echo "sanitizer runs passed" || echo "sanitizer runs FAILED" >&2
exit $status
