#include "EditorTestSupport.h"

#include "BinaryData.h"
#include "editor/VelmorAudioProcessorEditor.h"
#include "processor/ProcessorTestHelpers.h"

using namespace selvane;
using namespace testing_support;

namespace
{
class EditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor.prepareToPlay (48000.0, 512);
        open();
    }
    void TearDown() override { close(); }

    void open()
    {
        editor.reset (dynamic_cast<VelmorAudioProcessorEditor*> (processor.createEditor()));
        processor.addListener (&host);
    }
    void close()
    {
        processor.removeListener (&host);
        if (editor != nullptr)
            processor.editorBeingDeleted (editor.get());
        editor.reset();
    }

    template <typename T = juce::Component>
    T& child (const juce::String& name, int occurrence = 0)
    {
        for (auto* c : editor->getChildren())
            if (c->getName() == name && occurrence-- == 0)
                if (auto* typed = dynamic_cast<T*> (c))
                    return *typed;
        throw std::runtime_error ("no child named " + name.toStdString());
    }

    juce::Slider& slider (const juce::String& name) { return child<juce::Slider> (name); }
    juce::Label& label (const juce::String& name, int occurrence = 0) { return child<juce::Label> (name, occurrence); }
    juce::Button& button (const juce::String& name) { return child<juce::Button> (name); }

    OptionGUI& options()
    {
        for (auto* c : editor->getChildren())
            if (auto* page = dynamic_cast<OptionGUI*> (c))
                return *page;
        throw std::runtime_error ("no options page");
    }

    void tick() { editor->timerCallback(); }

    VelmorAudioProcessor processor;
    HostListener host;
    std::unique_ptr<VelmorAudioProcessorEditor> editor;
};

juce::Image paintEditor (juce::Component& editor)
{
    juce::Image image (juce::Image::RGB, 620, 305, true);
    juce::Graphics g (image);
    editor.paintEntireComponent (g, true);
    return image;
}
} // namespace

TEST_F (EditorTest, OpensWithEveryControlInPlace)
{
    EXPECT_EQ (editor->getWidth(), 620);
    EXPECT_EQ (editor->getHeight(), 305);
    struct Placed
    {
        const char* name;
        juce::Rectangle<int> bounds;
    };
    const Placed table[] = { { "sliderDelayTime", { 446, 124, 70, 70 } },  { "sliderDelayFeedback", { 295, 124, 70, 70 } },
                             { "oscillo", { 286, 224, 236, 83 } },         { "buttonModeShort", { 569, 177, 53, 18 } },
                             { "buttonModeMedium", { 569, 197, 53, 18 } }, { "buttonModeLong", { 569, 217, 53, 18 } },
                             { "buttonModeSync", { 569, 237, 53, 18 } },   { "labelTmin", { 415, 199, 45, 18 } },
                             { "labelTmax", { 505, 199, 48, 18 } },        { "new button", { 0, 0, 166, 30 } },
                             { "labelDelayTime", { 459, 199, 47, 18 } },   { "labelDelayFeedback", { 307, 199, 47, 18 } },
                             { "labelBalance", { 154, 46, 37, 12 } },      { "labelPingPong", { 154, 89, 37, 12 } },
                             { "labelLowCut", { 148, 148, 41, 12 } },      { "labelHighCut", { 148, 192, 41, 12 } },
                             { "labelOutput", { 154, 250, 37, 12 } },      { "buttonSwitchGUI", { 322, 74, 166, 32 } },
                             { "buttonEngrenage", { 593, 6, 18, 18 } },    { "sliderBalance", { 48, 47, 142, 40 } },
                             { "sliderPingPong", { 48, 90, 142, 40 } },    { "sliderHighPass", { 48, 149, 142, 40 } },
                             { "sliderLowPass", { 48, 193, 142, 40 } },    { "sliderDryWet", { 48, 251, 142, 40 } },
                             { "sliderGain", { 12, 71, 37, 196 } },        { "sliderMode", { 566, 175, 54, 82 } } };
    for (int i = 0; i < (int) std::size (table); ++i)
    {
        EXPECT_EQ (child (table[i].name).getBounds(), table[i].bounds) << table[i].name;
    }
    EXPECT_EQ (label ("labelBalance", 1).getBounds(), juce::Rectangle<int> (12, 59, 37, 12)) << "the gain value label";
    // creation order is stacking order; the pages lie above the controls
    EXPECT_EQ (editor->getIndexOfChildComponent (&slider ("sliderDelayTime")), 0);
    EXPECT_EQ (editor->getIndexOfChildComponent (&slider ("sliderMode")), 26);
    EXPECT_EQ (editor->getIndexOfChildComponent (&options()), 27);
    EXPECT_EQ (editor->getNumChildComponents(), 29);

    EXPECT_FALSE (slider ("sliderMode").isVisible());
    EXPECT_FALSE (options().isVisible());
    EXPECT_EQ (options().getPosition(), juce::Point<int> (300, 30));
    EXPECT_TRUE (button ("buttonModeMedium").getToggleState());
    EXPECT_EQ (slider ("sliderDelayTime").getMinimum(), 0.1f);
    EXPECT_EQ (slider ("sliderDelayTime").getMaximum(), 1.0f);
    EXPECT_EQ (slider ("sliderGain").getSkewFactor(), 3.0);
    EXPECT_EQ (slider ("sliderMode").getInterval(), 0.01);
}

