#include "VelmorAudioProcessor.h"

#include "StateText.h"

#include <cmath>
#include <limits>

using namespace selvane;

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;
} // namespace

VelmorAudioProcessor::VstInstanceCreatedHook VelmorAudioProcessor::vstInstanceCreated = nullptr;

//==============================================================================
// What hosts see of one parameter: a thin view onto the processor's own model.
// Its ID, which LV2 and VST3 hosts store in their projects, is its name.
class VelmorAudioProcessor::Parameter : public juce::AudioProcessorParameterWithID
{
public:
    Parameter (VelmorAudioProcessor& ownerIn, int indexIn)
        : AudioProcessorParameterWithID (juce::ParameterID { parameterTable[(size_t) indexIn].name, 1 },
                                         parameterTable[(size_t) indexIn].name),
          owner (ownerIn),
          index (indexIn)
    {
    }

    float getValue() const override { return owner.engine.getParameter (index); }
    void setValue (float newValue) override { owner.setParameter (index, newValue); }
    float getDefaultValue() const override { return parameterTable[(size_t) index].defaultValue; }
    juce::String getName (int maximumLength) const override
    {
        return juce::String (parameterTable[(size_t) index].name).substring (0, maximumLength);
    }
    juce::String getLabel() const override { return {}; }
    juce::String getText (float value, int maximumLength) const override
    {
        const juce::String text (formatParameterValue (value));
        return maximumLength > 0 ? text.substring (0, maximumLength) : text;
    }
    float getValueForText (const juce::String& text) const override { return text.getFloatValue(); }

private:
    VelmorAudioProcessor& owner;
    const int index;
};

//==============================================================================
VelmorAudioProcessor::VelmorAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    for (auto& entry : midiMap)
        entry.store (-1, relaxed);

    for (int i = 0; i < numParameters; ++i)
    {
        auto parameter = std::make_unique<Parameter> (*this, i);
        hostParameters[(size_t) i] = parameter.get();
        addParameter (parameter.release());
    }
}

VelmorAudioProcessor::~VelmorAudioProcessor() = default;

//==============================================================================
const juce::String VelmorAudioProcessor::getName() const { return "Selvane"; }

// A host that reports no usable rate keeps the one we had.
void VelmorAudioProcessor::prepareToPlay (double sampleRate, int)
{
    if (engine.setSampleRate (sampleRate))
        editorNeedsRefresh.store (true, relaxed);
}

void VelmorAudioProcessor::releaseResources() {}

bool VelmorAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const int ins = layouts.getMainInputChannels();
    const int outs = layouts.getMainOutputChannels();
    return (ins == 2 && outs == 2) || (ins == 1 && outs == 2) || (ins == 1 && outs == 1);
}

const juce::String VelmorAudioProcessor::getInputChannelName (int channelIndex) const { return juce::String (channelIndex + 1); }
const juce::String VelmorAudioProcessor::getOutputChannelName (int channelIndex) const { return juce::String (channelIndex + 1); }
bool VelmorAudioProcessor::isInputChannelStereoPair (int) const { return true; }
bool VelmorAudioProcessor::isOutputChannelStereoPair (int) const { return true; }
bool VelmorAudioProcessor::silenceInProducesSilenceOut() const { return false; }
// No tail is declared, as VST 2.x hosts have always been told (0 means
// "unknown" there). A VST3 host takes 0 as "no tail" and may stop calling us
// once the input is silent, cutting off echoes that can ring for ever at a
// loop gain up to 1.1: VST3 hosts are told the tail is infinite.
double VelmorAudioProcessor::getTailLengthSeconds() const
{
    return wrapperType == wrapperType_VST3 ? std::numeric_limits<double>::infinity() : 0.0;
}
bool VelmorAudioProcessor::acceptsMidi() const { return true; }
bool VelmorAudioProcessor::producesMidi() const { return false; }

// createEditor lives with the editor (editor/VelmorAudioProcessorEditor.cpp),
// so the engine's code stays free of it.
bool VelmorAudioProcessor::hasEditor() const { return true; }

//==============================================================================
int VelmorAudioProcessor::getNumParameters() { return numParameters; }

const juce::String VelmorAudioProcessor::getParameterName (int index)
{
    return isParameterIndex (index) ? juce::String (parameterTable[(size_t) index].name) : juce::String();
}

float VelmorAudioProcessor::getParameter (int index)
{
    return engine.getParameter (index);
}

const juce::String VelmorAudioProcessor::getParameterText (int index)
{
    return isParameterIndex (index) ? juce::String (formatParameterValue (engine.getParameter (index))) : juce::String();
}

float VelmorAudioProcessor::getParameterDefaultValue (int index)
{
    return isParameterIndex (index) ? parameterTable[(size_t) index].defaultValue : 0.0f;
}

