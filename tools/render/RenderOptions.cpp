#include "RenderOptions.h"

#include "FactoryPresets.h"
#include "engine/ParameterTable.h"
#include "engine/ParameterUnits.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace
{
std::optional<double> parseNumber (const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod (text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || ! std::isfinite (value))
        return std::nullopt;
    return value;
}

std::optional<int> parseWholeNumber (const std::string& text)
{
    const auto value = parseNumber (text);
    if (! value || *value != std::floor (*value) || std::fabs (*value) > 1.0e9)
        return std::nullopt;
    return (int) *value;
}

std::optional<int> parameterIndexNamed (const std::string& name)
{
    for (int i = 0; i < selvane::numParameters; ++i)
        if (strcasecmp (name.c_str(), selvane::parameterTable[(size_t) i].name) == 0)
            return i;
    return std::nullopt;
}

std::string parameterNameList()
{
    std::string list;
    for (const auto& info : selvane::parameterTable)
        list += (list.empty() ? "" : ", ") + std::string (info.name);
    return list;
}
} // namespace

std::string parameterListing()
{
    std::string listing;
    char line[96];
    for (const auto& info : selvane::parameterTable)
    {
        std::snprintf (line, sizeof (line), "%s %g\n", info.name, (double) info.defaultValue);
        listing += line;
    }
    return listing;
}

std::string presetListing()
{
    std::string listing;
    for (const auto& preset : selvane::factoryPresets)
        listing += std::string (preset.name) + ": " + preset.description + "\n";
    return listing;
}

std::string renderUsage()
{
    return "usage: selvane-render [options] INPUT.wav OUTPUT.wav\n"
           "       selvane-render --demo [options] OUTPUT.wav\n"
           "\n"
           "Runs audio through the Selvane echo exactly as a host would.\n"
           "\n"
           "options:\n"
           "  --set NAME=VALUE    set a parameter (repeatable, applied in order). NAME is a parameter's\n"
           "                      name in any case (see --list-parameters); VALUE a normalised value\n"
           "                      0..1 or a value with its unit:\n"
           "                        DelayTime=375ms, DelayTime=1.2s (within the mode in force),\n"
           "                        DelayTime=1/8d (a note: switches to the synced mode),\n"
           "                        Mode=short|medium|long|sync, DelayFeedback=60% (up to 110%),\n"
           "                        PingPong=100%, Balance=25%, DryWet=30%, HighCut=5kHz, LowCut=120Hz,\n"
           "                        Gain=-6dB\n"
           "  --preset NAME|FILE  start from a factory preset (see --list-presets) or a preset file\n"
           "                      (after --state, before --set)\n"
           "  --block N           host block size in samples (default 512)\n"
           "  --rate HZ           sample rate of the demo phrase (default 48000; --demo only)\n"
           "  --tail SECONDS      render this long after the input ends (default: until the output\n"
           "                      stays below -90 dBFS for a whole delay period, at most 30 s)\n"
           "  --channels 1|2      output layout: 1 mono in/out, 2 stereo out (default: the input's,\n"
           "                      at most 2; a stereo input is mixed down for 1)\n"
           "  --bits 16|24|32f    output sample format (default 32f, 32-bit float)\n"
           "  --bpm N             host tempo for the synced mode (default 120)\n"
           "  --timesig N/D       host time signature (default 4/4)\n"
           "  --state FILE        load a saved state first (a host's binary block or the bare XML)\n"
           "  --save-state FILE   write the state the render ended with, as a host's binary block\n"
           "  --no-preroll        start as a freshly inserted instance: the delay then glides from its\n"
           "                      shortest length to the one set while the input plays (by default\n"
           "                      silence is run through first until the delay has settled)\n"
           "  --demo              render a short built-in phrase instead of an input file\n"
           "  --list-parameters   list the parameters' names and default values, one per line\n"
           "  --list-presets      list the factory presets\n"
           "  --help              show this text\n";
}

