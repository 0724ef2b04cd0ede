#include "host/aax/AaxEffect.h"
#include "host/aax/AcfExports.h"

#include "engine/VelmorAudioProcessor.h"

#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

namespace
{
std::string fourChars (AAX_CPropertyValue value)
{
    const auto v = (uint32_t) value;
    return { (char) (v >> 24), (char) (v >> 16), (char) (v >> 8), (char) v };
}

// A collection that writes down every call made on it and on what it hands out.
struct Recorder
{
    std::vector<std::string> calls;
    void note (const std::string& call) { calls.push_back (call); }
};

struct RecordingPropertyMap : AAX_IPropertyMap
{
    explicit RecordingPropertyMap (Recorder& r) : recorder (r) {}
    AAX_Result AddProperty (AAX_EProperty property, AAX_CPropertyValue value) override
    {
        std::ostringstream call;
        call << "property " << property << " = " << value;
        if (property == AAX_eProperty_ManufacturerID || property == AAX_eProperty_ProductID
            || property == AAX_eProperty_PlugInID_Native || property == AAX_eProperty_PlugInID_AudioSuite)
            call << " '" << fourChars (value) << "'";
        recorder.note (call.str());
        return AAX_SUCCESS;
    }
    Recorder& recorder;
};

struct RecordingComponent : AAX_IComponentDescriptor
{
    explicit RecordingComponent (Recorder& r) : recorder (r), properties (r) {}
    AAX_Result AddAudioIn (AAX_CFieldIndex f) override { return note ("audio in", f); }
    AAX_Result AddAudioOut (AAX_CFieldIndex f) override { return note ("audio out", f); }
    AAX_Result AddAudioBufferLength (AAX_CFieldIndex f) override { return note ("buffer length", f); }
    AAX_Result AddDataInPort (AAX_CFieldIndex f, uint32_t size) override { return note ("data in " + std::to_string (size), f); }
    AAX_Result AddMIDINode (AAX_CFieldIndex f, AAX_EMIDINodeType type, const char* name, uint32_t mask) override
    {
        std::ostringstream call;
        call << "midi node " << type << " '" << name << "' mask " << std::hex << mask;
        return note (call.str(), f);
    }
    AAX_Result AddPrivateData (AAX_CFieldIndex f, int32_t size) override { return note ("private data " + std::to_string (size), f); }
    AAX_IPropertyMap* NewPropertyMap() override
    {
        recorder.note ("new property map");
        return &properties;
    }
    AAX_Result AddProcessProc_Native (AAX_CProcessProc proc, AAX_IPropertyMap* map) override
    {
        recorder.note (std::string ("native process") + (map == &properties ? " with its map" : " with another map"));
        process = proc;
        return AAX_SUCCESS;
    }
    AAX_Result note (const std::string& what, AAX_CFieldIndex field)
    {
        recorder.note (what + " @" + std::to_string (field));
        return AAX_SUCCESS;
    }
    Recorder& recorder;
    RecordingPropertyMap properties;
    AAX_CProcessProc process = nullptr;
};

struct RecordingDescriptor : AAX_IEffectDescriptor
{
    explicit RecordingDescriptor (Recorder& r) : recorder (r) {}
    AAX_IComponentDescriptor* NewComponentDescriptor() override
    {
        recorder.note ("new component");
        components.push_back (std::make_unique<RecordingComponent> (recorder));
        return components.back().get();
    }
    AAX_Result AddComponent (AAX_IComponentDescriptor*) override
    {
        recorder.note ("add component");
        return AAX_SUCCESS;
    }
    AAX_Result AddName (const char* name) override
    {
        recorder.note (std::string ("name '") + name + "'");
        return AAX_SUCCESS;
    }
    AAX_Result AddCategory (uint32_t category) override
    {
        recorder.note ("category " + std::to_string (category));
        return AAX_SUCCESS;
    }
    AAX_Result AddProcPtr (void* proc, AAX_CProcPtrID id) override
    {
        recorder.note (std::string ("proc ") + id);
        procs[id] = proc;
        return AAX_SUCCESS;
    }
    Recorder& recorder;
    std::vector<std::unique_ptr<RecordingComponent>> components;
    std::map<std::string, void*> procs;
};

struct RecordingCollection : AAX_ICollection
{
    AAX_IEffectDescriptor* NewDescriptor() override
    {
        recorder.note ("new descriptor");
        if (! handsOutDescriptors)
            return nullptr;
        descriptor = std::make_unique<RecordingDescriptor> (recorder);
        return descriptor.get();
    }
    AAX_Result AddEffect (const char* id, AAX_IEffectDescriptor* d) override
    {
        recorder.note (std::string ("effect '") + id + "'" + (d == descriptor.get() ? " with its descriptor" : ""));
        return AAX_SUCCESS;
    }
    AAX_Result SetManufacturerName (const char* name) override
    {
        recorder.note (std::string ("manufacturer '") + name + "'");
        return AAX_SUCCESS;
    }
    AAX_Result AddPackageName (const char* name) override
    {
        recorder.note (std::string ("package name '") + name + "'");
        return AAX_SUCCESS;
    }
    AAX_Result SetPackageVersion (uint32_t version) override
    {
        std::ostringstream call;
        call << "package version 0x" << std::hex << version;
        recorder.note (call.str());
        return AAX_SUCCESS;
    }
    Recorder recorder;
    bool handsOutDescriptors = true;
    std::unique_ptr<RecordingDescriptor> descriptor;
};

std::vector<std::string> componentCalls (int index, int inStem, int outStem)
{
    const auto native = std::to_string (('j' << 24 | 'c' << 16 | 'a' << 8 | 'a') + index);
    const auto suite = std::to_string (('j' << 24 | 'y' << 16 | 'a' << 8 | 'a') + index);
    const char suffix = (char) ('a' + index);
    return { "new component",
             "audio in @0",
             "audio out @1",
             "buffer length @2",
             "data in 4 @3",
             "midi node 0 'Selvane' mask ffff @4",
             "private data 8 @5",
             "new property map",
             "property 1 = " + std::to_string ('O' << 24 | 'r' << 16 | 'V' << 8 | 'e') + " 'OrVe'",
             "property 2 = " + std::to_string ('O' << 24 | 'v' << 16 | 'S' << 8 | 'e') + " 'OvSe'",
             "property 7 = 1",
             "property 5 = " + std::to_string (inStem),
             "property 6 = " + std::to_string (outStem),
             "property 3 = " + native + " 'jca" + suffix + "'",
             "property 4 = " + suite + " 'jya" + suffix + "'",
             "property 8 = 1",
             "native process with its map",
             "add component" };
}
} // namespace

