// The whole echo on the engine alone, with no framework: the long golden
// render, what a listener measures of the loop's filters, tempo sync's
// fallbacks, the pipeline's guards, and the bypass fades.

#include "EchoEngine.h"
#include "support/GoldenRender.h"
#include "support/Settle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace selvane;
using namespace testing_support;

namespace
{
// Two channels of audio that an engine block points into.
struct StereoBuffer
{
    explicit StereoBuffer (int length) : left ((size_t) length, 0.0f), right ((size_t) length, 0.0f) {}

    AudioBlock block (int ins, int outs, int numSamples)
    {
        pointers[0] = left.data();
        pointers[1] = right.data();
        return { pointers, 2, ins, outs, numSamples };
    }

    std::vector<float> left, right;
    float* pointers[2] {};
};

// The golden render's script (support/GoldenRender.h) on the engine alone,
// following a transport at 132 bpm in 3/8, at 44.1 kHz.
struct EngineHost
{
    EngineHost (int insIn, int outsIn) : ins (insIn), outs (outsIn) { engine.setSampleRate (44100.0); }

    void setParameter (int index, float value) { engine.setParameter (index, value); }
    void setBpm (double bpm) { transport.bpm = bpm; }
    void setSampleRate (double rate) { engine.setSampleRate (rate); }
    void process (float* left, float* right, int size)
    {
        float* channels[] = { left, right };
        engine.followTransport (transport);
        engine.process ({ channels, 2, ins, outs, size });
    }

    EchoEngine engine;
    Transport transport { 132.0, 8.0 };
    int ins, outs;
};

uint64_t renderWithMovingParameters (int ins, int outs)
{
    EngineHost host (ins, outs);
    return runGoldenScript (host, outs);
}

// Runs silence until the delay has glided onto its target and the smoothers rest.
void settle (EchoEngine& engine)
{
    StereoBuffer silence (16384);
    settleDelay (engine.getDelayLine(), [&] {
        std::fill (silence.left.begin(), silence.left.end(), 0.0f);
        std::fill (silence.right.begin(), silence.right.end(), 0.0f);
        engine.process (silence.block (2, 2, 16384));
    });
}
} // namespace

TEST (EngineGoldenRender, EveryLayoutComesOutAsRecorded)
{
    EXPECT_EQ (renderWithMovingParameters (2, 2), goldenStereo);
    EXPECT_EQ (renderWithMovingParameters (1, 2), goldenMonoToStereo);
    EXPECT_EQ (renderWithMovingParameters (1, 1), goldenMono);
}

//==============================================================================
// The loop's filters as a listener meets them: the level of the first repeat
// of a steady sine, against the same repeat with both filters open. At the
// corner a one-pole filter passes the sine 3 dB down.
namespace
{
constexpr double rate = 48000.0;

// Level (RMS) of the first repeat of a sine: fully wet, a 100 ms echo,
// measured over whole periods well inside the repeat (the loop gain scales
// what enters the memory, so the first repeat carries it once; the second
// comes after the measured span).
double firstRepeatLevel (double frequency, float highCut, float lowCut)
{
    EchoEngine engine;
    engine.setSampleRate (rate);
    for (auto [index, value] : { std::pair { kMode, 0.0f }, { kDelayTime, 1.0f }, { kDelayFeedback, 0.5f },
                                 { kDryWet, 1.0f }, { kGain, 0.9f }, { kBalance, 0.5f }, { kPingPong, 0.0f },
                                 { kHighCut, highCut }, { kLowCut, lowCut } })
        engine.setParameter (index, value);
    settle (engine);

    const int delay = (int) (0.1 * rate);  // 100 ms: the top of the short range
    const int length = 2 * delay;
    StereoBuffer buffer (length);
    for (int i = 0; i < delay; ++i)
    {
        const float sine = (float) (0.25 * std::sin (2.0 * M_PI * frequency * i / rate));
        buffer.left[(size_t) i] = buffer.right[(size_t) i] = sine;
    }
    engine.process (buffer.block (2, 2, length));

    // The repeat's second half: the filters have long passed their onset.
    const int periods = (int) (0.04 * frequency) + 1;
    const int span = (int) std::lround (periods * rate / frequency);
    double sum = 0.0;
    for (int i = delay + delay / 2; i < delay + delay / 2 + span; ++i)
        sum += (double) buffer.left[(size_t) i] * buffer.left[(size_t) i];
    return std::sqrt (sum / span);
}

double decibelsBelowOpen (double frequency, float highCut, float lowCut)
{
    return 20.0 * std::log10 (firstRepeatLevel (frequency, highCut, lowCut) / firstRepeatLevel (frequency, 0.0f, 0.0f));
}
} // namespace

