#include "editor/Readouts.h"
#include "engine/ParameterUnits.h"

#include <gtest/gtest.h>

struct DelayCase
{
    int mode;
    float p0;
    const char* text;
};

class DelayReadout : public ::testing::TestWithParam<DelayCase> {};

TEST_P (DelayReadout, ShowsMillisecondsSecondsOrTheNote)
{
    const auto c = GetParam();
    const float seconds = c.mode == 0 ? 0.005f + 0.095f * c.p0 : c.mode == 1 ? 0.1f + 0.9f * c.p0 : c.mode == 2 ? 1.0f + 2.0f * c.p0 : 1.0f;
    EXPECT_EQ (readouts::delayTime (c.mode, seconds, c.p0), c.text);
}

INSTANTIATE_TEST_SUITE_P (Examples, DelayReadout,
                          ::testing::Values (DelayCase { 0, 0.0f, "5 ms" }, DelayCase { 0, 0.5f, "52 ms" }, DelayCase { 0, 1.0f, "100 ms" },
                                             DelayCase { 1, 0.5f, "0.55 s" }, DelayCase { 2, 0.123f, "1.25 s" },
                                             DelayCase { 3, 0.5f, "1/8" }, DelayCase { 3, 0.02f, "1/128" },
                                             DelayCase { 3, 0.021f, "1/128d" }, DelayCase { 3, 1.0f, "2/1" },
                                             DelayCase { 3, 7.0f, "2/1" }, DelayCase { 3, -2.0f, "1/128" }));

struct TextCase
{
    juce::String (*format) (float);
    float p;
    const char* text;
};

class ValueReadout : public ::testing::TestWithParam<TextCase> {};

TEST_P (ValueReadout, MatchesTheListedExamples)
{
    EXPECT_EQ (GetParam().format (GetParam().p), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P (
    Examples, ValueReadout,
    ::testing::Values (TextCase { readouts::highCut, 0.0f, "20.0 kHz" }, TextCase { readouts::highCut, 0.5f, "5.0 kHz" },
                       TextCase { readouts::highCut, 0.9f, "1.0 kHz" }, TextCase { readouts::highCut, 0.905f, "998 Hz" },
                       TextCase { readouts::highCut, 1.0f, "500 Hz" }, TextCase { readouts::lowCut, 0.0f, "0 Hz" },
                       TextCase { readouts::lowCut, 0.04f, "20 Hz" }, TextCase { readouts::lowCut, 1.0f, "500 Hz" },
                       TextCase { readouts::gain, 0.0f, "-90 dB" }, TextCase { readouts::gain, 0.895f, "0 dB" },
                       TextCase { readouts::gain, 1.0f, "10 dB" }, TextCase { readouts::feedback, 1.0f, "110 %" },
                       TextCase { readouts::feedback, 0.5f, "55 %" }, TextCase { readouts::percent, 0.5f, "50 %" },
                       TextCase { readouts::percent, 0.0f, "0 %" }));

// Shown beside the delay read-out while a mode button is hovered.
TEST (ModeRangeReadout, NamesEachModesShortestAndLongestDelay)
{
    const std::pair<const char*, const char*> expected[] = { { "5 ms", "100 ms" }, { "0.1 s", "1 s" }, { "1 s", "3 s" }, { "1/128", "2/1" } };
    for (int mode = 0; mode < 4; ++mode)
    {
        const auto texts = readouts::modeRangeTexts (mode);
        EXPECT_EQ (texts.shortest, expected[mode].first) << "mode " << mode;
        EXPECT_EQ (texts.longest, expected[mode].second) << "mode " << mode;
    }
}

// A value written with its unit reads back in the editor as written.
struct WrittenCase
{
    int parameter;
    const char* text;
    int mode;
    const char* readout;
};

class WrittenValueReadout : public ::testing::TestWithParam<WrittenCase>
{
};

TEST_P (WrittenValueReadout, ReadsAsWritten)
{
    const auto c = GetParam();
    const auto value = selvane::parseParameterValue (c.parameter, c.text, c.mode);
    ASSERT_EQ (value.error, "") << c.text;
    const float x = value.normalised;
    const int mode = value.modeFirst ? selvane::modeSync : c.mode;
    juce::String text;
    switch (c.parameter)
    {
        case selvane::kDelayTime:
            text = readouts::delayTime (mode, mode == selvane::modeSync ? 1.0f : selvane::fixedModeSeconds (x, selvane::fixedModeRanges[(size_t) mode]), x);
            break;
        case selvane::kDelayFeedback: text = readouts::feedback (x); break;
        case selvane::kGain:          text = readouts::gain (x); break;
        case selvane::kHighCut:       text = readouts::highCut (x); break;
        default:                      text = readouts::percent (x); break;
    }
    EXPECT_EQ (text, c.readout) << c.text;
}

// (The low cut's read-out shows the panel's printed 0..500 Hz scale, not the
// corner: "LowCut=120Hz" sets the corner at 120 Hz, checked in the engine's tests.)
INSTANTIATE_TEST_SUITE_P (
    Units, WrittenValueReadout,
    ::testing::Values (WrittenCase { selvane::kHighCut, "5kHz", 1, "5.0 kHz" }, WrittenCase { selvane::kHighCut, "800Hz", 1, "800 Hz" },
                       WrittenCase { selvane::kDelayFeedback, "60%", 1, "60 %" }, WrittenCase { selvane::kGain, "-6dB", 1, "-6 dB" },
                       WrittenCase { selvane::kGain, "3dB", 1, "3 dB" }, WrittenCase { selvane::kPingPong, "100%", 1, "100 %" },
                       WrittenCase { selvane::kBalance, "25%", 1, "25 %" }, WrittenCase { selvane::kDryWet, "30%", 1, "30 %" },
                       WrittenCase { selvane::kDelayTime, "80ms", 0, "80 ms" }, WrittenCase { selvane::kDelayTime, "375ms", 1, "0.38 s" },
                       WrittenCase { selvane::kDelayTime, "1.2s", 2, "1.20 s" }, WrittenCase { selvane::kDelayTime, "1/8d", 1, "1/8d" },
                       WrittenCase { selvane::kDelayTime, "1/16t", 0, "1/16t" }));
