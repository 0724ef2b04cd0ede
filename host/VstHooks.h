#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace selvane
{
// Set by the VST 2.x client when it is linked in: called once for each new
// instance, after the framework's VST adapter has been built around it.
using VstInstanceCreatedHook = void (*) (juce::AudioProcessor&);
extern VstInstanceCreatedHook vstInstanceCreated;
} // namespace selvane
