#pragma once

#include "EchoDelayLine.h"
#include "ParameterTable.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <vector>

// The object a host drives for each inserted instance: it owns the echo delay
// line and every buffer of the audio path, keeps the nine parameters as plain
// normalised values, turns each change into engine targets at once, and holds
// the small state the editor shows or sets (MIDI learn, channel, background).
//
// Every member that another thread reads or writes is a relaxed atomic; the
// audio path takes no lock and never allocates.
class VelmorAudioProcessor : public juce::AudioProcessor,
                             public juce::VSTCallbackHandler  // the VST 2.x adapter finds it by dynamic_cast
{
public:
    static constexpr int maxBlockChunk = 16384;   // samples processed in one pass of the pipeline
    static constexpr int scopeLength = 512;       // samples per channel kept for the oscilloscope
    static constexpr int bypassFadeSamples = 256; // crossfade between the echo and the input at a bypass change
    static constexpr double minimumSampleRate = 1.0; // a host rate below this is refused like a non-positive one

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
    const EchoDelayLine& getDelayLine() const noexcept { return delayLine; }
    float getCurrentSampleRate() const noexcept { return currentSampleRate.load (std::memory_order_relaxed); }
    float getGainTarget() const noexcept { return gainTarget.load (std::memory_order_relaxed); }
    float getGainCurrent() const noexcept { return gainCurrent; }
    float getBalanceTarget() const noexcept { return balanceTarget.load (std::memory_order_relaxed); }

    //==============================================================================
    // State shared with the editor and the options page, read and written directly.
    std::atomic<int> delayMode { selvane::modeMedium };
    std::atomic<float> modeMinSeconds { 0.1f };
    std::atomic<float> modeMaxSeconds { 1.0f };
    std::atomic<int> syncNoteIndex { 0 };
    std::atomic<bool> midiLearnActive { false };
    std::atomic<int> midiLearnTarget { -1 };
    std::array<std::atomic<int>, selvane::numParameters> midiMap;
    std::atomic<int> idxMidiChannel { 0 };
    std::atomic<bool> editorNeedsRefresh { true };
    std::array<std::array<std::atomic<float>, scopeLength>, 2> scopeBuffers;
    std::atomic<int> scopeNumSamples { scopeLength };
    std::atomic<int> idxGUI { 0 };

private:
    class Parameter;

    // VST 2.x adapter hooks.
    juce::pointer_sized_int handleVstManufacturerSpecific (juce::int32, juce::pointer_sized_int, void*, float) override;
    void handleVstHostCallbackAvailable (std::function<VstHostCallbackType>&&) override;

    void applyParameter (int index, float x);
    void applyDelayTime (float x);
    void applyMode (float x);
    void handleMidiControllers (const juce::MidiBuffer& midiMessages);
    void handleControlChange (int channel, int controller, int value);
    void updateSyncDelay();
    void processEchoBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages);
    void passInputThrough (juce::AudioBuffer<float>& buffer) const;
    int keepInputForFade (const juce::AudioBuffer<float>& buffer);
    void fadeBetweenEchoAndInput (juce::AudioBuffer<float>& buffer, int fadeLength, bool towardsInput) const;
    void processChunk (juce::AudioBuffer<float>& buffer, int start, int numSamples, int numInputs, int numOutputs);
    void balanceInput (const float* in0, const float* in1, int numSamples);
    void applyOutputGain (juce::AudioBuffer<float>& buffer, int start, int numSamples);
    void captureScope (const juce::AudioBuffer<float>& buffer, int numSamples, int numOutputs);

    EchoDelayLine delayLine;
    std::atomic<float> currentSampleRate { 44100.0f };
    std::atomic<float> balanceTarget { 0.5f };
    float balanceCurrent = 0.5f;
    std::vector<float> balanceBufferL, balanceBufferR;
    juce::AudioPlayHead::PositionInfo positionInfo;
    std::array<std::atomic<float>, selvane::numParameters> parameterValues;
    std::atomic<float> gainTarget { 1.0f };
    float gainCurrent = 1.0f;
    std::array<Parameter*, selvane::numParameters> hostParameters {};
    bool bypassActive = false;                    // audio thread only
    std::vector<float> bypassFadeInput;           // the input of a crossfade, both channels
    juce::MidiBuffer noMidi;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelmorAudioProcessor)
};
