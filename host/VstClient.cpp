// The VST 2.x client: the framework's adapter, plus the answers VST 2.x hosts
// have always had from Selvane where JUCE 7's adapter answers differently.
//
//  - Effect version and vendor version: 110, the decimal form of 1.1.0
//    (major x 100 + minor x 10 + patch), where JUCE 7 reports 0x10100.
//  - "can do" queries: only the documented capabilities are claimed; JUCE 7
//    also claims "supportsViewDpiScaling" and Cockos' extensions.
//  - Pin properties carry the processor's channel names, and stay within the
//    record's fields (JUCE's adapter wrote one byte past the short label).
//  - Opcodes the free ABI header leaves unnumbered (set bypass, tail size,
//    MIDI channel counts) reach the adapter under the numbers hosts send.
//  - Each instance finds its own processor, however many are open.
//  - A host's automation of one parameter is not echoed back, and what the
//    processor announces in response (a "Mode" change re-sends "DelayTime")
//    reaches the host.
//  - Blocks longer than the size the host announced are handed to JUCE's
//    adapter in pieces: its scratch buffers hold only the announced size, and
//    it writes past them when a host sends more.
//
// This file takes the place of the framework's own VST 2.x translation unit
// (see CMakeLists.txt), so it can reach the adapter's AEffect record.

#include <juce_audio_plugin_client/juce_audio_plugin_client_VST2.cpp>

#include "PluginIdentity.h"
#include "../engine/BlockSlices.h"
#include "../engine/VelmorAudioProcessor.h"

#include <atomic>
#include <cstring>
#include <utility>

namespace
{
constexpr juce::int32 vstVersionNumber = selvane::identity::vst2Version;
static_assert (selvane::identity::versionCode == JucePlugin_VersionCode);

// Which processor each open effect wraps, so the dispatcher and the audio
// thread can reach it without a lock. A record is added when an instance is
// created (on the host's thread, where allocating is fine), reused once its
// instance is closed, and deleted only when the library is unloaded: any
// number of instances, opened and closed in any order, and a reader never
// meets a freed record.
struct InstanceRecord
{
    std::atomic<bool> inUse { true };
    std::atomic<Vst2::AEffect*> effect { nullptr };
    std::atomic<juce::AudioProcessor*> processor { nullptr };
    InstanceRecord* next = nullptr;  // fixed before the record is published
};

class InstanceRegistry
{
public:
    ~InstanceRegistry()
    {
        for (auto* record = head.load(); record != nullptr;)
            delete std::exchange (record, record->next);
    }

    void remember (Vst2::AEffect* effect, juce::AudioProcessor& processor)
    {
        for (auto* record = head.load (std::memory_order_acquire); record != nullptr; record = record->next)
        {
            bool free = false;
            if (record->inUse.compare_exchange_strong (free, true, std::memory_order_acq_rel))
            {
                publish (*record, effect, processor);
                return;
            }
        }

        auto* record = new InstanceRecord();
        publish (*record, effect, processor);
        record->next = head.load (std::memory_order_relaxed);
        while (! head.compare_exchange_weak (record->next, record, std::memory_order_release, std::memory_order_relaxed))
        {
        }
    }

    void forget (Vst2::AEffect* effect)
    {
        if (auto* record = find (effect))
        {
            record->effect.store (nullptr, std::memory_order_relaxed);
            record->processor.store (nullptr, std::memory_order_relaxed);
            record->inUse.store (false, std::memory_order_release);
        }
    }

    juce::AudioProcessor* processorOf (Vst2::AEffect* effect) const
    {
        auto* record = find (effect);
        return record != nullptr ? record->processor.load (std::memory_order_relaxed) : nullptr;
    }

private:
    // The processor is in place before the record answers to its effect.
    static void publish (InstanceRecord& record, Vst2::AEffect* effect, juce::AudioProcessor& processor)
    {
        record.processor.store (&processor, std::memory_order_relaxed);
        record.effect.store (effect, std::memory_order_release);
    }

    InstanceRecord* find (Vst2::AEffect* effect) const
    {
        if (effect == nullptr)
            return nullptr;
        for (auto* record = head.load (std::memory_order_acquire); record != nullptr; record = record->next)
            if (record->effect.load (std::memory_order_acquire) == effect)
                return record;
        return nullptr;
    }

