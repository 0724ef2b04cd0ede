// A small VST3 host on the interfaces of the VST3 SDK, loading the plug-in's
// bundle the way hosts do (the module for this platform and architecture
// inside it, its entry functions, the factory, a component and its edit
// controller connected to each other) and checking what a musician would
// notice first: who it says it is, the channel layouts it takes, where its
// echo lands, its parameters' texts, that its state survives a save and a
// reload (also across platforms), the host's bypass, two instances side by
// side, odd blocks at odd rates, its output bit for bit, and, on Windows,
// the editor in a window of ours at content scale 1 and 2.
// Built for Windows with MinGW (run under wine64 and 32-bit Wine) and for
// Linux, so the host itself is proven against the native bundle and the two
// platforms' answers can be compared.
//   selvane-portable-vst3-host BUNDLE [options]
//     --hash RECORDED       the fixed run's output hash this build must give
//     --transcript FILE     writes the platform-independent answers (identity,
//                           layouts, parameters and their texts, the echo)
//     --save-state FILE     writes a state saved with DryWet 0.25 and Gain 0.7
//     --load-state FILE     loads a state saved so (by another build) into a new instance
//     --shots DIR           writes the editor's pixels as DIR/editor-scaleN.ppm (Windows)
// Prints one line per check; exits 1 if any failed, 2 if the bundle does not load.

#include "PortableHostChecks.h"
#include "PluginIdentity.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>

#ifndef _WIN32
 #include <dlfcn.h>
#endif

namespace Steinberg
{
DEF_CLASS_IID (IPlugView)
DEF_CLASS_IID (IPlugFrame)
DEF_CLASS_IID (IPlugViewContentScaleSupport)
} // namespace Steinberg

using namespace Steinberg;
using namespace Steinberg::Vst;
using portable::check;

namespace
{
std::string narrow (const char16* text)
{
    std::string result;
    for (; text != nullptr && *text != 0; ++text)
        result += (*text < 128) ? (char) *text : '?';
    return result;
}

// A class ID as the SDK writes it, the same on every platform (Windows
// keeps the bytes of a TUID in COM's order).
std::string classId (const TUID id)
{
    char8 text[40] = {};
    FUID::fromTUID (id).toString (text);
    return text;
}

std::string readFile (const std::string& path)
{
    std::ifstream in (path, std::ios::binary);
    return std::string (std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>());
}

// An object of the host's own, on its stack or in its instance: hosts keep
// them alive for as long as the plug-in may use them.
template <typename Interface>
tresult answerFor (Interface* self, const TUID iid, void** object)
{
    if (FUnknownPrivate::iidEqual (iid, Interface::iid) || FUnknownPrivate::iidEqual (iid, FUnknown::iid))
    {
        *object = self;
        return kResultOk;
    }
    *object = nullptr;
    return kNoInterface;
}

#define SELVANE_HOST_OWNED(Interface)                                                                          \
    tresult PLUGIN_API queryInterface (const TUID iid, void** object) override { return answerFor<Interface> (this, iid, object); } \
    uint32 PLUGIN_API addRef() override { return 1; }                                                          \
    uint32 PLUGIN_API release() override { return 1; }

class ValueQueue final : public IParamValueQueue
{
public:
    SELVANE_HOST_OWNED (IParamValueQueue)

    ParamID PLUGIN_API getParameterId() override { return id; }
    int32 PLUGIN_API getPointCount() override { return count; }

    tresult PLUGIN_API getPoint (int32 index, int32& sampleOffset, ParamValue& value) override
    {
        if (index < 0 || index >= count)
            return kResultFalse;
        sampleOffset = points[index].first;
        value = points[index].second;
        return kResultOk;
    }

    tresult PLUGIN_API addPoint (int32 sampleOffset, ParamValue value, int32& index) override
    {
        if (count == capacity)
            return kResultFalse;
        index = count;
        points[count++] = { sampleOffset, value };
        return kResultOk;
    }

    static constexpr int32 capacity = 16;
    ParamID id = 0;
    int32 count = 0;
    std::pair<int32, ParamValue> points[capacity];
};

class ParameterChanges final : public IParameterChanges
{
public:
    SELVANE_HOST_OWNED (IParameterChanges)

