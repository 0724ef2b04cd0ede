#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <atomic>

// The waveform strip: the start of the latest output block, left channel as
// slate-blue bars, right channel as crimson bars over it, each rising from or
// falling below the centre line. It reads the processor's scope buffers,
// which the audio thread keeps overwriting; a drawing that mixes two blocks
// is accepted, and the audio thread never waits.
class Oscillo : public juce::Component
{
public:
    static constexpr int bufferLength = 512;
    using ScopeBuffers = std::array<std::array<std::atomic<float>, bufferLength>, 2>;

    Oscillo (const ScopeBuffers* buffersIn, int numSamplesIn);

    void paint (juce::Graphics&) override;
    void resized() override {}

    int numSamples;  // valid samples at the start of each buffer; set by the editor every tick

    static const juce::Colour leftColour, rightColour;

    // Which sample column x of a strip `width` wide shows, or -1 for none.
    static int sampleIndexForColumn (int x, int width, int numValid);

private:
    void drawTrace (juce::Graphics&, const std::array<std::atomic<float>, bufferLength>& samples) const;

    const ScopeBuffers* buffers;
};
