#include "ParameterTable.h"

#include "TempoNotes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace selvane
{
namespace
{
    // Nearest integer, halves away from zero, computed in double so that any
    // finite float (even 1e30) is handled without an out-of-range conversion.
    double nearestInteger (double value) noexcept { return std::round (value); }
} // namespace

std::optional<int> delayModeFor (float x) noexcept
{
    const double m = nearestInteger (3.0 * (double) x);
    if (m >= 0.0 && m <= 3.0)
        return (int) m;
    return std::nullopt;
}

float fixedModeSeconds (float x, ModeRange range) noexcept
{
    return range.minSeconds + (range.maxSeconds - range.minSeconds) * x;
}

float fixedModeDelaySamples (float x, ModeRange range, float sampleRate) noexcept
{
    return fixedModeSeconds (x, range) * sampleRate;
}

int syncNoteIndexFor (float x) noexcept
{
    const double index = std::clamp (nearestInteger (24.0 * (double) x), 0.0, (double) (numTempoNotes - 1));
    return (int) index;
}

float tempoNoteDelaySamples (int noteIndex, double bpm, double denominator, float sampleRate) noexcept
{
    const float lengthTimesSixty = tempoNoteLengths[(size_t) noteIndex] * 60.0f;
    return (float) ((double) lengthTimesSixty / bpm * denominator * (double) sampleRate);
}

// Far outside 0..1 (only a misbehaving host sends such values) the loop gain
// is held to a million, so the loop's arithmetic can never overflow.
float loopGainFor (float x) noexcept
{
    return std::clamp (x * 110.0f / 100.0f, -1.0e6f, 1.0e6f);
}

float balanceTargetFor (float x) noexcept
{
    return std::clamp (x, -1.0e6f, 1.0e6f);
}

float highCutFrequencyFor (float x) noexcept
{
    const float power = (float) std::pow (11.0, (double) (1.0f - x));
    return 500.0f + 1950.0f * (power - 1.0f);
}

float lowCutFrequencyFor (float x) noexcept
{
    return 480.0f * x + 20.0f;
}

float onePoleCoefficientFor (float cornerHz, float sampleRate) noexcept
{
    const float ratio = std::clamp (cornerHz / sampleRate, 0.0f, 1.0f);
    return (float) std::exp (-2.0 * M_PI * (double) ratio);
}

float outputGainFor (float x) noexcept
{
    const float levelDb = 100.0f * x - 90.0f;
    if (levelDb > -100.0f)
        return (float) std::min (std::pow (10.0, 0.05 * (double) levelDb), (double) std::numeric_limits<float>::max());
    return 0.0f;
}

double normalisedFromControl (double controlValue, ControlRange range) noexcept
{
    return (controlValue - (double) range.minimum) / (double) (range.maximum - range.minimum);
}

float controlFromNormalised (float x, ControlRange range) noexcept
{
    return range.minimum + x * (range.maximum - range.minimum);
}

ControlRange delayTimeControlRange (int mode, ModeRange rangeInForce) noexcept
{
    if (mode == modeSync)
        return { 0.0f, (float) (numTempoNotes - 1), 1.0 };
    return { rangeInForce.minSeconds, rangeInForce.maxSeconds, 0.001 };
}

ControlRange controlRangeFor (int index, int mode, ModeRange rangeInForce) noexcept
{
    if (index == kDelayTime)
        return delayTimeControlRange (mode, rangeInForce);
    return parameterTable[(size_t) index].control;
}

float gainParameterForController (int controllerValue) noexcept
{
    return std::sqrt ((float) controllerValue / 127.0f);
}
} // namespace selvane
