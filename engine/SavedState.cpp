// The saved state: a one-line XML document, root "Root", inside the binary
// wrapper hosts have always stored: magic 0x21324356, the text's length,
// the text without an XML declaration, and a closing zero byte.

#include "SavedState.h"
#include "VelmorAudioProcessor.h"

#include "StateText.h"

#include <algorithm>
#include <cctype>
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

// The document is two levels deep. The XML reader descends one call per level,
// so a corrupt or hostile state nested many thousands deep would overflow the
// host thread's stack: anything deeper than this is refused before parsing.
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
// The text ends at the first zero byte, as it always has.
std::string asciiText (const char* bytes, int length)
{
    std::string text (bytes, (size_t) length);
    text.resize (std::strlen (text.c_str()));
    for (auto& c : text)
        if ((unsigned char) c >= 0x80)
            c = '?';
    return text;
}

// One pass over the markup of an XML text: how deeply its elements nest, and
// how much of it is complete. The framework's XML reader reads past the end of
// a text that stops inside a comment, CDATA section, declaration or entity, so
// the text is cut before the first such construct left open. It can also loop
// for ever on a processing instruction among the elements; only the XML
// declaration before the root is ours to read, so the text is cut before any
// other "<?".
// Comments, CDATA sections, declarations and quoted attribute values are
// stepped over when counting the nesting.
struct DocumentShape
{
    int deepestNesting = 0;
    size_t completeLength = 0;
};

DocumentShape shapeOf (const std::string& text)
{
    constexpr auto npos = std::string::npos;
    auto startsWith = [&] (size_t at, const char* what) { return text.compare (at, std::strlen (what), what) == 0; };
    auto endOf = [&] (size_t from, const char* what) {
        const auto found = text.find (what, from);
        return found == npos ? npos : found + std::strlen (what);
    };
    // An entity is '&', up to 16 letters, digits or '#', and ';'.
    auto entityEnd = [&] (size_t at) {
        size_t end = at + 1;
        while (end < text.size() && end - at <= 16 && (std::isalnum ((unsigned char) text[end]) || text[end] == '#'))
            ++end;
        return end < text.size() && text[end] == ';' ? end + 1 : npos;
    };

    DocumentShape shape;
    int depth = 0;
    size_t i = 0;
    while (i < text.size())
    {
        size_t end = i + 1;
        if (text[i] == '&')
        {
            end = entityEnd (i);
        }
        else if (text[i] == '<')
        {
            if (startsWith (i, "<!--"))                         end = endOf (i, "-->");
            else if (startsWith (i, "<![CDATA["))               end = endOf (i, "]]>");
            else if (startsWith (i, "<?"))                      end = shape.deepestNesting == 0 ? endOf (i, "?>") : npos;
            else if (startsWith (i, "<!"))                      end = endOf (i, ">");
            else
            {
                end = i + 1;
                while (end < text.size() && text[end] != '>')
                {
                    if (text[end] == '"' || text[end] == '\'')
                        end = text.find (text[end], end + 1);
                    else if (text[end] == '&')
                    {
                        const auto entity = entityEnd (end);
                        end = entity != npos ? entity - 1 : npos;   // on its ';'
                    }
                    if (end == npos)
                        break;
                    ++end;
                }
                if (end != npos && end < text.size())
                {
                    const bool closing = startsWith (i, "</");
                    const bool selfClosing = ! closing && text[end - 1] == '/';
                    if (closing)
                        depth = std::max (0, depth - 1);
                    else if (! selfClosing)
                        shape.deepestNesting = std::max (shape.deepestNesting, ++depth);
                    ++end;
                }
                else
                {
                    // A tag the text ends inside of: the reader stops there by itself.
                    shape.completeLength = text.size();
                    return shape;
                }
            }
        }

        if (end == npos)
        {
            shape.completeLength = i;
            return shape;
        }
        i = end;
    }
    shape.completeLength = text.size();
    return shape;
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
    auto text = asciiText (bytes + stateHeaderSize, available);
    const auto shape = shapeOf (text);
    if (shape.deepestNesting > deepestAcceptedNesting)
        return nullptr;
    text.resize (shape.completeLength);
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
                        formatParameterValue (parameterValues[(size_t) index].load (relaxed)));

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
            getParameters()[index]->sendValueChangedMessageToListeners (parameterValues[(size_t) index].load (relaxed));
}
