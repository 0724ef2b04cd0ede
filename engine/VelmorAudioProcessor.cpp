#include "VelmorAudioProcessor.h"

#include "../host/VstHooks.h"
#include "Crossfade.h"
#include "Smoothing.h"
#include "StateText.h"
#include "TempoNotes.h"

#include <cmath>
#include <limits>

using namespace selvane;

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

// Tempo used in sync mode when the host gives no transport at all.
constexpr double fallbackBpm = 120.0;
constexpr double fallbackDenominator = 4.0;

float finiteOrZero (float sample) noexcept
{
    return std::isfinite (sample) ? sample : 0.0f;
}

// Full scale, and never a NaN: whatever a hostile host did upstream, what
// leaves the plug-in is a number.
float clipToFullScale (float sample) noexcept
{
    const float number = sample == sample ? sample : 0.0f;
    return std::min (std::max (number, -1.0f), 1.0f);
}
} // namespace

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

    float getValue() const override { return owner.parameterValues[(size_t) index].load (relaxed); }
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
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      balanceBufferL ((size_t) maxBlockChunk, 0.0f),
      balanceBufferR ((size_t) maxBlockChunk, 0.0f),
      bypassFadeInput ((size_t) (2 * bypassFadeSamples), 0.0f)
{
    for (auto& entry : midiMap)
        entry.store (-1, relaxed);
    for (auto& channel : scopeBuffers)
        for (auto& sample : channel)
            sample.store (0.0f, relaxed);
    for (int i = 0; i < numParameters; ++i)
        parameterValues[(size_t) i].store (parameterTable[(size_t) i].defaultValue, relaxed);

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

void VelmorAudioProcessor::prepareToPlay (double sampleRate, int)
{
    // A host that reports no usable rate keeps the one we had. The rate is
    // kept in single precision: a rate that is no finite float is refused too.
    const auto rate = (float) sampleRate;
    if (! (std::isfinite (sampleRate) && sampleRate >= minimumSampleRate && std::isfinite (rate)))
        return;

    currentSampleRate.store (rate, relaxed);

    for (int index : { kDelayTime, kDelayFeedback, kHighCut, kLowCut })
        setParameter (index, parameterValues[(size_t) index].load (relaxed));
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
    return isParameterIndex (index) ? parameterValues[(size_t) index].load (relaxed) : 0.0f;
}

const juce::String VelmorAudioProcessor::getParameterText (int index)
{
    return isParameterIndex (index) ? juce::String (formatParameterValue (parameterValues[(size_t) index].load (relaxed)))
                                    : juce::String();
}

float VelmorAudioProcessor::getParameterDefaultValue (int index)
{
    return isParameterIndex (index) ? parameterTable[(size_t) index].defaultValue : 0.0f;
}

void VelmorAudioProcessor::setParameter (int index, float x)
{
    // A non-finite value would become a non-finite delay length, coefficient
    // or gain and poison the audio for good: it is not taken at all.
    if (! isParameterIndex (index) || ! std::isfinite (x))
        return;

    parameterValues[(size_t) index].store (x, relaxed);
    applyParameter (index, x);
    editorNeedsRefresh.store (true, relaxed);
}

void VelmorAudioProcessor::applyParameter (int index, float x)
{
    const float rate = currentSampleRate.load (relaxed);

    switch (index)
    {
        case kDelayTime:     applyDelayTime (x); break;
        case kDelayFeedback: delayLine.setFeedback (loopGainFor (x)); break;
        case kMode:          applyMode (x); break;
        case kBalance:       balanceTarget.store (balanceTargetFor (x), relaxed); break;
        case kPingPong:      delayLine.setPingPong (x); break;
        case kHighCut:       delayLine.setLowPassCoefficient (onePoleCoefficientFor (highCutFrequencyFor (x), rate)); break;
        case kLowCut:        delayLine.setHighPassCoefficient (onePoleCoefficientFor (lowCutFrequencyFor (x), rate)); break;
        case kDryWet:        delayLine.setDryWet (x); break;
        case kGain:          gainTarget.store (outputGainFor (x), relaxed); break;
        default: break;
    }
}

void VelmorAudioProcessor::applyDelayTime (float x)
{
    if (delayMode.load (relaxed) == modeSync)
    {
        // The sync delay itself is recomputed from the transport every block.
        syncNoteIndex.store (syncNoteIndexFor (x), relaxed);
        return;
    }

    const ModeRange range { modeMinSeconds.load (relaxed), modeMaxSeconds.load (relaxed) };
    delayLine.setDelaySamples (fixedModeDelaySamples (x, range, currentSampleRate.load (relaxed)));
}

void VelmorAudioProcessor::applyMode (float x)
{
    if (const auto mode = delayModeFor (x))
    {
        if (*mode != modeSync)
        {
            modeMinSeconds.store (fixedModeRanges[(size_t) *mode].minSeconds, relaxed);
            modeMaxSeconds.store (fixedModeRanges[(size_t) *mode].maxSeconds, relaxed);
        }
        delayMode.store (*mode, relaxed);
    }

    // The delay time means something else in the new mode: recompute it and
    // tell the host, whose view of parameter 0 is unchanged but re-sent.
    setParameterNotifyingHost (kDelayTime, parameterValues[kDelayTime].load (relaxed));
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
    const float x = parameterValues[kDelayTime].load (relaxed);
    const int mode = delayMode.load (relaxed);
    if (mode == modeSync)
        return 1.0f;
    const auto range = fixedModeRanges[(size_t) mode];
    return range.minSeconds + (range.maxSeconds - range.minSeconds) * x;
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
    if (selvane::vstInstanceCreated != nullptr)
        selvane::vstInstanceCreated (*this);
}

//==============================================================================
int VelmorAudioProcessor::getNumPrograms() { return 1; }
int VelmorAudioProcessor::getCurrentProgram() { return 0; }
void VelmorAudioProcessor::setCurrentProgram (int) {}
const juce::String VelmorAudioProcessor::getProgramName (int index) { return index == 0 ? "default" : "other"; }
void VelmorAudioProcessor::changeProgramName (int, const juce::String&) {}

//==============================================================================
void VelmorAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    if (! bypassActive)
    {
        processEchoBlock (buffer, midiMessages);
        return;
    }

    // Back from a bypass: the echo starts empty (what played before the
    // bypass does not come back), and the input fades into the echo's output.
    bypassActive = false;
    delayLine.silence();
    const int fadeLength = keepInputForFade (buffer);
    processEchoBlock (buffer, midiMessages);
    fadeBetweenEchoAndInput (buffer, fadeLength, false);
}