TEST (AaxDescription, DescribesTheEffectItsThreeLayoutsAndItsPackage)
{
    RecordingCollection collection;
    ASSERT_EQ (GetEffectDescriptions (&collection), AAX_SUCCESS);

    std::vector<std::string> expected { "new descriptor",
                                        "name 'OV - Selvane'",
                                        "name 'Selvane'",
                                        "category 16",
                                        "proc AAX_ProcPtrID_Create_EffectGUI",
                                        "proc AAX_ProcPtrID_Create_EffectParameters" };
    for (const auto& calls : { componentCalls (0, 0x10002, 0x10002), componentCalls (1, 1, 0x10002), componentCalls (2, 1, 1) })
        expected.insert (expected.end(), calls.begin(), calls.end());
    for (const char* tail : { "effect 'com.Orvelle.Selvane' with its descriptor", "manufacturer 'Orvelle'",
                              "package name 'OV - Selvane'", "package name 'Selvane'", "package version 0x10100" })
        expected.emplace_back (tail);

    EXPECT_EQ (collection.recorder.calls, expected);
    ASSERT_EQ (collection.descriptor->components.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (collection.descriptor->components[(size_t) i]->process, selvane::aax::processProcedureFor (i)) << i;
    EXPECT_NE (selvane::aax::processProcedureFor (0), selvane::aax::processProcedureFor (2));
    EXPECT_EQ (selvane::aax::processProcedureFor (3), nullptr);
}

TEST (AaxDescription, WithoutADescriptorNothingIsAdded)
{
    RecordingCollection collection;
    collection.handsOutDescriptors = false;
    EXPECT_EQ (GetEffectDescriptions (&collection), AAX_ERROR_NULL_OBJECT);
    EXPECT_EQ (collection.recorder.calls, std::vector<std::string> { "new descriptor" });
    EXPECT_EQ (GetEffectDescriptions (nullptr), AAX_ERROR_NULL_OBJECT);
}

TEST (AaxEffectParameters, IdsNamesAndTheMasterBypass)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    selvane::aax::EffectParameters parameters;
    ASSERT_EQ (parameters.getNumParameters(), 10);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ (parameters.getParameterID (i), juce::String (i));
    EXPECT_EQ (parameters.getParameterID (9), "MasterBypassID");
    EXPECT_EQ (parameters.getParameterName ("0", 31), "DelayTime");
    EXPECT_EQ (parameters.getParameterName ("0", 4), "Dela");
    EXPECT_EQ (parameters.getParameterName ("1", 4), "Dela");
    EXPECT_EQ (parameters.getParameterName ("8", 31), "Gain");
    EXPECT_EQ (parameters.getParameterName ("9", 31), "");
    EXPECT_EQ (parameters.getParameterName ("MasterBypassID", 31), "Master Bypass");
    EXPECT_EQ (parameters.getParameterName ("MasterBypassID", 8), "Mast Byp");
    EXPECT_EQ (parameters.getParameterName ("MasterBypassID", 6), "MstByp");
    EXPECT_EQ (parameters.getParameterName ("MasterBypassID", 4), "MByp");
    EXPECT_FLOAT_EQ (parameters.getDefaultValue ("2"), 0.33f);
    EXPECT_EQ (parameters.getValueText ("2", 31), "0.33");
    EXPECT_EQ (parameters.getValueText ("MasterBypassID", 31), "Off");

    parameters.setValue ("7", 1.7f);  // relative moves beyond the range are clamped
    EXPECT_EQ (parameters.getValue ("7"), 1.0f);
    parameters.setValue ("MasterBypassID", 1.0f);
    EXPECT_TRUE (parameters.isBypassed());
    EXPECT_EQ (parameters.getValueText ("MasterBypassID", 31), "Bypassed");
    EXPECT_EQ (parameters.getValueText ("MasterBypassID", 4), "Byp");
}

