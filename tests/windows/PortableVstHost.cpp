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

#include <pluginterfaces/vst2.x/aeffectx.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
 #include <windows.h>
 #include <algorithm>
#else
 #include <dlfcn.h>
#endif

namespace
{
using EntryPoint = AEffect* (*) (audioMasterCallback);

int failures = 0;

void check (bool ok, const std::string& what)
{
    std::printf ("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (! ok)
        ++failures;
}

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
        dispatch (effSetSampleRate, 0, 0, nullptr, 48000.0f);
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

    static constexpr int blockSize = 8192;
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
// Short mode at half travel: 52.5 ms, 2520 samples at 48 kHz. Returns where
// the echo of an impulse lands and its level, after the delay has settled.
std::pair<int, float> impulseEcho (Instance& plugin)
{
    std::vector<float> left (Instance::blockSize), right (Instance::blockSize);
    left[0] = 1.0f;
    plugin.process (left, right);
    int loudest = 100;
    for (int i = 100; i < Instance::blockSize; ++i)
        if (std::abs (left[(size_t) i]) > std::abs (left[(size_t) loudest]))
            loudest = i;
    return { loudest, left[(size_t) loudest] };
}

void setShortHalfTravel (Instance& plugin)
{
    plugin.effect->setParameter (plugin.effect, 2, 0.0f);
    plugin.effect->setParameter (plugin.effect, 0, 0.5f);
}

// Two instances at once; the second is closed while the first keeps
// processing and answering the host.
void checkTwoInstances (EntryPoint entry)
{
    Instance first (entry);
    setShortHalfTravel (first);
    {
        Instance second (entry);
        second.effect->setParameter (second.effect, 1, 1.0f);
        second.dispatch (effMainsChanged, 0, 0);
        second.dispatch (effSetBlockSize, 0, 64);  // a block size of its own
        second.dispatch (effMainsChanged, 0, 1);
        for (int i = 0; i < 200; ++i)
        {
            first.processSilence (1);
            std::vector<float> left (64), right (64);
            second.process (left, right);
        }
    }
    const auto [where, level] = impulseEcho (first);
    check (where == 2520 && std::abs (level - 0.55f * 0.99739f * 0.92704f) < 0.002f,
           "with a second instance opened and closed, the first still echoes at 2520 (found " + std::to_string (where) + ")");
    VstPinProperties pin {};
    check (first.dispatch (effGetOutputProperties, 1, 0, &pin) == 1 && std::string (pin.label) == "2"
               && first.text (effGetEffectName) == "Selvane",
           "the first instance still answers the host");
}

// The host's bypass (opcode 44, which the free header leaves unnumbered):
// after the first bypassed block the input passes unchanged.
void checkBypass (EntryPoint entry)
{
    Instance plugin (entry);
    plugin.processSilence (2);
    check (plugin.dispatch (44, 0, 1) == 1, "set bypass is answered");
    bool unchanged = true;
    for (int block = 0; block < 3; ++block)
    {
        std::vector<float> left (Instance::blockSize), right (Instance::blockSize);
        for (int i = 0; i < Instance::blockSize; ++i)
            left[(size_t) i] = right[(size_t) i] = 0.3f * (float) std::sin (0.01 * (block * Instance::blockSize + i));
        const auto input = left;
        plugin.process (left, right);
        if (block > 0)
            unchanged = unchanged && left == input && right == input;
    }
    check (unchanged, "bypassed, the input passes unchanged");
    plugin.dispatch (44, 0, 0);
    check (plugin.dispatch (52) == 0 && plugin.dispatch (78) == 16 && plugin.dispatch (79) == 0,
           "tail size 0, 16 MIDI input channels, 0 output");
}

// Blocks of odd sizes (none, one sample, and more than the announced size) at
// several rates, with full-scale noise: every output sample a number within ±1.
void checkHostileBlocks (EntryPoint entry)
{
    Instance plugin (entry);
    plugin.effect->setParameter (plugin.effect, 1, 1.0f);  // loop gain 1.1
    plugin.effect->setParameter (plugin.effect, 8, 1.0f);  // +10 dB
    std::uint32_t noise = 1;
    bool clean = true;
    for (float rate : { 44100.0f, 96000.0f, 192000.0f })
    {
        plugin.dispatch (effMainsChanged, 0, 0);
        plugin.dispatch (effSetSampleRate, 0, 0, nullptr, rate);
        plugin.dispatch (effMainsChanged, 0, 1);
        for (int size : { 0, 1, 16384, 65536, 1, 8192 })
        {
            std::vector<float> left ((size_t) size), right ((size_t) size);
            for (int i = 0; i < size; ++i)
            {
                noise = noise * 1664525u + 1013904223u;
                left[(size_t) i] = (float) (noise >> 8) / 8388608.0f - 1.0f;
                right[(size_t) i] = -left[(size_t) i];
            }
            plugin.process (left, right);
            for (int i = 0; i < size; ++i)
                clean = clean && std::isfinite (left[(size_t) i]) && std::abs (left[(size_t) i]) <= 1.0f
                        && std::isfinite (right[(size_t) i]) && std::abs (right[(size_t) i]) <= 1.0f;
        }
    }
    check (clean, "blocks of 0, 1, 16384 and 65536 samples at 44.1, 96 and 192 kHz: every sample finite, within ±1");
}

// A fixed run through the library's audio path, bit for bit: bursts of noise
// and steady tones in 48 kHz blocks of 8192, every parameter turned at fixed
// blocks (the controls smooth, the delay glides, ping-pong, both filters,
// the gain), and the FNV-1a hash of every output sample's bits. Any change to
// what the library computes changes it.
std::uint64_t outputHash (EntryPoint entry)
{
    Instance plugin (entry);
    std::uint64_t hash = 0xcbf29ce484222325ull;
    std::uint32_t noise = 7;
    const std::pair<int, float> turns[] = { { 0, 0.3f }, { 1, 0.8f }, { 4, 0.6f }, { 5, 0.4f }, { 6, 0.3f }, { 3, 0.2f },
                                            { 7, 0.7f }, { 8, 0.8f }, { 2, 0.0f }, { 0, 0.9f }, { 2, 0.5f }, { 1, 1.0f } };
    for (int block = 0; block < 48; ++block)
    {
        if (block % 4 == 0)
        {
            const auto [index, value] = turns[(size_t) (block / 4)];
            plugin.effect->setParameter (plugin.effect, index, value);
        }
        std::vector<float> left ((size_t) Instance::blockSize), right ((size_t) Instance::blockSize);
        for (int i = 0; i < Instance::blockSize; ++i)
        {
            noise = noise * 1664525u + 1013904223u;
            const int t = block * Instance::blockSize + i;
            const float burst = (t % 12000) < 900 ? (float) (noise >> 8) / 8388608.0f - 1.0f : 0.0f;
            left[(size_t) i] = 0.6f * burst;
            right[(size_t) i] = 0.3f * burst + 0.2f * std::sin (0.01f * (float) (t % 628));
        }
        plugin.process (left, right);
        for (const auto* channel : { &left, &right })
            for (float sample : *channel)
            {
                std::uint32_t bits;
                std::memcpy (&bits, &sample, sizeof (bits));
                for (int b = 0; b < 4; ++b)
                {
                    hash ^= (bits >> (8 * b)) & 0xffu;
                    hash *= 0x100000001b3ull;
                }
            }
    }
    return hash;
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

    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA (nullptr);
    windowClass.lpszClassName = "SelvaneTestHostWindow";
    RegisterClassA (&windowClass);
    HWND window = CreateWindowA (windowClass.lpszClassName, "Selvane", WS_POPUP | WS_VISIBLE, 0, 0, 620, 305,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    plugin.dispatch (effEditOpen, 0, 0, window);

    for (int i = 0; i < 100; ++i)   // two seconds of a host's message loop
    {
        MSG message;
        while (PeekMessageA (&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage (&message);
            DispatchMessageA (&message);
        }
        plugin.dispatch (effEditIdle);
        Sleep (20);
    }

    HDC screen = GetDC (nullptr);
    HDC memory = CreateCompatibleDC (screen);
    HBITMAP bitmap = CreateCompatibleBitmap (screen, 620, 305);
    SelectObject (memory, bitmap);
    BitBlt (memory, 0, 0, 620, 305, screen, 0, 0, SRCCOPY);
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof (BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 620;
    info.bmiHeader.biHeight = -305;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels (620 * 305);
    GetDIBits (memory, bitmap, 0, 305, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject (bitmap);
    DeleteDC (memory);
    ReleaseDC (nullptr, screen);

    for (auto& p : pixels)
        p &= 0xffffff;
    std::sort (pixels.begin(), pixels.end());
    const auto colours = std::unique (pixels.begin(), pixels.end()) - pixels.begin();
    check (colours > 5000, "the editor shows its decoded pictures (" + std::to_string (colours) + " colours on screen)");

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
        check (e->uniqueID == (('O' << 24) | ('v' << 16) | ('S' << 8) | 'e'), "unique ID 'OvSe'");
        check (e->numParams == 9 && e->numInputs == 2 && e->numOutputs == 2 && e->numPrograms == 1,
               "9 parameters, 2 inputs, 2 outputs, 1 program");
        check (e->version == 110 && plugin.dispatch (effGetVendorVersion) == 110, "version 110");
        check (plugin.text (effGetEffectName) == "Selvane", "effect name \"Selvane\"");
        check (plugin.text (effGetVendorString) == "Orvelle", "vendor \"Orvelle\"");
        check (plugin.text (effGetProductString) == "Selvane", "product \"Selvane\"");
        check (plugin.text (effGetParamName, 0) == "DelayTime" && plugin.text (effGetParamName, 8) == "Gain",
               "parameter names");
        check ((e->flags & effFlagsHasEditor) != 0 && (e->flags & effFlagsProgramChunks) != 0, "editor and chunk flags");
    }

    {
        Instance plugin (entry);
        setShortHalfTravel (plugin);
        plugin.processSilence (200);   // the delay glides onto its length
        const auto [loudest, level] = impulseEcho (plugin);
        check (loudest == 2520, "impulse echoes at sample 2520 (found " + std::to_string (loudest) + ")");
        const float expected = 0.55f * 0.99739f * 0.92704f;
        check (std::abs (level - expected) < 0.002f, "echo level " + std::to_string (level));
    }

    {
        Instance first (entry);
        first.effect->setParameter (first.effect, 7, 0.25f);
        first.effect->setParameter (first.effect, 8, 0.7f);
        const auto saved = first.chunk();
        check (saved.size() > 9 && saved.find ("<DryWet>0.25</DryWet>") != std::string::npos, "chunk holds the document");

        Instance second (entry);
        second.setChunk (saved);
        check (second.chunk() == saved, "chunk restored into a new instance reads back byte for byte");
        check (second.effect->getParameter (second.effect, 7) == 0.25f && second.effect->getParameter (second.effect, 8) == 0.7f,
               "restored parameter values");

        // Controller 20 assigned to DryWet through the state, then sent as MIDI.
        second.setChunk (withElement (saved, "midiMapDryWet", "20"));
        sendController (second, 20, 0);
        check (second.effect->getParameter (second.effect, 7) == 0.0f, "CC 20 = 0 sets DryWet to 0");
        sendController (second, 20, 127);
        check (second.effect->getParameter (second.effect, 7) == 1.0f, "CC 20 = 127 sets DryWet to 1");
        sendController (second, 21, 0);
        check (second.effect->getParameter (second.effect, 7) == 1.0f, "an unassigned controller changes nothing");
    }

    checkTwoInstances (entry);
    checkBypass (entry);
    checkHostileBlocks (entry);

#ifdef _WIN32
    checkEditorShowsItsPictures (entry);
#endif

    {
        // The value recorded for this build's arithmetic (SSE on x86-64, x87 on i686).
        char text[32];
        std::snprintf (text, sizeof (text), "0x%016llx", (unsigned long long) outputHash (entry));
        if (argc == 3)
            check (std::string (text) == argv[2], std::string ("output bit for bit as recorded: ") + text + " (recorded " + argv[2] + ")");
        else
            std::printf ("output hash %s\n", text);
    }

    std::printf ("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
    return failures == 0 ? 0 : 1;
}
