#include "ProcessorTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace selvane;
using namespace testing_support;

namespace
{
juce::AudioBuffer<float> constantBlock (int channels, int samples, std::initializer_list<float> values)
{
    juce::AudioBuffer<float> buffer (channels, samples);
    int c = 0;
    for (float v : values)
        if (c < channels)
            juce::FloatVectorOperations::fill (buffer.getWritePointer (c++), v, samples);
    return buffer;
}

// Dry only, no loop: the output is the balanced input times the output gain.
void makeDryOnly (VelmorAudioProcessor& p)
{
    p.setParameter (kDryWet, 0.0f);
    p.setParameter (kDelayFeedback, 0.0f);
}

void expectSameSamples (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    ASSERT_EQ (a.getNumChannels(), b.getNumChannels());
    ASSERT_EQ (a.getNumSamples(), b.getNumSamples());
    for (int c = 0; c < a.getNumChannels(); ++c)
        for (int i = 0; i < a.getNumSamples(); ++i)
            ASSERT_EQ (a.getSample (c, i), b.getSample (c, i)) << "channel " << c << " sample " << i;
}

} // namespace

struct BalanceCase
{
    int inputs;
    float balance, in0, in1, left, right;
};

class BalanceStage : public ::testing::TestWithParam<BalanceCase> {};

TEST_P (BalanceStage, SplitsOrFoldsTheInput)
{
    const auto c = GetParam();
    VelmorAudioProcessor p;
    setLayout (p, c.inputs, 2);
    p.prepareToPlay (48000.0, 4096);
    makeDryOnly (p);
    p.setParameter (kBalance, c.balance);
    settle (p);

    auto block = constantBlock (2, 4096, { c.in0, c.in1 });
    juce::MidiBuffer midi;
    p.processBlock (block, midi);
    // the balance comes to rest within a few millionths of its target
    EXPECT_NEAR (block.getSample (0, 4095), c.left, 2.0e-5);
    EXPECT_NEAR (block.getSample (1, 4095), c.right, 2.0e-5);
}

INSTANTIATE_TEST_SUITE_P (Positions, BalanceStage,
                          ::testing::Values (BalanceCase { 2, 0.5f, 0.5f, 0.25f, 0.5f, 0.25f },
                                             BalanceCase { 2, 0.0f, 0.5f, 0.25f, 0.75f, 0.0f },
                                             BalanceCase { 2, 1.0f, 0.5f, 0.25f, 0.0f, 0.75f },
                                             BalanceCase { 1, 0.25f, 1.0f, 0.0f, 1.0f, 0.5f },
                                             BalanceCase { 1, 0.75f, 1.0f, 0.0f, 0.5f, 1.0f }));

TEST (BlockProcessing, ImpulseEchoesWhereTheDelayTimeSaysInEveryLayout)
{
    for (auto [ins, outs] : { std::pair { 2, 2 }, std::pair { 1, 2 }, std::pair { 1, 1 } })
    {
        VelmorAudioProcessor p;
        setLayout (p, ins, outs);
        p.prepareToPlay (48000.0, 8192);
        p.setParameter (kMode, 0.0f);        // short: 5..100 ms
        p.setParameter (kDelayTime, 0.5f);   // 52.5 ms = 2520 samples
        settle (p, 2);

        juce::AudioBuffer<float> block (2, 8192);
        block.clear();
        block.setSample (0, 0, 1.0f);
        juce::MidiBuffer midi;
        p.processBlock (block, midi);
        EXPECT_EQ (loudestSample (block, 0, 100), 2520) << ins << " in, " << outs << " out";
        // loop gain 0.55 through the default filters at 48 kHz (high-pass 0.99739, low-pass 1 - 0.07296)
        EXPECT_NEAR (block.getSample (0, 2520), 0.55f * 0.99739f * 0.92704f, 0.001);
    }
}

TEST (BlockProcessing, OutputGainGlidesWithinTheBlockAndSnapsOnlyBetweenBlocks)
{
    VelmorAudioProcessor p;
    p.prepareToPlay (48000.0, 1000);
    makeDryOnly (p);
    settle (p);
    p.setParameter (kGain, 0.5f);  // -40 dB = 0.01

    auto block = constantBlock (2, 1000, { 1.0f, 1.0f });
    juce::MidiBuffer midi;
    p.processBlock (block, midi);
    const float covered = (1.0f - block.getSample (0, 199)) / (1.0f - 0.01f);
    EXPECT_NEAR (covered, 0.633f, 0.002);
    EXPECT_EQ (block.getSample (0, 999), block.getSample (1, 999));
    EXPECT_GT (block.getSample (0, 999), 0.01f);
}

