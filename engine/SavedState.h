#pragma once

#include <juce_core/juce_core.h>

// The binary block hosts store: magic 0x21324356, the text's length, the
// one-line document without an XML declaration, and a zero byte.
namespace selvane
{
constexpr juce::uint32 stateMagic = 0x21324356;

juce::MemoryBlock wrapStateDocument (const juce::String& documentText);
} // namespace selvane
