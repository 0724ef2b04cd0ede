// A small VST 2.x host that loads the plug-in library the way hosts do on
// Windows (LoadLibrary) and Linux (dlopen), and checks what a musician would
// notice first: who it says it is, where its echo lands, that its state
// survives a save and a reload, and that a MIDI controller reaches an
// assigned parameter, that two instances live side by side, that the host's
// bypass passes the input, that odd blocks at odd rates stay clean (and, on
// Windows, that the editor shows its pictures).
// Built for Windows with MinGW (run under 32-bit Wine and wine64) and
// for Linux, so the host itself is proven against the native library.
//   selvane-portable-vst-host PATH_TO_LIBRARY
// Prints one line per check; exits 1 if any failed, 2 if the library does not load.

#include "PortableHostChecks.h"
#include "PluginIdentity.h"

#include <pluginterfaces/vst2.x/aeffectx.h>

#include <cstdlib>

#ifndef _WIN32
 #include <dlfcn.h>
#endif

using portable::check;

namespace
{
using EntryPoint = AEffect* (*) (audioMasterCallback);

t_fstPtrInt hostCallback (AEffect*, int opcode, int, t_fstPtrInt, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct Library
{
    explicit Library (const char* path)
    {
#ifdef _WIN32
        handle = (void*) LoadLibraryA (path);
#else
        handle = dlopen (path, RTLD_NOW | RTLD_LOCAL);
#endif
    }

    EntryPoint entry (const char* name) const
    {
#ifdef _WIN32
        return reinterpret_cast<EntryPoint> ((void*) GetProcAddress ((HMODULE) handle, name));
#else
        return reinterpret_cast<EntryPoint> (dlsym (handle, name));
#endif
    }

    void* handle = nullptr;
};

// One opened, running instance.
struct Instance
{
    explicit Instance (EntryPoint entry) : effect (entry (hostCallback))
    {
        if (effect == nullptr)
            return;
        dispatch (effOpen);
        dispatch (effSetSampleRate, 0, 0, nullptr, (float) portable::sampleRate);
        dispatch (effSetBlockSize, 0, blockSize);
        dispatch (effMainsChanged, 0, 1);
    }

    ~Instance()
    {
        if (effect == nullptr)
            return;
        dispatch (effMainsChanged, 0, 0);
        dispatch (effClose);
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

    // Processes one block of the given left/right input; the output lands in left/right.
    void process (std::vector<float>& left, std::vector<float>& right)
    {
        std::vector<float> outLeft (left.size()), outRight (right.size());
        float* ins[] = { left.data(), right.data() };
        float* outs[] = { outLeft.data(), outRight.data() };
        effect->processReplacing (effect, ins, outs, (int) left.size());
        left = outLeft;
        right = outRight;
    }

    void processSilence (int blocks)
    {
        for (int i = 0; i < blocks; ++i)
        {
            std::vector<float> left ((size_t) blockSize), right ((size_t) blockSize);
            process (left, right);
        }
    }

    std::string chunk()
    {
        void* data = nullptr;
        const auto size = dispatch (effGetChunk, 0, 0, &data);
        return size > 0 && data != nullptr ? std::string (static_cast<const char*> (data), (size_t) size) : std::string();
    }

    void setChunk (std::string bytes)
    {
        dispatch (effSetChunk, 0, (t_fstPtrInt) bytes.size(), bytes.data());
    }

    static constexpr int blockSize = portable::blockSize;
    AEffect* effect;
};

// The chunk is magic, text length, the document and a zero byte: swaps one
// element's text and keeps the length right.
std::string withElement (const std::string& chunk, const std::string& tag, const std::string& value)
{
    std::string document = chunk.substr (8, chunk.size() - 9);
    const auto open = "<" + tag + ">", close = "</" + tag + ">";
    const auto start = document.find (open), end = document.find (close);
    if (start == std::string::npos || end == std::string::npos)
        return chunk;
    document.replace (start + open.size(), end - start - open.size(), value);
    std::string result = chunk.substr (0, 4);
    const auto length = (std::uint32_t) document.size();
    for (int i = 0; i < 4; ++i)
        result += (char) ((length >> (8 * i)) & 0xff);
    return result + document + '\0';
}

void sendController (Instance& instance, int controller, int value)
{
    VstMidiEvent event {};
    event.type = kVstMidiType;
    event.byteSize = (int) sizeof (event);
    event.midiData[0] = (unsigned char) 0xb0;
    event.midiData[1] = (unsigned char) controller;
    event.midiData[2] = (unsigned char) value;

    std::vector<char> storage (sizeof (VstEvents) + 2 * sizeof (VstEvent*));
    auto* events = reinterpret_cast<VstEvents*> (storage.data());
    events->numEvents = 1;
    events->events[0] = reinterpret_cast<VstEvent*> (&event);
    instance.dispatch (effProcessEvents, 0, 0, events);

    std::vector<float> left (256), right (256);
    instance.process (left, right);
}
// Where the echo of an impulse lands and its level.
std::pair<int, float> impulseEcho (Instance& plugin)
{
    std::vector<float> left (Instance::blockSize), right (Instance::blockSize);
    left[0] = 1.0f;
    plugin.process (left, right);
    return portable::loudest (left);
}

void setShortHalfTravel (Instance& plugin)
{
    for (auto [index, value] : portable::shortHalfTravel)
        plugin.effect->setParameter (plugin.effect, index, value);
}

// Two instances at once; the second is closed while the first keeps
// processing and answering the host.
void checkTwoInstances (EntryPoint entry)
{
    Instance first (entry);
    setShortHalfTravel (first);
    {
        Instance second (entry);
        second.effect->setParameter (second.effect, portable::feedback, 1.0f);
        second.dispatch (effMainsChanged, 0, 0);
        second.dispatch (effSetBlockSize, 0, 64);  // a block size of its own
        second.dispatch (effMainsChanged, 0, 1);
        for (int i = 0; i < portable::blocksToSettle; ++i)
        {
            first.processSilence (1);
            std::vector<float> left (64), right (64);
            second.process (left, right);
        }
    }
    const auto echo = impulseEcho (first);
    check (portable::echoesAsExpected (echo),
           "with a second instance opened and closed, the first still echoes at " + std::to_string (echo.first));
    VstPinProperties pin {};
    check (first.dispatch (effGetOutputProperties, 1, 0, &pin) == 1 && std::string (pin.label) == "2"
               && first.text (effGetEffectName) == selvane::identity::name,
           "the first instance still answers the host");
}

// The host's bypass (opcode 44, which the free header leaves unnumbered):
// after the first bypassed block the input passes unchanged.
void checkBypass (EntryPoint entry)
{
    Instance plugin (entry);
    plugin.processSilence (2);
    check (plugin.dispatch (44, 0, 1) == 1, "set bypass is answered");
    check (portable::bypassPassesInput ([&] (auto& left, auto& right) { plugin.process (left, right); }),
           "bypassed, the input passes unchanged");
    plugin.dispatch (44, 0, 0);
    check (plugin.dispatch (52) == 0 && plugin.dispatch (78) == 16 && plugin.dispatch (79) == 0,
           "tail size 0, 16 MIDI input channels, 0 output");
}

// Blocks of odd sizes at several rates, with full-scale noise.
void checkHostileBlocks (EntryPoint entry)
{
    Instance plugin (entry);
    plugin.effect->setParameter (plugin.effect, portable::feedback, 1.0f);  // loop gain 1.1
    plugin.effect->setParameter (plugin.effect, portable::gain, 1.0f);      // +10 dB
    portable::HostileBlocks blocks;
    bool clean = true;
    for (double rate : portable::HostileBlocks::rates)
    {
        plugin.dispatch (effMainsChanged, 0, 0);
        plugin.dispatch (effSetSampleRate, 0, 0, nullptr, (float) rate);
        plugin.dispatch (effMainsChanged, 0, 1);
        clean = blocks.allClean ([&] (auto& left, auto& right) { plugin.process (left, right); }) && clean;
    }
    check (clean, std::string (portable::HostileBlocks::description) + ": every sample finite, within ±1");
}

portable::FixedRun fixedRun (EntryPoint entry)
{
    Instance plugin (entry);
    return portable::runFixed ([&] (int index, float value) { plugin.effect->setParameter (plugin.effect, index, value); },
                               [&] (auto& left, auto& right) { plugin.process (left, right); });
}

#ifdef _WIN32
// Opens the editor in a window of ours and reads its pixels back: the cassette
// photograph, the knobs and the tabs are decoded pictures, so a library whose
// PNG or JPEG decoding failed would show a few flat colours instead.
void checkEditorShowsItsPictures (EntryPoint entry)
{
    Instance plugin (entry);
    ERect* rect = nullptr;
    plugin.dispatch (effEditGetRect, 0, 0, &rect);
    const bool sized = rect != nullptr && rect->right - rect->left == 620 && rect->bottom - rect->top == 305;
    check (sized, "editor is 620 x 305");
    if (! sized)
        return;

    HWND window = portable::openHostWindow (620, 305);
    plugin.dispatch (effEditOpen, 0, 0, window);
    const auto pixels = portable::screenOnceItShowsPictures (620, 305, [&] { plugin.dispatch (effEditIdle); });
    const auto colours = portable::countColours (pixels);
    check (colours > portable::picturesColours, "the editor shows its decoded pictures (" + std::to_string (colours) + " colours on screen)");

    plugin.dispatch (effEditClose);
    DestroyWindow (window);
}
#endif
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2 && argc != 3)
    {
        std::fprintf (stderr, "usage: %s PATH_TO_LIBRARY [EXPECTED_OUTPUT_HASH]\n", argv[0]);
        return 2;
    }
    const Library library (argv[1]);
    if (library.handle == nullptr)
    {
        std::fprintf (stderr, "%s: cannot load %s\n", argv[0], argv[1]);
        return 2;
    }

    const auto entry = library.entry ("VSTPluginMain");
    check (entry != nullptr, "exports VSTPluginMain");
    check (library.entry ("main") != nullptr, "exports main");
    if (entry == nullptr)
        return 1;

    {
        Instance plugin (entry);
        check (plugin.effect != nullptr, "VSTPluginMain returns an effect");
        if (plugin.effect == nullptr)
            return 1;
        auto* e = plugin.effect;
        check (e->magic == 0x56737450, "magic 'VstP'");
        namespace identity = selvane::identity;
        check (e->uniqueID == (int) identity::fourCharCode (identity::pluginCode), std::string ("unique ID '") + identity::pluginCode + "'");
        check (e->numParams == 9 && e->numInputs == 2 && e->numOutputs == 2 && e->numPrograms == 1,
               "9 parameters, 2 inputs, 2 outputs, 1 program");
        check (e->version == identity::vst2Version && plugin.dispatch (effGetVendorVersion) == identity::vst2Version,
               "version " + std::to_string (identity::vst2Version));
        check (plugin.text (effGetEffectName) == identity::name, std::string ("effect name \"") + identity::name + "\"");
        check (plugin.text (effGetVendorString) == identity::manufacturer, std::string ("vendor \"") + identity::manufacturer + "\"");
        check (plugin.text (effGetProductString) == identity::name, std::string ("product \"") + identity::name + "\"");
        bool named = true;
        for (int i = 0; i < 9; ++i)
            named = named && plugin.text (effGetParamName, i) == portable::names[i];
        check (named, "parameter names");
        check ((e->flags & effFlagsHasEditor) != 0 && (e->flags & effFlagsProgramChunks) != 0, "editor and chunk flags");
    }

    {
        Instance plugin (entry);
        setShortHalfTravel (plugin);
        plugin.processSilence (portable::blocksToSettle);   // the delay glides onto its length
        const auto echo = impulseEcho (plugin);
        check (portable::echoesAsExpected (echo),
               "impulse echoes at sample " + std::to_string (echo.first) + ", level " + std::to_string (echo.second));
    }

    {
        Instance first (entry);
        first.effect->setParameter (first.effect, portable::dryWet, 0.25f);
        first.effect->setParameter (first.effect, portable::gain, 0.7f);
        const auto saved = first.chunk();
        check (saved.size() > 9 && saved.find ("<DryWet>0.25</DryWet>") != std::string::npos, "chunk holds the document");

        Instance second (entry);
        second.setChunk (saved);
        check (second.chunk() == saved, "chunk restored into a new instance reads back byte for byte");
        check (second.effect->getParameter (second.effect, portable::dryWet) == 0.25f && second.effect->getParameter (second.effect, portable::gain) == 0.7f,
               "restored parameter values");

        // Controller 20 assigned to DryWet through the state, then sent as MIDI.
        second.setChunk (withElement (saved, "midiMapDryWet", "20"));
        sendController (second, 20, 0);
        check (second.effect->getParameter (second.effect, portable::dryWet) == 0.0f, "CC 20 = 0 sets DryWet to 0");
        sendController (second, 20, 127);
        check (second.effect->getParameter (second.effect, portable::dryWet) == 1.0f, "CC 20 = 127 sets DryWet to 1");
        sendController (second, 21, 0);
        check (second.effect->getParameter (second.effect, portable::dryWet) == 1.0f, "an unassigned controller changes nothing");
    }

    checkTwoInstances (entry);
    checkBypass (entry);
    checkHostileBlocks (entry);

#ifdef _WIN32
    checkEditorShowsItsPictures (entry);
#endif

    portable::checkRecordedHash (fixedRun (entry), argc == 3 ? argv[2] : nullptr);
    return portable::summary();
}
