// Drives the built VST 2.x library the way the oldest hosts do: dlopen, the
// exported entry point with our own host callback, and raw dispatcher calls.

#include <pluginterfaces/vst2.x/aeffectx.h>

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <string>

namespace
{
using EntryPoint = AEffect* (*) (audioMasterCallback);

int hostVersionAnswer = 2400;

t_fstPtrInt hostCallback (AEffect*, int opcode, int, t_fstPtrInt, void*, float)
{
    if (opcode == audioMasterVersion)
        return hostVersionAnswer;
    return 0;
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