    int32 PLUGIN_API getParameterCount() override { return used; }
    IParamValueQueue* PLUGIN_API getParameterData (int32 index) override
    {
        return index >= 0 && index < used ? &queues[index] : nullptr;
    }

    IParamValueQueue* PLUGIN_API addParameterData (const ParamID& id, int32& index) override
    {
        for (index = 0; index < used; ++index)
            if (queues[index].id == id)
                return &queues[index];
        if (used == capacity)
            return nullptr;
        index = used;
        queues[used] = ValueQueue();
        queues[used].id = id;
        return &queues[used++];
    }

    void add (ParamID id, int32 sampleOffset, ParamValue value)
    {
        int32 index = 0, point = 0;
        if (auto* queue = addParameterData (id, index))
            queue->addPoint (sampleOffset, value, point);
    }

    void clear() { used = 0; }

    static constexpr int32 capacity = 32;
    ValueQueue queues[capacity];
    int32 used = 0;
};

class ComponentHandler final : public IComponentHandler
{
public:
    SELVANE_HOST_OWNED (IComponentHandler)

    tresult PLUGIN_API beginEdit (ParamID) override { return kResultOk; }
    tresult PLUGIN_API performEdit (ParamID id, ParamValue value) override
    {
        edits[id] = value;
        return kResultOk;
    }
    tresult PLUGIN_API endEdit (ParamID) override { return kResultOk; }
    tresult PLUGIN_API restartComponent (int32) override { return kResultOk; }

    std::map<ParamID, ParamValue> edits;
};

// The module inside the bundle for this platform and architecture, with the
// entry functions a host calls after loading it and before unloading it.
class Module
{
public:
    explicit Module (const std::string& bundle)
    {
        auto name = bundle;
        while (! name.empty() && (name.back() == '/' || name.back() == '\\'))
            name.pop_back();
        name = name.substr (name.find_last_of ("/\\") + 1);
        name = name.substr (0, name.rfind (".vst3"));
#ifdef _WIN32
        path = bundle + (sizeof (void*) == 8 ? "/Contents/x86_64-win/" : "/Contents/x86-win/") + name + ".vst3";
        handle = (void*) LoadLibraryA (path.c_str());
#else
        path = bundle + "/Contents/x86_64-linux/" + name + ".so";
        handle = dlopen (path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
        if (handle == nullptr)
            return;
#ifdef _WIN32
        auto* enter = reinterpret_cast<bool (*)()> (symbol ("InitDll"));
        exitFunction = reinterpret_cast<bool (*)()> (symbol ("ExitDll"));
        check (enter != nullptr && exitFunction != nullptr, "exports InitDll and ExitDll");
        entered = enter != nullptr && enter();
#else
        auto* enter = reinterpret_cast<bool (*) (void*)> (symbol ("ModuleEntry"));
        exitFunction = reinterpret_cast<bool (*)()> (symbol ("ModuleExit"));
        check (enter != nullptr && exitFunction != nullptr, "exports ModuleEntry and ModuleExit");
        entered = enter != nullptr && enter (handle);
#endif
        check (entered, "the module's entry function succeeds");
        auto* getFactory = reinterpret_cast<IPluginFactory* (PLUGIN_API*) ()> (symbol ("GetPluginFactory"));
        check (getFactory != nullptr, "exports GetPluginFactory");
        if (getFactory != nullptr)
            factory = owned (getFactory());
    }

    ~Module()
    {
        factory = nullptr;
        if (entered && exitFunction != nullptr)
            check (exitFunction(), "the module's exit function succeeds");
#ifdef _WIN32
        if (handle != nullptr)
            FreeLibrary ((HMODULE) handle);
#else
        if (handle != nullptr)
            dlclose (handle);
#endif
    }

    void* symbol (const char* name) const
    {
#ifdef _WIN32
        return (void*) GetProcAddress ((HMODULE) handle, name);
#else
        return dlsym (handle, name);
#endif
    }

    std::string path;
    void* handle = nullptr;
    bool entered = false;
    bool (*exitFunction)() = nullptr;
    IPtr<IPluginFactory> factory;
};

IPtr<HostApplication> hostApplication;

struct Layout
{
    int inputs, outputs;
};

SpeakerArrangement arrangementOf (int channels)
{
    return channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
}

// One component and its edit controller, connected, set up and processing.
struct Instance
{
    explicit Instance (Module& module, Layout layoutToUse = { 2, 2 }, int maxBlock = portable::blockSize,
                       double rate = portable::sampleRate)
        : layout (layoutToUse)
    {
        TUID processorClass {};
        PClassInfo info;
        for (int32 i = 0; i < module.factory->countClasses(); ++i)
            if (module.factory->getClassInfo (i, &info) == kResultOk && std::string (info.category) == kVstAudioEffectClass)
                std::memcpy (processorClass, info.cid, sizeof (TUID));

        void* object = nullptr;
        if (module.factory->createInstance (processorClass, IComponent::iid, &object) != kResultOk || object == nullptr)
            return;
        component = owned (static_cast<IComponent*> (object));
        if (component->initialize (hostApplication) != kResultOk)
            return;
        processor = FUnknownPtr<IAudioProcessor> (component);

        TUID controllerClass {};
        object = nullptr;
        if (component->getControllerClassId (controllerClass) != kResultOk
            || module.factory->createInstance (controllerClass, IEditController::iid, &object) != kResultOk || object == nullptr)
            return;
        controller = owned (static_cast<IEditController*> (object));
        if (controller->initialize (hostApplication) != kResultOk)
            return;
        componentPoint = FUnknownPtr<IConnectionPoint> (component);
        controllerPoint = FUnknownPtr<IConnectionPoint> (controller);
        if (componentPoint && controllerPoint)
        {
            componentPoint->connect (controllerPoint);
            controllerPoint->connect (componentPoint);
        }
        controller->setComponentHandler (&handler);

        MemoryStream state;
        component->getState (&state);
        state.seek (0, IBStream::kIBSeekSet, nullptr);
        controller->setComponentState (&state);

        for (int32 i = 0; i < controller->getParameterCount(); ++i)
        {
            ParameterInfo parameter {};
            controller->getParameterInfo (i, parameter);
            parameters.push_back (parameter);
        }

        arranged = setLayout (layout);
        for (auto direction : { kInput, kOutput })
            for (int32 bus = 0; bus < component->getBusCount (kAudio, direction); ++bus)
                component->activateBus (kAudio, direction, bus, true);
        start (maxBlock, rate);
    }