TEST (AaxEffectParameters, RestoringTheChunkReportsEveryParameter)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    selvane::aax::EffectParameters source, target;
    source.setValue ("4", 0.8f);
    const auto chunk = source.getChunk();

    std::vector<std::pair<juce::String, float>> reported;
    target.onHostValueChanged = [&] (const juce::String& id, float value) { reported.emplace_back (id, value); };
    target.setChunk (chunk.getData(), (int) chunk.getSize());
    ASSERT_EQ (reported.size(), 9u);
    EXPECT_EQ (reported[4], std::make_pair (juce::String ("4"), 0.8f));
}

TEST (AaxEffectParameters, NativeProcessRunsEachInstanceInPlaceWithItsMidi)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    selvane::aax::EffectParameters parameters;
    parameters.getProcessor().setParameter (7, 0.0f);  // dry only
    parameters.getProcessor().setParameter (selvane::kMode, 0.0f);

    float inL[64], inR[64], outL[64], outR[64];
    std::fill (inL, inL + 64, 0.5f);
    std::fill (inR, inR + 64, -0.5f);
    float* ins[] = { inL, inR };
    float* outs[] = { outL, outR };
    const int32_t length = 64, bypassOff = 0;
    const juce::uint8 cc[] = { 0xb0, 20, 127 };
    const juce::uint8* messages[] = { cc };
    const selvane::aax::AAXMidiEvents midi { messages, 1 };
    selvane::aax::EffectParameters* instance = &parameters;
    dynamic_cast<VelmorAudioProcessor&> (parameters.getProcessor()).midiMap[selvane::kPingPong] = 20;

    selvane::aax::AlgorithmContext context { ins, outs, &length, &bypassOff, &midi, &instance };
    void* contexts[] = { &context };
    selvane::aax::processProcedureFor (0) (contexts, contexts + 1);

    EXPECT_EQ (parameters.getValue ("4"), 1.0f);  // the CC reached the processor
    EXPECT_NE (outL[63], 0.0f);
    EXPECT_EQ (inL[0], 0.5f);                     // the inputs are left alone

    const int32_t bypassOn = 1;
    context.bypass = &bypassOn;
    selvane::aax::processProcedureFor (0) (contexts, contexts + 1);  // the echo fades out into the input
    std::fill (outL, outL + 64, 0.0f);
    selvane::aax::processProcedureFor (0) (contexts, contexts + 1);
    EXPECT_EQ (outL[10], 0.5f);                   // bypassed: the input passes as it came
}

