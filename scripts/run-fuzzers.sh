#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan), replays the saved
# regression inputs of fuzz/regressions, then fuzzes each target for a bounded
# time from seed corpora cut out of tests/streams.
#
# usage: scripts/run-fuzzers.sh [seconds per target, default 60] [target ...]
#   targets: pes_parser header_parser decoder reader (default: all four)
# env:  TL_FUZZ_BUILD  build directory (default build/fuzz)
#       TL_FUZZ_WORK   corpora, logs and crash inputs (default <build>/work)
#       TL_JOBS        build parallelism (default 2)
#       TL_FUZZ_NICE   niceness of the fuzzing runs (default 19: builds and tests come first)
# Exit status 1 when a regression input fails or fuzzing finds a crash; the
# crashing inputs are left in <work>/artifacts.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(pes_parser header_parser decoder reader)
build=${TL_FUZZ_BUILD:-$root/build/fuzz}
work=${TL_FUZZ_WORK:-$build/work}
jobs=${TL_JOBS:-2}
niceness=${TL_FUZZ_NICE:-19}

case $seconds in
  ''|*[!0-9]*) echo "seconds must be a whole number, got '$seconds'" >&2; exit 2 ;;
esac

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTL_SANITIZE=address,undefined -DTL_FUZZ=ON -DTL_BUILD_TESTS=OFF -DTL_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target $(printf 'fuzz_%s ' "${targets[@]}") fuzz_syntax_seeds

# Seeds: cut from the stream corpus, and from streams written here with the
# syntax the corpus encoders cannot make (field pictures, 4:4:4, chroma matrices).
rm -rf "$work/seeds" "$work/syntax"
mkdir -p "$work/seeds" "$work/syntax" "$work/artifacts" "$work/logs"
"$build/bin/fuzz_syntax_seeds" "$work/syntax"
python3 "$root/fuzz/make-seeds.py" "$root/tests/streams" "$work/seeds"
python3 "$root/fuzz/make-seeds.py" "$work/syntax" "$work/seeds"

# Leaks are checked per input; a smaller quarantine keeps the decoder target's
# large picture buffers from dominating the run time.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

status=0
summary=()
for t in "${targets[@]}"; do
  bin="$build/bin/fuzz_$t"
  regressions=("$root/fuzz/regressions/$t"/*)
  if [ -e "${regressions[0]}" ]; then
    if ! "$bin" -timeout=60 -rss_limit_mb=3072 "${regressions[@]}" >"$work/logs/$t-regressions.log" 2>&1; then
      echo "fuzz_$t: a regression input fails, see $work/logs/$t-regressions.log" >&2
      status=1
    fi
  fi

  mkdir -p "$work/corpus/$t"
  log="$work/logs/$t.log"
  if nice -n "$niceness" "$bin" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=3072 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/$t-" "$work/corpus/$t" "$work/seeds/$t" >"$log" 2>&1; then
    result=ok
  else
    result="FOUND A CRASH (log $log)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  summary+=("fuzz_$t: ${runs:-?} runs, ${rate:-?} exec/s, $result")
done

printf '%s\n' "${summary[@]}"
exit $status