TEST (BlockProcessing, OutputIsClippedToFullScale)
{
    VelmorAudioProcessor p;
    p.prepareToPlay (48000.0, 512);
    makeDryOnly (p);
    p.setParameter (kGain, 0.96f);  // +6 dB, about 2.0
    settle (p);
    auto block = constantBlock (2, 512, { 0.8f, -0.8f });
    juce::MidiBuffer midi;
    p.processBlock (block, midi);
    EXPECT_EQ (block.getSample (0, 511), 1.0f);
    EXPECT_EQ (block.getSample (1, 511), -1.0f);
}

TEST (BlockProcessing, LongBlocksAreProcessedWholeLikeTheSameAudioInShorterBlocks)
{
    VelmorAudioProcessor whole, split;
    for (auto* p : { &whole, &split })
    {
        p->prepareToPlay (48000.0, 20000);
        p->setParameter (kMode, 0.0f);
        p->setParameter (kGain, 0.8f);
    }

    juce::AudioBuffer<float> input (2, 20000);
    for (int i = 0; i < 20000; ++i)
        for (int c = 0; c < 2; ++c)
            input.setSample (c, i, 0.5f * std::sin (0.003f * (float) i * (float) (c + 1)));

    juce::AudioBuffer<float> a (input), b (input);
    juce::MidiBuffer midi;
    whole.processBlock (a, midi);

    juce::AudioBuffer<float> first (2, 16384), second (2, 20000 - 16384);
    for (int c = 0; c < 2; ++c)
    {
        first.copyFrom (c, 0, b, c, 0, 16384);
        second.copyFrom (c, 0, b, c, 16384, 20000 - 16384);
    }
    split.processBlock (first, midi);
    split.processBlock (second, midi);
    for (int c = 0; c < 2; ++c)
    {
        b.copyFrom (c, 0, first, c, 0, 16384);
        b.copyFrom (c, 16384, second, c, 0, 20000 - 16384);
    }
    expectSameSamples (a, b);
    EXPECT_NE (a.getSample (0, 19999), input.getSample (0, 19999));
}

TEST (BlockProcessing, NonFiniteInputIsTreatedAsSilence)
{
    VelmorAudioProcessor poisoned, clean;
    juce::MidiBuffer midi;
    for (auto* p : { &poisoned, &clean })
    {
        p->prepareToPlay (48000.0, 512);
        p->setParameter (kMode, 0.0f);
        p->setParameter (kDelayFeedback, 1.0f);
    }

    for (int block = 0; block < 40; ++block)
    {
        juce::AudioBuffer<float> a (2, 512);
        for (int i = 0; i < 512; ++i)
            for (int c = 0; c < 2; ++c)
                a.setSample (c, i, 0.3f * std::sin (0.02f * (float) (block * 512 + i)));
        juce::AudioBuffer<float> b (a);
        if (block == 3)
        {
            a.setSample (0, 17, std::numeric_limits<float>::quiet_NaN());
            a.setSample (1, 200, std::numeric_limits<float>::infinity());
            b.setSample (0, 17, 0.0f);
            b.setSample (1, 200, 0.0f);
        }
        poisoned.processBlock (a, midi);
        clean.processBlock (b, midi);
        expectSameSamples (a, b);
    }
}

TEST (BlockProcessing, ScopeKeepsTheStartOfTheFinalOutput)
{
    VelmorAudioProcessor p;
    p.prepareToPlay (48000.0, 512);
    juce::MidiBuffer midi;

    auto block = constantBlock (2, 100, { 0.3f, -0.2f });
    p.processBlock (block, midi);
    EXPECT_EQ (p.scopeNumSamples.load(), 100);
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ (p.scopeBuffers[0][(size_t) i].load(), block.getSample (0, i));
        ASSERT_EQ (p.scopeBuffers[1][(size_t) i].load(), block.getSample (1, i));
    }

    auto big = constantBlock (2, 2000, { 0.1f, 0.1f });
    p.processBlock (big, midi);
    EXPECT_EQ (p.scopeNumSamples.load(), 512);
    EXPECT_EQ (p.scopeBuffers[0][511].load(), big.getSample (0, 511));

    juce::AudioBuffer<float> empty (2, 0);
    p.processBlock (empty, midi);
    EXPECT_EQ (p.scopeNumSamples.load(), 0);
}

