#pragma once

#include <array>

// The 25 note values a tempo-synced echo can take, shortest first in groups of
// plain, dotted, then the next longer value's triplet. Lengths are in whole notes.
namespace selvane
{
constexpr int numTempoNotes = 25;

constexpr std::array<const char*, numTempoNotes> tempoNoteNames {
    "1/128", "1/128d", "1/64t", "1/64", "1/64d", "1/32t", "1/32", "1/32d", "1/16t",
    "1/16",  "1/16d",  "1/8t",  "1/8",  "1/8d",  "1/4t",  "1/4",  "1/4d",  "1/2t",
    "1/2",   "1/2d",   "1/1t",  "1/1",  "1/1d",  "2/1t",  "2/1"
};

constexpr std::array<float, numTempoNotes> tempoNoteLengths {
    1.0f / 128.0f, 3.0f / 256.0f, 1.0f / 96.0f, 1.0f / 64.0f, 3.0f / 128.0f,
    1.0f / 48.0f,  1.0f / 32.0f,  3.0f / 64.0f, 1.0f / 24.0f, 1.0f / 16.0f,
    3.0f / 32.0f,  1.0f / 12.0f,  1.0f / 8.0f,  3.0f / 16.0f, 1.0f / 6.0f,
    1.0f / 4.0f,   3.0f / 8.0f,   1.0f / 3.0f,  1.0f / 2.0f,  3.0f / 4.0f,
    2.0f / 3.0f,   1.0f,          3.0f / 2.0f,  4.0f / 3.0f,  2.0f
};
} // namespace selvane
