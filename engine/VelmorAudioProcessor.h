#pragma once

#include "EchoEngine.h"
#include "ParameterTable.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>

// The object a host drives for each inserted instance: the framework's face of
// the echo engine (EchoEngine.h), which does all the arithmetic. Here are the
// host's calls, the play head read, MIDI controllers turned into parameter
// changes, the saved state, what the host is told, and the small state the
// editor shows or sets (MIDI learn, channel, background).
//
// Every member that another thread reads or writes is a relaxed atomic; the
// audio path takes no lock and never allocates.
class VelmorAudioProcessor : public juce::AudioProcessor,
                             public juce::VSTCallbackHandler  // the VST 2.x adapter finds it by dynamic_cast
{
public:
    static constexpr int maxBlockChunk = selvane::EchoEngine::maxBlockChunk;
    static constexpr int scopeLength = selvane::EchoEngine::scopeLength;
    static constexpr int bypassFadeSamples = selvane::EchoEngine::bypassFadeSamples;
    static constexpr double minimumSampleRate = selvane::EchoEngine::minimumSampleRate;

    // Set by the VST 2.x client when it is linked in: called once for each new
    // instance, after the framework's VST adapter has been built around it.
    using VstInstanceCreatedHook = void (*) (juce::AudioProcessor&);
    static VstInstanceCreatedHook vstInstanceCreated;

    VelmorAudioProcessor();
    ~VelmorAudioProcessor() override;

    //==============================================================================
    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    using AudioProcessor::processBlock;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using AudioProcessor::processBlockBypassed;
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;
    bool silenceInProducesSilenceOut() const override;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    //==============================================================================
    // The parameter model, by index 0..8 (see ParameterTable.h).
    int getNumParameters() override;
    const juce::String getParameterName (int index) override;
    float getParameter (int index) override;
    const juce::String getParameterText (int index) override;
    float getParameterDefaultValue (int index) override;
    void setParameter (int index, float newValue) override;

    // Changes that start inside the plug-in (editor, MIDI, a mode change
    // re-applying the delay time) go through these, so the host records them.
    void setParameterNotifyingHost (int index, float newValue);
    void beginParameterChangeGesture (int index);
    void endParameterChangeGesture (int index);

    //==============================================================================
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    //==============================================================================
    // For the editor.
    float getDelayTimeSeconds() const;
    void requestEditorRefresh();
    int getIdxGUI() const;
    void unlearnAll();

    // For tests and tools: what the echo engine is being driven to.
    const EchoDelayLine& getDelayLine() const noexcept { return engine.getDelayLine(); }
    float getCurrentSampleRate() const noexcept { return engine.getSampleRate(); }
    float getGainTarget() const noexcept { return engine.getGainTarget(); }
    float getGainCurrent() const noexcept { return engine.getGainCurrent(); }
    float getBalanceTarget() const noexcept { return engine.getBalanceTarget(); }

private:
    selvane::EchoEngine engine;

public:
    //==============================================================================
    // State shared with the editor and the options page, read and written directly.
    // The mode, its range, the sync note and the scope are the engine's own.
    std::atomic<int>& delayMode = engine.delayMode;
    std::atomic<float>& modeMinSeconds = engine.modeMinSeconds;
    std::atomic<float>& modeMaxSeconds = engine.modeMaxSeconds;
    std::atomic<int>& syncNoteIndex = engine.syncNoteIndex;
    std::atomic<bool> midiLearnActive { false };
    std::atomic<int> midiLearnTarget { -1 };
    std::array<std::atomic<int>, selvane::numParameters> midiMap;
    std::atomic<int> idxMidiChannel { 0 };
    std::atomic<bool> editorNeedsRefresh { true };
    std::array<std::array<std::atomic<float>, scopeLength>, 2>& scopeBuffers = engine.scopeBuffers;
    std::atomic<int>& scopeNumSamples = engine.scopeNumSamples;
    std::atomic<int> idxGUI { 0 };

private:
    class Parameter;

    // VST 2.x adapter hooks.
    juce::pointer_sized_int handleVstManufacturerSpecific (juce::int32, juce::pointer_sized_int, void*, float) override;
    void handleVstHostCallbackAvailable (std::function<VstHostCallbackType>&&) override;

    void handleMidiControllers (const juce::MidiBuffer& midiMessages);
    void handleControlChange (int channel, int controller, int value);
    void followHostTempo();
    selvane::AudioBlock blockOf (juce::AudioBuffer<float>& buffer) const;

    juce::AudioPlayHead::PositionInfo positionInfo;
    std::array<Parameter*, selvane::numParameters> hostParameters {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelmorAudioProcessor)
};