// A host's bypass: the input passes unchanged. On the first bypassed block the
// echo's output fades into the input, so the change makes no click.
void VelmorAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    passInputThrough (buffer);
    midiMessages.clear();
    if (bypassActive)
        return;

    bypassActive = true;
    const int fadeLength = keepInputForFade (buffer);
    juce::AudioBuffer<float> head (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), fadeLength);
    processEchoBlock (head, noMidi);
    fadeBetweenEchoAndInput (buffer, fadeLength, true);
}

// A mono input feeding a stereo output is heard on both sides.
void VelmorAudioProcessor::passInputThrough (juce::AudioBuffer<float>& buffer) const
{
    const int numInputs = getTotalNumInputChannels();
    for (int channel = juce::jmax (numInputs, 1); channel < buffer.getNumChannels(); ++channel)
    {
        if (numInputs == 1)
            buffer.copyFrom (channel, 0, buffer, 0, 0, buffer.getNumSamples());
        else
            buffer.clear (channel, 0, buffer.getNumSamples());
    }
}

// Keeps the start of the block as the input the crossfade works with; returns its length.
int VelmorAudioProcessor::keepInputForFade (const juce::AudioBuffer<float>& buffer)
{
    const int fadeLength = juce::jmin (buffer.getNumSamples(), bypassFadeSamples);
    const int numInputs = juce::jmax (1, getTotalNumInputChannels());
    for (int channel = 0; channel < juce::jmin (buffer.getNumChannels(), 2); ++channel)
    {
        const float* input = buffer.getReadPointer (juce::jmin (channel, numInputs - 1));
        std::copy (input, input + fadeLength, bypassFadeInput.begin() + channel * bypassFadeSamples);
    }
    return fadeLength;
}