ParseResult parseRenderOptions (const std::vector<std::string>& args)
{
    ParseResult result;
    auto& options = result.options;
    std::vector<std::string> positional;
    bool rateGiven = false;

    auto fail = [&result] (std::string message) {
        result.error = std::move (message);
        return result;
    };

    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        auto needValue = [&] () -> std::optional<std::string> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };

        if (arg == "--help" || arg == "-h")
        {
            options.showHelp = true;
            return result;
        }
        if (arg == "--list-parameters")
        {
            options.listParameters = true;
            return result;
        }
        if (arg == "--list-presets")
        {
            options.listPresets = true;
            return result;
        }
        if (arg == "--no-preroll")
        {
            options.preroll = false;
            continue;
        }
        if (arg == "--demo")
        {
            options.demo = true;
            continue;
        }
        if (arg.size() > 2 && arg.compare (0, 2, "--") == 0)
        {
            const auto value = needValue();
            if (! value)
                return fail ("option " + arg + " needs a value");

            if (arg == "--set")
            {
                const auto equals = value->find ('=');
                if (equals == std::string::npos)
                    return fail ("--set wants NAME=VALUE, got '" + *value + "'");
                const auto name = value->substr (0, equals);
                const auto index = parameterIndexNamed (name);
                if (! index)
                    return fail ("unknown parameter '" + name + "' (known: " + parameterNameList() + ")");
                // The form now; a delay time in seconds against the mode in force when it is applied.
                const auto text = value->substr (equals + 1);
                const auto parsed = selvane::parseParameterValue (*index, text, -1);
                if (! parsed.error.empty())
                    return fail (parsed.error);
                options.parameterSettings.emplace_back (*index, text);
            }
            else if (arg == "--block")
            {
                const auto n = parseWholeNumber (*value);
                if (! n || *n < 1 || *n > 1048576)
                    return fail ("--block wants a whole number of samples from 1 to 1048576, got '" + *value + "'");
                options.blockSize = *n;
            }
            else if (arg == "--rate")
            {
                const auto hz = parseNumber (*value);
                if (! hz || *hz < 8000.0 || *hz > 768000.0)
                    return fail ("--rate wants a sample rate from 8000 to 768000 Hz, got '" + *value + "'");
                options.demoRate = *hz;
                rateGiven = true;
            }
            else if (arg == "--tail")
            {
                const auto seconds = parseNumber (*value);
                if (! seconds || *seconds < 0.0 || *seconds > 3600.0)
                    return fail ("--tail wants seconds from 0 to 3600, got '" + *value + "'");
                options.tailSeconds = *seconds;
            }
            else if (arg == "--channels")
            {
                if (*value != "1" && *value != "2")
                    return fail ("--channels wants 1 or 2, got '" + *value + "'");
                options.channels = std::stoi (*value);
            }
            else if (arg == "--bits")
            {
                if (*value == "16" || *value == "24")
                    options.bits = std::stoi (*value);
                else if (*value == "32f" || *value == "32")
                    options.bits = 32;
                else
                    return fail ("--bits wants 16, 24 or 32f, got '" + *value + "'");
            }
            else if (arg == "--bpm")
            {
                const auto bpm = parseNumber (*value);
                if (! bpm || *bpm <= 0.0 || *bpm > 1000.0)
                    return fail ("--bpm wants a tempo above 0 and up to 1000, got '" + *value + "'");
                options.bpm = *bpm;
            }
            else if (arg == "--timesig")
            {
                const auto slash = value->find ('/');
                const auto num = slash == std::string::npos ? std::nullopt : parseWholeNumber (value->substr (0, slash));
                const auto den = slash == std::string::npos ? std::nullopt : parseWholeNumber (value->substr (slash + 1));
                if (! num || ! den || *num < 1 || *num > 64 || *den < 1 || *den > 64)
                    return fail ("--timesig wants N/D such as 4/4 or 6/8, got '" + *value + "'");
                options.timeSigNumerator = *num;
                options.timeSigDenominator = *den;
            }
            else if (arg == "--state")
                options.statePath = *value;
            else if (arg == "--preset")
                options.preset = *value;
            else if (arg == "--save-state")
                options.saveStatePath = *value;
            else
                return fail ("unknown option " + arg + " (see --help)");
            continue;
        }
        positional.push_back (arg);
    }

    if (options.demo)
    {
        if (positional.size() != 1)
            return fail ("--demo takes exactly one file name, the output (see --help)");
        options.outputPath = positional[0];
    }
    else
    {
        if (rateGiven)
            return fail ("--rate applies only to --demo; a rendered file keeps its own rate");
        if (positional.size() != 2)
            return fail ("expected INPUT.wav OUTPUT.wav (see --help)");
        options.inputPath = positional[0];
        options.outputPath = positional[1];
    }
    return result;
}
