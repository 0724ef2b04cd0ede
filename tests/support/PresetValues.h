#pragma once

#include "FactoryPresets.h"
#include "ParameterTable.h"

#include <array>
#include <cstdlib>
#include <optional>
#include <string>

namespace testing_support
{
// The nine values a preset's document gives, by parameter index, read from
// its text as the tests' own check (nothing of the plug-in's reader).
inline std::array<std::optional<float>, selvane::numParameters> presetValues (const selvane::FactoryPreset& preset)
{
    std::array<std::optional<float>, selvane::numParameters> values {};
    const std::string document (preset.document);
    for (int index = 0; index < selvane::numParameters; ++index)
    {
        const std::string open = std::string ("<") + selvane::parameterTable[(size_t) index].stateTag + ">";
        const auto at = document.find (open);
        if (at != std::string::npos)
            values[(size_t) index] = std::strtof (document.c_str() + at + open.size(), nullptr);
    }
    return values;
}

// The presets' files as the build writes them: OUT/vst3/NAME.vstpreset, OUT/vst/NAME.fxp.
inline std::string presetFileName (const selvane::FactoryPreset& preset, bool vst3)
{
    return std::string (vst3 ? "vst3/" : "vst/") + preset.name + (vst3 ? ".vstpreset" : ".fxp");
}
} // namespace testing_support
