// Loads the built VST 2.x, VST3 and LV2 binaries with JUCE's own hosting
// classes and checks what a DAW sees and hears.

#include "HostTestSupport.h"
#include "support/AudioTestHelpers.h"
#include "support/PresetValues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

using namespace host_testing;

namespace
{
void setParameter (juce::AudioPluginInstance& p, const juce::String& name, float value)
{
    auto* param = parameterNamed (p, name);
    ASSERT_NE (param, nullptr) << name;
    param->setValueNotifyingHost (value);
}

// Runs blocks on an audio thread of their own, as a host does, then lets the
// message thread deliver what the plug-in reported meanwhile (a VST3 host
// hears of changes made on the audio thread through the next blocks' output
// and passes them on from its message thread).
void runBlocks (juce::AudioPluginInstance& p, juce::AudioBuffer<float>& buffer, int count, juce::MidiBuffer midi = {})
{
    std::thread audioThread ([&] {
        for (int i = 0; i < count; ++i)
        {
            buffer.clear();
            juce::MidiBuffer events (i == 0 ? midi : juce::MidiBuffer());
            p.processBlock (buffer, events);
        }
    });
    audioThread.join();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
}
// Lets the message thread deliver what is posted to it until `done` holds, or
// for at most `seconds` (a loaded machine may take its time).
template <typename Predicate>
bool dispatchUntil (Predicate&& done, double seconds = 10.0)
{
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + seconds * 1000.0;
    while (! done())
    {
        if (juce::Time::getMillisecondCounterHiRes() > deadline)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }
    return true;
}

// Gives a parameter controller 20 inside a host's saved state, as MIDI learn
// would have: the plug-in's document is edited in place ("-1" becomes "20",
// same length) wherever the format keeps it.
juce::MemoryBlock withController20For (const juce::String& parameter, const juce::MemoryBlock& hostState,
                                       const juce::String& format)
{
    const juce::String from = "<midiMap" + parameter + ">-1</midiMap" + parameter + ">",
                       to = "<midiMap" + parameter + ">20</midiMap" + parameter + ">";
    auto editBytes = [&] (juce::MemoryBlock block) {
        auto* bytes = static_cast<char*> (block.getData());
        for (size_t i = 0; i + (size_t) from.length() <= block.getSize(); ++i)
            if (std::memcmp (bytes + i, from.toRawUTF8(), (size_t) from.length()) == 0)
                std::memcpy (bytes + i, to.toRawUTF8(), (size_t) to.length());
        return block;
    };
    auto editBase64 = [&] (const juce::String& encoded) {
        juce::MemoryBlock inner;
        inner.fromBase64Encoding (encoded);
        return editBytes (inner).toBase64Encoding();
    };

    if (format == "VST")  // the chunk sits raw inside the host's bank
        return editBytes (hostState);
    if (format == "VST3")  // base64 in the host's XML
    {
        auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize());
        if (xml == nullptr)
            return hostState;
        if (auto* component = xml->getChildByName ("IComponent"))
        {
            const auto edited = editBase64 (component->getAllSubText());
            component->deleteAllTextElements();
            component->addTextElement (edited);
        }
        juce::MemoryBlock out;
        juce::AudioProcessor::copyXmlToBinary (*xml, out);
        return out;
    }
    // LV2: base64 in a Turtle string literal
    auto text = withLv2Prefixes (hostState).toString();
    const auto start = text.indexOf ("StateString> \"") + 14;
    const auto end = text.indexOfChar (start, '"');
    text = text.substring (0, start) + editBase64 (text.substring (start, end)) + text.substring (end);
    return juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8());
}
// Assigns controller 20 to a parameter as MIDI learn would: the host's own
// state restored with the assignment written into it.
void assignController20 (juce::AudioPluginInstance& p, const juce::String& format, const juce::String& parameter)
{
    juce::MemoryBlock state;
    p.getStateInformation (state);
    const auto assigned = withController20For (parameter, state, format);
    p.setStateInformation (assigned.getData(), (int) assigned.getSize());
}

