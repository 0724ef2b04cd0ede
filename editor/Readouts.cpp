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

// The control's own value, in the parameter's unit.
juce::String controlValueText (int index, float p)
{
    const auto& info = selvane::parameterTable[(size_t) index];
    return truncated (selvane::controlFromNormalised (p, info.control), info.unit);
}

juce::String feedback (float p) { return controlValueText (selvane::kDelayFeedback, p); }
juce::String gain (float p) { return controlValueText (selvane::kGain, p); }
juce::String percent (float p) { return controlValueText (selvane::kDryWet, p); }

// The panel prints the low cut's travel as 0..500 Hz.
juce::String lowCut (float p)
{
    constexpr float printedScaleTopHz = 500.0f;
    return truncated (p * printedScaleTopHz, selvane::parameterTable[selvane::kLowCut].unit);
}

juce::String highCut (float p)
{
    const float f = selvane::highCutFrequencyFor (p);
    if (f > 1000.0f)
        return fixedDecimals ((double) f / 1000.0, 1, " kHz");
    return truncated (f, " Hz");
}

namespace
{
// "5 ms" below a second, "0.1 s", "1 s", "3 s" from a tenth up.
juce::String rangeEndText (float seconds, bool inMilliseconds)
{
    if (inMilliseconds)
        return truncated (seconds * 1000.0f + 0.5f, " ms");
    auto text = juce::String (seconds, 3);  // to the millisecond, then no trailing zeros
    text = text.trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
    return text + " s";
}
} // namespace

ModeRangeTexts modeRangeTexts (int mode)
{
    const int m = juce::jlimit (0, 3, mode);
    if (m == selvane::modeSync)
        return { selvane::tempoNoteNames.front(), selvane::tempoNoteNames.back() };
    const auto range = selvane::fixedModeRanges[(size_t) m];
    const bool inMilliseconds = range.maxSeconds <= 0.1f;
    return { rangeEndText (range.minSeconds, inMilliseconds), rangeEndText (range.maxSeconds, inMilliseconds) };
}
} // namespace readouts
