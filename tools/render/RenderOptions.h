#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Command line of selvane-render.
struct RenderOptions
{
    bool showHelp = false;
    bool listParameters = false;
    bool listPresets = false;
    std::string preset;                                    // a factory preset's name, or a preset file
    bool demo = false;
    std::string inputPath, outputPath;
    std::vector<std::pair<int, std::string>> parameterSettings;  // index and value as written, in the order given
    int blockSize = 512;
    double demoRate = 48000.0;
    std::optional<double> tailSeconds;                     // none: until the echoes have died away
    std::optional<int> channels;                           // output layout, 1 or 2
    int bits = 32;                                         // 16, 24 or 32 (float)
    double bpm = 120.0;
    int timeSigNumerator = 4, timeSigDenominator = 4;
    std::string statePath, saveStatePath;
    bool preroll = true;                                   // settle the delay glide on silence first
};

struct ParseResult
{
    RenderOptions options;
    std::string error;  // empty when the command line was understood
};

ParseResult parseRenderOptions (const std::vector<std::string>& args);

std::string renderUsage();

// One line per parameter, in index order: its name and its default value.
std::string parameterListing();

// One line per factory preset: its name and what it is for.
std::string presetListing();
