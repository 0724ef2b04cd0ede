#include "ProcessorTestHelpers.h"

#include "engine/SavedState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace selvane;
using namespace testing_support;

namespace
{
const char* freshDocument =
    "<Root><LowPass>0</LowPass><HighPass>0</HighPass><DelayTime>0</DelayTime><DelayFeedback>0.5</DelayFeedback>"
    "<Balance>0.5</Balance><PingPong>0</PingPong><DryWet>0.5</DryWet><Gain>0.9</Gain><Mode>0.33</Mode>"
    "<idxMidiChannel>0</idxMidiChannel><midiMapLowPass>-1</midiMapLowPass><midiMapHighPass>-1</midiMapHighPass>"
    "<midiMapDelayTime>-1</midiMapDelayTime><midiMapDelayFeedback>-1</midiMapDelayFeedback>"
    "<midiMapBalance>-1</midiMapBalance><midiMapPingPong>-1</midiMapPingPong><midiMapDryWet>-1</midiMapDryWet>"
    "<midiMapGain>-1</midiMapGain><midiMapMode>-1</midiMapMode><idxGUI>0</idxGUI></Root>";

juce::MemoryBlock wrap (const juce::String& document) { return selvane::wrapStateDocument (document); }

void load (VelmorAudioProcessor& p, const juce::String& document)
{
    const auto block = wrap (document);
    p.setStateInformation (block.getData(), (int) block.getSize());
}

struct Snapshot
{
    explicit Snapshot (VelmorAudioProcessor& p)
    {
        for (int i = 0; i < numParameters; ++i)
        {
            values[(size_t) i] = p.getParameter (i);
            map[(size_t) i] = p.midiMap[(size_t) i].load();
        }
        channel = p.idxMidiChannel.load();
        gui = p.idxGUI.load();
        mode = p.delayMode.load();
        target = p.getDelayLine().getTargetDelay();
    }
    bool operator== (const Snapshot& o) const
    {
        return values == o.values && map == o.map && channel == o.channel && gui == o.gui && mode == o.mode && target == o.target;
    }
    std::array<float, numParameters> values;
    std::array<int, numParameters> map;
    int channel, gui, mode;
    float target;
};
} // namespace

TEST (SavedState, FreshInstanceSavesExactlyTheKnownBytes)
{
    VelmorAudioProcessor p;
    const auto block = stateOf (p);
    const auto expected = wrap (freshDocument);
    ASSERT_EQ (block.getSize(), expected.getSize());
    EXPECT_EQ (block, expected);
    EXPECT_EQ (std::string (static_cast<const char*> (block.getData()) + 8, block.getSize() - 9), freshDocument);
    EXPECT_EQ (static_cast<const char*> (block.getData())[block.getSize() - 1], 0);
    EXPECT_EQ (std::string (static_cast<const char*> (block.getData()), 4), "VC2!");  // 0x21324356, little-endian
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (static_cast<const char*> (block.getData()) + 4), block.getSize() - 9);
}

TEST (SavedState, RoundTripBetweenInstancesIsByteIdentical)
{
    VelmorAudioProcessor a;
    a.prepareToPlay (48000.0, 512);
    const float values[] = { 0.625f, 0.8f, 1.0f, 0.25f, 0.7f, 0.123456f, 0.9f, 0.33f, 0.75f };
    for (int i = 0; i < numParameters; ++i)
        a.setParameter (i, values[i]);
    a.idxMidiChannel = 7;
    a.midiMap[kGain] = 7;
    a.midiMap[kHighCut] = 74;
    a.idxGUI = 1;

    VelmorAudioProcessor b;
    b.prepareToPlay (48000.0, 512);
    const auto saved = stateOf (a);
    b.setStateInformation (saved.getData(), (int) saved.getSize());
    EXPECT_EQ (stateOf (b), saved);
    EXPECT_TRUE (Snapshot (a) == Snapshot (b));
    EXPECT_EQ (b.syncNoteIndex.load(), 15);
    EXPECT_EQ (b.getParameter (kHighCut), 0.123456f);
}

TEST (SavedState, TagsAreReadWithoutRegardToCaseAndADeclarationIsAccepted)
{
    VelmorAudioProcessor p;
    load (p, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><gain>0.2</gain><LOWPASS>0.4</LOWPASS>"
             "<midimapdrywet>20</midimapdrywet><IDXMIDICHANNEL>3</IDXMIDICHANNEL><idxgui>1</idxgui></root>");
    EXPECT_EQ (p.getParameter (kGain), 0.2f);
    EXPECT_EQ (p.getParameter (kHighCut), 0.4f);
    EXPECT_EQ (p.midiMap[kDryWet].load(), 20);
    EXPECT_EQ (p.idxMidiChannel.load(), 3);
    EXPECT_EQ (p.idxGUI.load(), 1);
}

