// selvane-render, run as a user would: real files in, real files out.

#include "ParameterTable.h"
#include "engine/VelmorAudioProcessor.h"
#include "support/AudioTestHelpers.h"
#include "support/PresetValues.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <cmath>

using testing_support::loudestSample;

namespace
{
struct RunResult
{
    int exitCode;
    juce::String output;  // stdout and stderr
};

RunResult runRender (const juce::StringArray& args)
{
    juce::StringArray command { SELVANE_RENDER_PATH };
    command.addArray (args);
    juce::ChildProcess process;
    if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return { -1, "could not start" };
    const auto output = process.readAllProcessOutput();
    process.waitForProcessToFinish (60000);
    return { (int) process.getExitCode(), output };
}

class RenderTool : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = juce::File::createTempFile ("selvane-render-test");
        dir.createDirectory();
    }
    void TearDown() override { dir.deleteRecursively(); }

    juce::File writeWav (const juce::String& name, const juce::AudioBuffer<float>& audio, double rate, int bits)
    {
        const auto file = dir.getChildFile (name);
        auto stream = file.createOutputStream();
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            wav.createWriterFor (stream.release(), rate, (unsigned) audio.getNumChannels(), bits, {}, 0));
        writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
        return file;
    }

    std::unique_ptr<juce::AudioFormatReader> open (const juce::File& file)
    {
        juce::WavAudioFormat wav;
        return std::unique_ptr<juce::AudioFormatReader> (wav.createReaderFor (file.createInputStream().release(), true));
    }

    juce::AudioBuffer<float> read (const juce::File& file)
    {
        auto reader = open (file);
        juce::AudioBuffer<float> audio ((int) reader->numChannels, (int) reader->lengthInSamples);
        reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);
        return audio;
    }

    juce::File dir;
};

juce::AudioBuffer<float> impulse (int channels, int length, int at, float height)
{
    juce::AudioBuffer<float> audio (channels, length);
    audio.clear();
    audio.setSample (0, at, height);
    return audio;
}
} // namespace

