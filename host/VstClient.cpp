// The VST 2.x client: the framework's adapter, plus the answers VST 2.x hosts
// have always had from Selvane where JUCE 7's adapter answers differently.
//
//  - Effect version and vendor version: 110, the decimal form of 1.1.0
//    (major x 100 + minor x 10 + patch), where JUCE 7 reports 0x10100.
//  - "can do" queries: only the documented capabilities are claimed; JUCE 7
//    also claims "supportsViewDpiScaling" and Cockos' extensions.
//
// This file takes the place of the framework's own VST 2.x translation unit
// (see CMakeLists.txt), so it can reach the adapter's AEffect record.

#include <juce_audio_plugin_client/juce_audio_plugin_client_VST2.cpp>

#include "VstHooks.h"

#include <cstring>

namespace
{
constexpr juce::int32 vstVersionNumber = ((JucePlugin_VersionCode >> 16) & 0xff) * 100
                                       + ((JucePlugin_VersionCode >> 8) & 0xff) * 10 + (JucePlugin_VersionCode & 0xff);

Vst2::AEffectDispatcherProc frameworkDispatcher = nullptr;

bool isCapabilityWeDoNotClaim (const void* text)
{
    for (const char* extra : { "supportsViewDpiScaling", "hasCockosExtensions", "hasCockosViewAsConfig", "MPE" })
        if (std::strcmp (static_cast<const char*> (text), extra) == 0)
            return true;
    return false;
}

Vst2::t_fstPtrInt selvaneDispatcher (Vst2::AEffect* effect, int opcode, int index, Vst2::t_fstPtrInt value, void* ptr,
                                     float opt)
{
    if (opcode == Vst2::effGetVendorVersion)
        return vstVersionNumber;
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
        frameworkDispatcher = effect->dispatcher;  // the same function for every instance
        effect->dispatcher = selvaneDispatcher;
    }
}

const bool hookInstalled = [] {
    selvane::vstInstanceCreated = adoptSelvaneAnswers;
    return true;
}();
} // namespace
