// Drives the built VST 2.x library the way the oldest hosts do: dlopen, the
// exported entry point with our own host callback, and raw dispatcher calls.

#include "support/PresetValues.h"
#include "support/TestRandom.h"

#include <pluginterfaces/vst2.x/aeffectx.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
using EntryPoint = AEffect* (*) (audioMasterCallback);

int hostVersionAnswer = 2400;

// What the plug-in told the host of its parameters (audioMasterAutomate).
struct Automation
{
    int index;
    float value;
};
std::mutex automationLock;
std::vector<Automation> automations;

t_fstPtrInt hostCallback (AEffect*, int opcode, int index, t_fstPtrInt, void*, float opt)
{
    if (opcode == audioMasterVersion)
        return hostVersionAnswer;
    if (opcode == audioMasterAutomate)
    {
        const std::lock_guard<std::mutex> lock (automationLock);
        automations.push_back ({ index, opt });
    }
    return 0;
}

// The numbers hosts send for the opcodes the free header leaves unnumbered.
constexpr int opcodeSetBypass = 44, opcodeGetTailSize = 52, opcodeMidiInputChannels = 78, opcodeMidiOutputChannels = 79;

t_fstPtrInt call (AEffect* effect, int opcode, int index = 0, t_fstPtrInt value = 0, void* ptr = nullptr, float opt = 0.0f)
{
    return effect->dispatcher (effect, opcode, index, value, ptr, opt);
}

void startProcessing (AEffect* effect, float sampleRate, int blockSize)
{
    call (effect, effOpen);
    call (effect, effSetSampleRate, 0, 0, nullptr, sampleRate);
    call (effect, effSetBlockSize, 0, blockSize);
    call (effect, effMainsChanged, 0, 1);
}

// A stereo signal that differs per instance: decaying noise bursts.
std::vector<float> testSignal (int length, unsigned seed)
{
    std::vector<float> signal ((size_t) length * 2);
    testing_support::TestRandom random (seed * 2654435761u + 1u);
    for (size_t i = 0; i < signal.size(); ++i)
    {
        const float noise = random.bipolar();
        const float envelope = std::exp (-(float) ((i / 2) % 3000) / 400.0f);
        signal[i] = 0.4f * noise * envelope;
    }
    return signal;
}

// One instance driven block by block: its input, its output so far.
struct Voice
{
    AEffect* effect = nullptr;
    float sampleRate = 48000.0f;
    int blockSize = 512;
    std::vector<float> input;  // interleaved stereo
    std::vector<float> output;
    int done = 0;              // frames processed

    void open (EntryPoint entry)
    {
        effect = entry (hostCallback);
        ASSERT_NE (effect, nullptr);
        startProcessing (effect, sampleRate, blockSize);
        // The output gain glides for a while, and how it glides depends on the
        // blocks it is given: an instance that cut its blocks by another's size
        // would not match itself alone.
        effect->setParameter (effect, 8, 0.6f);
    }

    // One block, and the host queries that read the instance's processor.
    void processBlock()
    {
        std::vector<float> inL ((size_t) blockSize), inR ((size_t) blockSize), outL ((size_t) blockSize), outR ((size_t) blockSize);
        for (int i = 0; i < blockSize; ++i)
        {
            inL[(size_t) i] = input[(size_t) (done + i) * 2];
            inR[(size_t) i] = input[(size_t) (done + i) * 2 + 1];
        }
        float* ins[] = { inL.data(), inR.data() };
        float* outs[] = { outL.data(), outR.data() };
        effect->processReplacing (effect, ins, outs, blockSize);
        for (int i = 0; i < blockSize; ++i)
        {
            output.push_back (outL[(size_t) i]);
            output.push_back (outR[(size_t) i]);
        }
        done += blockSize;

        VstPinProperties pin {};
        EXPECT_EQ (call (effect, effGetOutputProperties, 1, 0, &pin), 1);
        EXPECT_STREQ (pin.label, "2");
    }

    void close()
    {
        call (effect, effMainsChanged, 0, 0);
        call (effect, effClose);
        effect = nullptr;
    }
};