// A parameter as the plug-in itself holds it, read through the host's saved state.
float savedValue (juce::AudioPluginInstance& p, const juce::String& format, const juce::String& parameter)
{
    juce::MemoryBlock state;
    p.getStateInformation (state);
    const auto document = juce::parseXML (pluginDocumentIn (state, format));
    if (document == nullptr)
        return -1.0f;
    auto* element = document->getChildByName (parameter);
    return element != nullptr ? element->getAllSubText().getFloatValue() : -1.0f;
}

class Hosted : public ::testing::TestWithParam<Format> {};

std::string formatName (const ::testing::TestParamInfo<Format>& info)
{
    return info.param.name;
}
} // namespace

TEST_P (Hosted, IsFoundUnderItsNameAndMaker)
{
    juce::OwnedArray<juce::PluginDescription> found;
    for (auto* f : formatManager().getFormats())
        if (f->getName() == GetParam().name)
            f->findAllTypesForFile (found, GetParam().location);
    ASSERT_EQ (found.size(), 1);
    EXPECT_EQ (found[0]->name, "Selvane");
    EXPECT_EQ (found[0]->manufacturerName, "Orvelle");
    EXPECT_FALSE (found[0]->isInstrument);
    if (juce::String (GetParam().name) == "VST")
        EXPECT_EQ (found[0]->uniqueId, ('O' << 24) | ('v' << 16) | ('S' << 8) | 'e');
}

TEST_P (Hosted, OffersTheNineParametersWithTheirDefaultsAndTexts)
{
    auto p = load (GetParam());
    ASSERT_NE (p, nullptr);
    const char* names[] = { "DelayTime", "DelayFeedback", "Mode", "Balance", "PingPong", "HighCut", "LowCut", "DryWet", "Gain" };
    const float defaults[] = { 0.0f, 0.5f, 0.33f, 0.5f, 0.0f, 0.0f, 0.0f, 0.5f, 0.9f };
    for (int i = 0; i < 9; ++i)
    {
        auto* param = parameterNamed (*p, names[i]);
        ASSERT_NE (param, nullptr) << names[i];
        if (juce::String (GetParam().name) != "VST")  // VST 2.x has no way to tell a host the defaults
            EXPECT_NEAR (param->getDefaultValue(), defaults[i], 1.0e-6) << names[i];
        EXPECT_NEAR (param->getValue(), defaults[i], 1.0e-6) << names[i];
    }
    EXPECT_EQ (parameterNamed (*p, "Mode")->getCurrentValueAsText(), "0.33");
    // VST3 and LV2 hosts add their own bypass (and VST3 the MIDI controller
    // stand-ins that carry CCs); VST 2.x shows exactly nine.
    if (juce::String (GetParam().name) == "VST")
        EXPECT_EQ (p->getParameters().size(), 9);
    else
        EXPECT_NE (parameterNamed (*p, "Bypass"), nullptr);
    EXPECT_TRUE (p->acceptsMidi());
    EXPECT_FALSE (p->producesMidi());
}

// VST3 hosts are told the tail is infinite; VST 2.x hosts 0 ("unknown"
// there). LV2 has no tail in its interface: nothing to tell.
TEST_P (Hosted, Vst3HostsAreToldTheEchoesMayRingForEver)
{
    const juce::String format (GetParam().name);
    if (format == "LV2")
        GTEST_SKIP() << "LV2 plug-ins tell their hosts no tail length";

    auto p = load (GetParam());
    ASSERT_NE (p, nullptr);
    p->prepareToPlay (48000.0, 512);
    if (format == "VST3")
        EXPECT_EQ (p->getTailLengthSeconds(), std::numeric_limits<double>::infinity());
    else
        EXPECT_EQ (p->getTailLengthSeconds(), 0.0) << format;
}

