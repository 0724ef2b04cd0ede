#include "EchoDelayLine.h"
#include "Smoothing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
// Runs silence through the line until its delay has glided onto its target
// and the other controls have come to rest.
void settle (EchoDelayLine& line, bool mono = false)
{
    std::vector<float> silence (16384, 0.0f), out (16384);
    for (int i = 0; i < 400 && line.getCurrentDelay() != (double) line.getTargetDelay(); ++i)
    {
        if (mono)
            line.processMono (silence.data(), out.data(), 16384);
        else
            line.processStereo (silence.data(), silence.data(), out.data(), out.data() + 0, 16384);
    }
    // a few thousand more samples for the 200-sample smoothers
    for (int i = 0; i < 2; ++i)
        mono ? line.processMono (silence.data(), out.data(), 16384)
             : line.processStereo (silence.data(), silence.data(), out.data(), out.data(), 16384);
    ASSERT_EQ (line.getCurrentDelay(), (double) line.getTargetDelay());
}

struct StereoRun
{
    std::vector<float> left, right;
};

// An impulse of height 1 on the left (or right) input at sample 0, then silence.
StereoRun runImpulse (EchoDelayLine& line, int length, bool onRight = false)
{
    std::vector<float> inL ((size_t) length, 0.0f), inR ((size_t) length, 0.0f);
    (onRight ? inR : inL)[0] = 1.0f;
    StereoRun run { std::vector<float> ((size_t) length), std::vector<float> ((size_t) length) };
    line.processStereo (inL.data(), inR.data(), run.left.data(), run.right.data(), length);
    return run;
}

// Both filters transparent: high-pass coefficient 1, low-pass coefficient 0.
void makeFiltersTransparent (EchoDelayLine& line)
{
    line.setHighPassCoefficient (1.0f);
    line.setLowPassCoefficient (0.0f);
}

std::vector<int> peaksAbove (const std::vector<float>& signal, float threshold)
{
    std::vector<int> where;
    for (size_t i = 0; i < signal.size(); ++i)
        if (std::fabs (signal[i]) > threshold)
            where.push_back ((int) i);
    return where;
}
} // namespace

TEST (EchoDelayLine, FreshLineGivesTheDryInputAndHoldsTheShortestDelay)
{
    EchoDelayLine line;
    std::vector<float> in { 0.25f, -0.5f, 1.0f, 0.0f, 0.75f }, outL (5), outR (5);
    line.processStereo (in.data(), in.data(), outL.data(), outR.data(), 5);
    EXPECT_EQ (outL, in);
    EXPECT_EQ (outR, in);
    EXPECT_EQ (line.getCurrentDelay(), 10.0);
}

struct EchoCase
{
    int delay;
    float loopGain;
};

class ImpulseEchoes : public ::testing::TestWithParam<EchoCase> {};

TEST_P (ImpulseEchoes, RepeatAtDThen2DPlus1Then3DPlus2WithGeometricHeights)
{
    const auto [delay, g] = GetParam();
    EchoDelayLine line;
    line.setDelaySamples ((float) delay);
    line.setFeedback (g);
    makeFiltersTransparent (line);
    settle (line);

    const auto run = runImpulse (line, 3 * delay + 10);
    EXPECT_EQ (peaksAbove (run.left, 1.0e-4f), (std::vector<int> { 0, delay, 2 * delay + 1, 3 * delay + 2 }));
    EXPECT_NEAR (run.left[(size_t) delay], g, 1.0e-4);
    EXPECT_NEAR (run.left[(size_t) (2 * delay + 1)], g * g, 1.0e-4);
    EXPECT_NEAR (run.left[(size_t) (3 * delay + 2)], g * g * g, 1.0e-4);
    EXPECT_TRUE (peaksAbove (run.right, 0.0f).empty());
}

INSTANTIATE_TEST_SUITE_P (Delays, ImpulseEchoes,
                          ::testing::Values (EchoCase { 100, 0.5f }, EchoCase { 4800, 0.9f }, EchoCase { 1000, 1.0f }));

