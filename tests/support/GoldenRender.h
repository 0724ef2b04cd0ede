#pragma once

#include "ParameterTable.h"
#include "TestRandom.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

// The recorded output of the long render with moving parameters (the same
// script, run on the engine alone and on the processor as a host drives it):
// an FNV-1a hash of every output sample's bits, per layout.
namespace testing_support
{
constexpr uint64_t goldenStereo = 0xab1faf548e30886aull;
constexpr uint64_t goldenMonoToStereo = 0x17645af917d2024aull;
constexpr uint64_t goldenMono = 0x0bea1f8263b8c90dull;

class Fnv1a
{
public:
    void add (const float* samples, int count)
    {
        for (int i = 0; i < count; ++i)
        {
            uint32_t bits;
            std::memcpy (&bits, samples + i, sizeof (bits));
            for (int b = 0; b < 4; ++b)
            {
                hash ^= (bits >> (8 * b)) & 0xffu;
                hash *= 0x100000001b3ull;
            }
        }
    }
    uint64_t value() const { return hash; }

private:
    uint64_t hash = 0xcbf29ce484222325ull;
};

// The golden render's script, for a host of any kind: 600 blocks of sine
// bursts (left, and a slowly turning copy on the right), random sizes and
// parameter changes, a resting stretch of long blocks where every control
// and the delay glide settle, a tempo change and a sample-rate change; every
// output channel is hashed. The host offers setParameter (index, value),
// setBpm (bpm), setSampleRate (rate) and process (left, right, size).
template <typename Host>
uint64_t runGoldenScript (Host& host, int outs)
{
    TestRandom random (12345);
    auto next = [&random] { return random.fraction(); };

    Fnv1a hash;
    std::vector<float> left (16384), right (16384);
    int t = 0;
    for (int n = 0; n < 600; ++n)
    {
        const bool resting = n >= 200 && n < 300;
        const int size = resting ? 16384 : n % 7 == 0 ? 1024 : 1 + (int) (next() * 700.0f);
        for (int i = 0; i < size; ++i, ++t)
        {
            const float burst = (t % 9000) < 600 ? std::sin (0.05f * (float) t) : 0.0f;
            left[(size_t) i] = 0.7f * burst;
            right[(size_t) i] = 0.4f * burst * std::cos (0.001f * (float) t);
        }

        if (n % 5 == 0 && ! resting)
            host.setParameter ((int) (next() * 9.0f) % 9, next());
        if (n % 50 == 0 && ! resting)
            host.setParameter (selvane::kMode, next());
        if (n == 320)
            host.setBpm (90.0);
        if (n == 450)
            host.setSampleRate (48000.0);

        host.process (left.data(), right.data(), size);
        hash.add (left.data(), size);
        if (outs == 2)
            hash.add (right.data(), size);
    }
    return hash.value();
}
} // namespace testing_support
