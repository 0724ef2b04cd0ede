#include "../engine/VelmorAudioProcessor.h"

// The framework's plug-in entry point: every format wrapper creates its
// processor through this.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new VelmorAudioProcessor();
}
