#pragma once

#include <juce_core/juce_core.h>

// The texts the editor shows for the parameters' values.
namespace readouts
{
// Integers are plain decimal; trunc drops the fraction towards zero.
juce::String delayTime (int mode, float seconds, float delayTimeParameter);
juce::String feedback (float p);      // "55 %" of 110
juce::String gain (float p);          // "-90 dB" .. "10 dB"
juce::String percent (float p);       // balance, cross and output
juce::String lowCut (float p);        // "0 Hz" .. "500 Hz", the scale printed on the panel
juce::String highCut (float p);       // the corner frequency, "20.0 kHz" .. "500 Hz"

// A tempo-note index for "DelayTime", kept within the table.
int syncNoteIndexForDisplay (float delayTimeParameter);

// The mode-range texts shown beside the delay read-out while a mode button is hovered.
struct ModeRangeTexts
{
    juce::String shortest;
    juce::String longest;
};
ModeRangeTexts modeRangeTexts (int mode);
} // namespace readouts
