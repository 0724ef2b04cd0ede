#!/usr/bin/env bash
# Builds the libFuzzer programs with clang (AddressSanitizer + UBSan) in
# build-fuzz/ and runs each for the given number of seconds, starting from
# the committed seeds and past crashes. A crash fails the run and leaves its
# input under build-fuzz/crashes/; copy it into tests/fuzz/regressions/<target>/
# so the suite replays it from then on.
#   fuzz.sh [--unit-tests] [SECONDS_PER_TARGET]   (default 20)
# --unit-tests: first run the engine's and the processor's unit tests in the
# same instrumented build (ASan + UBSan findings fail the run).
set -euo pipefail
cd "$(dirname "$0")/.."
unit_tests=()
if [ "${1:-}" = "--unit-tests" ]; then
  unit_tests=(selvane-dsp-tests selvane-processor-tests selvane-fuzz-inputs-tests)
  shift
fi
seconds="${1:-20}"
jobs="${JOBS:-$(nproc)}"
targets=(state midi parameters)

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing (scripts/setup.sh installs it)" >&2
  exit 2
fi

if [ ! -f build-fuzz/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DSELVANE_SANITIZE=address,undefined,fuzzer-no-link -DSELVANE_BUILD_FUZZERS=ON \
    -DSELVANE_BUILD_BENCHMARKS=OFF >/dev/null
fi
cmake --build build-fuzz -j "$jobs" --target "${targets[@]/#/selvane-fuzz-}" "${unit_tests[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
for t in "${unit_tests[@]}"; do
  echo "== $t under AddressSanitizer + UBSan (clang)"
  # The golden renders' checksums (processor and engine) are those of the GCC build: clang's floating-point
  # code differs in the last bits, so they are left to the main suite.
  if ! build-fuzz/tests/$t --gtest_brief=1 --gtest_filter=-GoldenRender.*:EngineGoldenRender.* >"build-fuzz/$t.log" 2>&1; then
    tail -n 80 "build-fuzz/$t.log" >&2
    echo "fuzz.sh: $t failed (full log: build-fuzz/$t.log)" >&2
    exit 1
  fi
  tail -n 1 "build-fuzz/$t.log"
done
mkdir -p build-fuzz/crashes
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  log="build-fuzz/fuzz-$t.log"
  echo "== fuzzing $t for ${seconds} s"
  # The working corpus first (new inputs land there), then the committed seeds and past crashes.
  inputs=("build-fuzz/corpus/$t")
  for d in "tests/fuzz/corpus/$t" "tests/fuzz/regressions/$t"; do
    if [ -d "$d" ]; then inputs+=("$d"); fi
  done
  # A target's dictionary of tokens, where it has one, steers mutations.
  dict=()
  if [ -f "tests/fuzz/$t.dict" ]; then dict=(-dict="tests/fuzz/$t.dict"); fi
  if ! build-fuzz/tests/selvane-fuzz-$t "${dict[@]}" -max_total_time="$seconds" -max_len=4096 -timeout=20 -rss_limit_mb=4096 \
       -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$t-" "${inputs[@]}" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    if ls build-fuzz/crashes/"$t"-* >/dev/null 2>&1; then
      echo "fuzz.sh: the $t target failed; its input is under build-fuzz/crashes/ (full log: $log)" >&2
    else
      echo "fuzz.sh: the $t fuzzer did not run to the end (full log: $log)" >&2
    fi
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  corpus=$(ls "build-fuzz/corpus/$t" | wc -l)
  echo "   $t: ${runs:-?} executions, no findings (working corpus: $corpus inputs)"
done
