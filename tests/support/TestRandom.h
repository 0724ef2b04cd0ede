#pragma once

#include <cstdint>

namespace testing_support
{
// The tests' random numbers: a fixed linear congruential sequence, the same
// on every machine and compiler, so a seed reproduces a run exactly.
class TestRandom
{
public:
    explicit TestRandom (uint32_t seed) : state (seed) {}

    // 24 random bits.
    uint32_t next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    int below (int n) { return (int) (next() % (uint32_t) n); }
    float fraction() { return (float) next() / 16777216.0f; }        // 0 <= x < 1
    float unit() { return (float) (next() & 0xffff) / 65535.0f; }    // 0 <= x <= 1, 16 bits
    float bipolar() { return (float) (next() & 0xffff) / 32768.0f - 1.0f; }  // -1 <= x < 1

private:
    uint32_t state;
};
} // namespace testing_support
