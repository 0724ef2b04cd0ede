#pragma once

#include "TestRandom.h"

#include <cstdint>
#include <cstring>

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

} // namespace testing_support
