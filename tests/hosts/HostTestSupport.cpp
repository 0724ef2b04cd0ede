#include "HostTestSupport.h"

#include <cstdlib>
#include <cstring>

namespace host_testing
{
const Format formats[3] = {
    { "VST", SELVANE_VST2_PATH },
    { "VST3", SELVANE_VST3_PATH },
    { "LV2", SELVANE_LV2_URI },
};

namespace
{
std::unique_ptr<juce::AudioPluginFormatManager> manager;
}

void releaseFormatManager() { manager.reset(); }

juce::AudioPluginFormatManager& formatManager()
{
    if (manager == nullptr)
    {
        manager = std::make_unique<juce::AudioPluginFormatManager>();
        manager->addDefaultFormats();
    }
    return *manager;
}

std::unique_ptr<juce::AudioPluginInstance> load (const Format& format, double rate, int block)
{
    for (auto* f : formatManager().getFormats())
    {
        if (f->getName() != format.name)
            continue;
        juce::OwnedArray<juce::PluginDescription> found;
        f->findAllTypesForFile (found, format.location);
        if (found.isEmpty())
            return nullptr;
        juce::String error;
        auto instance = formatManager().createPluginInstance (*found[0], rate, block, error);
        return instance;
    }
    return nullptr;
}

juce::AudioProcessorParameter* parameterNamed (juce::AudioPluginInstance& p, const juce::String& name)
{
    for (auto* param : p.getParameters())
        if (param->getName (100) == name)
            return param;
    return nullptr;
}



// JUCE 7.0.5's LV2 host writes its state Turtle without the prefixes it uses,
// and then cannot read it back. Restoring them lets the test reach the
// plug-in's own state code through the real host.
juce::MemoryBlock withLv2Prefixes (const juce::MemoryBlock& state)
{
    const juce::String prefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                                  "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                  "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                                  "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n";
    if (state.toString().startsWith ("@prefix"))
        return state;
    const auto text = prefixes + state.toString();
    return juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8());
}

juce::MemoryBlock restorableState (const juce::MemoryBlock& state, const juce::String& format)
{
    return format == "LV2" ? withLv2Prefixes (state) : state;
}


// The plug-in's own document, as the host keeps it inside its saved state.
juce::String pluginDocumentIn (const juce::MemoryBlock& hostState, const juce::String& format)
{
    auto documentAt = [] (const juce::MemoryBlock& block) {
        const auto* bytes = static_cast<const char*> (block.getData());
        for (size_t i = 0; i + 5 < block.getSize(); ++i)
            if (std::memcmp (bytes + i, "<Root", 5) == 0)
                return juce::String::fromUTF8 (bytes + i, (int) std::strlen (bytes + i));
        return juce::String();
    };
    auto decoded = [&] (const juce::String& encoded) {
        juce::MemoryBlock inner;
        inner.fromBase64Encoding (encoded);
        inner.append ("", 1);
        return documentAt (inner);
    };
    if (format == "VST")
    {
        juce::MemoryBlock terminated (hostState);
        terminated.append ("", 1);
        return documentAt (terminated);
    }
    if (format == "VST3")
    {
        auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize());
        auto* component = xml != nullptr ? xml->getChildByName ("IComponent") : nullptr;
        return component != nullptr ? decoded (component->getAllSubText()) : juce::String();
    }
    const auto text = hostState.toString();
    const auto start = text.indexOf ("StateString> \"") + 14;
    return decoded (text.substring (start, text.indexOfChar (start, '"')));
}



PrivateLv2Home::PrivateLv2Home() : home (juce::File::createTempFile ("selvane-host-home"))
{
    home.getChildFile (".lv2").createDirectory();
    juce::File (SELVANE_LV2_BUNDLE).createSymbolicLink (home.getChildFile (".lv2/Selvane.lv2"), true);
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
}

PrivateLv2Home::~PrivateLv2Home() { home.deleteRecursively(); }
} // namespace host_testing
