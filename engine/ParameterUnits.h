#pragma once

#include "ParameterTable.h"

#include <optional>
#include <string>
#include <string_view>

// A parameter's value as a musician writes it, turned into the normalised
// value through the parameter table's own laws:
//   DelayTime   375ms, 1.2s (within the mode in force), or a note: 1/8d, 1/16t, 2/1 (switches to sync)
//   Mode        short, medium, long, sync
//   DelayFeedback, PingPong, Balance, DryWet   60% (the feedback's loop gain runs to 110 %)
//   HighCut     5kHz, 800Hz (the loop low-pass corner, 500 Hz .. 20 kHz)
//   LowCut      120Hz (the loop high-pass corner, 20 .. 500 Hz)
//   Gain        -6dB (-90 .. +10 dB)
// A bare number is the normalised value itself, 0 .. 1.
namespace selvane
{
struct ParsedParameterValue
{
    float normalised = 0.0f;
    std::optional<float> modeFirst;  // a "Mode" value to set before this one (a note switches to sync)
    std::string error;               // empty when the text was understood and in range
};

// The mode in force decides what a delay time in seconds means; with no mode
// (-1) a delay time in seconds is only checked for its form.
ParsedParameterValue parseParameterValue (int index, std::string_view text, int modeInForce);
} // namespace selvane