TEST (EchoDelayLine, PingPongSendsTheFirstEchoToTheOtherSideThenAlternates)
{
    constexpr int delay = 200;
    EchoDelayLine line;
    line.setDelaySamples (delay);
    line.setFeedback (0.8f);
    line.setPingPong (1.0f);
    makeFiltersTransparent (line);
    settle (line);

    const auto run = runImpulse (line, 3 * delay + 10);
    EXPECT_EQ (peaksAbove (run.right, 1.0e-4f), (std::vector<int> { delay, 3 * delay + 2 }));
    EXPECT_EQ (peaksAbove (run.left, 1.0e-4f), (std::vector<int> { 0, 2 * delay + 1 }));
    EXPECT_NEAR (run.right[delay], 0.8f, 1.0e-4);
    EXPECT_NEAR (run.left[2 * delay + 1], 0.64f, 1.0e-4);
}

TEST (EchoDelayLine, MonoPathEchoesInPlaceAndLeavesNothingElse)
{
    constexpr int delay = 300;
    EchoDelayLine line;
    line.setDelaySamples (delay);
    line.setFeedback (0.5f);
    makeFiltersTransparent (line);
    settle (line, true);

    std::vector<float> buffer (2 * delay + 10, 0.0f);
    buffer[0] = 1.0f;
    line.processMono (buffer.data(), buffer.data(), (int) buffer.size());
    EXPECT_EQ (peaksAbove (buffer, 1.0e-4f), (std::vector<int> { 0, delay, 2 * delay + 1 }));
    EXPECT_NEAR (buffer[delay], 0.5f, 1.0e-4);
    EXPECT_NEAR (buffer[2 * delay + 1], 0.25f, 1.0e-4);
}

TEST (EchoDelayLine, LongSyncedDelaySettlesExactlyOnItsLength)
{
    // "2/1" at 120 bpm and 44.1 kHz: a glide held in single precision would
    // stop hundreds of samples short of this.
    constexpr int delay = 176400;
    EchoDelayLine line;
    line.setDelaySamples ((float) delay);
    line.setFeedback (1.0f);
    makeFiltersTransparent (line);
    settle (line);
    EXPECT_EQ (line.getCurrentDelay(), (double) delay);

    const auto run = runImpulse (line, delay + 5);
    EXPECT_EQ (peaksAbove (run.left, 1.0e-6f), (std::vector<int> { 0, delay }));
}

TEST (EchoDelayLine, LongestDelayReadsTheOldestSampleInTheMemory)
{
    EchoDelayLine line;
    line.setDelaySamples (1.0e7f);
    EXPECT_EQ (line.getTargetDelay(), 480000.0f);
    line.setFeedback (1.0f);
    makeFiltersTransparent (line);
    settle (line);

    const auto run = runImpulse (line, 480001);
    EXPECT_EQ (peaksAbove (run.left, 1.0e-4f), (std::vector<int> { 0, 480000 }));
}

TEST (EchoDelayLine, SettersClampTheirTargets)
{
    EchoDelayLine line;
    line.setDelaySamples (5.0f);
    EXPECT_EQ (line.getTargetDelay(), 10.0f);
    line.setDelaySamples (1.0e7f);
    EXPECT_EQ (line.getTargetDelay(), 480000.0f);
    line.setPingPong (-0.5f);
    EXPECT_EQ (line.getPingPongTarget(), 0.0f);
    line.setPingPong (3.0f);
    EXPECT_EQ (line.getPingPongTarget(), 1.0f);
    line.setDryWet (1.5f);
    EXPECT_EQ (line.getDryWetTarget(), 1.0f);
    line.setDryWet (-1.0f);
    EXPECT_EQ (line.getDryWetTarget(), 0.0f);
    line.setFeedback (7.0f);  // the loop gain is the caller's business
    EXPECT_EQ (line.getFeedbackTarget(), 7.0f);
}

TEST (EchoDelayLine, DelayGlideLeavesAboutAThirdOfTheGapAfter50000Samples)
{
    EchoDelayLine line;
    line.setDelaySamples (4410.0f);
    settle (line);
    line.setDelaySamples (44100.0f);

    std::vector<float> silence (50000, 0.0f), out (50000);
    line.processStereo (silence.data(), silence.data(), out.data(), out.data(), 50000);
    const double remaining = (44100.0 - line.getCurrentDelay()) / (44100.0 - 4410.0);
    EXPECT_NEAR (remaining, 0.368, 0.001);
}