// The same instance, alone in the process, for as many blocks.
std::vector<float> renderedAlone (EntryPoint entry, const Voice& voice)
{
    Voice alone;
    alone.sampleRate = voice.sampleRate;
    alone.blockSize = voice.blockSize;
    alone.input = voice.input;
    alone.open (entry);
    while (alone.done < voice.done)
        alone.processBlock();
    alone.close();
    return alone.output;
}

// Room for eight speakers behind the header, as hosts allocate it.
struct Arrangement
{
    int type;
    int numChannels;
    t_fstSpeakerProperties speakers[8];
};

Arrangement arrangementOf (int channels)
{
    Arrangement a {};
    a.type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    a.numChannels = channels;
    return a;
}

class RawVst2 : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        library = dlopen (SELVANE_VST2_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE (library, nullptr) << dlerror();
    }

    void SetUp() override
    {
        ASSERT_NE (library, nullptr);
        hostVersionAnswer = 2400;
        entry = reinterpret_cast<EntryPoint> (dlsym (library, "VSTPluginMain"));
        ASSERT_NE (entry, nullptr);
    }

    void TearDown() override
    {
        if (effect != nullptr)
            dispatch (effClose);
    }

    AEffect* open()
    {
        effect = entry (hostCallback);
        return effect;
    }

    t_fstPtrInt dispatch (int opcode, int index = 0, t_fstPtrInt value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher (effect, opcode, index, value, ptr, opt);
    }

    std::string text (int opcode, int index = 0)
    {
        char buffer[256] = {};
        dispatch (opcode, index, 0, buffer);
        return buffer;
    }

    t_fstPtrInt canDo (const char* what)
    {
        return dispatch (effCanDo, 0, 0, const_cast<char*> (what));
    }

    bool acceptsArrangement (int ins, int outs)
    {
        auto in = arrangementOf (ins), out = arrangementOf (outs);
        return dispatch (effSetSpeakerArrangement, 0, (t_fstPtrInt) &in, &out) != 0;
    }

    inline static void* library = nullptr;
    EntryPoint entry = nullptr;
    AEffect* effect = nullptr;
};
} // namespace

TEST_F (RawVst2, BothEntryPointsAreExported)
{
    EXPECT_NE (dlsym (library, "VSTPluginMain"), nullptr);
    EXPECT_NE (dlsym (library, "main"), nullptr);
}

TEST_F (RawVst2, HostAnsweringVersionZeroGetsNoEffect)
{
    hostVersionAnswer = 0;
    EXPECT_EQ (open(), nullptr);
}

TEST_F (RawVst2, EffectRecordDescribesTheEcho)
{
    ASSERT_NE (open(), nullptr);
    EXPECT_EQ (effect->magic, 0x56737450);
    EXPECT_EQ (effect->numInputs, 2);
    EXPECT_EQ (effect->numOutputs, 2);
    EXPECT_EQ (effect->numParams, 9);
    EXPECT_EQ (effect->numPrograms, 1);
    EXPECT_EQ (effect->uniqueID, ('O' << 24) | ('v' << 16) | ('S' << 8) | 'e');
    EXPECT_EQ (effect->version, 110);
    EXPECT_EQ (effect->initialDelay, 0);
    EXPECT_NE (effect->flags & effFlagsHasEditor, 0);
    EXPECT_NE (effect->flags & effFlagsCanReplacing, 0);
    EXPECT_NE (effect->flags & effFlagsProgramChunks, 0);
    EXPECT_EQ (effect->flags & effFlagsIsSynth, 0);
    EXPECT_EQ (effect->flags & (1 << 12), 0) << "no double-precision processing";
}

