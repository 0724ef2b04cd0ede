#!/usr/bin/env bash
# Builds tests with sanitizers, each kind in a build folder of its own, and
# runs them; any finding fails the run.
#   sanitizer-tests.sh thread    the concurrency test under ThreadSanitizer
#   sanitizer-tests.sh address   the unit tests under AddressSanitizer + UBSan, then a
#                                short hostile-host run of every format and the many-instances
#                                run (plug-ins and host instrumented)
set -euo pipefail
cd "$(dirname "$0")/.."
kind="${1:?usage: sanitizer-tests.sh thread|address}"
jobs="${JOBS:-$(nproc)}"

configure() {
  local dir="$1" sanitizers="$2"
  [ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DSELVANE_SANITIZE="$sanitizers" -DSELVANE_BUILD_BENCHMARKS=OFF >/dev/null
}

case "$kind" in
  thread)
    configure build-tsan thread
    cmake --build build-tsan -j "$jobs" --target selvane-concurrency-tests
    echo "== concurrency under ThreadSanitizer"
    TSAN_OPTIONS="halt_on_error=1" build-tsan/tests/selvane-concurrency-tests --gtest_brief=1
    ;;
  address)
    configure build-asan address,undefined
    tests=(selvane-dsp-tests selvane-processor-tests selvane-editor-tests selvane-aax-tests selvane-render-tests
           selvane-raw-vst2-tests)
    cmake --build build-asan -j "$jobs" --target "${tests[@]}" selvane-render selvane-host-tests
    export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=1"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    for t in "${tests[@]}"; do
      echo "== $t under AddressSanitizer + UBSan"
      build-asan/tests/$t --gtest_brief=1
    done
    echo "== hostile host (VST 2.x, VST3, LV2) under AddressSanitizer + UBSan"
    SELVANE_STRESS_BLOCKS=12 \
      build-asan/tests/selvane-host-tests --gtest_filter=Formats/Stress* --gtest_brief=1
    echo "== many instances in one process (VST 2.x, VST3, LV2, two editors open) under AddressSanitizer + UBSan"
    scripts/with-xvfb.sh build-asan/tests/selvane-host-tests --gtest_filter=Formats/ManyInstances* --gtest_brief=1
    ;;
  *)
    echo "sanitizer-tests.sh: unknown kind '$kind' (thread or address)" >&2
    exit 2
    ;;
esac
echo "sanitizers ($kind): no findings"