TEST_P (Hosted, AcceptsTheThreeLayoutsAndRefusesOthers)
{
    auto p = load (GetParam());
    ASSERT_NE (p, nullptr);
    const auto layout = testing_support::busesLayout;
    EXPECT_TRUE (p->checkBusesLayoutSupported (layout (2, 2)));
    // JUCE's VST 2.x host does not ask the plug-in (the raw VST 2.x test does),
    // and an LV2 plug-in's ports are fixed in its manifest.
    if (juce::String (GetParam().name) == "VST")
        return;
    if (juce::String (GetParam().name) != "LV2")
    {
        EXPECT_TRUE (p->checkBusesLayoutSupported (layout (1, 2)));
        EXPECT_TRUE (p->checkBusesLayoutSupported (layout (1, 1)));
    }
    EXPECT_FALSE (p->checkBusesLayoutSupported (layout (2, 1)));
    EXPECT_FALSE (p->checkBusesLayoutSupported (layout (3, 3)));
}

TEST_P (Hosted, EchoesAnImpulseAtTheDelayTime)
{
    auto p = load (GetParam(), 48000.0, 8192);
    ASSERT_NE (p, nullptr);
    p->prepareToPlay (48000.0, 8192);
    setParameter (*p, "Mode", 0.0f);       // short, 5..100 ms
    setParameter (*p, "DelayTime", 0.5f);  // 52.5 ms: 2520 samples
    juce::AudioBuffer<float> buffer (2, 8192);
    runBlocks (*p, buffer, 200);           // the delay glides onto its length

    buffer.clear();
    buffer.setSample (0, 0, 1.0f);
    juce::MidiBuffer midi;
    p->processBlock (buffer, midi);
    EXPECT_EQ (testing_support::loudestSample (buffer, 0, 100, 8192), 2520);
    EXPECT_NEAR (buffer.getSample (0, 2520), 0.55f * 0.99739f * 0.92704f, 0.002);
    p->releaseResources();
}

// A host that sends more than the block size it announced gets the same audio
// as one that keeps to it (the framework's adapters hold scratch buffers of the
// announced size only). Left and right differ, so channels mixed up by an
// overrun would show.
TEST_P (Hosted, BlocksLongerThanAnnouncedSoundLikeAnnouncedOnes)
{
    constexpr int announced = 512, length = 3 * announced + 100;
    auto signal = [] (int channel, int i) { return 0.4f * std::sin (0.013f * (float) i * (float) (channel + 1)); };

    std::array<juce::AudioBuffer<float>, 2> outputs;
    for (int run = 0; run < 2; ++run)
    {
        auto p = load (GetParam(), 48000.0, announced);
        ASSERT_NE (p, nullptr);
        p->prepareToPlay (48000.0, announced);
        setParameter (*p, "DryWet", 0.7f);
        juce::AudioBuffer<float> whole (2, length);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < length; ++i)
                whole.setSample (c, i, signal (c, i));

        juce::MidiBuffer midi;
        if (run == 0)
        {
            p->processBlock (whole, midi);
        }
        else
        {
            for (int start = 0; start < length; start += announced)
            {
                const int n = juce::jmin (announced, length - start);
                juce::AudioBuffer<float> piece (whole.getArrayOfWritePointers(), 2, start, n);
                p->processBlock (piece, midi);
            }
        }
        outputs[(size_t) run] = whole;
        p->releaseResources();
    }

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < length; ++i)
            ASSERT_EQ (outputs[0].getSample (c, i), outputs[1].getSample (c, i)) << "channel " << c << ", sample " << i;
}

TEST_P (Hosted, StateSavedByOneInstanceRestoresAnother)
{
    auto a = load (GetParam());
    auto b = load (GetParam());
    ASSERT_NE (a, nullptr);
    ASSERT_NE (b, nullptr);
    a->prepareToPlay (48000.0, 512);
    b->prepareToPlay (48000.0, 512);
    setParameter (*a, "DelayTime", 0.3f);
    setParameter (*a, "PingPong", 0.7f);
    setParameter (*a, "Gain", 0.8f);
    juce::AudioBuffer<float> buffer (2, 512);
    runBlocks (*a, buffer, 1);

    juce::MemoryBlock saved;
    a->getStateInformation (saved);
    const auto state = restorableState (saved, GetParam().name);
    b->setStateInformation (state.getData(), (int) state.getSize());
    runBlocks (*b, buffer, 1);  // LV2 hosts read parameters back after a block

    for (const char* name : { "DelayTime", "PingPong", "Gain", "Mode" })
        EXPECT_NEAR (parameterNamed (*b, name)->getValue(), parameterNamed (*a, name)->getValue(), 1.0e-6) << name;
}

