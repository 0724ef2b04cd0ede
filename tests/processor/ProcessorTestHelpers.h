#pragma once

#include "engine/VelmorAudioProcessor.h"
#include "support/AudioTestHelpers.h"
#include "support/Settle.h"

#include <optional>
#include <vector>

namespace testing_support
{
inline void setLayout (VelmorAudioProcessor& p, int ins, int outs)
{
    p.setBusesLayout (busesLayout (ins, outs));
}

// Runs silence until the delay glide and the other smoothers have settled.
inline void settle (VelmorAudioProcessor& p, int channels = 2)
{
    juce::AudioBuffer<float> silence (channels, 16384);
    juce::MidiBuffer midi;
    settleDelay (p.getDelayLine(), [&] {
        silence.clear();
        p.processBlock (silence, midi);
    });
}

// A transport that reports whatever the test sets, or no position at all.
struct ScriptedPlayHead : juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (! hasPosition)
            return {};
        PositionInfo info;
        if (bpm)
            info.setBpm (*bpm);
        if (signature)
            info.setTimeSignature (*signature);
        return info;
    }

    bool hasPosition = true;
    std::optional<double> bpm = 120.0;
    std::optional<TimeSignature> signature = TimeSignature { 4, 4 };
};

// Records what the host is told.
struct HostListener : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
    {
        changes.emplace_back (index, value);
    }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override { gestures.push_back (index); }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override { gestures.push_back (-1 - index); }

    std::vector<std::pair<int, float>> changes;
    std::vector<int> gestures;
};
} // namespace testing_support