TEST_F (EditorTest, FirstTickCopiesEveryParameterIntoControlsAndReadouts)
{
    processor.setParameter (kDelayFeedback, 0.5f);
    processor.setParameter (kGain, 0.9f);
    processor.setParameter (kHighCut, 0.5f);
    processor.setParameter (kDelayTime, 0.5f);
    tick();
    EXPECT_FALSE (processor.editorNeedsRefresh.load());
    EXPECT_EQ (slider ("sliderDelayFeedback").getValue(), 55.0);
    EXPECT_NEAR (slider ("sliderGain").getValue(), 0.0, 1e-4);
    EXPECT_NEAR (slider ("sliderDelayTime").getValue(), 0.55, 1e-6);
    EXPECT_EQ (label ("labelDelayTime").getText(), "0.55 s");
    EXPECT_EQ (label ("labelDelayFeedback").getText(), "55 %");
    EXPECT_EQ (label ("labelHighCut").getText(), "5.0 kHz");
    EXPECT_EQ (label ("labelBalance", 1).getText(), "0 dB");
    EXPECT_EQ (label ("labelBalance").getText(), "50 %");
    EXPECT_TRUE (host.changes.empty()) << "a refresh never writes a parameter";
    // nothing hovered: the value and range labels are hidden, the reel readouts never are
    EXPECT_FALSE (label ("labelBalance").isVisible());
    EXPECT_FALSE (label ("labelTmin").isVisible());
    EXPECT_TRUE (label ("labelDelayTime").isVisible());
}

