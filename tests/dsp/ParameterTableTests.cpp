#include "ParameterTable.h"
#include "StateText.h"
#include "TempoNotes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace selvane;

TEST (ParameterTable, NamesAndDefaultsInHostOrder)
{
    const char* names[] = { "DelayTime", "DelayFeedback", "Mode", "Balance", "PingPong", "HighCut", "LowCut", "DryWet", "Gain" };
    const float defaults[] = { 0.0f, 0.5f, 0.33f, 0.5f, 0.0f, 0.0f, 0.0f, 0.5f, 0.9f };
    for (int i = 0; i < numParameters; ++i)
    {
        EXPECT_STREQ (parameterTable[(size_t) i].name, names[i]);
        EXPECT_EQ (parameterTable[(size_t) i].defaultValue, defaults[i]);
        EXPECT_LE (std::string (names[i]).size(), 13u);
    }
}

struct ModeCase
{
    float x;
    std::optional<int> mode;
};

class ModeThresholds : public ::testing::TestWithParam<ModeCase> {};

TEST_P (ModeThresholds, NearestOfThreeTimesXPicksTheMode)
{
    EXPECT_EQ (delayModeFor (GetParam().x), GetParam().mode) << "x = " << GetParam().x;
}

INSTANTIATE_TEST_SUITE_P (
    Edges, ModeThresholds,
    ::testing::Values (ModeCase { 0.0f, 0 }, ModeCase { 0.16f, 0 }, ModeCase { 1.0f / 6.0f + 1e-6f, 1 },
                       ModeCase { 0.33f, 1 }, ModeCase { 0.49f, 1 }, ModeCase { 0.5f, 2 }, ModeCase { 0.8f, 2 },
                       ModeCase { 5.0f / 6.0f + 1e-6f, 3 }, ModeCase { 1.0f, 3 }, ModeCase { -0.1f, 0 },
                       ModeCase { 1.2f, std::nullopt }, ModeCase { -1.0e9f, std::nullopt },
                       ModeCase { 1.0e30f, std::nullopt }, ModeCase { std::numeric_limits<float>::max(), std::nullopt }));

TEST (ParameterTable, SyncNoteIndexIsNearestToTwentyFourXAndStaysInTheTable)
{
    EXPECT_EQ (syncNoteIndexFor (0.625f), 15);
    EXPECT_STREQ (tempoNoteNames[15], "1/4");
    EXPECT_EQ (syncNoteIndexFor (0.0f), 0);
    EXPECT_EQ (syncNoteIndexFor (0.02f), 0);
    EXPECT_EQ (syncNoteIndexFor (0.021f), 1);
    EXPECT_EQ (syncNoteIndexFor (1.0f), 24);
    EXPECT_EQ (syncNoteIndexFor (7.0f), 24);
    EXPECT_EQ (syncNoteIndexFor (-3.0f), 0);
    EXPECT_EQ (syncNoteIndexFor (1.0e30f), 24);
}

TEST (ParameterTable, FixedModeDelayInSamples)
{
    EXPECT_FLOAT_EQ (fixedModeDelaySamples (0.5f, fixedModeRanges[1], 44100.0f), 0.55f * 44100.0f);
    EXPECT_FLOAT_EQ (fixedModeDelaySamples (0.5f, fixedModeRanges[2], 44100.0f), 2.0f * 44100.0f);
    EXPECT_FLOAT_EQ (fixedModeDelaySamples (1.0f, fixedModeRanges[2], 192000.0f), 576000.0f);
    EXPECT_FLOAT_EQ (fixedModeDelaySamples (0.0f, fixedModeRanges[0], 48000.0f), 240.0f);
}

struct CoefficientCase
{
    const char* what;
    float cornerHz, sampleRate, coefficient;
};

class OnePoleCoefficients : public ::testing::TestWithParam<CoefficientCase> {};

TEST_P (OnePoleCoefficients, MatchTheCornerFrequency)
{
    const auto& c = GetParam();
    EXPECT_NEAR (onePoleCoefficientFor (c.cornerHz, c.sampleRate), c.coefficient, 0.000005) << c.what;
}