void VelmorAudioProcessor::setParameter (int index, float x)
{
    if (! engine.setParameter (index, x))
        return;

    editorNeedsRefresh.store (true, relaxed);

    // The delay time means something else in the new mode: the engine has
    // applied it again, and the host, whose view of parameter 0 is unchanged,
    // is told it once more.
    if (index == kMode)
        setParameterNotifyingHost (kDelayTime, engine.getParameter (kDelayTime));
}

void VelmorAudioProcessor::setParameterNotifyingHost (int index, float newValue)
{
    if (isParameterIndex (index))
        hostParameters[(size_t) index]->setValueNotifyingHost (newValue);
}

void VelmorAudioProcessor::beginParameterChangeGesture (int index)
{
    if (isParameterIndex (index))
        hostParameters[(size_t) index]->beginChangeGesture();
}

void VelmorAudioProcessor::endParameterChangeGesture (int index)
{
    if (isParameterIndex (index))
        hostParameters[(size_t) index]->endChangeGesture();
}

//==============================================================================
float VelmorAudioProcessor::getDelayTimeSeconds() const
{
    return engine.getDelayTimeSeconds();
}

void VelmorAudioProcessor::requestEditorRefresh() { editorNeedsRefresh.store (true, relaxed); }
int VelmorAudioProcessor::getIdxGUI() const { return idxGUI.load (relaxed); }

void VelmorAudioProcessor::unlearnAll()
{
    for (auto& entry : midiMap)
        entry.store (-1, relaxed);
}

//==============================================================================
juce::pointer_sized_int VelmorAudioProcessor::handleVstManufacturerSpecific (juce::int32, juce::pointer_sized_int, void*, float)
{
    return 0;
}

void VelmorAudioProcessor::handleVstHostCallbackAvailable (std::function<VstHostCallbackType>&&)
{
    if (vstInstanceCreated != nullptr)
        vstInstanceCreated (*this);
}

//==============================================================================
int VelmorAudioProcessor::getNumPrograms() { return 1; }
int VelmorAudioProcessor::getCurrentProgram() { return 0; }
void VelmorAudioProcessor::setCurrentProgram (int) {}
const juce::String VelmorAudioProcessor::getProgramName (int index) { return index == 0 ? "default" : "other"; }
void VelmorAudioProcessor::changeProgramName (int, const juce::String&) {}

//==============================================================================
selvane::AudioBlock VelmorAudioProcessor::blockOf (juce::AudioBuffer<float>& buffer) const
{
    const int numChannels = buffer.getNumChannels();
    return { buffer.getArrayOfWritePointers(), numChannels, juce::jmin (getTotalNumInputChannels(), numChannels),
             juce::jmin (getTotalNumOutputChannels(), numChannels), buffer.getNumSamples() };
}

// MIDI controllers act before the block's audio, in buffer order.
void VelmorAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    handleMidiControllers (midiMessages);
    followHostTempo();
    engine.process (blockOf (buffer));
    midiMessages.clear();
}

// A host's bypass: the input passes unchanged and MIDI is not acted on.
void VelmorAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    midiMessages.clear();
    followHostTempo();
    engine.processBypassed (blockOf (buffer));
}

// In sync mode the echo follows the host's tempo and time signature; what the
// play head does not say, the engine fills in.
void VelmorAudioProcessor::followHostTempo()
{
    if (! engine.isSynced())
        return;

    Transport transport;
    if (auto* playHead = getPlayHead())
    {
        if (const auto position = playHead->getPosition())
        {
            positionInfo = *position;
            if (const auto bpm = position->getBpm())
                transport.bpm = *bpm;
            if (const auto signature = position->getTimeSignature())
                transport.denominator = (double) signature->denominator;
        }
    }
    engine.followTransport (transport);
}

//==============================================================================
void VelmorAudioProcessor::handleMidiControllers (const juce::MidiBuffer& midiMessages)
{
    for (const auto event : midiMessages)
    {
        if (event.numBytes < 3 || (event.data[0] & 0xf0) != 0xb0)
            continue;

        handleControlChange ((event.data[0] & 0x0f) + 1, event.data[1] & 0x7f, event.data[2] & 0x7f);
    }
}

void VelmorAudioProcessor::handleControlChange (int channel, int controller, int value)
{
    const int channelFilter = idxMidiChannel.load (relaxed);
    if (channelFilter != 0 && channelFilter != channel)
        return;

    const float linearValue = (float) value / 127.0f;

    for (int index = 0; index < numParameters; ++index)
        if (midiMap[(size_t) index].load (relaxed) == controller)
            setParameterNotifyingHost (index, index == kGain ? gainParameterForController (value) : linearValue);

    if (midiLearnActive.load (relaxed))
    {
        const int target = midiLearnTarget.load (relaxed);  // read once: the same target for both steps
        if (isParameterIndex (target))
        {
            midiMap[(size_t) target].store (controller, relaxed);
            setParameterNotifyingHost (target, linearValue);
        }
    }
}
