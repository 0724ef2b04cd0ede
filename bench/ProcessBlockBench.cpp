// Cost of processBlock per frame at 48 kHz with 512-frame blocks, as a host
// drives it. Reports ns per frame and the real-time factor (how many times
// faster than real time one core runs the effect).

#include "engine/VelmorAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

enum class Layout
{
    stereo,
    monoToStereo,
    mono
};

struct Fixture
{
    explicit Fixture (Layout layout)
    {
        const int ins = layout == Layout::stereo ? 2 : 1;
        const int outs = layout == Layout::mono ? 1 : 2;
        juce::AudioProcessor::BusesLayout buses;
        buses.inputBuses.add (juce::AudioChannelSet::canonicalChannelSet (ins));
        buses.outputBuses.add (juce::AudioChannelSet::canonicalChannelSet (outs));
        processor.setBusesLayout (buses);
        processor.prepareToPlay (sampleRate, blockSize);
        processor.setParameter (selvane::kDelayTime, 0.3f);
        processor.setParameter (selvane::kPingPong, 0.5f);
        processor.setParameter (selvane::kHighCut, 0.4f);
        processor.setParameter (selvane::kLowCut, 0.2f);
        buffer.setSize (juce::jmax (ins, outs), blockSize);

        input.setSize (2, inputBlocks * blockSize);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < input.getNumSamples(); ++i)
                input.setSample (c, i, 0.25f * std::sin (0.01f * (float) i * (float) (c + 1)) * (i % 24000 < 4000 ? 1.0f : 0.1f));
    }

    // The host hands over fresh input each block: copy it from a table made
    // up front, so the benchmark times the effect, not a signal generator.
    void fillInput()
    {
        const int offset = (phase++ % inputBlocks) * blockSize;
        for (int c = 0; c < buffer.getNumChannels(); ++c)
            buffer.copyFrom (c, 0, input, c % 2, offset, blockSize);
    }

    void settle()
    {
        for (int i = 0; i < 4000; ++i)
        {
            fillInput();
            processor.processBlock (buffer, midi);
        }
    }

    VelmorAudioProcessor processor;
    static constexpr int inputBlocks = 256;
    juce::AudioBuffer<float> input, buffer;
    juce::MidiBuffer midi;
    int phase = 0;
};

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
        f.fillInput();
        f.processor.processBlock (f.buffer, f.midi);
        benchmark::DoNotOptimize (f.buffer.getReadPointer (0));
    }
    report (state);
}

void BM_StereoSettled (benchmark::State& state) { processSettled (state, Layout::stereo); }
void BM_MonoToStereoSettled (benchmark::State& state) { processSettled (state, Layout::monoToStereo); }
void BM_MonoSettled (benchmark::State& state) { processSettled (state, Layout::mono); }

// The delay time is turned back and forth every few blocks, so the delay
// glides (and every control smooths) all the time.
void BM_StereoDelayGliding (benchmark::State& state)
{
    Fixture f (Layout::stereo);
    f.settle();
    int block = 0;
    for (auto _ : state)
    {
        if (block++ % 64 == 0)
        {
            f.processor.setParameter (selvane::kDelayTime, (block / 64) % 2 ? 0.6f : 0.2f);
            f.processor.setParameter (selvane::kDelayFeedback, (block / 64) % 2 ? 0.7f : 0.4f);
        }
        f.fillInput();
        f.processor.processBlock (f.buffer, f.midi);
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