    ~Instance()
    {
        if (component == nullptr)
            return;
        stop();
        if (componentPoint && controllerPoint)
        {
            componentPoint->disconnect (controllerPoint);
            controllerPoint->disconnect (componentPoint);
        }
        if (controller != nullptr)
        {
            controller->setComponentHandler (nullptr);
            controller->terminate();
        }
        component->terminate();
    }

    bool ok() const { return processor && controller != nullptr && arranged; }

    bool setLayout (Layout wanted)
    {
        auto in = arrangementOf (wanted.inputs), out = arrangementOf (wanted.outputs);
        return processor && processor->setBusArrangements (&in, 1, &out, 1) == kResultTrue;
    }

    void start (int maxBlock, double rate)
    {
        ProcessSetup setup { kRealtime, kSample32, maxBlock, rate };
        processor->setupProcessing (setup);
        component->setActive (true);
        processor->setProcessing (true);
        running = true;
    }

    void stop()
    {
        if (! running)
            return;
        processor->setProcessing (false);
        component->setActive (false);
        running = false;
    }

    void restart (int maxBlock, double rate)
    {
        stop();
        start (maxBlock, rate);
    }

    ParamID idOf (int index) const { return parameters[(size_t) index].id; }

    // A host's change: the controller learns it at once, the processor with the next block.
    void set (int index, ParamValue value) { set (idOf (index), value); }
    void set (ParamID id, ParamValue value)
    {
        controller->setParamNormalized (id, value);
        changes.add (id, 0, value);
    }

    ParamValue value (int index) const { return controller->getParamNormalized (idOf (index)); }

    const ParameterInfo* bypass() const
    {
        for (const auto& parameter : parameters)
            if ((parameter.flags & ParameterInfo::kIsBypass) != 0)
                return &parameter;
        return nullptr;
    }

