// The saved state: a one-line XML document, root "Root", inside the binary
// wrapper sessions already hold (docs/compatibility.md): magic 0x21324356,
// the text's length, the text without an XML declaration, a closing zero byte.

#include "SavedState.h"
#include "VelmorAudioProcessor.h"

#include "StateText.h"
#include "WellFormedXml.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

using namespace selvane;

namespace
{
constexpr auto relaxed = std::memory_order_relaxed;
constexpr int stateHeaderSize = 8;

// Element order of the document: parameters by their state tags first.
constexpr std::array<int, numParameters> savedParameterOrder {
    kHighCut, kLowCut, kDelayTime, kDelayFeedback, kBalance, kPingPong, kDryWet, kGain, kMode
};

constexpr const char* rootTag = "Root";

// Only a well-formed document reaches the framework's XML reader: on broken
// markup (a text ending inside an entity, a comment or a tag, a stray
// processing instruction) it reads past the end of the text or loops for ever,
// and it descends one call per level, so a state nested many thousands deep
// would overflow the host thread's stack. Anything else is unreadable data and
// is ignored as a whole. Our document is two levels deep.
constexpr int deepestAcceptedNesting = 16;
constexpr const char* midiChannelTag = "idxMidiChannel";
constexpr const char* backgroundTag = "idxGUI";

void addTextElement (juce::XmlElement& root, const char* tag, const juce::String& text)
{
    root.createNewChildElement (tag)->addTextElement (text);
}

// The document is written in ASCII (tags and numbers). Any other byte is read
// as '?': the framework's UTF-8 reader steps past the end of the text on a
// malformed sequence, and nothing the state holds is written with such bytes.
// The text ends at the first zero byte (docs/compatibility.md).
std::string asciiText (const char* bytes, int length)
{
    std::string text (bytes, (size_t) length);
    text.resize (std::strlen (text.c_str()));
    for (auto& c : text)
        if ((unsigned char) c >= 0x80)
            c = '?';
    return text;
}

std::unique_ptr<juce::XmlElement> unpackDocument (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes < stateHeaderSize + 1)
        return nullptr;

    const auto* bytes = static_cast<const char*> (data);
    if (juce::ByteOrder::littleEndianInt (bytes) != stateMagic)
        return nullptr;

    const auto length = (juce::int32) juce::ByteOrder::littleEndianInt (bytes + 4);
    if (length <= 0)
        return nullptr;

    const int available = juce::jmin ((int) length, sizeInBytes - stateHeaderSize);
    const auto text = asciiText (bytes + stateHeaderSize, available);
    if (! isWellFormedXml (text, deepestAcceptedNesting))
        return nullptr;
    return juce::parseXML (juce::String (text.c_str()));
}

// "idxGUI" is read as a number and truncated towards zero; nonsense leaves it alone.
std::optional<int> backgroundIndexFrom (const juce::String& text)
{
    const float value = (float) text.getDoubleValue();
    if (! std::isfinite (value))
        return std::nullopt;
    const double truncated = std::trunc ((double) value);
    return (int) juce::jlimit ((double) std::numeric_limits<int>::min(), (double) std::numeric_limits<int>::max(), truncated);
}
} // namespace

juce::MemoryBlock selvane::wrapStateDocument (const juce::String& text)
{
    const auto utf8Length = text.getNumBytesAsUTF8();
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    out.writeInt ((int) stateMagic);
    out.writeInt ((int) utf8Length);
    out.write (text.toRawUTF8(), utf8Length);
    out.writeByte (0);
    out.flush();
    return block;
}

void VelmorAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement root (rootTag);

    for (int index : savedParameterOrder)
        addTextElement (root, parameterTable[(size_t) index].stateTag,
                        formatParameterValue (engine.getParameter (index)));

    addTextElement (root, midiChannelTag, juce::String (idxMidiChannel.load (relaxed)));

    for (int index : savedParameterOrder)
        addTextElement (root, parameterTable[(size_t) index].midiMapTag, juce::String (midiMap[(size_t) index].load (relaxed)));

    addTextElement (root, backgroundTag, juce::String (idxGUI.load (relaxed)));

    destData = wrapStateDocument (root.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()));
}

void VelmorAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    const auto document = unpackDocument (data, sizeInBytes);
    if (document == nullptr)
        return;

    for (const auto* child : document->getChildIterator())
    {
        const auto& tag = child->getTagName();
        const auto text = child->getAllSubText();

        for (int index = 0; index < numParameters; ++index)
            if (tag.equalsIgnoreCase (parameterTable[(size_t) index].stateTag))
                setParameter (index, (float) text.getDoubleValue());

        if (tag.equalsIgnoreCase (midiChannelTag))
            idxMidiChannel.store (parseIntegerText (text.toRawUTF8()), relaxed);

        for (int index = 0; index < numParameters; ++index)
            if (tag.equalsIgnoreCase (parameterTable[(size_t) index].midiMapTag))
                midiMap[(size_t) index].store (parseIntegerText (text.toRawUTF8()), relaxed);

        if (tag.equalsIgnoreCase (backgroundTag))
            if (const auto background = backgroundIndexFrom (text))
                idxGUI.store (*background, relaxed);
    }

    editorNeedsRefresh.store (true, relaxed);

    // An LV2 host knows a parameter's value only from what the plug-in sends
    // it, and restored values are applied without telling anyone: re-send them
    // all, as the AAX adapter re-reads them after a restore.
    if (wrapperType == wrapperType_LV2)
        for (int index = 0; index < numParameters; ++index)
            getParameters()[index]->sendValueChangedMessageToListeners (engine.getParameter (index));
}