struct CornerCase
{
    const char* what;
    float highCut, lowCut;
    double cornerHz;
};

class FilterCorner : public ::testing::TestWithParam<CornerCase>
{
};

// Each repeat passes through the one-pole once, so at its corner the repeat is
// 3 dB down; an octave further into the stop band it is about 7 dB down, and
// an octave into the pass band it is within about 1 dB.
TEST_P (FilterCorner, TheRepeatIsThreeDecibelsDownAtTheCorner)
{
    const auto c = GetParam();
    const bool lowPass = c.highCut > 0.0f;
    const double atCorner = decibelsBelowOpen (c.cornerHz, c.highCut, c.lowCut);
    const double stopOctave = decibelsBelowOpen (lowPass ? 2.0 * c.cornerHz : 0.5 * c.cornerHz, c.highCut, c.lowCut);
    const double passOctave = decibelsBelowOpen (lowPass ? 0.5 * c.cornerHz : 2.0 * c.cornerHz, c.highCut, c.lowCut);

    EXPECT_NEAR (atCorner, -3.0, 0.6) << c.what;
    EXPECT_LT (stopOctave, -5.5) << c.what;
    EXPECT_GT (passOctave, -1.5) << c.what;
}

INSTANTIATE_TEST_SUITE_P (LoopFilters, FilterCorner,
                          ::testing::Values (CornerCase { "HighCut all the way: 500 Hz", 1.0f, 0.0f, 500.0 },
                                             CornerCase { "HighCut 0.5: 2 kHz", 0.5f, 0.0f, highCutFrequencyFor (0.5f) },
                                             CornerCase { "LowCut all the way: 500 Hz", 0.0f, 1.0f, 500.0 },
                                             CornerCase { "LowCut 0.25: 140 Hz", 0.0f, 0.25f, lowCutFrequencyFor (0.25f) }));

//==============================================================================
TEST (EngineTempoSync, WhatTheTransportDoesNotSayIsFilledIn)
{
    struct Case
    {
        Transport transport;
        float expectedSamples;
    };
    // A quarter note (index 15) at 44.1 kHz.
    const Case cases[] = {
        { { 120.0, 4.0 }, 22050.0f },
        { { std::nullopt, std::nullopt }, 22050.0f },  // nothing: 120 bpm, quarter-note beat
        { { 60.0, std::nullopt }, 44100.0f },          // no signature: quarter-note beat
        { { std::nullopt, 8.0 }, 44100.0f },           // no tempo: 120 bpm of eighths
    };
    for (const auto& c : cases)
    {
        EchoEngine engine;
        engine.setParameter (kMode, 1.0f);
        engine.setParameter (kDelayTime, 15.0f / 24.0f);
        engine.followTransport (c.transport);
        StereoBuffer buffer (64);
        engine.process (buffer.block (2, 2, 64));
        EXPECT_EQ (engine.getDelayLine().getTargetDelay(), c.expectedSamples);
    }
}

TEST (EngineTempoSync, ATempoOrSignatureThatMakesNoSenseKeepsTheDelay)
{
    EchoEngine engine;
    engine.setParameter (kMode, 1.0f);
    engine.setParameter (kDelayTime, 15.0f / 24.0f);
    StereoBuffer buffer (64);
    engine.followTransport ({ 120.0, 4.0 });
    engine.process (buffer.block (2, 2, 64));
    const float kept = engine.getDelayLine().getTargetDelay();

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Transport& t : { Transport { 0.0, 4.0 }, Transport { -90.0, 4.0 }, Transport { nan, 4.0 },
                                Transport { 120.0, 0.0 }, Transport { 120.0, nan } })
    {
        engine.followTransport (t);
        engine.process (buffer.block (2, 2, 64));
        EXPECT_EQ (engine.getDelayLine().getTargetDelay(), kept);
    }
}

//==============================================================================
TEST (EnginePipeline, PoisonedInputEntersAsSilenceAndEveryOutputIsWithinFullScale)
{
    EchoEngine poisoned, clean;
    for (auto* engine : { &poisoned, &clean })
    {
        engine->setParameter (kGain, 1.0f);  // +10 dB: the clip has work to do
        engine->setParameter (kDelayFeedback, 1.0f);
    }
    StereoBuffer a (4096), b (4096);
    for (int i = 0; i < 4096; ++i)
    {
        const float x = 0.9f * std::sin (0.01f * (float) i);
        a.left[(size_t) i] = b.left[(size_t) i] = x;
        a.right[(size_t) i] = b.right[(size_t) i] = -x;
    }
    for (int i = 0; i < 4096; i += 97)
    {
        a.left[(size_t) i] = std::numeric_limits<float>::quiet_NaN();
        a.right[(size_t) i] = std::numeric_limits<float>::infinity();
        b.left[(size_t) i] = b.right[(size_t) i] = 0.0f;
    }
    poisoned.process (a.block (2, 2, 4096));
    clean.process (b.block (2, 2, 4096));

    EXPECT_EQ (a.left, b.left);
    EXPECT_EQ (a.right, b.right);
    for (float s : a.left)
        ASSERT_TRUE (s >= -1.0f && s <= 1.0f);
}