TEST (AcfExports, RegisterThePluginAndReportTheSdkVersion)
{
    IACFPluginDefinition* definition = nullptr;
    ASSERT_EQ (ACFRegisterPlugin (nullptr, &definition), ACF_OK);
    std::unique_ptr<IACFPluginDefinition> owned (definition);
    auto* plugin = dynamic_cast<selvane::aax::PluginDefinition*> (definition);
    ASSERT_NE (plugin, nullptr);
    ASSERT_EQ (plugin->effects.count ("com.Orvelle.Selvane"), 1u);
    const auto& effect = plugin->effects.at ("com.Orvelle.Selvane");
    EXPECT_EQ (effect.names, (std::vector<std::string> { "OV - Selvane", "Selvane" }));
    EXPECT_EQ (effect.category, AAX_ePlugInCategory_Delay);
    ASSERT_EQ (effect.components.size(), 3u);
    EXPECT_EQ (effect.components[2].properties.at (AAX_eProperty_InputStemFormat), (int) AAX_eStemFormat_Mono);
    EXPECT_EQ (plugin->manufacturer, "Orvelle");
    EXPECT_EQ (plugin->packageVersion, 0x10100u);

    EXPECT_EQ (ACFRegisterPlugin (nullptr, nullptr), ACF_E_POINTER);

    acfUInt64 version = 0;
    ASSERT_EQ (ACFGetSDKVersion (&version), ACF_OK);
    EXPECT_EQ (version >> 32, 0x201u);
    EXPECT_EQ (version & 0xffffffffu, 7820991u);

    void* factory = &version;
    EXPECT_EQ (ACFGetClassFactory (nullptr, {}, {}, &factory), ACF_E_CLASSNOTREG);
    EXPECT_EQ (factory, nullptr);
}

TEST (AcfExports, StartUpKeepsTheHostAndUnloadingWaitsForLiveObjects)
{
    struct Host : IACFUnknown {} host;
    EXPECT_EQ (ACFStartup (&host), ACF_OK);
    EXPECT_EQ (selvane::aax::startedHost(), &host);
    EXPECT_EQ (ACFCanUnloadNow (&host), ACF_OK);
    {
        const juce::ScopedJuceInitialiser_GUI juce;
        std::unique_ptr<selvane::aax::EffectParameters> instance (
            static_cast<selvane::aax::EffectParameters*> (selvane::aax::createEffectParameters()));
        EXPECT_EQ (ACFCanUnloadNow (&host), ACF_FALSE);
    }
    EXPECT_EQ (ACFCanUnloadNow (&host), ACF_OK);
    EXPECT_EQ (ACFShutdown (&host), ACF_OK);
    EXPECT_EQ (selvane::aax::startedHost(), nullptr);
}

// Each configuration's procedure runs its instances with that configuration's
// channels: a mono instance's second channel pointers are never touched (here
// they are null), and one input feeding two outputs echoes on both.
TEST (AaxEffectParameters, EachLayoutProcessesWithItsOwnChannelCount)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    struct Case { int configuration, outputs; };
    for (const auto layout : { Case { 2, 1 }, Case { 1, 2 } })
    {
        selvane::aax::EffectParameters parameters;
        auto& processor = parameters.getProcessor();
        processor.setParameter (selvane::kDryWet, 1.0f);  // echoes only
        processor.setParameter (selvane::kMode, 0.0f);    // short: 5 ms at "DelayTime" 0

        std::vector<float> in (4096, 0.0f), outL (4096, 0.0f), outR (4096, 0.0f);
        in[0] = 0.5f;
        float* ins[] = { in.data(), nullptr };
        float* outs[] = { outL.data(), layout.outputs == 2 ? outR.data() : nullptr };
        const int32_t length = 4096, bypassOff = 0;
        const selvane::aax::AAXMidiEvents midi { nullptr, 0 };
        selvane::aax::EffectParameters* instance = &parameters;
        selvane::aax::AlgorithmContext context { ins, outs, &length, &bypassOff, &midi, &instance };
        void* contexts[] = { &context };
        selvane::aax::processProcedureFor (layout.configuration) (contexts, contexts + 1);

        EXPECT_EQ (processor.getTotalNumInputChannels(), 1) << layout.configuration;
        EXPECT_EQ (processor.getTotalNumOutputChannels(), layout.outputs) << layout.configuration;
        const auto loudest = [] (const std::vector<float>& x) {
            return *std::max_element (x.begin(), x.end(), [] (float a, float b) { return std::abs (a) < std::abs (b); });
        };
        EXPECT_GT (std::abs (loudest (outL)), 0.05f) << layout.configuration;
        if (layout.outputs == 2)
            EXPECT_GT (std::abs (loudest (outR)), 0.05f) << "the mono input echoes on the right too";
    }
}