// Over the first fadeLength samples, from the echo's output to the kept input
// (towardsInput) or back, on a straight line; every output stays clipped.
void VelmorAudioProcessor::fadeBetweenEchoAndInput (juce::AudioBuffer<float>& buffer, int fadeLength, bool towardsInput) const
{
    for (int channel = 0; channel < juce::jmin (buffer.getNumChannels(), 2); ++channel)
    {
        float* samples = buffer.getWritePointer (channel);
        const float* input = bypassFadeInput.data() + channel * bypassFadeSamples;
        for (int i = 0; i < fadeLength; ++i)
        {
            const float inputShare = (float) (i + 1) / (float) (fadeLength + 1);
            const float share = towardsInput ? inputShare : 1.0f - inputShare;
            samples[i] = clipToFullScale (samples[i] + share * (finiteOrZero (input[i]) - samples[i]));
        }
    }
}

void VelmorAudioProcessor::processEchoBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    juce::ScopedNoDenormals noDenormals;

    const int numSamples = buffer.getNumSamples();
    const int numChannels = buffer.getNumChannels();
    const int numInputs = juce::jmin (getTotalNumInputChannels(), numChannels);
    const int numOutputs = juce::jmin (getTotalNumOutputChannels(), numChannels);

    handleMidiControllers (midiMessages);

    if (delayMode.load (relaxed) == modeSync)
        updateSyncDelay();

    // Long blocks go through the whole pipeline in consecutive chunks.
    for (int start = 0; start < numSamples; start += maxBlockChunk)
        processChunk (buffer, start, juce::jmin (maxBlockChunk, numSamples - start), numInputs, numOutputs);

    midiMessages.clear();
    captureScope (buffer, numSamples, numOutputs);
}

void VelmorAudioProcessor::processChunk (juce::AudioBuffer<float>& buffer, int start, int numSamples,
                                         int numInputs, int numOutputs)
{
    // A NaN or infinity from the host would live on in the delay memory for
    // ever; it enters as silence instead.
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        float* samples = buffer.getWritePointer (channel, start);
        for (int i = 0; i < numSamples; ++i)
            samples[i] = finiteOrZero (samples[i]);
    }

    if (numOutputs == 1)
    {
        float* mono = buffer.getWritePointer (0, start);
        delayLine.processMono (mono, mono, numSamples);
    }
    else if (numOutputs >= 2)
    {
        const float* in0 = buffer.getReadPointer (0, start);
        const float* in1 = numInputs >= 2 ? buffer.getReadPointer (1, start) : nullptr;
        balanceInput (in0, in1, numSamples);
        delayLine.processStereo (balanceBufferL.data(), balanceBufferR.data(),
                                 buffer.getWritePointer (0, start), buffer.getWritePointer (1, start), numSamples);
    }

    applyOutputGain (buffer, start, numSamples);

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        float* samples = buffer.getWritePointer (channel, start);
        for (int i = 0; i < numSamples; ++i)
            samples[i] = clipToFullScale (samples[i]);
    }
}