TEST (SavedState, MissingElementsLeaveMembersAsTheyWere)
{
    VelmorAudioProcessor p;
    p.setParameter (kDryWet, 0.8f);
    p.midiMap[kMode] = 5;
    p.editorNeedsRefresh = false;
    const Snapshot before (p);

    load (p, "<Root><Gain>1</Gain></Root>");
    EXPECT_EQ (p.getParameter (kGain), 1.0f);
    EXPECT_TRUE (p.editorNeedsRefresh.load());
    Snapshot after (p);
    after.values[kGain] = before.values[kGain];
    EXPECT_TRUE (after == before);
}

struct TextCase
{
    const char* document;
    int index;    // parameter index, or -1 for idxGUI, -2 for idxMidiChannel
    float value;
};

class ElementTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P (ElementTexts, AreReadLikeTheFrameworkAndTheCLibraryRead)
{
    const auto c = GetParam();
    VelmorAudioProcessor p;
    p.idxGUI = 0;
    load (p, c.document);
    const float actual = c.index == -1 ? (float) p.idxGUI.load() : c.index == -2 ? (float) p.idxMidiChannel.load() : p.getParameter (c.index);
    EXPECT_EQ (actual, c.value) << c.document;
}

INSTANTIATE_TEST_SUITE_P (
    Texts, ElementTexts,
    ::testing::Values (TextCase { "<Root><DelayTime>abc</DelayTime></Root>", kDelayTime, 0.0f },
                       TextCase { "<Root><DelayTime>0.7abc</DelayTime></Root>", kDelayTime, 0.7f },
                       TextCase { "<Root><DelayTime> 0.25</DelayTime></Root>", kDelayTime, 0.25f },
                       TextCase { "<Root><DelayFeedback>nan</DelayFeedback></Root>", kDelayFeedback, 0.5f },
                       TextCase { "<Root><DryWet>inf</DryWet></Root>", kDryWet, 0.5f },
                       TextCase { "<Root><idxGUI>1.9</idxGUI></Root>", -1, 1.0f },
                       TextCase { "<Root><idxGUI>-0.9</idxGUI></Root>", -1, 0.0f },
                       TextCase { "<Root><idxGUI>nan</idxGUI></Root>", -1, 0.0f },
                       TextCase { "<Root><idxGUI>1e30</idxGUI></Root>", -1, 2147483647.0f },
                       TextCase { "<Root><idxMidiChannel> 12th</idxMidiChannel></Root>", -2, 12.0f },
                       TextCase { "<Root><idxMidiChannel>99999999999</idxMidiChannel></Root>", -2, 2147483647.0f }));

TEST (SavedState, UnreadableDataChangesNothingAtAll)
{
    VelmorAudioProcessor p;
    p.editorNeedsRefresh = false;
    const auto before = stateOf (p);

    const auto valid = wrap ("<Root><Gain>0.1</Gain></Root>");
    juce::MemoryBlock foreign ("not a state at all", 18);
    juce::MemoryBlock badMagic (valid);
    static_cast<char*> (badMagic.getData())[0] ^= 1;
    juce::MemoryBlock zeroLength (valid);
    std::memset (static_cast<char*> (zeroLength.getData()) + 4, 0, 4);
    juce::MemoryBlock negativeLength (valid);
    std::memset (static_cast<char*> (negativeLength.getData()) + 4, 0xff, 4);
    auto notXml = wrap ("Gain=0.1");

    for (const auto* block : { &foreign, &badMagic, &zeroLength, &negativeLength, &notXml })
        p.setStateInformation (block->getData(), (int) block->getSize());
    p.setStateInformation (valid.getData(), 8);
    p.setStateInformation (nullptr, 0);

    EXPECT_EQ (stateOf (p), before);
    EXPECT_FALSE (p.editorNeedsRefresh.load());
}

// A corrupt state nested a hundred thousand deep used to overflow the stack
// inside the XML reader and take the host down.
TEST (SavedState, DeeplyNestedDocumentsAreRefusedWithoutReadingThem)
{
    std::string deepText ("<Root><Gain>0.1</Gain>");
    for (int i = 0; i < 100000; ++i)
        deepText += "<a>";
    for (int i = 0; i < 100000; ++i)
        deepText += "</a>";
    deepText += "</Root>";
    const juce::String deep (deepText);

    // Nesting hidden from a naive scan: quotes holding "/>", CDATA and comments holding "<".
    juce::String disguised ("<Root><Gain>0.1</Gain>");
    for (int i = 0; i < 20; ++i)
        disguised << "<a b=\"/>\" c='/>'>";
    for (int i = 0; i < 20; ++i)
        disguised << "</a>";
    disguised << "</Root>";

    for (const auto& document : { deep, disguised })
    {
        VelmorAudioProcessor p;
        const auto before = stateOf (p);
        load (p, document);
        EXPECT_EQ (stateOf (p), before);
    }

    // Our own two levels, and a little more for unknown elements, still load.
    VelmorAudioProcessor p;
    load (p, "<Root><Gain>0.1</Gain><extra><x a=\"/>\"><y/><!-- <<<< --><![CDATA[<<<<]]></x></extra>"
             "<DryWet>0.2</DryWet></Root>");
    EXPECT_EQ (p.getParameter (kGain), 0.1f);
    EXPECT_EQ (p.getParameter (kDryWet), 0.2f);
}

