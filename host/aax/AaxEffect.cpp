#include "AaxEffect.h"

#include "../../engine/ParameterTable.h"

#include "PluginIdentity.h"

#include <cstring>
#include <iterator>

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter();

namespace selvane::aax
{
std::atomic<int> liveObjects { 0 };

namespace
{
int parameterIndexOf (const juce::String& id)
{
    if (id.isEmpty() || ! id.containsOnly ("0123456789"))
        return -1;
    const int index = id.getIntValue();
    return isParameterIndex (index) ? index : -1;
}

std::unique_ptr<juce::AudioProcessor> createProcessorForAax()
{
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_AAX);
    std::unique_ptr<juce::AudioProcessor> processor (createPluginFilter());
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
    return processor;
}

juce::String bypassName (int maximumLength)
{
    for (const char* name : { "Master Bypass", "Mast Byp", "MstByp", "MByp" })
        if ((int) std::strlen (name) <= maximumLength)
            return name;
    return juce::String ("MByp").substring (0, maximumLength);
}
} // namespace

//==============================================================================
EffectParameters::EffectParameters()
    : processor (createProcessorForAax())
{
    ++liveObjects;
    processor->setRateAndBufferSizeDetails (44100.0, 1024);
    processor->prepareToPlay (44100.0, 1024);
    midiBlock.ensureSize (4096);
}

EffectParameters::~EffectParameters()
{
    processor.reset();
    --liveObjects;
}

int EffectParameters::getNumParameters() const { return numParameters + 1; }

juce::String EffectParameters::getParameterID (int index) const
{
    if (isParameterIndex (index))
        return juce::String (index);
    return index == numParameters ? masterBypassID : juce::String();
}

juce::String EffectParameters::getParameterName (const juce::String& id, int maximumLength) const
{
    if (id == masterBypassID)
        return bypassName (maximumLength);
    const int index = parameterIndexOf (id);
    return index >= 0 ? processor->getParameters()[index]->getName (maximumLength) : juce::String();
}

float EffectParameters::getDefaultValue (const juce::String& id) const
{
    const int index = parameterIndexOf (id);
    return index >= 0 ? processor->getParameters()[index]->getDefaultValue() : 0.0f;
}

float EffectParameters::getValue (const juce::String& id) const
{
    if (id == masterBypassID)
        return bypassed.load() ? 1.0f : 0.0f;
    const int index = parameterIndexOf (id);
    return index >= 0 ? processor->getParameters()[index]->getValue() : 0.0f;
}

void EffectParameters::setValue (const juce::String& id, float normalised)
{
    const float value = juce::jlimit (0.0f, 1.0f, normalised);
    if (id == masterBypassID)
        bypassed.store (value >= 0.5f);
    else if (const int index = parameterIndexOf (id); index >= 0)
        processor->getParameters()[index]->setValue (value);
}

juce::String EffectParameters::getValueText (const juce::String& id, int maximumLength) const
{
    if (id == masterBypassID)
        return juce::String (bypassed.load() ? (maximumLength >= 8 ? "Bypassed" : "Byp") : "Off").substring (0, maximumLength);
    const int index = parameterIndexOf (id);
    return index >= 0 ? processor->getParameters()[index]->getCurrentValueAsText().substring (0, maximumLength)
                      : juce::String();
}

juce::MemoryBlock EffectParameters::getChunk() const
{
    juce::MemoryBlock chunk;
    processor->getStateInformation (chunk);
    return chunk;
}

void EffectParameters::setChunk (const void* data, int size)
{
    processor->setStateInformation (data, size);
    if (onHostValueChanged)
        for (int index = 0; index < numParameters; ++index)
            onHostValueChanged (getParameterID (index), processor->getParameters()[index]->getValue());
}

//==============================================================================
EffectGUI::EffectGUI() { ++liveObjects; }

EffectGUI::~EffectGUI()
{
    closeView();
    --liveObjects;
}

juce::AudioProcessorEditor* EffectGUI::openView()
{
    if (editor == nullptr && parameters != nullptr)
        editor.reset (parameters->getProcessor().createEditorIfNeeded());
    return editor.get();
}

void EffectGUI::closeView()
{
    if (editor != nullptr)
    {
        parameters->getProcessor().editorBeingDeleted (editor.get());
        editor.reset();
    }
}

//==============================================================================
void* createEffectParameters() { return new EffectParameters(); }

void* createEffectGUI() { return new EffectGUI(); }

// One instance's block: inputs are copied to the outputs, which are then
// processed in place under the processor's callback lock, bypassed or not.
// The channel counts are those of the configuration the host chose; the
// processor takes them on the first block (it starts as stereo).
void processInstance (AlgorithmContext& context, int numIns, int numOuts)
{
    auto* instance = *context.privateData;
    auto& processor = *instance->processor;
    const int numSamples = *context.bufferLength;

    for (int channel = 0; channel < numOuts; ++channel)
    {
        if (channel < numIns)
            std::copy (context.inputChannels[channel], context.inputChannels[channel] + numSamples, context.outputChannels[channel]);
        else
            std::fill (context.outputChannels[channel], context.outputChannels[channel] + numSamples, 0.0f);
    }

    const bool layoutChanged = processor.getTotalNumInputChannels() != numIns
                            || processor.getTotalNumOutputChannels() != numOuts;
    if (layoutChanged || numSamples != instance->lastBlockSize)
    {
        instance->lastBlockSize = numSamples;
        if (layoutChanged)
            processor.setPlayConfigDetails (numIns, numOuts, processor.getSampleRate(), numSamples);
        processor.prepareToPlay (processor.getSampleRate(), numSamples);
    }

    juce::AudioBuffer<float> buffer (context.outputChannels, numOuts, numSamples);
    auto& midi = instance->midiBlock;
    midi.clear();
    if (context.midiInput != nullptr)
        for (int i = 0; i < context.midiInput->numMessages; ++i)
            midi.addEvent (context.midiInput->messages[i], 3, 0);

    const juce::ScopedLock lock (processor.getCallbackLock());
    if (*context.bypass != 0 || instance->isBypassed())
        processor.processBlockBypassed (buffer, midi);
    else
        processor.processBlock (buffer, midi);
}

namespace
{
template <int configurationIndex>
void processAlgorithm (void* const instancesBegin[], const void* instancesEnd)
{
    constexpr auto configuration = identity::channelConfigurations[configurationIndex];
    for (auto* const* walk = instancesBegin; walk < instancesEnd; ++walk)
        processInstance (*static_cast<AlgorithmContext*> (*walk), configuration.inputs, configuration.outputs);
}
} // namespace

ProcessProcedure processProcedureFor (int configurationIndex)
{
    static_assert (std::size (identity::channelConfigurations) == 3);
    constexpr ProcessProcedure procedures[] = { processAlgorithm<0>, processAlgorithm<1>, processAlgorithm<2> };
    return juce::isPositiveAndBelow (configurationIndex, 3) ? procedures[configurationIndex] : nullptr;
}
} // namespace selvane::aax