    // Processes one block; the outputs replace the channels (as many as the
    // layout's outputs, made from its inputs).
    void process (std::vector<std::vector<float>>& channels)
    {
        const auto samples = channels.empty() ? 0 : (int32) channels[0].size();
        std::vector<float*> inPointers, outPointers;
        std::vector<std::vector<float>> outs ((size_t) layout.outputs, std::vector<float> ((size_t) samples));
        for (int c = 0; c < layout.inputs; ++c)
            inPointers.push_back (channels[(size_t) c].data());
        for (auto& out : outs)
            outPointers.push_back (out.data());

        AudioBusBuffers input {}, output {};
        input.numChannels = layout.inputs;
        input.channelBuffers32 = inPointers.data();
        output.numChannels = layout.outputs;
        output.channelBuffers32 = outPointers.data();
        ParameterChanges outputChanges;
        ProcessData data;
        data.processMode = kRealtime;
        data.symbolicSampleSize = kSample32;
        data.numSamples = samples;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &input;
        data.outputs = &output;
        data.inputParameterChanges = &changes;
        data.outputParameterChanges = &outputChanges;
        processor->process (data);
        changes.clear();
        channels = std::move (outs);
    }

    void process (std::vector<float>& left, std::vector<float>& right)
    {
        std::vector<std::vector<float>> channels { left, right };
        channels.resize ((size_t) layout.inputs);
        process (channels);
        left = channels[0];
        right = channels.size() > 1 ? channels[1] : channels[0];
    }

    void processSilence (int blocks, int size = portable::blockSize)
    {
        for (int i = 0; i < blocks; ++i)
        {
            std::vector<float> left ((size_t) size), right ((size_t) size);
            process (left, right);
        }
    }

    std::pair<int, float> impulseEcho()
    {
        std::vector<float> left (portable::blockSize), right (portable::blockSize);
        left[0] = 1.0f;
        if (layout.inputs == 2)
            right[0] = 1.0f;
        process (left, right);
        return portable::loudest (left);
    }

    std::string state()
    {
        MemoryStream stream;
        if (component->getState (&stream) != kResultOk)
            return {};
        return std::string (stream.getData(), (size_t) stream.getSize());
    }

    tresult setState (const std::string& bytes)
    {
        MemoryStream stream;
        int32 written = 0;
        stream.write (const_cast<char*> (bytes.data()), (int32) bytes.size(), &written);
        stream.seek (0, IBStream::kIBSeekSet, nullptr);
        const auto result = component->setState (&stream);
        stream.seek (0, IBStream::kIBSeekSet, nullptr);
        controller->setComponentState (&stream);
        return result;
    }

