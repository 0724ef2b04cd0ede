#pragma once

// The processor as the benchmarks drive it: 48 kHz, 512-frame blocks, fresh
// input each block from a table made up front, in each layout; and the four
// cases they measure.

#include "engine/VelmorAudioProcessor.h"
#include "tests/support/AudioTestHelpers.h"

#include <cmath>

namespace bench
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
        processor.setBusesLayout (testing_support::busesLayout (ins, outs));
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
            processOneBlock();
    }

    void processOneBlock()
    {
        fillInput();
        processor.processBlock (buffer, midi);
    }

    // The delay time is turned back and forth every 64 blocks, so the delay
    // glides (and the loop gain smooths) all the time.
    void turnTheDelayTime (int block)
    {
        if (block % 64 == 0)
        {
            processor.setParameter (selvane::kDelayTime, (block / 64) % 2 ? 0.6f : 0.2f);
            processor.setParameter (selvane::kDelayFeedback, (block / 64) % 2 ? 0.7f : 0.4f);
        }
    }

    VelmorAudioProcessor processor;
    static constexpr int inputBlocks = 256;
    juce::AudioBuffer<float> input, buffer;
    juce::MidiBuffer midi;
    int phase = 0;
};
} // namespace bench