    std::atomic<InstanceRecord*> head { nullptr };
};

InstanceRegistry instances;

juce::AudioProcessor* processorOf (Vst2::AEffect* effect)
{
    return instances.processorOf (effect);
}

// The free ABI header leaves some opcodes that hosts send without a number, so
// the adapter, compiled against it, knows them under placeholder values. The
// numbers hosts actually send are translated to those.
int opcodeForTheAdapter (int opcode)
{
    switch (opcode)
    {
        case 44: return Vst2::effSetBypass;
        case 52: return Vst2::effGetTailSize;
        case 78: return Vst2::effGetNumMidiInputChannels;
        case 79: return Vst2::effGetNumMidiOutputChannels;
        default: return opcode;
    }
}

void frameworkProcessReplacing (Vst2::AEffect* effect, float** inputs, float** outputs, int numSamples)
{
    JuceVSTWrapper::processReplacingCB (effect, inputs, outputs, numSamples);
}

Vst2::t_fstPtrInt frameworkDispatcher (Vst2::AEffect* effect, int opcode, int index, Vst2::t_fstPtrInt value,
                                       void* ptr, float opt)
{
    return JuceVSTWrapper::dispatcherCB (effect, opcode, index, value, ptr, opt);
}

// Hands a block to the adapter in pieces no longer than the block size it was prepared for.
void selvaneProcessReplacing (Vst2::AEffect* effect, float** inputs, float** outputs, int numSamples)
{
    auto* processor = processorOf (effect);
    const int maximum = processor != nullptr ? processor->getBlockSize() : 0;
    if (maximum <= 0 || numSamples <= maximum || effect->numInputs > 64 || effect->numOutputs > 64)
    {
        frameworkProcessReplacing (effect, inputs, outputs, numSamples);
        return;
    }

    float* ins[64];
    float* outs[64];
    selvane::forEachSlice (numSamples, maximum, [&] (int start, int length) {
        for (int c = 0; c < effect->numInputs; ++c)
            ins[c] = inputs[c] + start;
        for (int c = 0; c < effect->numOutputs; ++c)
            outs[c] = outputs[c] + start;
        frameworkProcessReplacing (effect, ins, outs, length);
    });
}

bool isCapabilityWeDoNotClaim (const void* text)
{
    for (const char* extra : { "supportsViewDpiScaling", "hasCockosExtensions", "hasCockosViewAsConfig", "MPE" })
        if (std::strcmp (static_cast<const char*> (text), extra) == 0)
            return true;
    return false;
}

// Pin properties: the label and short label are the processor's channel name
// ("1", "2"). JUCE's adapter writes a short label of eight characters and its
// terminating zero into the record's eight-byte field, one byte past it: a host
// whose record ends there (the free ABI header declares no reserved space after
// it) has its stack overwritten. The adapter answers into a record of ours with
// room to spare, and the host's record receives the declared fields only.
Vst2::t_fstPtrInt pinProperties (Vst2::AEffect* effect, int opcode, int index, Vst2::t_fstPtrInt value, void* ptr, float opt)
{
    struct { Vst2::VstPinProperties properties; char spare[64]; } answer {};
    const auto known = frameworkDispatcher (effect, opcode, index, value, &answer.properties, opt);
    auto* processor = processorOf (effect);
    if (known == 0 || processor == nullptr || index < 0 || index > 1)
        return 0;

    auto& p = answer.properties;
    // The channel-name calls are deprecated in the framework; the processor still answers them.
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    const auto name = opcode == Vst2::effGetInputProperties ? processor->getInputChannelName (index)
                                                            : processor->getOutputChannelName (index);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
    std::memset (p.label, 0, sizeof (p.label));
    std::memset (p.shortLabel, 0, sizeof (p.shortLabel));
    name.copyToUTF8 (p.label, sizeof (p.label) - 1);
    name.copyToUTF8 (p.shortLabel, sizeof (p.shortLabel) - 1);
    std::memcpy (ptr, &p, sizeof (p));
    return 1;
}

Vst2::t_fstPtrInt selvaneDispatcher (Vst2::AEffect* effect, int opcode, int index, Vst2::t_fstPtrInt value, void* ptr,
                                     float opt)
{
    if ((opcode == Vst2::effGetInputProperties || opcode == Vst2::effGetOutputProperties) && ptr != nullptr)
        return pinProperties (effect, opcode, index, value, ptr, opt);
    if (opcode == Vst2::effGetVendorVersion)
        return vstVersionNumber;
    if (opcode == Vst2::effClose)
        instances.forget (effect);
    if (opcode == Vst2::effCanDo && ptr != nullptr && isCapabilityWeDoNotClaim (ptr))
        return 0;
    return frameworkDispatcher (effect, opcodeForTheAdapter (opcode), index, value, ptr, opt);
}

// Automation from the host. The adapter marks its own call so that the change
// is not echoed back to the host, but the mark is taken by the first
// notification it meets: a "Mode" change, which re-sends "DelayTime" from
// inside, had the host told of parameter 0 swallowed and its own change to
// "Mode" echoed. Here the host's value is applied without notifying anyone of
// it, and whatever the processor announces from inside reaches the host.
void selvaneSetParameter (Vst2::AEffect* effect, int index, float value)
{
    auto* processor = processorOf (effect);
    if (processor == nullptr)
        return;

    const auto& parameters = processor->getParameters();
    if (! juce::isPositiveAndBelow (index, parameters.size()))
        return;

    auto* parameter = parameters[index];
    if (parameter->getValue() != value)
        parameter->setValue (value);
}

// The adapter registers itself as its processor's play head: that is how an
// instance finds its AEffect record.
void adoptSelvaneAnswers (juce::AudioProcessor& processor)
{
    if (auto* wrapper = dynamic_cast<JuceVSTWrapper*> (processor.getPlayHead()))
    {
        auto* effect = wrapper->getAEffect();
        effect->version = vstVersionNumber;
        effect->dispatcher = selvaneDispatcher;
        effect->processReplacing = selvaneProcessReplacing;
        effect->setParameter = selvaneSetParameter;
        instances.remember (effect, processor);
    }
}

const bool hookInstalled = [] {
    VelmorAudioProcessor::vstInstanceCreated = adoptSelvaneAnswers;
    return true;
}();
} // namespace