TEST (BlockProcessing, MonoOutputLeavesTheRightScopeUntouched)
{
    VelmorAudioProcessor p;
    setLayout (p, 1, 1);
    p.prepareToPlay (48000.0, 512);
    auto block = constantBlock (1, 300, { 0.5f });
    juce::MidiBuffer midi;
    p.processBlock (block, midi);
    EXPECT_EQ (p.scopeNumSamples.load(), 300);
    EXPECT_EQ (p.scopeBuffers[0][10].load(), block.getSample (0, 10));
    EXPECT_NE (p.scopeBuffers[0][10].load(), 0.0f);
    for (const auto& s : p.scopeBuffers[1])
        ASSERT_EQ (s.load(), 0.0f);
}

TEST (BlockProcessing, MidiBufferIsEmptyAfterEveryBlock)
{
    VelmorAudioProcessor p;
    p.prepareToPlay (48000.0, 256);
    juce::AudioBuffer<float> block (2, 256);
    block.clear();
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.5f), 3);
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 100), 10);
    p.processBlock (block, midi);
    EXPECT_TRUE (midi.isEmpty());
}

TEST (BlockProcessing, LayoutsOfferedAreTheThreeAndNoOther)
{
    VelmorAudioProcessor p;
    auto supports = [&p] (int ins, int outs) { return p.checkBusesLayoutSupported (busesLayout (ins, outs)); };
    EXPECT_TRUE (supports (2, 2));
    EXPECT_TRUE (supports (1, 2));
    EXPECT_TRUE (supports (1, 1));
    EXPECT_FALSE (supports (2, 1));
    EXPECT_FALSE (supports (3, 3));
}

TEST (BlockProcessing, ParametersFarOutOfRangeNeverMakeTheOutputNonFinite)
{
    // What a misbehaving VST 2.x host can send: values no mapping was made for.
    const std::pair<int, float> hostile[] = { { kGain, 10.0f },
                                              { kDelayFeedback, 3.0e38f },
                                              { kBalance, -std::numeric_limits<float>::max() },
                                              { kPingPong, 1.0e30f } };
    VelmorAudioProcessor p;
    p.prepareToPlay (48000.0, 512);
    for (auto [index, value] : hostile)
        p.setParameter (index, value);

    juce::MidiBuffer midi;
    for (int block = 0; block < 200; ++block)
    {
        auto buffer = constantBlock (2, 512, { block % 3 == 0 ? 0.0f : 0.7f, -0.4f });
        p.processBlock (buffer, midi);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < 512; ++i)
            {
                const float s = buffer.getSample (c, i);
                ASSERT_TRUE (std::isfinite (s) && std::abs (s) <= 1.0f) << "block " << block << ": " << s;
            }
    }

    // ... and the instance recovers once sensible values return
    p.setParameter (kGain, 0.9f);
    p.setParameter (kDelayFeedback, 0.0f);
    p.setParameter (kBalance, 0.5f);
    p.setParameter (kDryWet, 0.0f);
    for (int block = 0; block < 400; ++block)
    {
        auto buffer = constantBlock (2, 512, { 0.25f, 0.25f });
        p.processBlock (buffer, midi);
        if (block == 399)
            EXPECT_NEAR (buffer.getSample (0, 511), 0.25f, 1.0e-3);
    }
}

// The host's bypass: the input passes as it came (a mono input on both sides
// of a stereo output) once the fade into it is over, and processing resumes
// with an empty echo.
TEST (BlockProcessing, BypassPassesTheInputOnEverySideAndResumesEmpty)
{
    VelmorAudioProcessor p;
    testing_support::setLayout (p, 1, 2);
    p.prepareToPlay (48000.0, 1024);
    p.setParameter (kDelayFeedback, 0.9f);

    juce::AudioBuffer<float> buffer (2, 1024);
    juce::MidiBuffer midi;
    const auto fill = [&] {
        buffer.clear();
        for (int i = 0; i < 1024; ++i)
            buffer.setSample (0, i, 0.5f * std::sin (0.05f * (float) i));
    };
    for (int block = 0; block < 200; ++block)  // the echo memory fills
    {
        fill();
        p.processBlock (buffer, midi);
    }

    fill();
    p.processBlockBypassed (buffer, midi);  // fades from the echo into the input
    fill();
    p.processBlockBypassed (buffer, midi);
    for (int i = 0; i < 1024; ++i)
    {
        const float input = 0.5f * std::sin (0.05f * (float) i);
        ASSERT_EQ (buffer.getSample (0, i), input) << i;
        ASSERT_EQ (buffer.getSample (1, i), input) << "the right side, " << i;
    }

    // Back: before the first echo (0.1 s = 4800 samples) only the dry input sounds.
    fill();
    p.processBlock (buffer, midi);
    for (int i = 0; i < 1024; ++i)
        ASSERT_NEAR (buffer.getSample (0, i), 0.5f * std::sin (0.05f * (float) i), 1.0e-4f) << "echoes came back, " << i;
}