TEST_P (Hosted, ControlChangeDrivesItsAssignedParameterAndTheAssignmentSurvivesAReload)
{
    const juce::String format = GetParam().name;
    auto a = load (GetParam());
    ASSERT_NE (a, nullptr);
    a->prepareToPlay (48000.0, 512);
    juce::MemoryBlock fresh;
    a->getStateInformation (fresh);
    const auto assigned = withController20For ("DryWet", fresh, format);
    ASSERT_NE (assigned, restorableState (fresh, format)) << "the assignment was not written into the host's state";
    a->setStateInformation (assigned.getData(), (int) assigned.getSize());

    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 20, 127), 0);
    runBlocks (*a, buffer, 2, midi);
    EXPECT_EQ (savedValue (*a, format, "DryWet"), 1.0f);
    // JUCE's VST3 host passes changes a plug-in makes on the audio thread to
    // the plug-in's controller, not to its own parameter objects; an LV2
    // host's parameters are its input ports, which only the host (or the
    // plug-in's open editor) writes.
    if (format == "VST")
        EXPECT_NEAR (parameterNamed (*a, "DryWet")->getValue(), 1.0f, 1.0e-6);

    // A fresh instance restored from the host's state keeps the assignment.
    juce::MemoryBlock saved;
    a->getStateInformation (saved);
    const auto state = restorableState (saved, format);
    auto b = load (GetParam());
    ASSERT_NE (b, nullptr);
    b->prepareToPlay (48000.0, 512);
    b->setStateInformation (state.getData(), (int) state.getSize());
    juce::MidiBuffer down;
    down.addEvent (juce::MidiMessage::controllerEvent (1, 20, 0), 0);
    runBlocks (*b, buffer, 2, down);
    EXPECT_EQ (savedValue (*b, format, "DryWet"), 0.0f);
    if (format == "VST")
        EXPECT_NEAR (parameterNamed (*b, "DryWet")->getValue(), 0.0f, 1.0e-6);
}

// A play head that knows nothing but that it exists: an LV2 host sends it as
// an empty time:Position object, as hosts do with the transport.
struct BarePlayHead : juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override { return PositionInfo {}; }
};

// What a MIDI controller set stays until the host changes that parameter,
// however many events later blocks carry (another controller, the transport)
// and whatever value the host's own control holds.
TEST_P (Hosted, AControllersChangeOutlivesTheEventsThatFollowIt)
{
    const juce::String format = GetParam().name;
    struct Case
    {
        const char* next;
        bool withTransport;
        juce::MidiBuffer midi;
    };
    juce::MidiBuffer unassigned;
    unassigned.addEvent (juce::MidiMessage::controllerEvent (1, 21, 64), 0);
    const Case cases[] = { { "another controller", false, unassigned }, { "the transport", true, {} } };

    for (const auto& next : cases)
    {
        auto p = load (GetParam());
        ASSERT_NE (p, nullptr);
        p->prepareToPlay (48000.0, 512);
        juce::AudioBuffer<float> buffer (2, 512);
        setParameter (*p, "DelayFeedback", 0.9f);  // the host's control, away from its default
        runBlocks (*p, buffer, 1);
        assignController20 (*p, format, "DelayFeedback");
        runBlocks (*p, buffer, 1);
        ASSERT_NEAR (savedValue (*p, format, "DelayFeedback"), 0.9f, 1.0e-6);

        juce::MidiBuffer down;
        down.addEvent (juce::MidiMessage::controllerEvent (1, 20, 0), 0);
        runBlocks (*p, buffer, 1, down);
        EXPECT_EQ (savedValue (*p, format, "DelayFeedback"), 0.0f) << "controller 20 did not set the feedback";

        BarePlayHead playHead;
        if (next.withTransport)
            p->setPlayHead (&playHead);
        runBlocks (*p, buffer, 3, next.midi);
        EXPECT_EQ (savedValue (*p, format, "DelayFeedback"), 0.0f) << "undone by " << next.next;
        p->setPlayHead (nullptr);

        // The host's own change still applies.
        setParameter (*p, "DelayFeedback", 0.4f);
        runBlocks (*p, buffer, 1);
        EXPECT_NEAR (savedValue (*p, format, "DelayFeedback"), 0.4f, 1.0e-6) << "after " << next.next;
    }
}