INSTANTIATE_TEST_SUITE_P (
    Corners, OnePoleCoefficients,
    ::testing::Values (CoefficientCase { "HighCut 0 at 44.1 kHz", highCutFrequencyFor (0.0f), 44100.0f, 0.05787f },
                       CoefficientCase { "HighCut 0 at 16 kHz (ratio clamped)", highCutFrequencyFor (0.0f), 16000.0f, 0.001867f },
                       CoefficientCase { "LowCut 0 at 44.1 kHz", lowCutFrequencyFor (0.0f), 44100.0f, 0.997155f },
                       CoefficientCase { "LowCut 1 at 44.1 kHz", lowCutFrequencyFor (1.0f), 44100.0f, 0.931240f }));

TEST (ParameterTable, FilterCornersSpanTheirRanges)
{
    EXPECT_FLOAT_EQ (highCutFrequencyFor (0.0f), 20000.0f);
    EXPECT_FLOAT_EQ (highCutFrequencyFor (1.0f), 500.0f);
    EXPECT_FLOAT_EQ (lowCutFrequencyFor (0.0f), 20.0f);
    EXPECT_FLOAT_EQ (lowCutFrequencyFor (1.0f), 500.0f);
}

TEST (ParameterTable, OutputGainIsDecibelsFromMinus90ToPlus10)
{
    EXPECT_EQ (outputGainFor (0.9f), 1.0f);
    EXPECT_NEAR (outputGainFor (1.0f), 3.1623f, 0.0001);
    EXPECT_NEAR (outputGainFor (0.0f), 3.162e-5f, 1.0e-8);
    EXPECT_EQ (outputGainFor (-0.1f), 0.0f);  // -100 dB and below is silence
    EXPECT_EQ (outputGainFor (-5.0f), 0.0f);
    EXPECT_EQ (outputGainFor (10.0f), std::numeric_limits<float>::max());  // +910 dB: as loud as a float gets
}

TEST (ParameterTable, TargetsFarOutsideTheRangeStayFinite)
{
    EXPECT_EQ (loopGainFor (3.0e38f), 1.0e6f);
    EXPECT_EQ (loopGainFor (-3.0e38f), -1.0e6f);
    EXPECT_FLOAT_EQ (loopGainFor (2.0f), 2.2f);  // merely out of range: as the law says
    EXPECT_EQ (balanceTargetFor (-std::numeric_limits<float>::max()), -1.0e6f);
    EXPECT_EQ (balanceTargetFor (0.3f), 0.3f);
}

TEST (ParameterTable, ControllerDrivenGainFollowsTheSquareRootLaw)
{
    EXPECT_EQ (gainParameterForController (127), 1.0f);
    EXPECT_NEAR (gainParameterForController (64), 0.7099f, 0.0001);
    EXPECT_EQ (gainParameterForController (0), 0.0f);
    EXPECT_EQ (loopGainFor (1.0f), 1.1f);
}

TEST (StateText, ParameterValuesReadWithSixSignificantDigits)
{
    EXPECT_EQ (formatParameterValue (0.33f), "0.33");
    EXPECT_EQ (formatParameterValue (0.5f), "0.5");
    EXPECT_EQ (formatParameterValue (0.9f), "0.9");
    EXPECT_EQ (formatParameterValue (0.0f), "0");
    EXPECT_EQ (formatParameterValue (-0.0f), "0");   // "-0" would read back as +0 and not as itself
    EXPECT_EQ (formatParameterValue (1.0f), "1");
    EXPECT_EQ (formatParameterValue (0.123456789), "0.123457");
    EXPECT_EQ (formatParameterValue (-2.5), "-2.5");
}

struct IntegerTextCase
{
    const char* text;
    int value;
};

class IntegerText : public ::testing::TestWithParam<IntegerTextCase> {};

TEST_P (IntegerText, ReadsLikeAtoiAndSaturates)
{
    EXPECT_EQ (parseIntegerText (GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P (
    Texts, IntegerText,
    ::testing::Values (IntegerTextCase { "42", 42 }, IntegerTextCase { "  -1", -1 }, IntegerTextCase { "+7x", 7 },
                       IntegerTextCase { "abc", 0 }, IntegerTextCase { "", 0 }, IntegerTextCase { "12.9", 12 },
                       IntegerTextCase { "99999999999999999999", std::numeric_limits<int>::max() },
                       IntegerTextCase { "-99999999999999999999", std::numeric_limits<int>::min() },
                       IntegerTextCase { "-2147483648", std::numeric_limits<int>::min() }));
