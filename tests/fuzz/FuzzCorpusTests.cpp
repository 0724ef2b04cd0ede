// Every committed fuzz input, seeds and past crashes alike, through the same
// entry points the fuzzers drive: a crash found once stays fixed. The entry
// points check their own invariants and abort on a violation; the input's
// name is printed first so a failure names it.

#include "FuzzTargets.h"

#include <juce_core/juce_core.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace
{
struct Target
{
    const char* name;
    void (*feed) (const std::uint8_t*, std::size_t);
};

const Target targets[] = {
    { "state", selvane::fuzz::feedSavedState },
    { "midi", selvane::fuzz::feedMidi },
    { "parameters", selvane::fuzz::feedParameterCalls },
};

class FuzzInputs : public ::testing::TestWithParam<Target> {};

TEST_P (FuzzInputs, EveryCommittedInputRunsClean)
{
    const juce::File root (SELVANE_FUZZ_INPUTS);
    int inputs = 0;
    for (const char* kind : { "corpus", "regressions" })
        for (const auto& file : root.getChildFile (kind).getChildFile (GetParam().name)
                                    .findChildFiles (juce::File::findFiles, false))
        {
            juce::MemoryBlock bytes;
            ASSERT_TRUE (file.loadFileAsData (bytes)) << file.getFullPathName();
            std::fprintf (stderr, "%s\n", file.getFullPathName().toRawUTF8());
            GetParam().feed (static_cast<const std::uint8_t*> (bytes.getData()), bytes.getSize());
            ++inputs;
        }
    EXPECT_GT (inputs, 0) << "no seed inputs found for " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P (Targets, FuzzInputs, ::testing::ValuesIn (targets),
                          [] (const auto& info) { return std::string (info.param.name); });
} // namespace