// A restored state leaves the plug-in exactly as the state says, whatever the
// host's controls held before the restore; only what the host sets afterwards
// applies. The state restored here was saved after a MIDI controller moved
// "DelayFeedback" away from the host's control (which the host cannot see in
// LV2, whose parameters are the host's own ports); every parameter is read
// back, from the plug-in and, where the host owns the value, from the host.
TEST_P (Hosted, ARestoredStateIsNotOverruledByWhatTheHostHeldBefore)
{
    const juce::String format = GetParam().name;
    const char* names[] = { "DelayTime", "DelayFeedback", "Mode", "Balance", "PingPong",
                            "HighCut", "LowCut", "DryWet", "Gain" };
    const auto tag = [] (const juce::String& name) {  // the document's names for the filters are older
        return name == "HighCut" ? juce::String ("LowPass") : name == "LowCut" ? juce::String ("HighPass") : name;
    };
    const auto controller20 = [] (int value) {
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 20, value), 0);
        return midi;
    };
    auto p = load (GetParam());
    ASSERT_NE (p, nullptr);
    p->prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> buffer (2, 512);

    // Every control away from its default, and controller 20 on the feedback.
    std::vector<float> saved;
    for (const auto* name : names)
    {
        saved.push_back (0.1f + 0.08f * (float) saved.size());
        setParameter (*p, name, saved.back());
    }
    runBlocks (*p, buffer, 1);
    assignController20 (*p, format, "DelayFeedback");
    runBlocks (*p, buffer, 1);

    // The state: the feedback at 0 by the controller.
    runBlocks (*p, buffer, 1, controller20 (0));
    saved[1] = 0.0f;
    juce::MemoryBlock state;
    p->getStateInformation (state);
    const auto restorable = restorableState (state, format);

    // Changed again after saving, then the state restored.
    runBlocks (*p, buffer, 1, controller20 (127));
    ASSERT_EQ (savedValue (*p, format, "DelayFeedback"), 1.0f);
    p->setStateInformation (restorable.getData(), (int) restorable.getSize());
    runBlocks (*p, buffer, 2);
    for (size_t i = 0; i < saved.size(); ++i)
        EXPECT_NEAR (savedValue (*p, format, tag (names[i])), saved[i], 1.0e-6) << names[i] << ", as the plug-in holds it";

    // As pluginval checks it: each control moved by the host and the state
    // restored at once, with no block between; the host reads its value back.
    juce::Random random (7);
    for (size_t i = 0; i < saved.size(); ++i)
    {
        auto* param = parameterNamed (*p, names[i]);
        const float before = param->getValue();
        param->setValue (random.nextFloat());
        p->setStateInformation (restorable.getData(), (int) restorable.getSize());
        EXPECT_NEAR (param->getValue(), before, 1.0e-6) << names[i] << " not restored";
    }
    runBlocks (*p, buffer, 2);
    for (size_t i = 0; i < saved.size(); ++i)
        EXPECT_NEAR (savedValue (*p, format, tag (names[i])), saved[i], 1.0e-6) << names[i] << ", as the plug-in holds it";

    // What the host sets after the restore applies.
    setParameter (*p, "DelayFeedback", 0.5f);
    runBlocks (*p, buffer, 1);
    EXPECT_NEAR (savedValue (*p, format, "DelayFeedback"), 0.5f, 1.0e-6);
}