TEST_F (RenderTool, EchoOfAnImpulseLandsAtTheDelayTimeWithTheLoopGain)
{
    // Short mode, "DelayTime" 0.5: 52.5 ms, 420 samples at 8 kHz.
    const auto in = writeWav ("in.wav", impulse (1, 8000, 800, 0.5f), 8000.0, 16);
    const auto out = dir.getChildFile ("out.wav");
    const auto result = runRender ({ "--set", "mode=0", "--set", "DelayTime=0.5", "--tail", "0",
                                     in.getFullPathName(), out.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;

    auto reader = open (out);
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->numChannels, 1u);
    EXPECT_EQ (reader->sampleRate, 8000.0);
    EXPECT_TRUE (reader->usesFloatingPointData);
    const auto audio = read (out);
    ASSERT_EQ (audio.getNumSamples(), 8000);

    const int loudest = loudestSample (audio, 0, 900);
    EXPECT_EQ (loudest, 800 + 420);
    // loop gain 0.55, high-pass e^(-2 pi 20/8000), low-pass corner clamped to the rate: 1 - e^(-2 pi)
    const float expected = 0.5f * 0.55f * std::exp (-2.0f * 3.14159265f * 20.0f / 8000.0f) * (1.0f - std::exp (-2.0f * 3.14159265f));
    EXPECT_NEAR (audio.getSample (0, loudest), expected, 0.001);
    EXPECT_NEAR (audio.getSample (0, 800), 0.5f, 0.0001);  // the dry impulse at unity
}

TEST_F (RenderTool, DefaultTailRingsOutAndStopsOnceTheEchoesHaveDied)
{
    const auto in = writeWav ("in.wav", impulse (2, 4000, 0, 0.9f), 8000.0, 24);
    const auto out = dir.getChildFile ("out.wav");
    const auto result = runRender ({ "--set", "DelayFeedback=0.8", "--bits", "16", in.getFullPathName(), out.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;

    auto reader = open (out);
    EXPECT_EQ (reader->numChannels, 2u);
    EXPECT_EQ (reader->bitsPerSample, 16u);
    const auto audio = read (out);
    EXPECT_GT (audio.getNumSamples(), 4000 + 8000);        // well past the input
    EXPECT_LT (audio.getNumSamples(), 30 * 8000 + 4000);   // yet it stopped by itself
    EXPECT_LT (audio.getMagnitude (audio.getNumSamples() - 800, 800), 0.0001f);
}

TEST_F (RenderTool, DemoRendersAStereoPhraseWithItsTail)
{
    const auto out = dir.getChildFile ("demo.wav");
    const auto result = runRender ({ "--demo", "--tail", "1", "--rate", "22050", out.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;
    EXPECT_TRUE (result.output.contains ("demo.wav"));
    auto reader = open (out);
    EXPECT_EQ (reader->numChannels, 2u);
    EXPECT_EQ (reader->sampleRate, 22050.0);
    EXPECT_EQ (reader->lengthInSamples, (juce::int64) (1.8 * 22050) + 22050);
    const auto audio = read (out);
    EXPECT_GT (audio.getMagnitude (0, 0, audio.getNumSamples()), 0.1f);
}

int loudestAfter (const juce::AudioBuffer<float>& audio, int from)
{
    return loudestSample (audio, 0, from);
}

TEST_F (RenderTool, SyncedEchoFollowsTheTempoAndSignatureGiven)
{
    const auto in = writeWav ("in.wav", impulse (1, 12000, 100, 0.5f), 8000.0, 16);
    struct Case
    {
        const char* bpm;
        const char* signature;
        int delay;
    };
    for (const auto& c : { Case { "100", "4/4", 4800 }, Case { "100", "6/8", 9600 }, Case { "150", "3/4", 3200 } })
    {
        const auto out = dir.getChildFile ("synced.wav");
        const auto result = runRender ({ "--bpm", c.bpm, "--timesig", c.signature, "--set", "Mode=1", "--set",
                                         "DelayTime=0.625", "--tail", "0", in.getFullPathName(), out.getFullPathName() });
        ASSERT_EQ (result.exitCode, 0) << result.output;
        EXPECT_EQ (loudestAfter (read (out), 200), 100 + c.delay) << c.bpm << " bpm " << c.signature;
    }
}

TEST_F (RenderTool, SavedStateRestoresTheSameRender)
{
    const auto in = writeWav ("in.wav", impulse (2, 6000, 10, 0.7f), 8000.0, 16);
    const auto first = dir.getChildFile ("first.wav"), second = dir.getChildFile ("second.wav"),
               fromXml = dir.getChildFile ("xml.wav");
    const auto state = dir.getChildFile ("state.bin");
    auto result = runRender ({ "--set", "DelayTime=0.3", "--set", "PingPong=1", "--set", "HighCut=0.5", "--tail", "1",
                               "--save-state", state.getFullPathName(), in.getFullPathName(), first.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;

    juce::MemoryBlock saved;
    ASSERT_TRUE (state.loadFileAsData (saved));
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (saved.getData()), 0x21324356u);
    const auto document = juce::String::fromUTF8 (static_cast<const char*> (saved.getData()) + 8, (int) saved.getSize() - 9);
    EXPECT_TRUE (document.contains ("<DelayTime>0.3</DelayTime>")) << document;
    EXPECT_TRUE (document.contains ("<PingPong>1</PingPong>")) << document;

    result = runRender ({ "--state", state.getFullPathName(), "--tail", "1", in.getFullPathName(), second.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;
    juce::MemoryBlock a, b;
    first.loadFileAsData (a);
    second.loadFileAsData (b);
    EXPECT_EQ (a, b);

    const auto xml = dir.getChildFile ("state.xml");
    xml.replaceWithText (document);
    result = runRender ({ "--state", xml.getFullPathName(), "--tail", "1", in.getFullPathName(), fromXml.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.output;
    juce::MemoryBlock c;
    fromXml.loadFileAsData (c);
    EXPECT_EQ (a, c);
}

struct BadCommand
{
    const char* what;
    std::vector<const char*> args;  // "IN", "OUT", "TEXT" stand for files of the fixture
    const char* message;
};

class RenderToolErrors : public RenderTool, public ::testing::WithParamInterface<BadCommand> {};

TEST_P (RenderToolErrors, FailWithOneClearLineAndWriteNothing)
{
    const auto in = writeWav ("in.wav", impulse (1, 100, 0, 0.5f), 8000.0, 16);
    const auto text = dir.getChildFile ("notes.wav");
    text.replaceWithText ("these are not samples");
    const auto out = dir.getChildFile ("out.wav");

    juce::StringArray args;
    for (const char* a : GetParam().args)
        args.add (juce::String (a) == "IN" ? in.getFullPathName()
                  : juce::String (a) == "OUT" ? out.getFullPathName()
                  : juce::String (a) == "TEXT" ? text.getFullPathName()
                  : juce::String (a) == "NODIR" ? dir.getChildFile ("missing/dir/out.wav").getFullPathName()
                  : juce::String (a));

    const auto result = runRender (args);
    EXPECT_NE (result.exitCode, 0) << GetParam().what;
    EXPECT_TRUE (result.output.startsWith ("selvane-render: ")) << result.output;
    EXPECT_TRUE (result.output.contains (GetParam().message)) << result.output;
    EXPECT_EQ (result.output.trim().indexOfChar ('\n'), -1) << result.output;
    EXPECT_FALSE (out.exists());
    EXPECT_EQ (dir.getNumberOfChildFiles (juce::File::findFiles), 2) << "no temporary file left behind";
}

INSTANTIATE_TEST_SUITE_P (
    Cases, RenderToolErrors,
    ::testing::Values (BadCommand { "missing input", { "/nonexistent/in.wav", "OUT" }, "no such file" },
                       BadCommand { "not a WAV", { "TEXT", "OUT" }, "is not a WAV file" },
                       BadCommand { "unknown parameter", { "--set", "Feedback=0.5", "IN", "OUT" }, "unknown parameter 'Feedback'" },
                       BadCommand { "value not a number", { "--set", "Gain=loud", "IN", "OUT" }, "Gain wants a value in dB, got 'loud'" },
                       BadCommand { "normalised value beyond 1", { "--set", "DryWet=1.5", "IN", "OUT" }, "DryWet 1.5 is outside 0 .. 1" },
                       BadCommand { "delay longer than the mode", { "--set", "Mode=long", "--set", "DelayTime=4s", "IN", "OUT" },
                                    "DelayTime 4 s is longer than the long mode's 3 s" },
                       BadCommand { "delay beyond the preset's mode", { "--preset", "Slapback", "--set", "DelayTime=200ms", "IN", "OUT" },
                                    "DelayTime 200 ms is longer than the short mode's 100 ms" },
                       BadCommand { "corner out of range", { "--set", "HighCut=30kHz", "IN", "OUT" }, "HighCut 30 kHz is outside 500 Hz .. 20 kHz" },
                       BadCommand { "unknown preset", { "--preset", "Nowhere", "IN", "OUT" }, "no factory preset or preset file 'Nowhere'" },
                       BadCommand { "output is the input", { "IN", "IN" }, "must not be the input" },
                       BadCommand { "unwritable output", { "IN", "NODIR" }, "cannot write" },
                       BadCommand { "bad block size", { "--block", "0", "IN", "OUT" }, "--block" },
                       BadCommand { "rate without demo", { "--rate", "44100", "IN", "OUT" }, "--demo" },
                       BadCommand { "one file only", { "IN" }, "expected INPUT.wav OUTPUT.wav" },
                       BadCommand { "state that is no state", { "--state", "TEXT", "IN", "OUT" }, "neither a saved Selvane state" },
                       BadCommand { "missing state", { "--state", "/nonexistent/state.bin", "IN", "OUT" }, "cannot read state file" },
                       BadCommand { "bad signature", { "--timesig", "4-4", "IN", "OUT" }, "--timesig" },
                       BadCommand { "bad tempo", { "--bpm", "0", "IN", "OUT" }, "--bpm" }));

TEST_F (RenderTool, HelpListsTheOptions)
{
    const auto result = runRender ({ "--help" });
    EXPECT_EQ (result.exitCode, 0);
    for (const char* option : { "--set", "--block", "--rate", "--tail", "--channels", "--bits", "--demo" })
        EXPECT_TRUE (result.output.contains (option)) << option;
}

// Scripts that drive hosts read the parameters' names and defaults from here.
TEST_F (RenderTool, ListsEachParameterWithItsDefault)
{
    const auto result = runRender ({ "--list-parameters" });
    EXPECT_EQ (result.exitCode, 0);
    const auto lines = juce::StringArray::fromLines (result.output.trim());
    ASSERT_EQ (lines.size(), selvane::numParameters) << result.output;
    for (int i = 0; i < selvane::numParameters; ++i)
    {
        const auto fields = juce::StringArray::fromTokens (lines[i], " ", "");
        ASSERT_EQ (fields.size(), 2) << lines[i];
        EXPECT_EQ (fields[0], selvane::parameterTable[(size_t) i].name);
        EXPECT_EQ (fields[1].getFloatValue(), selvane::parameterTable[(size_t) i].defaultValue) << lines[i];
    }
}

// Every factory preset, by name, sets the nine parameters its document holds.
TEST_F (RenderTool, EachFactoryPresetSetsItsParameters)
{
    const auto in = writeWav ("in.wav", impulse (2, 64, 0, 0.5f), 8000.0, 16);
    for (const auto& preset : selvane::factoryPresets)
    {
        const auto out = dir.getChildFile ("out.wav"), state = dir.getChildFile ("state.bin");
        const auto result = runRender ({ "--preset", preset.name, "--tail", "0", "--save-state", state.getFullPathName(),
                                         in.getFullPathName(), out.getFullPathName() });
        ASSERT_EQ (result.exitCode, 0) << preset.name << ": " << result.output;

        VelmorAudioProcessor rendered;
        juce::MemoryBlock saved;
        ASSERT_TRUE (state.loadFileAsData (saved));
        rendered.setStateInformation (saved.getData(), (int) saved.getSize());

        const auto expected = testing_support::presetValues (preset);
        for (int index = 0; index < selvane::numParameters; ++index)
        {
            ASSERT_TRUE (expected[(size_t) index].has_value()) << preset.name << " holds every parameter";
            EXPECT_EQ (rendered.getParameter (index), *expected[(size_t) index])
                << preset.name << " " << selvane::parameterTable[(size_t) index].name;
        }
    }
}

// Values with units sound exactly like the normalised values they stand for.
TEST_F (RenderTool, ValuesWithUnitsSoundLikeTheirNormalisedValues)
{
    const auto in = writeWav ("in.wav", impulse (2, 4000, 0, 0.5f), 8000.0, 16);
    struct Pair
    {
        juce::StringArray withUnits, normalised;
    };
    const Pair pairs[] = {
        { { "--bpm", "128", "--set", "DelayTime=1/8d", "--set", "PingPong=100%" }, { "--bpm", "128", "--set", "Mode=1", "--set", "DelayTime=0.5416667", "--set", "PingPong=1" } },
        { { "--set", "Mode=short", "--set", "DelayTime=52.5ms", "--set", "Gain=0dB" }, { "--set", "Mode=0", "--set", "DelayTime=0.5", "--set", "Gain=0.9" } },
        { { "--set", "DelayFeedback=55%", "--set", "DryWet=100%" }, { "--set", "DelayFeedback=0.5", "--set", "DryWet=1" } },
    };
    for (const auto& pair : pairs)
    {
        juce::StringArray renders[2];
        for (int which = 0; which < 2; ++which)
        {
            auto args = which == 0 ? pair.withUnits : pair.normalised;
            const auto out = dir.getChildFile ("out" + juce::String (which) + ".wav");
            args.addArray (juce::StringArray { "--tail", "1", in.getFullPathName(), out.getFullPathName() });
            const auto result = runRender (args);
            ASSERT_EQ (result.exitCode, 0) << args.joinIntoString (" ") << ": " << result.output;
        }
        juce::MemoryBlock a, b;
        dir.getChildFile ("out0.wav").loadFileAsData (a);
        dir.getChildFile ("out1.wav").loadFileAsData (b);
        EXPECT_TRUE (a == b) << pair.withUnits.joinIntoString (" ");
    }
}
