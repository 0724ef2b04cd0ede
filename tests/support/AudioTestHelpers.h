#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Small helpers the processor, host, fuzz and tool tests share.
namespace testing_support
{
// One input bus and one output bus of the given channel counts.
inline juce::AudioProcessor::BusesLayout busesLayout (int ins, int outs)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::canonicalChannelSet (ins));
    layout.outputBuses.add (juce::AudioChannelSet::canonicalChannelSet (outs));
    return layout;
}

// Where a channel is loudest from `from` on (the first such sample).
inline int loudestSample (const juce::AudioBuffer<float>& buffer, int channel, int from, int to = -1)
{
    const int end = to < 0 ? buffer.getNumSamples() : juce::jmin (to, buffer.getNumSamples());
    int best = from;
    for (int i = from; i < end; ++i)
        if (std::abs (buffer.getSample (channel, i)) > std::abs (buffer.getSample (channel, best)))
            best = i;
    return best;
}

// What a host would store for the processor.
inline juce::MemoryBlock stateOf (juce::AudioProcessor& p)
{
    juce::MemoryBlock block;
    p.getStateInformation (block);
    return block;
}
} // namespace testing_support