// Automation of "Mode" from the host: the processor re-sends "DelayTime" with
// its stored value and the host hears of it, while the host's own change to
// "Mode" is not echoed back. (An LV2 host owns its parameters' ports: it is
// not told of a value it already holds.)
TEST_P (Hosted, HostAutomationOfModeTellsTheHostOfTheDelayTime)
{
    if (juce::String (GetParam().name) == "LV2")
        GTEST_SKIP() << "LV2 parameters are the host's own ports";
    if (juce::String (GetParam().name) == "VST3")
        GTEST_SKIP() << "JUCE's VST3 host passes what a plug-in reports to the plug-in's controller only";

    struct Heard : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
        {
            const std::lock_guard<std::mutex> lock (mutex);
            changes.emplace_back (index, value);
        }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
        std::mutex mutex;
        std::vector<std::pair<int, float>> changes;
    } heard;

    auto p = load (GetParam());
    ASSERT_NE (p, nullptr);
    p->prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> buffer (2, 512);
    auto* delayTime = parameterNamed (*p, "DelayTime");
    auto* mode = parameterNamed (*p, "Mode");
    ASSERT_NE (delayTime, nullptr);
    ASSERT_NE (mode, nullptr);
    delayTime->setValue (0.5f);
    runBlocks (*p, buffer, 2);

    const auto told = [&] (int index) {
        return std::count_if (heard.changes.begin(), heard.changes.end(), [&] (auto& c) { return c.first == index; });
    };
    p->addListener (&heard);
    mode->setValue (0.66f);  // the host's automation, not a change of the plug-in's own
    // The announcement of DelayTime is made after the host's change is applied:
    // an echo of Mode would have come before it.
    dispatchUntil ([&] {
        const std::lock_guard<std::mutex> lock (heard.mutex);
        return told (delayTime->getParameterIndex()) > 0;
    });
    p->removeListener (&heard);

    const std::lock_guard<std::mutex> lock (heard.mutex);
    EXPECT_GE (told (delayTime->getParameterIndex()), 1) << "the host was not told of DelayTime";
    for (const auto& [index, value] : heard.changes)
        if (index == delayTime->getParameterIndex())
            EXPECT_NEAR (value, 0.5f, 1.0e-6);
    EXPECT_EQ (told (mode->getParameterIndex()), 0) << "the host's own change came back";
}