// The framework's UTF-8 reader runs past the end of the text on a malformed
// sequence; bytes outside ASCII are read as '?' instead, so a stray byte in an
// element we do not know no longer hides the elements after it.
TEST (SavedState, BytesOutsideAsciiDoNotStopTheReading)
{
    VelmorAudioProcessor p;
    const char document[] = "<Root><Gain>0.1</Gain><note>caf\xe9 \xff\xfe</note><DryWet>0.2</DryWet>\xc3</Root>";
    const auto block = wrapStateDocument (juce::String::fromUTF8 ("x"));   // the header, rewritten below
    juce::MemoryBlock raw (block.getData(), 8);
    raw.append (document, sizeof (document));
    const auto length = (juce::uint32) (sizeof (document) - 1);
    std::memcpy (static_cast<char*> (raw.getData()) + 4, &length, 4);

    p.setStateInformation (raw.getData(), (int) raw.getSize());
    EXPECT_EQ (p.getParameter (kGain), 0.1f);
    EXPECT_EQ (p.getParameter (kDryWet), 0.2f);
}

// Broken markup sent the XML reader past the end of the text or into an endless
// loop, and a document cut short used to be half applied. A state that is not
// well-formed XML is unreadable data: nothing of it is applied.
TEST (SavedState, DocumentsThatAreNotWellFormedChangeNothingAtAll)
{
    for (const char* document : { "<Root><Gain>0.1</Gain><DryWet>0.2</DryWet><Mode>1</M",
                                  "<Root><Gain>0.1</Gain><DryWet>0.2</Dry",
                                  "<Root><Gain>0.1</Gain><DryWet>0.2</DryWet>",
                                  "<Root><Gain>0.1</Gain><DryWet>0.2</Mode></Root>",
                                  "<Root><Gain>0.1</Gain><De.&#x6",
                                  "<Root><Gain>0.1</Gain><DryWet>&#x3",
                                  "<Root><Gain>0.1</Gain><DryWet>0.2</DryWet><?/Root>",
                                  "<Root><Gain>0.1</Gain><DryWet><?pi?>0.2</DryWet></Root>",
                                  "<Root><Gain>0.1</Gain><DryWet>0.2</DryWet><!-- </Root>",
                                  "<!DOCTYPE Root [<!ENTITY v \"0.2\">]><Root><DryWet>&v;</DryWet></Root>" })
    {
        VelmorAudioProcessor p;
        p.editorNeedsRefresh = false;
        const auto before = stateOf (p);
        load (p, document);
        EXPECT_EQ (stateOf (p), before) << document;
        EXPECT_FALSE (p.editorNeedsRefresh.load()) << document;
    }

    // Comments, CDATA sections and character references are read.
    VelmorAudioProcessor p;
    load (p, "<?xml version=\"1.0\"?><!-- saved --><Root><Gain><![CDATA[0.1]]></Gain><!-- x -->"
             "<DryWet>&#48;.&#x32;</DryWet></Root>");
    EXPECT_EQ (p.getParameter (kGain), 0.1f);
    EXPECT_EQ (p.getParameter (kDryWet), 0.2f);
}

TEST (SavedState, LengthFieldBeyondTheDataReadsOnlyWhatIsThere)
{
    VelmorAudioProcessor p;
    auto block = wrap ("<Root><Gain>0.1</Gain></Root>");
    const juce::uint32 huge = 0x7fffffff;
    std::memcpy (static_cast<char*> (block.getData()) + 4, &huge, 4);
    p.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_EQ (p.getParameter (kGain), 0.1f);
}

TEST (SavedState, ModeAndDelayTimeRestoreTheSyncNoteWhateverTheirOrder)
{
    for (const char* document : { "<Root><DelayTime>0.625</DelayTime><Mode>1</Mode></Root>",
                                  "<Root><Mode>1</Mode><DelayTime>0.625</DelayTime></Root>" })
    {
        VelmorAudioProcessor p;
        HostListener host;
        p.addListener (&host);
        load (p, document);
        p.removeListener (&host);
        EXPECT_EQ (p.delayMode.load(), modeSync) << document;
        EXPECT_EQ (p.syncNoteIndex.load(), 15) << document;
        ASSERT_EQ (host.changes.size(), 1u) << document;
        EXPECT_EQ (host.changes[0].first, kDelayTime);
    }
}

TEST (SavedState, FilterParametersAreStoredUnderTheirFiltersNames)
{
    VelmorAudioProcessor p;
    p.setParameter (kHighCut, 0.25f);
    p.setParameter (kLowCut, 0.75f);
    p.midiMap[kHighCut] = 1;
    p.midiMap[kLowCut] = 2;
    const auto block = stateOf (p);
    const auto text = juce::String::fromUTF8 (static_cast<const char*> (block.getData()) + 8, (int) block.getSize() - 9);
    EXPECT_TRUE (text.contains ("<LowPass>0.25</LowPass><HighPass>0.75</HighPass>"));
    EXPECT_TRUE (text.contains ("<midiMapLowPass>1</midiMapLowPass><midiMapHighPass>2</midiMapHighPass>"));
}
