#pragma once

// What the portable VST 2.x and VST3 hosts check the same way: the echo of
// an impulse, the fixed run whose output is hashed, the hostile blocks, and
// (on Windows) the editor's pixels read back from the screen. Each host feeds
// these through its own format.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
 #include <windows.h>
 #include <algorithm>
#endif

namespace portable
{
inline int failures = 0;

inline void check (bool ok, const std::string& what)
{
    std::printf ("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush (stdout);
    if (! ok)
        ++failures;
}

inline int summary()
{
    std::printf ("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
    return failures == 0 ? 0 : 1;
}

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 8192;

// Parameter indices, as every format lists them.
enum Index { delayTime = 0, feedback = 1, mode = 2, balance = 3, pingPong = 4, highCut = 5, lowCut = 6, dryWet = 7, gain = 8 };
constexpr const char* names[] = { "DelayTime", "DelayFeedback", "Mode", "Balance", "PingPong", "HighCut", "LowCut", "DryWet", "Gain" };

// Short mode at half travel is 52.5 ms: 2520 samples at 48 kHz, where an
// impulse's echo lands once the delay has glided onto its length, at the
// default loop gain through both default loop filters.
constexpr std::pair<int, float> shortHalfTravel[] = { { mode, 0.0f }, { delayTime, 0.5f } };
constexpr int echoSample = 2520;
constexpr float echoLevel = 0.55f * 0.99739f * 0.92704f;
constexpr int blocksToSettle = 200;

// The loudest sample of a block after its first 100 (the impulse itself).
inline std::pair<int, float> loudest (const std::vector<float>& block)
{
    int where = 100;
    for (int i = 100; i < (int) block.size(); ++i)
        if (std::abs (block[(size_t) i]) > std::abs (block[(size_t) where]))
            where = i;
    return { where, block[(size_t) where] };
}

inline bool echoesAsExpected (std::pair<int, float> echo)
{
    return echo.first == echoSample && std::abs (echo.second - echoLevel) < 0.002f;
}

// A fixed run through the library's audio path, bit for bit: bursts of noise
// and steady tones in 48 kHz blocks of 8192, every parameter turned at fixed
// blocks (the controls smooth, the delay glides, ping-pong, both filters,
// the gain), and the FNV-1a hash of every output sample's bits. Any change
// to what the library computes changes it.
struct FixedRun
{
    static constexpr int blocks = 48;

    // The parameter turned at the start of a block, if any.
    static bool turnAt (int block, std::pair<int, float>& turn)
    {
        static constexpr std::pair<int, float> turns[] = { { delayTime, 0.3f }, { feedback, 0.8f }, { pingPong, 0.6f },
                                                           { highCut, 0.4f }, { lowCut, 0.3f }, { balance, 0.2f },
                                                           { dryWet, 0.7f }, { gain, 0.8f }, { mode, 0.0f },
                                                           { delayTime, 0.9f }, { mode, 0.5f }, { feedback, 1.0f } };
        if (block % 4 != 0)
            return false;
        turn = turns[(size_t) (block / 4)];
        return true;
    }

    void input (int block, std::vector<float>& left, std::vector<float>& right)
    {
        left.assign ((size_t) blockSize, 0.0f);
        right.assign ((size_t) blockSize, 0.0f);
        for (int i = 0; i < blockSize; ++i)
        {
            noise = noise * 1664525u + 1013904223u;
            const int t = block * blockSize + i;
            const float burst = (t % 12000) < 900 ? (float) (noise >> 8) / 8388608.0f - 1.0f : 0.0f;
            left[(size_t) i] = 0.6f * burst;
            right[(size_t) i] = 0.3f * burst + 0.2f * std::sin (0.01f * (float) (t % 628));
        }
    }

    void hear (const std::vector<float>& left, const std::vector<float>& right)
    {
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

    std::string hashText() const
    {
        char text[32];
        std::snprintf (text, sizeof (text), "0x%016llx", (unsigned long long) hash);
        return text;
    }

    std::uint32_t noise = 7;
    std::uint64_t hash = 0xcbf29ce484222325ull;
};

// The fixed run through a host's own calls: set (index, value) turns a
// parameter before a block, process (left, right) runs one.
template <typename Set, typename Process>
FixedRun runFixed (Set&& set, Process&& process)
{
    FixedRun run;
    for (int block = 0; block < FixedRun::blocks; ++block)
    {
        std::pair<int, float> turn;
        if (FixedRun::turnAt (block, turn))
            set (turn.first, turn.second);
        std::vector<float> left, right;
        run.input (block, left, right);
        process (left, right);
        run.hear (left, right);
    }
    return run;
}

// Three blocks of a tone through a bypassed plug-in: true when every block
// after the first comes out exactly as it went in.
template <typename Process>
bool bypassPassesInput (Process&& process)
{
    bool unchanged = true;
    for (int block = 0; block < 3; ++block)
    {
        std::vector<float> left ((size_t) blockSize), right ((size_t) blockSize);
        for (int i = 0; i < blockSize; ++i)
            left[(size_t) i] = right[(size_t) i] = 0.3f * (float) std::sin (0.01 * (block * blockSize + i));
        const auto input = left;
        process (left, right);
        if (block > 0)
            unchanged = unchanged && left == input && right == input;
    }
    return unchanged;
}

// Compares the run's hash with the one recorded for this build's arithmetic
// (SSE on x86-64, x87 on i686), or prints it where none was given.
inline void checkRecordedHash (const FixedRun& run, const char* recorded)
{
    if (recorded != nullptr)
        check (run.hashText() == recorded, "output bit for bit as recorded: " + run.hashText() + " (recorded " + recorded + ")");
    else
        std::printf ("output hash %s\n", run.hashText().c_str());
}

// Blocks of odd sizes (none, one sample, and more than any announced size)
// at several rates, filled with full-scale noise, the right channel the
// left's negative.
struct HostileBlocks
{
    static constexpr double rates[] = { 44100.0, 96000.0, 192000.0 };
    static constexpr int sizes[] = { 0, 1, 16384, 65536, 1, 8192 };
    static constexpr const char* description = "blocks of 0, 1, 16384 and 65536 samples at 44.1, 96 and 192 kHz";

    void fill (std::vector<float>& left, std::vector<float>& right, int size)
    {
        left.resize ((size_t) size);
        right.resize ((size_t) size);
        for (int i = 0; i < size; ++i)
        {
            noise = noise * 1664525u + 1013904223u;
            left[(size_t) i] = (float) (noise >> 8) / 8388608.0f - 1.0f;
            right[(size_t) i] = -left[(size_t) i];
        }
    }

    // Every sample a number within ±1.
    static bool clean (const std::vector<float>& channel)
    {
        for (float sample : channel)
            if (! std::isfinite (sample) || std::abs (sample) > 1.0f)
                return false;
        return true;
    }

    // Every size once through process (left, right), at the rate the host set:
    // true when every output sample is clean.
    template <typename Process>
    bool allClean (Process&& process)
    {
        bool result = true;
        for (int size : sizes)
        {
            std::vector<float> left, right;
            fill (left, right, size);
            process (left, right);
            result = result && clean (left) && clean (right);
        }
        return result;
    }

    std::uint32_t noise = 1;
};

#ifdef _WIN32
// A host's message loop, run for a moment.
inline void pumpMessages (int milliseconds)
{
    const auto end = GetTickCount() + (DWORD) milliseconds;
    do
    {
        MSG message;
        while (PeekMessageA (&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage (&message);
            DispatchMessageA (&message);
        }
        Sleep (10);
    } while ((int) (end - GetTickCount()) > 0);
}

// A borderless window at the screen's top left corner, for an editor to open in.
inline HWND openHostWindow (int width, int height)
{
    static bool registered = false;
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA (nullptr);
    windowClass.lpszClassName = "SelvaneTestHostWindow";
    if (! registered)
        registered = RegisterClassA (&windowClass) != 0;
    return CreateWindowA (windowClass.lpszClassName, "Selvane", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                          nullptr, nullptr, windowClass.hInstance, nullptr);
}

// The screen's pixels from the top left corner, 0xRRGGBB, row by row.
inline std::vector<std::uint32_t> readScreen (int width, int height)
{
    HDC screen = GetDC (nullptr);
    HDC memory = CreateCompatibleDC (screen);
    HBITMAP bitmap = CreateCompatibleBitmap (screen, width, height);
    SelectObject (memory, bitmap);
    BitBlt (memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof (BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels ((size_t) (width * height));
    GetDIBits (memory, bitmap, 0, (UINT) height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject (bitmap);
    DeleteDC (memory);
    ReleaseDC (nullptr, screen);
    for (auto& p : pixels)
        p &= 0xffffff;
    return pixels;
}

// The cassette photograph, the knobs and the tabs are decoded pictures: a
// library whose PNG or JPEG decoding failed shows a few flat colours instead.
constexpr long picturesColours = 5000;

inline long countColours (std::vector<std::uint32_t> pixels)
{
    std::sort (pixels.begin(), pixels.end());
    return (long) (std::unique (pixels.begin(), pixels.end()) - pixels.begin());
}

// The screen read back until it shows the decoded pictures, for up to 30 s
// (a loaded machine paints late); returns the last look.
template <typename Idle>
std::vector<std::uint32_t> screenOnceItShowsPictures (int width, int height, Idle&& idle)
{
    std::vector<std::uint32_t> pixels;
    const auto deadline = GetTickCount() + 30000;
    do
    {
        pumpMessages (100);
        idle();
        pixels = readScreen (width, height);
    } while (countColours (pixels) <= picturesColours && (int) (deadline - GetTickCount()) > 0);
    return pixels;
}

// A binary PPM picture of pixels as readScreen gives them.
inline bool writePpm (const std::string& path, const std::vector<std::uint32_t>& pixels, int width, int height)
{
    FILE* file = std::fopen (path.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::fprintf (file, "P6\n%d %d\n255\n", width, height);
    for (auto p : pixels)
    {
        const unsigned char rgb[] = { (unsigned char) (p >> 16), (unsigned char) (p >> 8), (unsigned char) p };
        std::fwrite (rgb, 1, 3, file);
    }
    return std::fclose (file) == 0;
}
#endif
} // namespace portable
