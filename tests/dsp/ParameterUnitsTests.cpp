// Values written with their units, as the renderer takes them: each lands on
// the normalised value whose law gives back what was written.

#include "ParameterUnits.h"
#include "TempoNotes.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace selvane;

namespace
{
struct UnitCase
{
    int parameter;
    const char* text;
    int mode;        // in force when the value is read
    double physical; // what the law gives back for the result
};

// The law of each parameter, in the unit the case is written in.
double lawOf (int parameter, float x, int mode)
{
    switch (parameter)
    {
        case kDelayTime:     return fixedModeSeconds (x, fixedModeRanges[(size_t) mode]);
        case kHighCut:       return highCutFrequencyFor (x);
        case kLowCut:        return lowCutFrequencyFor (x);
        default:             return controlFromNormalised (x, parameterTable[(size_t) parameter].control);
    }
}
} // namespace

class UnitValue : public ::testing::TestWithParam<UnitCase>
{
};

TEST_P (UnitValue, LandsWhereTheLawGivesBackTheWrittenValue)
{
    const auto c = GetParam();
    const auto value = parseParameterValue (c.parameter, c.text, c.mode);
    ASSERT_EQ (value.error, "") << c.text;
    EXPECT_FALSE (value.modeFirst.has_value());
    EXPECT_GE (value.normalised, 0.0f);
    EXPECT_LE (value.normalised, 1.0f);
    EXPECT_NEAR (lawOf (c.parameter, value.normalised, c.mode), c.physical, 1.0e-5 * std::fmax (1.0, std::fabs (c.physical))) << c.text;
}

INSTANTIATE_TEST_SUITE_P (
    Units, UnitValue,
    ::testing::Values (UnitCase { kDelayTime, "375ms", modeMedium, 0.375 }, UnitCase { kDelayTime, "1.2s", modeLong, 1.2 },
                       UnitCase { kDelayTime, "80 ms", modeShort, 0.08 }, UnitCase { kDelayTime, "5ms", modeShort, 0.005 },
                       UnitCase { kDelayTime, "3s", modeLong, 3.0 }, UnitCase { kDelayFeedback, "60%", modeMedium, 60.0 },
                       UnitCase { kDelayFeedback, "110%", modeMedium, 110.0 }, UnitCase { kPingPong, "100%", modeMedium, 100.0 },
                       UnitCase { kBalance, "25%", modeMedium, 25.0 }, UnitCase { kDryWet, "30%", modeMedium, 30.0 },
                       UnitCase { kHighCut, "5kHz", modeMedium, 5000.0 }, UnitCase { kHighCut, "800Hz", modeMedium, 800.0 },
                       UnitCase { kHighCut, "20kHz", modeMedium, 20000.0 }, UnitCase { kLowCut, "120Hz", modeMedium, 120.0 },
                       UnitCase { kGain, "-6dB", modeMedium, -6.0 }, UnitCase { kGain, "10dB", modeMedium, 10.0 },
                       UnitCase { kGain, "-90 dB", modeMedium, -90.0 }));

TEST (UnitValue, ANoteSwitchesToSyncAndPicksItsIndex)
{
    for (int note = 0; note < numTempoNotes; ++note)
    {
        const auto value = parseParameterValue (kDelayTime, tempoNoteNames[(size_t) note], modeShort);
        ASSERT_EQ (value.error, "") << tempoNoteNames[(size_t) note];
        ASSERT_TRUE (value.modeFirst.has_value());
        EXPECT_EQ (delayModeFor (*value.modeFirst), modeSync);
        EXPECT_EQ (syncNoteIndexFor (value.normalised), note) << tempoNoteNames[(size_t) note];
    }
}

TEST (UnitValue, ModesByNameAndBareNumbersAsTheyAre)
{
    const std::pair<const char*, int> modes[] = { { "short", modeShort }, { "Medium", modeMedium }, { "LONG", modeLong }, { "sync", modeSync } };
    for (const auto& [word, mode] : modes)
    {
        const auto value = parseParameterValue (kMode, word, modeMedium);
        ASSERT_EQ (value.error, "") << word;
        EXPECT_EQ (delayModeFor (value.normalised), mode) << word;
        EXPECT_EQ (value.normalised, modeButtonValues[(size_t) mode]);
    }
    EXPECT_EQ (parseParameterValue (kDryWet, "0.25", modeMedium).normalised, 0.25f);
    EXPECT_EQ (parseParameterValue (kDelayTime, "1", modeSync).normalised, 1.0f);
}

struct RefusedCase
{
    int parameter;
    const char* text;
    int mode;
    const char* error;
};

class RefusedValue : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P (RefusedValue, SaysWhatTheRangeIs)
{
    const auto c = GetParam();
    EXPECT_EQ (parseParameterValue (c.parameter, c.text, c.mode).error, c.error);
}

INSTANTIATE_TEST_SUITE_P (
    Errors, RefusedValue,
    ::testing::Values (RefusedCase { kDelayTime, "4s", modeLong, "DelayTime 4 s is longer than the long mode's 3 s" },
                       RefusedCase { kDelayTime, "2ms", modeShort, "DelayTime 2 ms is shorter than the short mode's 5 ms" },
                       RefusedCase { kDelayTime, "150ms", modeShort, "DelayTime 150 ms is longer than the short mode's 100 ms" },
                       RefusedCase { kDelayTime, "50ms", modeMedium, "DelayTime 0.05 s is shorter than the medium mode's 0.1 s" },
                       RefusedCase { kDelayTime, "375ms", modeSync, "DelayTime in the sync mode is a note such as 1/8 or 1/4d, not '375ms'" },
                       RefusedCase { kDelayTime, "1/7", modeMedium,
                                     "DelayTime wants seconds (1.2s), milliseconds (375ms) or a note such as 1/8d, got '1/7'" },
                       RefusedCase { kMode, "fast", modeMedium, "Mode wants short, medium, long or sync, got 'fast'" },
                       RefusedCase { kDelayFeedback, "120%", modeMedium, "DelayFeedback 120 % is outside 0 % .. 110 %" },
                       RefusedCase { kHighCut, "30kHz", modeMedium, "HighCut 30 kHz is outside 500 Hz .. 20 kHz" },
                       RefusedCase { kHighCut, "5 dB", modeMedium, "HighCut wants a value in Hz, got '5 dB'" },
                       RefusedCase { kLowCut, "10Hz", modeMedium, "LowCut 10 Hz is outside 20 Hz .. 500 Hz" },
                       RefusedCase { kGain, "20dB", modeMedium, "Gain 20 dB is outside -90 dB .. 10 dB" },
                       RefusedCase { kGain, "1.5", modeMedium, "Gain 1.5 is outside 0 .. 1 (normalised; or give it with a unit)" },
                       RefusedCase { kBalance, "-0.1", modeMedium, "Balance -0.1 is outside 0 .. 1 (normalised; or give it with a unit)" }));
