#include "ParameterUnits.h"

#include "TempoNotes.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace selvane
{
namespace
{
// The number at the start of the text and the unit after it (lower case, no spaces).
struct NumberAndUnit
{
    double number;
    std::string unit;
};

std::optional<NumberAndUnit> splitNumber (std::string_view text)
{
    const std::string copy (text);
    if (copy.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod (copy.c_str(), &end);
    if (end == copy.c_str() || errno == ERANGE || ! std::isfinite (number))
        return std::nullopt;
    std::string unit;
    for (const char* c = end; *c != 0; ++c)
        if (! std::isspace ((unsigned char) *c))
            unit += (char) std::tolower ((unsigned char) *c);
    return NumberAndUnit { number, unit };
}

std::string lowerCase (std::string_view text)
{
    std::string lower;
    for (char c : text)
        lower += (char) std::tolower ((unsigned char) c);
    return lower;
}

// Numbers in messages: no more digits than they need.
std::string shortNumber (double value)
{
    char text[32];
    std::snprintf (text, sizeof (text), "%g", value);
    return text;
}

ParsedParameterValue failure (std::string message)
{
    ParsedParameterValue result;
    result.error = std::move (message);
    return result;
}

ParsedParameterValue normalised (double x)
{
    ParsedParameterValue result;
    result.normalised = (float) x;
    return result;
}

// The stored value is a float, and the engine and the read-outs apply the
// law in single precision: of the floats next to x, the one whose value
// under the law is the written one exactly, or else the nearest at or beyond
// it (read-outs truncate: 60 % must not come back as 59.99999 %).
template <typename Law>
ParsedParameterValue snappedToLaw (double x, double written, Law law)
{
    const float start = (float) std::fmin (std::fmax (x, 0.0), 1.0);
    float best = start;
    double bestGap = HUGE_VAL;
    bool bestReaches = false;
    float candidate = start;
    for (int step = 0; step < 8; ++step)
        candidate = std::nextafter (candidate, -1.0f);
    for (int step = 0; step <= 16; ++step, candidate = std::nextafter (candidate, 2.0f))
    {
        if (candidate < 0.0f || candidate > 1.0f)
            continue;
        const double value = (double) law (candidate);
        const double gap = std::fabs (value - written);
        const bool reaches = std::fabs (value) >= std::fabs (written);
        if ((reaches && ! bestReaches) || (reaches == bestReaches && gap < bestGap))
        {
            best = candidate;
            bestGap = gap;
            bestReaches = reaches;
        }
        if (gap == 0.0)
            break;
    }
    return normalised (best);
}

const char* modeName (int mode)
{
    static const char* const names[] = { "short", "medium", "long", "sync" };
    return names[mode >= 0 && mode < 4 ? mode : 1];
}

// "5 ms" in the short mode's messages, seconds elsewhere.
std::string secondsText (double seconds, bool inMilliseconds)
{
    return inMilliseconds ? shortNumber (seconds * 1000.0) + " ms" : shortNumber (seconds) + " s";
}

ParsedParameterValue delayTimeValue (const std::string& name, std::string_view text, int modeInForce)
{
    for (int note = 0; note < numTempoNotes; ++note)
    {
        if (lowerCase (text) == tempoNoteNames[(size_t) note])
        {
            auto result = normalised ((double) note / (double) (numTempoNotes - 1));
            result.modeFirst = modeButtonValues[modeSync];
            return result;
        }
    }

    const auto value = splitNumber (text);
    if (! value || (value->unit != "ms" && value->unit != "s"))
        return failure (name + " wants seconds (1.2s), milliseconds (375ms) or a note such as 1/8d, got '" + std::string (text) + "'");
    if (modeInForce < 0)
        return normalised (0.0);
    if (modeInForce == modeSync)
        return failure (name + " in the sync mode is a note such as 1/8 or 1/4d, not '" + std::string (text) + "'");

    const double seconds = value->unit == "ms" ? value->number / 1000.0 : value->number;
    const auto range = fixedModeRanges[(size_t) modeInForce];
    const bool inMilliseconds = range.maxSeconds <= 0.1f;
    const double tolerance = 1.0e-6;
    if (seconds < (double) range.minSeconds - tolerance)
        return failure (name + " " + secondsText (seconds, inMilliseconds) + " is shorter than the " + modeName (modeInForce)
                        + " mode's " + secondsText (range.minSeconds, inMilliseconds));
    if (seconds > (double) range.maxSeconds + tolerance)
        return failure (name + " " + secondsText (seconds, inMilliseconds) + " is longer than the " + modeName (modeInForce)
                        + " mode's " + secondsText (range.maxSeconds, inMilliseconds));
    const double x = (seconds - (double) range.minSeconds) / (double) (range.maxSeconds - range.minSeconds);
    if (inMilliseconds)
        return snappedToLaw (x, seconds * 1000.0, [range] (float v) { return fixedModeSeconds (v, range) * 1000.0f; });
    return snappedToLaw (x, seconds, [range] (float v) { return fixedModeSeconds (v, range); });
}

ParsedParameterValue modeValue (const std::string& name, std::string_view text)
{
    const auto word = lowerCase (text);
    for (int mode = 0; mode < 4; ++mode)
        if (word == modeName (mode))
            return normalised (modeButtonValues[mode]);
    return failure (name + " wants short, medium, long or sync, got '" + std::string (text) + "'");
}

// A value with its unit, within [lowest, highest] of that unit.
struct Unit
{
    const char* written;  // as matched, in lower case
    const char* shown;    // in messages
    double scale;         // to the law's own unit
};

template <typename Law>
ParsedParameterValue rangedValue (const std::string& name, std::string_view text, std::initializer_list<Unit> units,
                                  double lowest, double highest, double (*toNormalised) (double), Law law)
{
    const auto value = splitNumber (text);
    const Unit* unit = nullptr;
    for (const auto& candidate : units)
        if (value && value->unit == candidate.written)
            unit = &candidate;
    if (unit == nullptr)
        return failure (name + " wants a value in " + units.begin()->shown + ", got '" + std::string (text) + "'");
    // Each end of the range in the largest unit it fills: "500 Hz .. 20 kHz".
    const auto endText = [&units] (double v) {
        const Unit* best = units.begin();
        for (const auto& candidate : units)
            if (std::fabs (v) >= candidate.scale && candidate.scale > best->scale)
                best = &candidate;
        return shortNumber (v / best->scale) + " " + best->shown;
    };
    const double v = value->number * unit->scale;
    if (v < lowest - 1.0e-9 * std::fabs (lowest) || v > highest + 1.0e-9 * std::fabs (highest))
        return failure (name + " " + shortNumber (value->number) + " " + unit->shown + " is outside " + endText (lowest) + " .. "
                        + endText (highest));
    return snappedToLaw (toNormalised (v), v, law);
}

// The table's laws, inverted: the control's scale (percent of the loop gain,
// which reaches 110 % at the top; percent; decibels) and the filter corners.
double feedbackNormalised (double percent) { return normalisedFromControl (percent, parameterTable[kDelayFeedback].control); }
double percentNormalised (double percent) { return normalisedFromControl (percent, parameterTable[kDryWet].control); }
double gainNormalised (double db) { return normalisedFromControl (db, parameterTable[kGain].control); }
double highCutNormalised (double hz) { return 1.0 - std::log ((hz - 500.0) / 1950.0 + 1.0) / std::log (11.0); }
double lowCutNormalised (double hz) { return (hz - 20.0) / 480.0; }
} // namespace

ParsedParameterValue parseParameterValue (int index, std::string_view text, int modeInForce)
{
    if (! isParameterIndex (index))
        return failure ("no such parameter");
    const std::string name = parameterTable[(size_t) index].name;

    // A bare number: the normalised value.
    if (const auto bare = splitNumber (text); bare && bare->unit.empty())
    {
        if (bare->number < 0.0 || bare->number > 1.0)
            return failure (name + " " + std::string (text) + " is outside 0 .. 1 (normalised; or give it with a unit)");
        return normalised (bare->number);
    }

    switch (index)
    {
        case kDelayTime: return delayTimeValue (name, text, modeInForce);
        case kMode:      return modeValue (name, text);
        case kDelayFeedback:
        case kBalance:
        case kPingPong:
        case kDryWet:
        case kGain:
        {
            // The editor control's own scale: percent (of the loop gain for the feedback) or decibels.
            const auto control = parameterTable[(size_t) index].control;
            const Unit unit = index == kGain ? Unit { "db", "dB", 1.0 } : Unit { "%", "%", 1.0 };
            const auto inverse = index == kGain ? gainNormalised : index == kDelayFeedback ? feedbackNormalised : percentNormalised;
            return rangedValue (name, text, { unit }, control.minimum, control.maximum, inverse,
                                [control] (float v) { return controlFromNormalised (v, control); });
        }
        case kHighCut:
            return rangedValue (name, text, { { "hz", "Hz", 1.0 }, { "khz", "kHz", 1000.0 } }, 500.0, 20000.0, highCutNormalised,
                                highCutFrequencyFor);
        case kLowCut:
            return rangedValue (name, text, { { "hz", "Hz", 1.0 } }, 20.0, 500.0, lowCutNormalised, lowCutFrequencyFor);
        default:         return failure ("no such parameter");
    }
}
} // namespace selvane
