#pragma once

// What the host tests share: the built plug-ins, loading them through JUCE's
// hosting classes, and reading the plug-in's document out of a host's state.

#include <juce_audio_processors/juce_audio_processors.h>

namespace host_testing
{
struct Format
{
    const char* name;      // JUCE's format name
    const char* location;  // the file or bundle to load, or the LV2 URI
};

extern const Format formats[3];

// Tells a VST 2.x plug-in (its AEffect) the editor's content scale.
void sendVst2ContentScale (void* aeffect, float scale);

juce::AudioPluginFormatManager& formatManager();
void releaseFormatManager();
std::unique_ptr<juce::AudioPluginInstance> load (const Format& format, double rate = 48000.0, int block = 512);
juce::AudioProcessorParameter* parameterNamed (juce::AudioPluginInstance& p, const juce::String& name);

// JUCE 7.0.5's LV2 host writes state Turtle without the prefixes it uses and
// cannot read it back; this restores them for the LV2 format.
juce::MemoryBlock restorableState (const juce::MemoryBlock& state, const juce::String& format);
juce::MemoryBlock withLv2Prefixes (const juce::MemoryBlock& state);

// The plug-in's own document, as the host keeps it inside its saved state.
juce::String pluginDocumentIn (const juce::MemoryBlock& hostState, const juce::String& format);

// JUCE finds LV2 plug-ins by URI in the standard folders only: a private
// home whose ~/.lv2 holds the freshly built bundle. Deleted with the object.
struct PrivateLv2Home
{
    PrivateLv2Home();
    ~PrivateLv2Home();
    juce::File home;
};
} // namespace host_testing
