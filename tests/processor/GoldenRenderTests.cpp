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
// The processor as a host drives it: a play head at 132 bpm in 3/8, prepared at 44.1 kHz.
struct ProcessorHost
{
    ProcessorHost (int ins, int outs)
    {
        playHead.bpm = 132.0;
        playHead.signature = juce::AudioPlayHead::TimeSignature { 3, 8 };
        p.setPlayHead (&playHead);
        setLayout (p, ins, outs);
        p.prepareToPlay (44100.0, 1024);
    }

    void setParameter (int index, float value) { p.setParameter (index, value); }
    void setBpm (double bpm) { playHead.bpm = bpm; }
    void setSampleRate (double rate) { p.prepareToPlay (rate, 1024); }
    void process (float* left, float* right, int size)
    {
        float* channels[] = { left, right };
        juce::AudioBuffer<float> block (channels, 2, size);
        p.processBlock (block, midi);
    }

    VelmorAudioProcessor p;
    ScriptedPlayHead playHead;
    juce::MidiBuffer midi;
};

uint64_t renderWithMovingParameters (int ins, int outs)
{
    ProcessorHost host (ins, outs);
    return runGoldenScript (host, outs);
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