TEST (EchoDelayLine, ControlSmoothersLeaveAboutAThirdOfTheGapAfter200Samples)
{
    EchoDelayLine line;
    line.setFeedback (1.0f);
    line.setHighPassCoefficient (0.0f);  // from 0.9
    std::vector<float> silence (200, 0.0f), out (200);
    line.processStereo (silence.data(), silence.data(), out.data(), out.data(), 200);
    EXPECT_NEAR (1.0f - line.getFeedbackCurrent(), 0.367, 0.001);
    EXPECT_NEAR (line.getHighPassCoefficientL() / 0.9f, 0.367, 0.001);
}

TEST (Smoothing, ClosesGapsOfAMillionthAtOnceAndBlendsLargerOnes)
{
    EXPECT_EQ (selvane::smoothTowards (0.5f, 0.5000009f), 0.5000009f);
    EXPECT_EQ (selvane::smoothTowards (0.0f, 1.0f), 0.005f);
    EXPECT_EQ (selvane::glideTowards (100.0, 100.00000009), 100.00000009);
    EXPECT_DOUBLE_EQ (selvane::glideTowards (0.0, 1000.0), 0.02);
}

TEST (EchoDelayLine, FilterTailsEndInExactZeroNotDenormals)
{
    EchoDelayLine line;
    line.setDelaySamples (50.0f);
    line.setFeedback (0.9f);
    line.setDryWet (1.0f);  // wet only: the output is the filtered loop
    line.setHighPassCoefficient (1.0f);
    line.setLowPassCoefficient (0.95f);
    settle (line);

    const auto run = runImpulse (line, 20000);
    size_t lastNonZero = 0;
    for (size_t i = 1; i < run.left.size(); ++i)
        if (run.left[i] != 0.0f)
        {
            EXPECT_GE (std::fabs (run.left[i]), 0.00001f) << "at sample " << i;
            lastNonZero = i;
        }
    EXPECT_GT (lastNonZero, 50u);
    EXPECT_LT (lastNonZero, 19000u) << "the tail should have been flushed to silence";
}

struct MixCase
{
    float mix, dry, wet;
};

class DryWetLaw : public ::testing::TestWithParam<MixCase> {};

TEST_P (DryWetLaw, DryAndWetFollowTheMixPosition)
{
    const auto [mix, dry, wet] = GetParam();
    EchoDelayLine line;
    line.setDelaySamples (100.0f);
    line.setFeedback (0.5f);
    line.setDryWet (mix);
    makeFiltersTransparent (line);
    settle (line);

    // In single precision the mix comes to rest within about 6e-6 of a target
    // near 1, which leaves a trace of dry signal twice that size at mix 1.
    const auto run = runImpulse (line, 110);
    EXPECT_NEAR (run.left[0], dry, 2.0e-5);
    EXPECT_NEAR (run.left[100], 0.5f * wet, 1.0e-4);
}

INSTANTIATE_TEST_SUITE_P (Positions, DryWetLaw,
                          ::testing::Values (MixCase { 0.0f, 1.0f, 0.0f }, MixCase { 0.25f, 1.0f, 0.5f },
                                             MixCase { 0.5f, 1.0f, 1.0f }, MixCase { 0.75f, 0.5f, 1.0f },
                                             MixCase { 1.0f, 0.0f, 1.0f }));

TEST (EchoDelayLine, OutputIsHeldWithinTwoAndAnOverdrivenLoopStaysBounded)
{
    EchoDelayLine line;
    line.setDelaySamples (10.0f);
    line.setFeedback (1.1f);
    makeFiltersTransparent (line);

    std::vector<float> loud (20000, 1.9f), outL (20000), outR (20000);
    loud[0] = 3.0f;
    line.processStereo (loud.data(), loud.data(), outL.data(), outR.data(), 20000);
    EXPECT_EQ (outL[0], 2.0f);
    for (float s : outL)
    {
        ASSERT_TRUE (std::isfinite (s));
        ASSERT_LE (std::fabs (s), 2.0f);
    }
    EXPECT_EQ (outL.back(), 2.0f);
}
