// Writes the factory bank as the preset files hosts load from disk:
//   OUT/vst3/NAME.vstpreset   VST3 presets (the component state, little-endian chunks)
//   OUT/vst/NAME.fxp          VST 2.x chunk presets (big-endian, the classic exchange format)
// Each carries the preset's state document, which sets the nine parameters
// and leaves an instance's MIDI assignments, channel and background alone.
//   selvane-preset-files OUT_DIR

#include "FactoryPresets.h"
#include "PluginIdentity.h"
#include "engine/SavedState.h"

#include <juce_core/juce_core.h>

#include <cstdio>
#include <cstdlib>

namespace
{
// The VST3 component's class ID as preset files spell it: the four 32-bit
// words of JUCE's component ID in hexadecimal (0xABCDEF01, 0x9182FAEB, the
// maker's code, the plug-in's code).
juce::String vst3ComponentClassId()
{
    const auto word = [] (const char* code) {
        return juce::String::toHexString ((int) selvane::identity::fourCharCode (code)).paddedLeft ('0', 8);
    };
    return ("ABCDEF01" "9182FAEB" + word (selvane::identity::manufacturerCode) + word (selvane::identity::pluginCode)).toUpperCase();
}

juce::MemoryBlock vst3Preset (const juce::MemoryBlock& state)
{
    juce::MemoryOutputStream out;
    constexpr juce::int64 headerSize = 4 + 4 + 32 + 8;
    out.write ("VST3", 4);
    out.writeInt (1);  // version
    out.write (vst3ComponentClassId().toRawUTF8(), 32);
    out.writeInt64 (headerSize + (juce::int64) state.getSize());  // where the chunk list starts
    out.write (state.getData(), state.getSize());                // the component state
    out.write ("List", 4);
    out.writeInt (1);
    out.write ("Comp", 4);
    out.writeInt64 (headerSize);
    out.writeInt64 ((juce::int64) state.getSize());
    return out.getMemoryBlock();
}

juce::MemoryBlock vst2ChunkPreset (const juce::MemoryBlock& state, const char* name)
{
    juce::MemoryOutputStream out;
    char programName[28] = {};
    std::snprintf (programName, sizeof (programName), "%s", name);
    out.write ("CcnK", 4);
    out.writeIntBigEndian (4 * 5 + 28 + 4 + (int) state.getSize());  // what follows this field
    out.write ("FPCh", 4);
    out.writeIntBigEndian (1);  // format version
    out.write (selvane::identity::pluginCode, 4);
    out.writeIntBigEndian (selvane::identity::vst2Version);
    out.writeIntBigEndian (1);  // programs
    out.write (programName, sizeof (programName));
    out.writeIntBigEndian ((int) state.getSize());
    out.write (state.getData(), state.getSize());
    return out.getMemoryBlock();
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: selvane-preset-files OUT_DIR\n");
        return 2;
    }
    const juce::File out (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    const auto vst3 = out.getChildFile ("vst3"), vst = out.getChildFile ("vst");
    if (! vst3.createDirectory() || ! vst.createDirectory())
    {
        std::fprintf (stderr, "selvane-preset-files: cannot create folders in %s\n", argv[1]);
        return 1;
    }

    for (const auto& preset : selvane::factoryPresets)
    {
        const auto state = selvane::wrapStateDocument (preset.document);
        const auto writeFile = [] (const juce::File& file, const juce::MemoryBlock& data) {
            if (! file.replaceWithData (data.getData(), data.getSize()))
            {
                std::fprintf (stderr, "selvane-preset-files: cannot write %s\n", file.getFullPathName().toRawUTF8());
                std::exit (1);
            }
        };
        writeFile (vst3.getChildFile (juce::String (preset.name) + ".vstpreset"), vst3Preset (state));
        writeFile (vst.getChildFile (juce::String (preset.name) + ".fxp"), vst2ChunkPreset (state, preset.name));
    }
    std::printf ("wrote %d presets to %s\n", selvane::numFactoryPresets, out.getFullPathName().toRawUTF8());
    return 0;
}
