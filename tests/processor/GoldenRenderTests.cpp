// Guards optimisations of the audio path: a long render through every layout,
// with every parameter moving, must come out bit for bit as recorded. This is
// the processor as a host drives it; the engine alone runs the same script
// (tests/dsp/EchoEngineTests.cpp).

#include "ProcessorTestHelpers.h"
#include "support/GoldenRender.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace selvane;
using namespace testing_support;

namespace
{
uint64_t renderWithMovingParameters (int ins, int outs)
{
    VelmorAudioProcessor p;
    ScriptedPlayHead playHead;
    playHead.bpm = 132.0;
    playHead.signature = juce::AudioPlayHead::TimeSignature { 3, 8 };
    p.setPlayHead (&playHead);
    setLayout (p, ins, outs);
    p.prepareToPlay (44100.0, 1024);

    TestRandom random (12345);
    auto next = [&random] { return random.fraction(); };

    Fnv1a hash;
    juce::MidiBuffer midi;
    juce::AudioBuffer<float> block (2, 16384);
    int t = 0;
    for (int n = 0; n < 600; ++n)
    {
        // Blocks 200..299 change nothing and are long, so every control,
        // the delay glide included, comes to rest.
        const bool resting = n >= 200 && n < 300;
        const int size = resting ? 16384 : n % 7 == 0 ? 1024 : 1 + (int) (next() * 700.0f);
        block.setSize (2, size, false, false, true);
        for (int i = 0; i < size; ++i, ++t)
        {
            const float burst = (t % 9000) < 600 ? std::sin (0.05f * (float) t) : 0.0f;
            block.setSample (0, i, 0.7f * burst);
            block.setSample (1, i, 0.4f * burst * std::cos (0.001f * (float) t));
        }

        if (n % 5 == 0 && ! resting)
            p.setParameter ((int) (next() * 9.0f) % 9, next());
        if (n % 50 == 0 && ! resting)
            p.setParameter (kMode, next());
        if (n == 320)
            playHead.bpm = 90.0;
        if (n == 450)
            p.prepareToPlay (48000.0, 1024);

        p.processBlock (block, midi);
        for (int c = 0; c < outs; ++c)
            hash.add (block.getReadPointer (c), size);
    }
    return hash.value();
}
} // namespace

TEST (GoldenRender, StereoOutputIsUnchanged)
{
    EXPECT_EQ (renderWithMovingParameters (2, 2), goldenStereo);
}

TEST (GoldenRender, MonoToStereoOutputIsUnchanged)
{
    EXPECT_EQ (renderWithMovingParameters (1, 2), goldenMonoToStereo);
}

TEST (GoldenRender, MonoOutputIsUnchanged)
{
    EXPECT_EQ (renderWithMovingParameters (1, 1), goldenMono);
}
