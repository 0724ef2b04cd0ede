#pragma once

// What the AAX description registers: the effect-parameters object (which
// owns the processor), the GUI object, and the native processing procedure
// with the per-instance context it is handed.

#include "AaxInterfaces.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>

namespace selvane::aax
{
// Objects of this layer that are alive; the library may unload at zero.
extern std::atomic<int> liveObjects;

// One instance's parameters as an AAX host sees them: IDs "0".."8", names
// cut to the host's width, and the standard master bypass.
class EffectParameters
{
public:
    static constexpr const char* masterBypassID = "MasterBypassID";

    EffectParameters();
    ~EffectParameters();

    int getNumParameters() const;                                 // the nine, then the bypass
    juce::String getParameterID (int index) const;
    juce::String getParameterName (const juce::String& id, int maximumLength) const;
    float getDefaultValue (const juce::String& id) const;
    float getValue (const juce::String& id) const;
    void setValue (const juce::String& id, float normalised);     // clamped to 0..1
    juce::String getValueText (const juce::String& id, int maximumLength) const;

    bool isBypassed() const { return bypassed.load(); }

    // The adapter's own state chunk; after a restore every parameter is read
    // back and reported to the host (`onHostValueChanged`).
    juce::MemoryBlock getChunk() const;
    void setChunk (const void* data, int size);
    std::function<void (const juce::String& id, float value)> onHostValueChanged;

    juce::AudioProcessor& getProcessor() { return *processor; }

private:
    std::unique_ptr<juce::AudioProcessor> processor;
    std::atomic<bool> bypassed { false };
    int lastBlockSize = 0;
    juce::MidiBuffer midiBlock;  // reused every block: the audio path never allocates
    friend void processInstance (struct AlgorithmContext&, int, int);
};

// The editor's view. The host creates it on its own and then connects it to
// the instance's parameters object; the editor is created through the
// processor when the view opens and deleted when it closes.
class EffectGUI
{
public:
    EffectGUI();
    ~EffectGUI();
    void connect (EffectParameters& parametersIn) { parameters = &parametersIn; }
    juce::AudioProcessorEditor* openView();  // null until connected
    void closeView();

private:
    EffectParameters* parameters = nullptr;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
};

// Fields of one instance's context, in the order the component declares them.
struct AAXMidiEvents
{
    const juce::uint8* const* messages = nullptr;  // three bytes each
    int numMessages = 0;
};

struct AlgorithmContext
{
    float* const* inputChannels;
    float* const* outputChannels;
    const int32_t* bufferLength;
    const int32_t* bypass;
    const AAXMidiEvents* midiInput;
    EffectParameters* const* privateData;
};

constexpr AAX_CFieldIndex fieldIndex (size_t offset) { return (AAX_CFieldIndex) (offset / sizeof (void*)); }

void* createEffectParameters();
void* createEffectGUI();
// The native process procedure of each channel configuration, by its index in
// identity::channelConfigurations: each runs its instances with its own
// channel counts.
using ProcessProcedure = void (*) (void* const instancesBegin[], const void* instancesEnd);
ProcessProcedure processProcedureFor (int configurationIndex);
} // namespace selvane::aax