    Layout layout;
    IPtr<IComponent> component;
    FUnknownPtr<IAudioProcessor> processor;
    IPtr<IEditController> controller;
    FUnknownPtr<IConnectionPoint> componentPoint, controllerPoint;
    ComponentHandler handler;
    ParameterChanges changes;
    std::vector<ParameterInfo> parameters;
    bool arranged = false, running = false;
};

void setShortHalfTravel (Instance& plugin)
{
    for (auto [index, value] : portable::shortHalfTravel)
        plugin.set (index, value);
}

// Who the factory says it is, each class's answers and IDs (the IDs JUCE
// derives from the plug-in's codes: a project saved on one platform finds
// the plug-in on the other).
void checkFactory (Module& module, std::ostream& transcript)
{
    PFactoryInfo factoryInfo;
    module.factory->getFactoryInfo (&factoryInfo);
    check (std::string (factoryInfo.vendor) == selvane::identity::manufacturer, "factory vendor \"" + std::string (factoryInfo.vendor) + "\"");
    transcript << "factory vendor=" << factoryInfo.vendor << " url=" << factoryInfo.url << " email=" << factoryInfo.email
               << " flags=" << factoryInfo.flags << "\n";

    FUnknownPtr<IPluginFactory2> factory2 (module.factory);
    check (factory2 && module.factory->countClasses() == 2, "a factory of two classes, with class info 2");
    if (! factory2)
        return;
    bool processorFound = false, controllerFound = false;
    for (int32 i = 0; i < module.factory->countClasses(); ++i)
    {
        PClassInfo2 info;
        factory2->getClassInfo2 (i, &info);
        const std::string category = info.category;
        transcript << "class " << i << " cid=" << classId (info.cid) << " category=" << category << " name=" << info.name
                   << " subcategories=" << info.subCategories << " vendor=" << info.vendor << " version=" << info.version
                   << " sdk=" << info.sdkVersion << " flags=" << info.classFlags << "\n";
        if (category == kVstAudioEffectClass)
            processorFound = std::string (info.name) == selvane::identity::name && std::string (info.subCategories) == "Fx|Delay"
                             && std::string (info.vendor) == selvane::identity::manufacturer
                             && std::string (info.version) == selvane::identity::version;
        if (category == kVstComponentControllerClass)
            controllerFound = true;
    }
    check (processorFound, std::string ("an audio effect class \"") + selvane::identity::name + "\", Fx|Delay, by "
                               + selvane::identity::manufacturer + ", version " + selvane::identity::version);
    check (controllerFound, "a component controller class");
}

// The layouts offered (stereo, mono in stereo out, mono), each echoing an
// impulse at the same sample; a layout not offered is refused.
void checkLayouts (Module& module, std::ostream& transcript)
{
    for (const auto& configuration : selvane::identity::channelConfigurations)
    {
        const Layout layout { configuration.inputs, configuration.outputs };
        const auto name = std::to_string (layout.inputs) + "/" + std::to_string (layout.outputs);
        Instance plugin (module, layout);
        SpeakerArrangement in = 0, out = 0;
        const bool taken = plugin.ok() && plugin.processor->getBusArrangement (kInput, 0, in) == kResultOk
                           && plugin.processor->getBusArrangement (kOutput, 0, out) == kResultOk
                           && in == arrangementOf (layout.inputs) && out == arrangementOf (layout.outputs);
        check (taken, "layout " + name + " taken");
        if (! taken)
            continue;
        setShortHalfTravel (plugin);
        plugin.processSilence (portable::blocksToSettle);
        const auto [where, level] = plugin.impulseEcho();
        check (where == portable::echoSample, "layout " + name + ": the impulse echoes at " + std::to_string (where));
        char text[64];
        std::snprintf (text, sizeof (text), "%d %.4f", where, level);
        transcript << "echo " << name << " " << text << "\n";
    }
    Instance plugin (module);
    check (! plugin.setLayout ({ 2, 1 }), "layout 2/1 refused");
}

// Each parameter's answers and texts; each text read back to its value.
void checkParameters (Instance& plugin, std::ostream& transcript)
{
    bool named = plugin.parameters.size() >= 9;
    for (int i = 0; named && i < 9; ++i)
        named = narrow (plugin.parameters[(size_t) i].title) == portable::names[i];
    check (named, "the nine parameters first, by name");
    check (plugin.bypass() != nullptr, "a bypass parameter");

    bool readBack = true;
    for (const auto& parameter : plugin.parameters)
    {
        if (&parameter - plugin.parameters.data() >= 9 && (parameter.flags & ParameterInfo::kIsBypass) == 0)
            continue;
        transcript << "parameter " << parameter.id << " " << narrow (parameter.title) << " short=" << narrow (parameter.shortTitle)
                   << " units=" << narrow (parameter.units) << " steps=" << parameter.stepCount
                   << " default=" << parameter.defaultNormalizedValue << " flags=" << parameter.flags << "\n";
        for (double value : { 0.0, 0.1, 0.25, 0.5, 0.75, 0.9, 1.0 })
        {
            String128 text {};
            plugin.controller->getParamStringByValue (parameter.id, value, text);
            ParamValue back = -1.0;
            const bool parsed = plugin.controller->getParamValueByString (parameter.id, text, back) == kResultOk;
            String128 again {};
            plugin.controller->getParamStringByValue (parameter.id, back, again);
            readBack = readBack && parsed && narrow (again) == narrow (text);
            char line[160];
            std::snprintf (line, sizeof (line), "  %.2f \"%s\" -> %.6f", value, narrow (text).c_str(), back);
            transcript << line << "\n";
        }
    }
    check (readBack, "every parameter's text reads back to a value with the same text");
}

void checkEcho (Module& module)
{
    Instance plugin (module);
    setShortHalfTravel (plugin);
    plugin.processSilence (portable::blocksToSettle);
    const auto echo = plugin.impulseEcho();
    check (portable::echoesAsExpected (echo),
           "impulse echoes at sample " + std::to_string (echo.first) + ", level " + std::to_string (echo.second));
}

// A state saved by this build: DryWet 0.25, Gain 0.7.
std::string savedState (Module& module)
{
    Instance first (module);
    first.set (portable::dryWet, 0.25);
    first.set (portable::gain, 0.7);
    first.processSilence (1, 64);
    return first.state();
}

void checkStateLoads (Module& module, const std::string& saved, const std::string& whose)
{
    Instance second (module);
    check (second.setState (saved) == kResultOk, "a state saved by " + whose + " is accepted");
    check (second.state() == saved, "a state saved by " + whose + " reads back byte for byte from a new instance");
    check (std::abs (second.value (portable::dryWet) - 0.25) < 1e-6 && std::abs (second.value (portable::gain) - 0.7) < 1e-6,
           "a state saved by " + whose + " gives its values (DryWet 0.25, Gain 0.7)");
}

void checkState (Module& module, const std::string& saveTo, const std::string& loadFrom)
{
    const auto saved = savedState (module);
    check (saved.find ("<DryWet>0.25</DryWet>") != std::string::npos, "the state holds the document");
    checkStateLoads (module, saved, "this build");
    if (! saveTo.empty())
    {
        std::ofstream (saveTo, std::ios::binary) << saved;
        std::printf ("state saved to %s\n", saveTo.c_str());
    }
    if (! loadFrom.empty())
    {
        const auto foreign = readFile (loadFrom);
        check (! foreign.empty(), "read " + loadFrom);
        checkStateLoads (module, foreign, "another build");
    }

    Instance plugin (module);
    const auto before = plugin.state();
    for (const std::string& hostile : { std::string(), std::string ("not a state"), std::string (3000, '\xff') })
        plugin.setState (hostile);
    check (plugin.state() == before, "an empty or foreign state changes nothing");
}

// The host's bypass: after the first bypassed block the input passes unchanged.
void checkBypass (Module& module)
{
    Instance plugin (module);
    plugin.processSilence (2);
    const auto* bypass = plugin.bypass();
    if (bypass == nullptr)
        return;
    plugin.set (bypass->id, 1.0);
    check (portable::bypassPassesInput ([&] (auto& left, auto& right) { plugin.process (left, right); }),
           "bypassed, the input passes unchanged");
    FUnknownPtr<IAudioProcessor> processor (plugin.component);
    check (processor->getLatencySamples() == 0 && processor->getTailSamples() == kInfiniteTail, "latency 0, an infinite tail");
}

// Blocks longer than the announced 512 samples, and none, at several rates.
void checkHostileBlocks (Module& module)
{
    Instance plugin (module, { 2, 2 }, 512);
    plugin.set (portable::feedback, 1.0);  // loop gain 1.1
    plugin.set (portable::gain, 1.0);      // +10 dB
    portable::HostileBlocks blocks;
    bool clean = true;
    for (double rate : portable::HostileBlocks::rates)
    {
        plugin.restart (512, rate);
        clean = blocks.allClean ([&] (auto& left, auto& right) { plugin.process (left, right); }) && clean;
    }
    check (clean, std::string (portable::HostileBlocks::description) + " (512 announced): every sample finite, within ±1");
}

// Two instances at once; the second is closed while the first keeps
// processing and answering the host.
void checkTwoInstances (Module& module)
{
    Instance first (module);
    setShortHalfTravel (first);
    {
        Instance second (module, { 2, 2 }, 64);
        second.set (portable::feedback, 1.0);
        for (int i = 0; i < portable::blocksToSettle; ++i)
        {
            first.processSilence (1);
            second.processSilence (1, 64);
        }
    }
    const auto echo = first.impulseEcho();
    check (portable::echoesAsExpected (echo),
           "with a second instance opened and closed, the first still echoes at " + std::to_string (echo.first));
    check (first.controller->getParameterCount() == (int32) first.parameters.size() && first.state().size() > 9,
           "the first instance still answers the host");
}

portable::FixedRun fixedRun (Module& module)
{
    Instance plugin (module);
    return portable::runFixed ([&] (int index, float value) { plugin.set (index, value); },
                               [&] (auto& left, auto& right) { plugin.process (left, right); });
}

#ifdef _WIN32
// The host's side of the editor's window: the plug-in asks it for a new size.
class PlugFrame final : public IPlugFrame
{
public:
    SELVANE_HOST_OWNED (IPlugFrame)

