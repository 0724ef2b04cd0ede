// Cost of processBlock per frame at 48 kHz with 512-frame blocks, as a host
// drives it. Reports ns per frame and the real-time factor (how many times
// faster than real time one core runs the effect).

#include "BenchFixture.h"

#include <benchmark/benchmark.h>

using namespace bench;

namespace
{
// "ns_per_frame" prints in seconds with an SI prefix: 9.5n is 9.5 ns per frame.
// "realtime_x" is seconds of audio per second of one core.
void report (benchmark::State& state)
{
    state.counters["ns_per_frame"] = benchmark::Counter (blockSize, benchmark::Counter::kIsIterationInvariantRate
                                                                        | benchmark::Counter::kInvert);
    state.counters["realtime_x"] = benchmark::Counter (blockSize / sampleRate, benchmark::Counter::kIsIterationInvariantRate);
}

void processSettled (benchmark::State& state, Layout layout)
{
    Fixture f (layout);
    f.settle();
    for (auto _ : state)
    {
        f.processOneBlock();
        benchmark::DoNotOptimize (f.buffer.getReadPointer (0));
    }
    report (state);
}

void BM_StereoSettled (benchmark::State& state) { processSettled (state, Layout::stereo); }
void BM_MonoToStereoSettled (benchmark::State& state) { processSettled (state, Layout::monoToStereo); }
void BM_MonoSettled (benchmark::State& state) { processSettled (state, Layout::mono); }

void BM_StereoDelayGliding (benchmark::State& state)
{
    Fixture f (Layout::stereo);
    f.settle();
    int block = 0;
    for (auto _ : state)
    {
        f.turnTheDelayTime (++block);
        f.processOneBlock();
        benchmark::DoNotOptimize (f.buffer.getReadPointer (0));
    }
    report (state);
}
} // namespace

BENCHMARK (BM_StereoSettled);
BENCHMARK (BM_StereoDelayGliding);
BENCHMARK (BM_MonoToStereoSettled);
BENCHMARK (BM_MonoSettled);

BENCHMARK_MAIN();