TEST (EnginePipeline, ALongBlockSoundsLikeTheSameAudioInChunks)
{
    EchoEngine whole, pieces;
    const int length = EchoEngine::maxBlockChunk + 3616;
    StereoBuffer a (length), b (length);
    for (int i = 0; i < length; ++i)
        a.left[(size_t) i] = b.left[(size_t) i] = (i % 5000) < 50 ? 0.5f : 0.0f;

    whole.process (a.block (2, 2, length));
    pieces.process (b.block (2, 2, EchoEngine::maxBlockChunk));
    float* rest[2] = { b.left.data() + EchoEngine::maxBlockChunk, b.right.data() + EchoEngine::maxBlockChunk };
    pieces.process ({ rest, 2, 2, 2, 3616 });

    EXPECT_EQ (a.left, b.left);
    EXPECT_EQ (a.right, b.right);
}

TEST (EngineParameters, NonFiniteValuesAndUnknownIndicesAreNotTaken)
{
    EchoEngine engine;
    EXPECT_FALSE (engine.setParameter (kDelayFeedback, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE (engine.setParameter (kGain, std::numeric_limits<float>::infinity()));
    EXPECT_FALSE (engine.setParameter (numParameters, 0.5f));
    EXPECT_FALSE (engine.setParameter (-1, 0.5f));
    EXPECT_EQ (engine.getParameter (kDelayFeedback), parameterTable[kDelayFeedback].defaultValue);
    EXPECT_EQ (engine.getParameter (kGain), parameterTable[kGain].defaultValue);

    EXPECT_FALSE (engine.setSampleRate (0.5));
    EXPECT_FALSE (engine.setSampleRate (1.0e300));
    EXPECT_EQ (engine.getSampleRate(), 44100.0f);
}

//==============================================================================
TEST (EngineBypass, TheInputPassesAndTheEchoFadesOutAndBackInWithoutAJump)
{
    EchoEngine engine;
    engine.setParameter (kDryWet, 1.0f);  // fully wet: the echo and the input differ everywhere
    settle (engine);                      // a 100 ms echo: none comes back within one block
    StereoBuffer buffer (1024);
    for (int n = 0; n < 20; ++n)
    {
        for (int i = 0; i < 1024; ++i)
            buffer.left[(size_t) i] = buffer.right[(size_t) i] = 0.5f * std::sin (0.02f * (float) (n * 1024 + i));
        engine.process (buffer.block (2, 2, 1024));
    }

    // Bypassed, steady input: after the fade the output is the input exactly.
    std::vector<float> input (1024);
    for (int n = 0; n < 2; ++n)
    {
        for (int i = 0; i < 1024; ++i)
            input[(size_t) i] = buffer.left[(size_t) i] = buffer.right[(size_t) i] = 0.3f * std::sin (0.03f * (float) i);
        engine.processBypassed (buffer.block (2, 2, 1024));
        for (int i = n == 0 ? EchoEngine::bypassFadeSamples : 0; i < 1024; ++i)
            ASSERT_EQ (buffer.left[(size_t) i], input[(size_t) i]) << "block " << n << " sample " << i;
    }

    // Back again: the echo starts empty, so fully wet nothing of what played
    // before comes back: after the fade only the mix's own leak of the input
    // is left (the smoothing law stops a hair short of fully wet), below -100 dB.
    for (int i = 0; i < 1024; ++i)
        buffer.left[(size_t) i] = buffer.right[(size_t) i] = 0.3f * std::sin (0.03f * (float) i);
    engine.process (buffer.block (2, 2, 1024));
    EXPECT_NEAR (buffer.left[0], 0.3f * std::sin (0.0f), 0.01f);
    for (int i = 1; i < EchoEngine::bypassFadeSamples; ++i)
        ASSERT_LT (std::fabs (buffer.left[(size_t) i] - buffer.left[(size_t) i - 1]), 0.05f) << i;
    for (int i = EchoEngine::bypassFadeSamples; i < 1024; ++i)
        ASSERT_LT (std::fabs (buffer.left[(size_t) i]), 1.0e-5f) << i;
}