// Splits or folds the input according to "Balance": towards one side the
// other channel is faded out of its own side and folded into this one.
namespace
{
struct BalanceGains
{
    float left, right;
};

BalanceGains balanceGainsFor (float b) noexcept
{
    const auto gains = centreUnityCrossfade (b);
    return { gains.first, gains.second };
}

template <bool smooth>
void balanceLoop (float& current, float target, const float* in0, const float* in1, float* outL, float* outR,
                  int numSamples) noexcept
{
    auto g = balanceGainsFor (current);
    for (int i = 0; i < numSamples; ++i)
    {
        if constexpr (smooth)
        {
            current = smoothTowards (current, target);
            g = balanceGainsFor (current);
        }

        if (in1 == nullptr)
        {
            outL[i] = in0[i] * g.left;
            outR[i] = in0[i] * g.right;
        }
        else
        {
            outL[i] = in0[i] * g.left + (1.0f - g.right) * in1[i];
            outR[i] = (1.0f - g.left) * in0[i] + g.right * in1[i];
        }
    }
}
} // namespace

void VelmorAudioProcessor::balanceInput (const float* in0, const float* in1, int numSamples)
{
    const float target = balanceTarget.load (relaxed);
    if (isAtRest (balanceCurrent, target))
        balanceLoop<false> (balanceCurrent, target, in0, in1, balanceBufferL.data(), balanceBufferR.data(), numSamples);
    else
        balanceLoop<true> (balanceCurrent, target, in0, in1, balanceBufferL.data(), balanceBufferR.data(), numSamples);
}

// The output gain follows the smoothing law but is decided once per block:
// while it is moving, it keeps moving to the block's end without snapping.
void VelmorAudioProcessor::applyOutputGain (juce::AudioBuffer<float>& buffer, int start, int numSamples)
{
    const float target = gainTarget.load (relaxed);
    const int numChannels = buffer.getNumChannels();

    if (std::fabs ((double) (gainCurrent - target)) > smoothingThreshold)
    {
        for (int i = 0; i < numSamples; ++i)
        {
            gainCurrent = (float) (smoothingTake * (double) target + smoothingKeep * (double) gainCurrent);
            for (int channel = 0; channel < numChannels; ++channel)
                buffer.getWritePointer (channel, start)[i] *= gainCurrent;
        }
    }
    else
    {
        gainCurrent = target;
        for (int channel = 0; channel < numChannels; ++channel)
            juce::FloatVectorOperations::multiply (buffer.getWritePointer (channel, start), target, numSamples);
    }
}

void VelmorAudioProcessor::captureScope (const juce::AudioBuffer<float>& buffer, int numSamples, int numOutputs)
{
    const int count = juce::jmin (numSamples, scopeLength);
    scopeNumSamples.store (count, relaxed);

    // Only a stereo output fills the right scope; a mono one leaves it as it was.
    const int channels = numOutputs == 2 ? 2 : juce::jmin (numOutputs, 1);
    for (int channel = 0; channel < channels; ++channel)
    {
        const float* samples = buffer.getReadPointer (channel);
        for (int i = 0; i < count; ++i)
            scopeBuffers[(size_t) channel][(size_t) i].store (samples[i], relaxed);
    }
}

//==============================================================================
void VelmorAudioProcessor::updateSyncDelay()
{
    double bpm = fallbackBpm;
    double denominator = fallbackDenominator;

    if (auto* playHead = getPlayHead())
    {
        if (const auto position = playHead->getPosition())
        {
            positionInfo = *position;
            if (const auto hostBpm = position->getBpm())
                bpm = *hostBpm;
            if (const auto signature = position->getTimeSignature())
                denominator = signature->denominator;
        }
    }

    // A tempo or signature that makes no sense keeps the delay where it was.
    if (! (std::isfinite (bpm) && bpm > 0.0 && std::isfinite (denominator) && denominator > 0.0))
        return;

    delayLine.setDelaySamples (tempoNoteDelaySamples (syncNoteIndex.load (relaxed), bpm, denominator,
                                                      currentSampleRate.load (relaxed)));
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