TEST_P (Hosted, EditorOpensAndCloses)
{
    if (std::getenv ("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X display (run under the Xvfb wrapper)";
    auto p = load (GetParam());
    ASSERT_NE (p, nullptr);
    ASSERT_TRUE (p->hasEditor());
    std::unique_ptr<juce::AudioProcessorEditor> editor (p->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    EXPECT_GT (editor->getWidth(), 0);
    EXPECT_GT (editor->getHeight(), 0);
    editor.reset();
}

INSTANTIATE_TEST_SUITE_P (Formats, Hosted, ::testing::ValuesIn (formats), formatName);

//==============================================================================
// --window FORMAT SECONDS [SCALE]: shows the plug-in's editor in a real
// window (for tests that drive it with a pointer under Xvfb), prints where
// the editor lies on the screen and every parameter change the plug-in
// reports. With a scale, the host asks the editor to draw that much larger,
// as a host on a HiDPI screen does (JUCE passes it on as the VST3 content
// scale or the LV2 ui:scaleFactor; VST 2.x gets the vendor-specific DPI call).
int runWindowHost (const juce::String& formatName, double seconds, float scale)
{
    const Format* format = nullptr;
    for (const auto& f : formats)
        if (formatName == f.name)
            format = &f;
    if (format == nullptr)
        return 2;

    auto plugin = load (*format, 48000.0, 512);
    if (plugin == nullptr)
    {
        std::printf ("cannot load %s\n", format->name);
        return 1;
    }
    plugin->prepareToPlay (48000.0, 512);

    struct Printer : juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged (int index, float value) override
        {
            if (auto* p = plugin->getParameters()[index])
                std::printf ("param %s %.4f\n", p->getName (100).toRawUTF8(), value);
            std::fflush (stdout);
        }
        void parameterGestureChanged (int, bool) override {}
        juce::AudioPluginInstance* plugin;
    } printer;
    printer.plugin = plugin.get();
    for (auto* p : plugin->getParameters())
        p->addListener (&printer);

    // Audio keeps flowing as in a host, so the plug-in's own timers see blocks.
    struct AudioTimer : juce::Timer
    {
        void timerCallback() override
        {
            juce::AudioBuffer<float> buffer (2, 512);
            buffer.clear();
            juce::MidiBuffer midi;
            plugin->processBlock (buffer, midi);
        }
        juce::AudioPluginInstance* plugin;
    } audio;
    audio.plugin = plugin.get();
    audio.startTimer (10);

    juce::DocumentWindow window ("Selvane test host", juce::Colours::black, 0);
    window.setUsingNativeTitleBar (true);
    auto* editor = plugin->createEditorIfNeeded();
    if (editor == nullptr)
    {
        std::printf ("%s has no editor\n", format->name);
        return 1;
    }
    window.setContentNonOwned (editor, true);
    window.setTopLeftPosition (40, 40);
    window.setVisible (true);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (400);

    // as a host does when its window moves to a HiDPI screen
    if (scale != 1.0f)
    {
        if (juce::String (format->name) == "VST")
            sendVst2ContentScale (plugin->getPlatformSpecificData(), scale);
        else
            editor->setScaleFactor (scale);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (400);
    }
    const auto origin = window.getContentComponent()->getScreenPosition();
    std::printf ("editor at %d %d size %d %d\n", origin.x, origin.y, window.getContentComponent()->getWidth(),
                 window.getContentComponent()->getHeight());
    std::fflush (stdout);
    juce::MessageManager::getInstance()->runDispatchLoopUntil ((int) (seconds * 1000.0));

    audio.stopTimer();
    for (auto* p : plugin->getParameters())
        p->removeListener (&printer);
    window.clearContentComponent();
    delete editor;
    return 0;
}

int main (int argc, char** argv)
{
    if ((argc == 4 || argc == 5) && juce::String (argv[1]) == "--window")
    {
        const PrivateLv2Home lv2Home;
        const juce::ScopedJuceInitialiser_GUI juce;
        const float scale = argc == 5 ? juce::String (argv[4]).getFloatValue() : 1.0f;
        const int result = runWindowHost (argv[2], juce::String (argv[3]).getDoubleValue(), scale);
        releaseFormatManager();
        return result;
    }

    const PrivateLv2Home lv2Home;
    const juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    const int result = RUN_ALL_TESTS();
    releaseFormatManager();
    return result;
}

// Each factory preset's .vstpreset, loaded the way VST3 hosts load preset
// files, sets the nine parameters to the preset's values.
TEST_P (Hosted, Vst3PresetFilesSetTheirParameters)
{
    if (juce::String (GetParam().name) != "VST3")
        GTEST_SKIP() << ".vstpreset files are for VST3 hosts";

    for (const auto& preset : selvane::factoryPresets)
    {
        auto p = load (GetParam());
        ASSERT_NE (p, nullptr);
        p->prepareToPlay (48000.0, 512);
        juce::MemoryBlock data;
        const juce::File file (juce::String (SELVANE_PRESET_FILES_DIR "/") + testing_support::presetFileName (preset, true));
        ASSERT_TRUE (file.loadFileAsData (data)) << file.getFullPathName();
        ASSERT_TRUE (juce::VST3PluginFormat::setStateFromVSTPresetFile (p.get(), data)) << preset.name;

        const auto expected = testing_support::presetValues (preset);
        for (int index = 0; index < selvane::numParameters; ++index)
        {
            auto* parameter = parameterNamed (*p, selvane::parameterTable[(size_t) index].name);
            ASSERT_NE (parameter, nullptr);
            EXPECT_NEAR (parameter->getValue(), *expected[(size_t) index], 1.0e-6)
                << preset.name << " " << selvane::parameterTable[(size_t) index].name;
        }
        p->releaseResources();
    }
}
