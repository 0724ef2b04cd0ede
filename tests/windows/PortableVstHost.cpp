// A small VST 2.x host that loads the plug-in library the way hosts do on
// Windows (LoadLibrary) and Linux (dlopen), and checks what a musician would
// notice first: who it says it is, where its echo lands, that its state
// survives a save and a reload, and that a MIDI controller reaches an
// assigned parameter (and, on Windows, that the editor shows its pictures).
// Built for Windows with MinGW (run under wine64) and
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
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s PATH_TO_LIBRARY\n", argv[0]);
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
        // Short mode at half travel: 52.5 ms, 2520 samples at 48 kHz.
        Instance plugin (entry);
        plugin.effect->setParameter (plugin.effect, 2, 0.0f);
        plugin.effect->setParameter (plugin.effect, 0, 0.5f);
        plugin.processSilence (200);   // the delay glides onto its length

        std::vector<float> left (Instance::blockSize), right (Instance::blockSize);
        left[0] = 1.0f;
        plugin.process (left, right);
        int loudest = 100;
        for (int i = 100; i < Instance::blockSize; ++i)
            if (std::abs (left[(size_t) i]) > std::abs (left[(size_t) loudest]))
                loudest = i;
        check (loudest == 2520, "impulse echoes at sample 2520 (found " + std::to_string (loudest) + ")");
        const float expected = 0.55f * 0.99739f * 0.92704f;
        check (std::abs (left[2520] - expected) < 0.002f, "echo level " + std::to_string (left[2520]));
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

#ifdef _WIN32
    checkEditorShowsItsPictures (entry);
#endif

    std::printf ("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
    return failures == 0 ? 0 : 1;
}