TEST_F (RawVst2, DispatcherAnswersIdentityQueries)
{
    ASSERT_NE (open(), nullptr);
    EXPECT_EQ (text (effGetEffectName), "Selvane");
    EXPECT_EQ (text (effGetVendorString), "Orvelle");
    EXPECT_EQ (text (effGetProductString), "Selvane");
    EXPECT_EQ (dispatch (effGetVendorVersion), 110);
    EXPECT_EQ (dispatch (effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ (dispatch (effGetVstVersion), 2400);
    EXPECT_EQ (text (effGetProgramNameIndexed, 0), "default");
    EXPECT_EQ (text (effGetParamName, 0), "DelayTime");
    EXPECT_EQ (text (effGetParamName, 1), "DelayFeedback");
    EXPECT_EQ (text (effGetParamDisplay, 2), "0.33");
    EXPECT_FLOAT_EQ (effect->getParameter (effect, 8), 0.9f);
}

TEST_F (RawVst2, CapabilitiesAreAnsweredAsTheTableSays)
{
    ASSERT_NE (open(), nullptr);
    for (const char* yes : { "receiveVstEvents", "receiveVstMidiEvent", "receiveVstMidiEvents", "receiveVstTimeInfo",
                             "conformsToWindowRules", "bypass" })
        EXPECT_EQ (canDo (yes), 1) << yes;
    for (const char* no : { "sendVstEvents", "sendVstMidiEvent", "sendVstMidiEvents", "openCloseAnyThread" })
        EXPECT_EQ (canDo (no), -1) << no;
    for (const char* unknown : { "offline", "midiProgramNames", "somethingElse", "supportsViewDpiScaling", "hasCockosExtensions", "MPE" })
        EXPECT_EQ (canDo (unknown), 0) << unknown;
}

TEST_F (RawVst2, SpeakerArrangementsMatchingTheThreeLayoutsAreAccepted)
{
    ASSERT_NE (open(), nullptr);
    EXPECT_FALSE (acceptsArrangement (2, 1));
    EXPECT_TRUE (acceptsArrangement (1, 2));
    EXPECT_FALSE (acceptsArrangement (3, 3));
    EXPECT_TRUE (acceptsArrangement (1, 1));
    EXPECT_TRUE (acceptsArrangement (2, 2));
}

// The labels are the channel names, and the answer stays inside the record as
// the header declares it (JUCE's adapter wrote one byte past the short label).
TEST_F (RawVst2, PinPropertiesNameTheChannelsAndStayInsideTheRecord)
{
    ASSERT_NE (open(), nullptr);
    for (int opcode : { (int) effGetInputProperties, (int) effGetOutputProperties })
    {
        for (int pin = 0; pin < 2; ++pin)
        {
            struct { VstPinProperties properties; unsigned char canary[16]; } record;
            std::memset (&record, 0xa5, sizeof (record));
            EXPECT_EQ (dispatch (opcode, pin, 0, &record.properties), 1);
            const std::string expected = std::to_string (pin + 1);
            EXPECT_EQ (std::string (record.properties.label), expected);
            EXPECT_EQ (std::string (record.properties.shortLabel, strnlen (record.properties.shortLabel, 8)), expected);
            for (unsigned char byte : record.canary)
                ASSERT_EQ (byte, 0xa5) << "written past the record, opcode " << opcode << " pin " << pin;
        }
        VstPinProperties third {};
        EXPECT_EQ (dispatch (opcode, 2, 0, &third), 0);
    }
}

TEST_F (RawVst2, ProcessesAndSavesItsStateAsAChunk)
{
    ASSERT_NE (open(), nullptr);
    dispatch (effOpen);
    dispatch (effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch (effSetBlockSize, 0, 512);
    dispatch (effMainsChanged, 0, 1);

    effect->setParameter (effect, 7, 0.0f);  // dry only
    float left[512], right[512], outLeft[512], outRight[512];
    for (int i = 0; i < 512; ++i)
        left[i] = right[i] = 0.25f;
    float* ins[] = { left, right };
    float* outs[] = { outLeft, outRight };
    for (int block = 0; block < 20; ++block)  // the mix glides to dry-only
        effect->processReplacing (effect, ins, outs, 512);
    EXPECT_NEAR (outLeft[511], 0.25f, 1.0e-4);

    void* chunk = nullptr;
    const auto size = dispatch (effGetChunk, 0, 0, &chunk);
    ASSERT_GT (size, 9);
    ASSERT_NE (chunk, nullptr);
    const std::string bytes (static_cast<const char*> (chunk), (size_t) size);
    EXPECT_NE (bytes.find ("<DryWet>0</DryWet>"), std::string::npos);
    dispatch (effMainsChanged, 0, 0);
}

// Several instances in one process at different rates and block sizes,
// processed interleaved and from two threads, closed first, middle and last
// with new ones opened after: each one's output is exactly what it gives when
// it is alone, and every one keeps answering about its own processor.
TEST_F (RawVst2, ManyInstancesEachKeepTheirOwnProcessor)
{
    const float rates[] = { 44100.0f, 48000.0f, 96000.0f, 22050.0f };
    const int blockSizes[] = { 4096, 1000, 512, 64 };
    constexpr int blocksEach = 12;

    std::vector<Voice> voices (4);
    std::vector<Voice> finished;
    unsigned nextSeed = 1;
    const auto start = [&] (Voice& voice, int slot) {
        voice = Voice {};
        voice.sampleRate = rates[slot];
        voice.blockSize = blockSizes[slot];
        voice.input = testSignal (blockSizes[slot] * blocksEach, nextSeed++);
        voice.open (entry);
    };
    // Opened on two threads, as hosts that load in the background do.
    std::thread other ([&] { start (voices[0], 0); start (voices[1], 1); });
    other.join();
    start (voices[2], 2);
    start (voices[3], 3);

    const int closeOrder[] = { 1, 0, 3 };  // middle, first, last
    for (int round = 0; round < blocksEach; ++round)
    {
        std::thread second ([&] { voices[0].processBlock(); voices[1].processBlock(); });
        voices[2].processBlock();
        voices[3].processBlock();
        second.join();

        if (round % 3 == 2 && round / 3 < 3)
        {
            const int slot = closeOrder[round / 3];
            voices[(size_t) slot].close();
            finished.push_back (voices[(size_t) slot]);
            start (voices[(size_t) slot], slot);
        }
    }

    for (auto& voice : voices)
    {
        finished.push_back (voice);
        voice.close();
    }
    for (const auto& voice : finished)
    {
        const auto alone = renderedAlone (entry, voice);
        ASSERT_EQ (alone.size(), voice.output.size());
        EXPECT_TRUE (alone == voice.output) << "instance at " << voice.sampleRate << " Hz, blocks of " << voice.blockSize;
    }
}

// The opcodes the free header leaves unnumbered, under the numbers hosts send.
TEST_F (RawVst2, AnswersTheOpcodesHostsSendUnderTheirRealNumbers)
{
    ASSERT_NE (open(), nullptr);
    EXPECT_EQ (dispatch (opcodeGetTailSize), 0);
    EXPECT_EQ (dispatch (opcodeMidiInputChannels), 16);
    EXPECT_EQ (dispatch (opcodeMidiOutputChannels), 0);
    EXPECT_EQ (dispatch (opcodeSetBypass, 0, 1), 1);
    EXPECT_EQ (dispatch (opcodeSetBypass, 0, 0), 1);
}

// A host's bypass: the input passes unchanged; entering and leaving it makes
// no click, and the echoes of what played before it do not come back.
TEST_F (RawVst2, HostBypassPassesTheInputAndResumesCleanly)
{
    ASSERT_NE (open(), nullptr);
    constexpr int block = 480;
    startProcessing (effect, 48000.0f, block);
    effect->setParameter (effect, 1, 0.9f);  // long-ringing echoes

    double phase = 0.0;
    std::vector<float> output, input;
    const auto run = [&] (int blocks) {
        for (int b = 0; b < blocks; ++b)
        {
            float inL[block], inR[block], outL[block], outR[block];
            for (int i = 0; i < block; ++i)
            {
                inL[i] = inR[i] = 0.3f * (float) std::sin (phase);
                phase += 2.0 * M_PI * 440.0 / 48000.0;
            }
            float* ins[] = { inL, inR };
            float* outs[] = { outL, outR };
            effect->processReplacing (effect, ins, outs, block);
            output.insert (output.end(), outL, outL + block);
            input.insert (input.end(), inL, inL + block);
        }
    };
    const auto largestStep = [&] (size_t from, size_t to) {
        float step = 0.0f;
        for (size_t i = std::max<size_t> (from, 1); i < to; ++i)
            step = std::max (step, std::abs (output[i] - output[i - 1]));
        return step;
    };

    run (300);  // 3 s: the echo memory is full
    const size_t bypassStart = output.size();
    ASSERT_EQ (dispatch (opcodeSetBypass, 0, 1), 1);
    run (100);
    for (size_t i = bypassStart + 256; i < output.size(); ++i)
        ASSERT_EQ (output[i], input[i]) << "bypassed, sample " << i - bypassStart;
    EXPECT_LT (largestStep (bypassStart - 4, bypassStart + 300), 0.06f) << "a click entering the bypass";

    const size_t resume = output.size();
    ASSERT_EQ (dispatch (opcodeSetBypass, 0, 0), 1);
    run (10);  // 100 ms: less than the delay (0.1 s at the defaults), so no echo yet
    EXPECT_LT (largestStep (resume - 4, resume + 300), 0.06f) << "a click leaving the bypass";
    float leftover = 0.0f;
    for (size_t i = resume; i < resume + 4000; ++i)
        leftover = std::max (leftover, std::abs (output[i] - input[i]));
    EXPECT_LT (leftover, 1.0e-3f) << "echoes from before the bypass came back";
}

// A host's own change to "Mode" is not echoed back; the processor's re-sent
// "DelayTime" reaches the host with its stored value.
TEST_F (RawVst2, HostAutomationOfModeTellsTheHostOfTheDelayTime)
{
    ASSERT_NE (open(), nullptr);
    effect->setParameter (effect, 0, 0.5f);
    {
        const std::lock_guard<std::mutex> lock (automationLock);
        automations.clear();
    }
    effect->setParameter (effect, 2, 0.66f);

    const std::lock_guard<std::mutex> lock (automationLock);
    ASSERT_EQ (automations.size(), 1u);
    EXPECT_EQ (automations[0].index, 0);
    EXPECT_EQ (automations[0].value, 0.5f);
    EXPECT_FLOAT_EQ (effect->getParameter (effect, 2), 0.66f);
}

// Each factory preset's .fxp, read as a host reads the file and handed to a
// fresh instance through effSetChunk (a program chunk): the nine parameters
// are the preset's, and what the instance saves back names them so.
TEST_F (RawVst2, EachFactoryPresetFileLoadsThroughSetChunk)
{
    for (const auto& preset : selvane::factoryPresets)
    {
        const auto path = std::string (SELVANE_PRESET_FILES_DIR "/") + testing_support::presetFileName (preset, false);
        std::ifstream file (path, std::ios::binary);
        ASSERT_TRUE (file.good()) << path;
        const std::vector<unsigned char> bytes ((std::istreambuf_iterator<char> (file)), std::istreambuf_iterator<char>());
        ASSERT_GT (bytes.size(), 60u) << path;
        const auto bigEndian = [&bytes] (size_t at) {
            return (uint32_t) bytes[at] << 24 | (uint32_t) bytes[at + 1] << 16 | (uint32_t) bytes[at + 2] << 8 | bytes[at + 3];
        };
        EXPECT_EQ (std::string (bytes.begin(), bytes.begin() + 4), "CcnK");
        EXPECT_EQ (bigEndian (4), bytes.size() - 8);
        EXPECT_EQ (std::string (bytes.begin() + 8, bytes.begin() + 12), "FPCh") << "a chunk preset";
        EXPECT_EQ (std::string (bytes.begin() + 16, bytes.begin() + 20), "OvSe") << "for this plug-in";
        EXPECT_EQ (bigEndian (20), 110u);
        EXPECT_STREQ (reinterpret_cast<const char*> (bytes.data() + 28), preset.name);
        const auto chunkSize = bigEndian (56);
        ASSERT_EQ (chunkSize, bytes.size() - 60);

        ASSERT_NE (open(), nullptr);
        dispatch (effOpen);
        std::vector<unsigned char> chunk (bytes.begin() + 60, bytes.end());
        dispatch (effSetChunk, 1, (t_fstPtrInt) chunk.size(), chunk.data());

        const auto expected = testing_support::presetValues (preset);
        for (int index = 0; index < selvane::numParameters; ++index)
        {
            ASSERT_TRUE (expected[(size_t) index].has_value()) << preset.name;
            EXPECT_EQ (effect->getParameter (effect, index), *expected[(size_t) index])
                << preset.name << " " << selvane::parameterTable[(size_t) index].name;
        }
        dispatch (effClose);
        effect = nullptr;
    }
}