TEST_F (EditorTest, UserChangesWriteParametersThroughTheHost)
{
    tick();
    slider ("sliderGain").setValue (-10.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor.getParameter (kGain), 0.8f);
    slider ("sliderGain").setValue (0.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor.getParameter (kGain), 0.9f);
    slider ("sliderDelayFeedback").setValue (66.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor.getParameter (kDelayFeedback), 0.6f);
    slider ("sliderLowPass").setValue (0.25, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor.getParameter (kHighCut), 0.25f);
    slider ("sliderHighPass").setValue (0.75, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (processor.getParameter (kLowCut), 0.75f);
    slider ("sliderDelayTime").setValue (0.55, juce::sendNotificationSync);
    EXPECT_NEAR (processor.getParameter (kDelayTime), 0.5f, 1e-6);

    ASSERT_EQ (host.changes.size(), 6u);
    EXPECT_EQ (host.changes[0], std::make_pair ((int) kGain, 0.8f));

    host.gestures.clear();
    editor->sliderDragStarted (&slider ("sliderBalance"));
    editor->sliderDragEnded (&slider ("sliderBalance"));
    editor->sliderDragStarted (&slider ("sliderMode"));
    EXPECT_EQ (host.gestures, (std::vector<int> { kBalance, -1 - kBalance }));
}

TEST_F (EditorTest, ModeButtonsBehaveAsARadioGroupThroughTheTimer)
{
    auto& shortButton = button ("buttonModeShort");
    auto& longButton = button ("buttonModeLong");
    processor.setParameter (kMode, 0.0f);
    tick();
    ASSERT_TRUE (shortButton.getToggleState());

    host.changes.clear();
    longButton.triggerClick();
    deliverPendingMessages();
    // "Mode", and the delay time it re-applies (reported from inside the mode change, so first)
    ASSERT_EQ (host.changes.size(), 2u);
    EXPECT_EQ (host.changes[0].first, (int) kDelayTime);
    EXPECT_EQ (host.changes[1], std::make_pair ((int) kMode, 0.66f));
    tick();
    EXPECT_FALSE (shortButton.getToggleState());
    EXPECT_TRUE (longButton.getToggleState());
    EXPECT_EQ (slider ("sliderDelayTime").getMinimum(), 1.0);
    EXPECT_EQ (slider ("sliderDelayTime").getMaximum(), 3.0);
    EXPECT_EQ (slider ("sliderDelayTime").getInterval(), 0.001);

    host.changes.clear();
    longButton.triggerClick();  // the lit button: stays lit, nothing sent
    deliverPendingMessages();
    EXPECT_TRUE (longButton.getToggleState());
    EXPECT_TRUE (host.changes.empty());

    button ("buttonModeSync").triggerClick();
    deliverPendingMessages();
    tick();
    EXPECT_EQ (slider ("sliderDelayTime").getMaximum(), 24.0);
    EXPECT_EQ (slider ("sliderDelayTime").getInterval(), 1.0);
}

TEST_F (EditorTest, HostAutomationOfModeLightsTheMatchingButton)
{
    processor.setParameter (kMode, 1.0f);
    processor.setParameter (kDelayTime, 0.5f);
    tick();
    EXPECT_TRUE (button ("buttonModeSync").getToggleState());
    EXPECT_FALSE (button ("buttonModeMedium").getToggleState());
    EXPECT_EQ (slider ("sliderDelayTime").getValue(), 12.0);
    EXPECT_EQ (label ("labelDelayTime").getText(), "1/8");
}

TEST_F (EditorTest, BackgroundSwitchTogglesThePictureAndIsRemembered)
{
    const auto photo = paintEditor (*editor);
    button ("buttonSwitchGUI").triggerClick();
    deliverPendingMessages();
    EXPECT_EQ (processor.idxGUI.load(), 1);
    const auto outline = paintEditor (*editor);
    EXPECT_NE (photo.getPixelAt (600, 150), outline.getPixelAt (600, 150));

    close();
    open();
    EXPECT_EQ (paintEditor (*editor).getPixelAt (600, 150), outline.getPixelAt (600, 150)) << "reopens on the outline picture";
}

TEST_F (EditorTest, WelcomePageTogglesFromTheHeaderStrip)
{
    auto* welcome = dynamic_cast<WelcomeGUI*> (editor->getChildComponent (28));
    ASSERT_NE (welcome, nullptr);
    EXPECT_FALSE (welcome->isVisible());
    button ("new button").triggerClick();
    deliverPendingMessages();
    EXPECT_TRUE (welcome->isVisible());
}

TEST_F (EditorTest, MidiLearnMarksControlsShowsTheModeControlAndIsOffAfterClosing)
{
    editor->setMidiLearn (true);
    EXPECT_TRUE (processor.midiLearnActive.load());
    EXPECT_TRUE ((bool) slider ("sliderDelayTime").getProperties()["midiLearnOn"]);
    EXPECT_TRUE (slider ("sliderMode").isVisible());
    tick();
    EXPECT_EQ (processor.midiLearnTarget.load(), -1) << "the pointer is on no control";

    processor.midiLearnTarget = 4;
    close();
    EXPECT_FALSE (processor.midiLearnActive.load());
    EXPECT_EQ (processor.midiLearnTarget.load(), -1);
}

TEST_F (EditorTest, ControlParameterIndexGoesByComponentName)
{
    const std::pair<const char*, int> named[] = { { "sliderDelayTime", 0 }, { "sliderDelayFeedback", 1 }, { "sliderMode", 2 },
                                                  { "sliderBalance", 3 },    { "sliderPingPong", 4 },      { "sliderLowPass", 5 },
                                                  { "sliderHighPass", 6 },   { "sliderDryWet", 7 },        { "sliderGain", 8 } };
    for (auto [name, index] : named)
        EXPECT_EQ (editor->getControlParameterIndex (child (name)), index) << name;
    for (const char* other : { "oscillo", "buttonModeShort", "labelBalance", "new button", "buttonEngrenage" })
        EXPECT_EQ (editor->getControlParameterIndex (child (other)), -1) << other;
    EXPECT_EQ (editor->getControlParameterIndex (label ("labelBalance", 1)), -1) << "the gain label";
}

TEST_F (EditorTest, OptionsPageShowsAssignmentsAndWritesTheChannel)
{
    auto& page = options();
    auto find = [&page] (const juce::String& name) -> juce::Component& {
        for (auto* c : page.getChildren())
            if (c->getName() == name)
                return *c;
        throw std::runtime_error ("missing " + name.toStdString());
    };
    auto text = [&] (const char* name) { return dynamic_cast<juce::Label&> (find (name)).getText(); };

    EXPECT_EQ (text ("labelDelayTime"), "Time: N/A");
    processor.midiMap[kDelayTime] = 74;
    processor.midiMap[kLowCut] = 0;
    page.timerCallback();
    EXPECT_EQ (text ("labelDelayTime"), "Time: CC 74");
    EXPECT_EQ (text ("labelHighPass"), "Low Cut: CC 0");
    EXPECT_EQ (text ("labelLowPass"), "High Cut: N/A ");
    EXPECT_EQ (text ("labelMode"), "Mode: N/A ");

    auto& channel = dynamic_cast<juce::ComboBox&> (find ("presetList"));
    EXPECT_EQ (channel.getNumItems(), 17);
    channel.setSelectedItemIndex (16, juce::sendNotificationSync);
    EXPECT_EQ (processor.idxMidiChannel.load(), 16);
    channel.setSelectedItemIndex (0, juce::sendNotificationSync);
    EXPECT_EQ (processor.idxMidiChannel.load(), 0);

    page.buttonClicked (&dynamic_cast<juce::Button&> (find ("unlearnButton")));
    EXPECT_EQ (processor.midiMap[kDelayTime].load(), -1);
}

TEST_F (EditorTest, GearOpensTheOptionsAndClosingThemSwitchesLearningOff)
{
    auto& gear = button ("buttonEngrenage");
    gear.triggerClick();
    deliverPendingMessages();
    ASSERT_TRUE (options().isVisible());

    options().getLearnButton().triggerClick();
    deliverPendingMessages();
    EXPECT_TRUE (processor.midiLearnActive.load());
    EXPECT_TRUE (slider ("sliderMode").isVisible());

    gear.triggerClick();
    deliverPendingMessages();
    EXPECT_FALSE (options().isVisible());
    EXPECT_FALSE (processor.midiLearnActive.load());
    EXPECT_EQ (processor.midiLearnTarget.load(), -1);
    EXPECT_FALSE (slider ("sliderMode").isVisible());
}

// The selector shows the stored channel ("All", then 1..16); a stored value
// out of its range (from a saved state) selects nothing and stays stored.
TEST_F (EditorTest, OptionsPageSelectsTheStoredChannelAndLeavesNonsenseAlone)
{
    for (const auto [stored, shown] : { std::pair { 5, "5" }, { 0, "All" }, { 16, "16" }, { 40, "" }, { -2, "" } })
    {
        close();
        processor.idxMidiChannel = stored;
        open();
        deliverPendingMessages();
        auto* selector = childNamed<juce::ComboBox> (options(), "presetList");
        ASSERT_NE (selector, nullptr);
        EXPECT_EQ (selector->getText(), juce::String (shown)) << "stored " << stored;
        EXPECT_EQ (selector->getSelectedItemIndex(), juce::String (shown).isEmpty() ? -1 : stored) << "stored " << stored;
        EXPECT_EQ (processor.idxMidiChannel.load(), stored);
    }
}

// The stored index comes from a saved state and may be any int: the switch
// goes to the photo from 1 or above without overflowing, and counts up below.
TEST (EditorBackground, SwitchFromAnyStoredIndexWithoutOverflow)
{
    const std::pair<int, int> cases[] = { { 0, 1 }, { 1, 0 }, { 2147483647, 0 }, { 7, 0 }, { -3, -2 } };
    for (const auto [stored, next] : cases)
    {
        VelmorAudioProcessor processor;
        processor.idxGUI = stored;
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
        for (auto* child : editor->getChildren())
            if (child->getName() == "buttonSwitchGUI")
                dynamic_cast<juce::Button*> (child)->triggerClick();
        deliverPendingMessages();
        EXPECT_EQ (processor.idxGUI.load(), next) << "from " << stored;
        processor.editorBeingDeleted (editor.get());
    }
}

TEST (EditorBackground, ProcessorChoosingTheOutlineOpensOnIt)
{
    VelmorAudioProcessor processor;
    processor.idxGUI = 1;
    std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
    const auto image = paintEditor (*editor);
    const auto outline = juce::ImageCache::getFromMemory (BinaryData::Fond_InterfaceSelvane_epuree_jpg,
                                                          BinaryData::Fond_InterfaceSelvane_epuree_jpgSize);
    EXPECT_EQ (image.getPixelAt (600, 290), outline.getPixelAt (600, 290).withAlpha ((juce::uint8) 255));
    processor.editorBeingDeleted (editor.get());
}
