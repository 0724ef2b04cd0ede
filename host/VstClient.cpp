// The VST 2.x client: the framework's adapter, plus the answers VST 2.x hosts
// have always had from Selvane where JUCE 7's adapter answers differently.
//
//  - Effect version and vendor version: 110, the decimal form of 1.1.0
//    (major x 100 + minor x 10 + patch), where JUCE 7 reports 0x10100.
//  - "can do" queries: only the documented capabilities are claimed; JUCE 7
//    also claims "supportsViewDpiScaling" and Cockos' extensions.
//  - Pin properties carry the processor's channel names, and stay within the
//    record's fields (JUCE's adapter wrote one byte past the short label).
//  - Blocks longer than the size the host announced are handed to JUCE's
//    adapter in pieces: its scratch buffers hold only the announced size, and
//    it writes past them when a host sends more.
//
// This file takes the place of the framework's own VST 2.x translation unit
// (see CMakeLists.txt), so it can reach the adapter's AEffect record.

#include <juce_audio_plugin_client/juce_audio_plugin_client_VST2.cpp>

#include "VstHooks.h"

#include <array>
#include <atomic>
#include <cstring>

namespace
{
constexpr juce::int32 vstVersionNumber = ((JucePlugin_VersionCode >> 16) & 0xff) * 100
                                       + ((JucePlugin_VersionCode >> 8) & 0xff) * 10 + (JucePlugin_VersionCode & 0xff);

Vst2::AEffectDispatcherProc frameworkDispatcher = nullptr;
Vst2::AEffectProcessProc frameworkProcessReplacing = nullptr;

// Which processor each open effect wraps, for the audio thread to find its
// block size without a lock: written when an instance is adopted, cleared
// when the host closes it.
struct AdoptedInstance
{
    std::atomic<Vst2::AEffect*> effect { nullptr };
    std::atomic<juce::AudioProcessor*> processor { nullptr };
};
std::array<AdoptedInstance, 256> adoptedInstances;

juce::AudioProcessor* processorOf (Vst2::AEffect* effect)
{
    for (auto& slot : adoptedInstances)
        if (slot.effect.load (std::memory_order_acquire) == effect)
            return slot.processor.load (std::memory_order_relaxed);
    return nullptr;
}

void remember (Vst2::AEffect* effect, juce::AudioProcessor& processor)
{
    for (auto& slot : adoptedInstances)
    {
        Vst2::AEffect* empty = nullptr;
        slot.processor.store (&processor, std::memory_order_relaxed);
        if (slot.effect.compare_exchange_strong (empty, effect, std::memory_order_release))
            return;
    }
}

void forget (Vst2::AEffect* effect)
{
    for (auto& slot : adoptedInstances)
    {
        auto* expected = effect;
        if (slot.effect.compare_exchange_strong (expected, nullptr, std::memory_order_acq_rel))
            return;
    }
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
    for (int start = 0; start < numSamples; start += maximum)
    {
        for (int c = 0; c < effect->numInputs; ++c)
            ins[c] = inputs[c] + start;
        for (int c = 0; c < effect->numOutputs; ++c)
            outs[c] = outputs[c] + start;
        frameworkProcessReplacing (effect, ins, outs, juce::jmin (maximum, numSamples - start));
    }
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
        forget (effect);
    if (opcode == Vst2::effCanDo && ptr != nullptr && isCapabilityWeDoNotClaim (ptr))
        return 0;
    return frameworkDispatcher (effect, opcode, index, value, ptr, opt);
}

// The adapter registers itself as its processor's play head: that is how an
// instance finds its AEffect record.
void adoptSelvaneAnswers (juce::AudioProcessor& processor)
{
    if (auto* wrapper = dynamic_cast<JuceVSTWrapper*> (processor.getPlayHead()))
    {
        auto* effect = wrapper->getAEffect();
        effect->version = vstVersionNumber;
        frameworkDispatcher = effect->dispatcher;  // the same functions for every instance
        effect->dispatcher = selvaneDispatcher;
        frameworkProcessReplacing = effect->processReplacing;
        effect->processReplacing = selvaneProcessReplacing;
        remember (effect, processor);
    }
}

const bool hookInstalled = [] {
    selvane::vstInstanceCreated = adoptSelvaneAnswers;
    return true;
}();
} // namespace