    tresult PLUGIN_API resizeView (IPlugView* view, ViewRect* size) override
    {
        SetWindowPos (window, nullptr, 0, 0, size->getWidth(), size->getHeight(), SWP_NOMOVE | SWP_NOZORDER);
        view->onSize (size);
        return kResultTrue;
    }

    HWND window = nullptr;
};

// The editor in a window of ours, at content scale 1 and 2: its size, and its
// pixels read back (written as pictures for the script to compare).
void checkEditor (Instance& plugin, const std::string& shots)
{
    for (int scale : { 1, 2 })
    {
        IPtr<IPlugView> view = owned (plugin.controller->createView (ViewType::kEditor));
        check (view != nullptr && view->isPlatformTypeSupported (kPlatformTypeHWND) == kResultTrue,
               "scale " + std::to_string (scale) + ": an editor view for a Win32 window");
        if (view == nullptr)
            return;
        PlugFrame frame;
        frame.window = portable::openHostWindow (620, 305);
        view->setFrame (&frame);
        check (view->attached (frame.window, kPlatformTypeHWND) == kResultOk, "scale " + std::to_string (scale) + ": attached");
        FUnknownPtr<IPlugViewContentScaleSupport> scaling (view);
        check (scaling && scaling->setContentScaleFactor ((float) scale) == kResultTrue,
               "scale " + std::to_string (scale) + ": the content scale is taken");
        portable::pumpMessages (200);
        ViewRect size;
        view->getSize (&size);
        const int width = 620 * scale, height = 305 * scale;
        check (size.getWidth() == width && size.getHeight() == height,
               "scale " + std::to_string (scale) + ": the editor is " + std::to_string (size.getWidth()) + " x "
                   + std::to_string (size.getHeight()));
        SetWindowPos (frame.window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        const auto pixels = portable::screenOnceItShowsPictures (width, height, [] {});
        const auto colours = portable::countColours (pixels);
        check (colours > portable::picturesColours,
               "scale " + std::to_string (scale) + ": the editor shows its decoded pictures (" + std::to_string (colours) + " colours)");
        if (! shots.empty())
            portable::writePpm (shots + "/editor-scale" + std::to_string (scale) + ".ppm", pixels, width, height);
        view->removed();
        view->setFrame (nullptr);
        DestroyWindow (frame.window);
    }
}
#endif
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf (stderr,
                      "usage: %s BUNDLE [--hash RECORDED] [--transcript FILE] [--save-state FILE] [--load-state FILE] [--shots DIR]\n",
                      argv[0]);
        return 2;
    }
    std::map<std::string, std::string> options;
    for (int i = 2; i < argc; i += 2)
    {
        const std::string option = argv[i];
        if (i + 1 >= argc || (option != "--hash" && option != "--transcript" && option != "--save-state"
                              && option != "--load-state" && option != "--shots"))
        {
            std::fprintf (stderr, "%s: unknown option or missing value: %s\n", argv[0], argv[i]);
            return 2;
        }
        options[option] = argv[i + 1];
    }

