// The LV2 client: the framework's adapter, from a copy made at configure time
// with the patch host/lv2/Lv2Client.cmake applies (hosts read every parameter's
// value; the host's own change is not echoed, what the processor announces in
// response is; a manifest that validates; the factory bank as presets).
//
// This file takes the place of the framework's own LV2 translation unit.

namespace juce
{
class AudioProcessor;
class OutputStream;
} // namespace juce

namespace selvane
{
// Writes the manifest's presets (below): the adapter's manifest writer calls it.
void writeFactoryPresets (juce::OutputStream& os, juce::AudioProcessor& proc);
} // namespace selvane

#include "PluginIdentity.h"  // the manifest's version and licence
#include "juce_lv2_client/juce_LV2_Client.cpp"

#include "FactoryPresets.h"
#include "../../engine/ParameterTable.h"
#include "../../engine/SavedState.h"

namespace selvane
{
// A number as Turtle reads a decimal: always with a point.
static juce::String turtleDecimal (float value)
{
    auto text = juce::String::formatted ("%.7g", (double) value);
    if (! text.containsAnyOf (".eE"))
        text << ".0";
    return text;
}

static juce::String turtleString (const char* text)
{
    return juce::String (text).replace ("\\", "\\\\").replace ("\"", "\\\"");
}

// The manifest's presets: one per factory preset, setting each parameter's
// port to the value the processor takes from the preset's document. The
// processor is the manifest writer's own instance, used for nothing else.
void writeFactoryPresets (juce::OutputStream& os, juce::AudioProcessor& proc)
{
    const auto parameters = proc.getParameters();
    for (const auto& preset : factoryPresets)
    {
        const auto state = wrapStateDocument (preset.document);
        proc.setStateInformation (state.getData(), (int) state.getSize());

        os << "<" JucePlugin_LV2URI "#preset-" << preset.symbol << ">\n"
              "\ta pset:Preset ;\n"
              "\tlv2:appliesTo <" JucePlugin_LV2URI "> ;\n"
              "\trdfs:label \"" << turtleString (preset.name) << "\" ;\n"
              "\trdfs:comment \"" << turtleString (preset.description) << "\" ;\n"
              "\tlv2:port ";
        for (int index = 0; index < numParameters; ++index)
            os << (index == 0 ? "" : " ,\n\t\t") << "[ lv2:symbol \"" << parameterTable[(size_t) index].name
               << "\" ; pset:value " << turtleDecimal (parameters[index]->getValue()) << " ]";
        os << " .\n\n";
    }
}
} // namespace selvane
