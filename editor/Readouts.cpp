#include "Readouts.h"

#include "../engine/ParameterTable.h"
#include "../engine/TempoNotes.h"

#include <cmath>

namespace readouts
{
namespace
{
juce::String truncated (float value, const char* unit)
{
    const double t = std::trunc ((double) value);
    const auto whole = (juce::int64) juce::jlimit (-1.0e15, 1.0e15, std::isfinite (t) ? t : 0.0);
    return juce::String (whole) + unit;
}

// value with exactly `decimals` decimals, the digits being floor(|x| * 10^decimals + 0.5)
juce::String fixedDecimals (double value, int decimals, const char* unit)
{
    const double scale = std::pow (10.0, decimals);
    const auto digits = (juce::int64) std::floor (std::fabs (value) * scale + 0.5);
    const auto whole = digits / (juce::int64) scale;
    const auto fraction = digits % (juce::int64) scale;
    return juce::String (value < 0.0 && digits != 0 ? "-" : "") + juce::String (whole) + "."
         + juce::String (fraction).paddedLeft ('0', decimals) + unit;
}
} // namespace

int syncNoteIndexForDisplay (float p)
{
    return selvane::syncNoteIndexFor (p);
}

juce::String delayTime (int mode, float seconds, float p)
{
    switch (mode)
    {
        case selvane::modeShort:  return truncated (seconds * 1000.0f, " ms");
        case selvane::modeMedium:
        case selvane::modeLong:   return fixedDecimals ((double) seconds, 2, " s");
        default:                  return selvane::tempoNoteNames[(size_t) syncNoteIndexForDisplay (p)];
    }
}

juce::String feedback (float p) { return truncated (p * 110.0f, " %"); }
juce::String gain (float p) { return truncated (p * 100.0f - 90.0f, " dB"); }
juce::String percent (float p) { return truncated (p * 100.0f, " %"); }
juce::String lowCut (float p) { return truncated (p * 500.0f, " Hz"); }

juce::String highCut (float p)
{
    auto f = (float) std::pow (11.0, (double) (1.0f - p));
    f = (f - 1.0f) * 1950.0f + 500.0f;
    if (f > 1000.0f)
        return fixedDecimals ((double) f / 1000.0, 1, " kHz");
    return truncated (f, " Hz");
}

ModeRangeTexts modeRangeTexts (int mode)
{
    static const ModeRangeTexts texts[] = { { "5 ms", "100 ms" }, { "0.1 s", "1 s" }, { "1 s", "3 s" }, { "1/128", "2/1" } };
    return texts[juce::jlimit (0, 3, mode)];
}
} // namespace readouts