    hostApplication = owned (new HostApplication());
    {
        Module module (argv[1]);
        if (module.handle == nullptr)
        {
            std::fprintf (stderr, "%s: cannot load %s\n", argv[0], module.path.c_str());
            return 2;
        }
        if (module.factory == nullptr)
            return portable::summary();

        std::ostringstream transcript;
        checkFactory (module, transcript);
        {
            Instance plugin (module);
            check (plugin.ok(), "a component and its controller, connected, processing in stereo");
            if (! plugin.ok())
                return portable::summary();
            checkParameters (plugin, transcript);
        }
        checkLayouts (module, transcript);
        checkEcho (module);
        checkState (module, options["--save-state"], options["--load-state"]);
        checkBypass (module);
        checkHostileBlocks (module);
        checkTwoInstances (module);
#ifdef _WIN32
        {
            Instance plugin (module);
            checkEditor (plugin, options["--shots"]);
        }
#endif
        const auto recorded = options.count ("--hash") != 0 ? options["--hash"].c_str() : nullptr;
        portable::checkRecordedHash (fixedRun (module), recorded);

        if (options.count ("--transcript") != 0)
            std::ofstream (options["--transcript"], std::ios::binary) << transcript.str();
    }
    hostApplication = nullptr;
    return portable::summary();
}
