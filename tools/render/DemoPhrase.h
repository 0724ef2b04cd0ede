#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// A short stereo phrase made in code: a few plucked notes panned left and
// right, then two dry clicks, so each echo is easy to hear and to see.
juce::AudioBuffer<float> makeDemoPhrase (double sampleRate);
