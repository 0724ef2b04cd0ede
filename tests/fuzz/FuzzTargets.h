#pragma once

#include <cstddef>
#include <cstdint>

// The fuzzed entry points. Each feeds one input to a fresh processor and
// checks what must hold whatever the input; a violation prints what broke and
// aborts, so libFuzzer keeps the input as a crash.
namespace selvane::fuzz
{
// The bytes a host hands back as a saved state. When the first byte is odd
// the rest is taken as the document's text and wrapped the way the plug-in
// saves it, so mutations reach the XML reader instead of stopping at the header.
void feedSavedState (const std::uint8_t* data, std::size_t size);

// Blocks of MIDI events (controllers and anything else) into processBlock,
// with assignments, channel filter and learning taken from the input.
void feedMidi (const std::uint8_t* data, std::size_t size);

// A sequence of host calls: parameter writes of any float bit pattern, reads,
// texts, blocks of any size, sample-rate changes, state save/restore, programs.
void feedParameterCalls (const std::uint8_t* data, std::size_t size);
} // namespace selvane::fuzz
