#include "EditorTestSupport.h"

#include "BinaryData.h"
#include "editor/AltLookAndFeel.h"

using namespace testing_support;

namespace
{
// The highlight depends on where the pointer is, which a headless test
// cannot move: these look-and-feels decide it by a flag instead.
template <typename Base>
struct Forced : Base
{
    bool highlighted = false;
    bool isLearnHighlighted (juce::Slider&) const override { return highlighted; }
};

juce::Image frame (int index)
{
    const auto strip = juce::ImageCache::getFromMemory (BinaryData::bouton_Time_png, BinaryData::bouton_Time_pngSize);
    return strip.getClippedImage ({ 0, index * 70, 70, 70 }).createCopy();
}

bool samePixels (const juce::Image& a, const juce::Image& b, int tolerance = 2)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y), q = b.getPixelAt (x, y);
            if (std::abs (p.getRed() - q.getRed()) > tolerance || std::abs (p.getAlpha() - q.getAlpha()) > tolerance)
                return false;
        }
    return true;
}

juce::Image drawKnob (AltLookAndFeel& laf, juce::Slider& slider, float position, int w, int h)
{
    auto image = blankImage (w, h);
    juce::Graphics g (image);
    laf.drawRotarySlider (g, 7, 9, w, h, position, 0.0f, 1.0f, slider);
    return image;
}
} // namespace

struct FilmstripCase
{
    float position;
    int row;
};

class FilmstripFrame : public ::testing::TestWithParam<FilmstripCase> {};

TEST_P (FilmstripFrame, ChoosesFloorOf126TimesThePosition)
{
    EXPECT_EQ (AltLookAndFeel::filmstripSourceRow (GetParam().position), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P (Positions, FilmstripFrame,
                          ::testing::Values (FilmstripCase { 0.0f, 0 }, FilmstripCase { 0.5f, 4410 },
                                             FilmstripCase { 0.999f, 125 * 70 }, FilmstripCase { 1.0f, 8820 },
                                             FilmstripCase { -0.2f, 0 }, FilmstripCase { 1.5f, 8820 }));

TEST (FilmstripKnob, DrawsTheChosenFrameAtTheOriginWhateverTheOffsets)
{
    AltLookAndFeelDelayTime laf;
    juce::Slider slider;
    for (auto [position, index] : { std::pair { 0.0f, 0 }, std::pair { 0.5f, 63 }, std::pair { 1.0f, 126 } })
        EXPECT_TRUE (samePixels (drawKnob (laf, slider, position, 70, 70), frame (index))) << position;
    EXPECT_FALSE (samePixels (drawKnob (laf, slider, 0.0f, 70, 70), frame (126)));
}

TEST (FilmstripKnob, ScalesTheFrameIntoAnotherSize)
{
    AltLookAndFeelDelayTime laf;
    juce::Slider slider;
    const auto small = drawKnob (laf, slider, 0.5f, 35, 35);
    const auto expected = frame (63).rescaled (35, 35, juce::Graphics::highResamplingQuality);
    EXPECT_GT (countPixels (small, [] (juce::Colour c) { return c.getAlpha() > 0; }), 600);
    EXPECT_TRUE (samePixels (small, expected, 60));
    EXPECT_TRUE (isRedDominant (small.getPixelAt (17, 11)));  // the pointer, straight up
}

TEST (LearnHighlight, BracketsOnlyWhenTheTestHolds)
{
    Forced<AltLookAndFeelDelayFeedback> laf;
    juce::Slider slider;
    auto isBracketRed = [] (juce::Colour c) { return c.getRed() > 200 && c.getGreen() < 40 && c.getBlue() < 40 && c.getAlpha() > 200; };

    auto plainImage = blankImage (70, 70);
    {
        juce::Graphics g (plainImage);
        AltLookAndFeel::drawLearnBrackets (g, 5.0f, 70.0f, 70.0f);
    }
    EXPECT_TRUE (isBracketRed (plainImage.getPixelAt (0, 2)));
    EXPECT_TRUE (isBracketRed (plainImage.getPixelAt (3, 0)));
    EXPECT_TRUE (isBracketRed (plainImage.getPixelAt (0, 67)));
    EXPECT_FALSE (isBracketRed (plainImage.getPixelAt (0, 35)));
    EXPECT_FALSE (isBracketRed (plainImage.getPixelAt (35, 0)));

    const auto off = drawKnob (laf, slider, 0.5f, 70, 70);
    laf.highlighted = true;
    const auto on = drawKnob (laf, slider, 0.5f, 70, 70);
    EXPECT_FALSE (isBracketRed (off.getPixelAt (0, 1)));
    EXPECT_TRUE (isBracketRed (on.getPixelAt (0, 1)));
    EXPECT_TRUE (isBracketRed (on.getPixelAt (69, 1)));
}

// Every combination of the three facts: only all three together highlight.
// (A real pointer over a marked control is driven in the EditorWindow tests.)
TEST (LearnHighlight, NeedsThePropertyThePointerAndAnEnabledSlider)
{
    for (int facts = 0; facts < 8; ++facts)
    {
        const bool marked = facts & 1, pointerOver = facts & 2, enabled = facts & 4;
        EXPECT_EQ (AltLookAndFeel::learnHighlightShows (marked, pointerOver, enabled), facts == 7)
            << "marked " << marked << ", pointer over " << pointerOver << ", enabled " << enabled;
    }

    // A real slider, marked and enabled, with no pointer anywhere near it.
    AltLookAndFeel laf;
    juce::Slider slider;
    slider.getProperties().set (AltLookAndFeel::midiLearnProperty, true);
    EXPECT_FALSE (laf.isLearnHighlighted (slider)) << "the pointer is not over it";
    slider.getProperties().set (AltLookAndFeel::midiLearnProperty, false);
    EXPECT_FALSE (laf.isLearnHighlighted (slider));
}

TEST (LearnHighlight, ModeControlWithoutALookOfItsOwnShowsOnlyBrackets)
{
    Forced<AltLookAndFeel> laf;
    juce::Slider slider;
    EXPECT_EQ (countPixels (drawKnob (laf, slider, 0.3f, 54, 82), [] (juce::Colour c) { return c.getAlpha() > 0; }), 0);
    laf.highlighted = true;
    const auto image = drawKnob (laf, slider, 0.3f, 54, 82);
    EXPECT_GT (countPixels (image, [] (juce::Colour c) { return c.getAlpha() > 0; }), 0);
    EXPECT_EQ (image.getPixelAt (53, 1).getAlpha(), 0) << "right marks lie at width + 2, outside";
}

namespace
{
juce::Image drawLinear (AltLookAndFeel& laf, juce::Slider& slider, int w, int h, int imageHeight, float pos)
{
    auto image = blankImage (w, imageHeight);
    juce::Graphics g (image);
    laf.drawLinearSlider (g, 0, 0, w, h, pos, 0.0f, 0.0f, slider.getSliderStyle(), slider);
    return image;
}
} // namespace

TEST (LinearSlider, DrawsTrackColourOrOpaqueRedWhenHighlighted)
{
    Forced<AltLookAndFeel> laf;
    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setColour (juce::Slider::trackColourId, juce::Colour (0xffff00a1));
    slider.setColour (juce::Slider::backgroundColourId, juce::Colour (0x00ffffff));

    const auto normal = drawLinear (laf, slider, 142, 40, 40, 100.0f);
    EXPECT_EQ (normal.getPixelAt (50, 20), juce::Colour (0xffff00a1));  // the value bar
    EXPECT_EQ (normal.getPixelAt (120, 20).getAlpha(), 0);               // nothing beyond the thumb's ring
    EXPECT_EQ (normal.getPixelAt (100, 20), juce::Colour (0xffff00a1));  // the dot

    laf.highlighted = true;
    const auto red = drawLinear (laf, slider, 142, 40, 40, 100.0f);
    EXPECT_EQ (red.getPixelAt (50, 20), juce::Colour (0xffff0000));
    EXPECT_EQ (red.getPixelAt (100, 20), juce::Colour (0xffff0000));
}

TEST (LinearSlider, VerticalBarEndsThirteenPixelsBelowTheHeight)
{
    AltLookAndFeel laf;
    juce::Slider slider (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    slider.setColour (juce::Slider::trackColourId, juce::Colour (0xff00fff5));
    slider.setColour (juce::Slider::backgroundColourId, juce::Colour (0x00ffffff));
    const auto image = drawLinear (laf, slider, 37, 100, 130, 40.0f);
    // the bar runs from the thumb down to y = height + 13 at x = width / 2
    EXPECT_EQ (image.getPixelAt (18, 80), juce::Colour (0xff00fff5));
    EXPECT_EQ (image.getPixelAt (18, 112), juce::Colour (0xff00fff5));
    EXPECT_EQ (image.getPixelAt (18, 115).getAlpha(), 0);
}

TEST (Buttons, AToggledButtonGetsItsRedFrameEvenWhenTooThinForAShape)
{
    AltLookAndFeel laf;
    juce::TextButton button;
    button.setSize (1, 20);
    button.setToggleState (true, juce::dontSendNotification);
    auto image = blankImage (1, 20);
    {
        juce::Graphics g (image);
        laf.drawButtonBackground (g, button, juce::Colours::blue, false, false);
    }
    const auto c = image.getPixelAt (0, 10);
    EXPECT_GT (c.getRed(), 200);
    EXPECT_LT (c.getGreen(), 20);

    button.setToggleState (false, juce::dontSendNotification);
    auto plain = blankImage (1, 20);
    {
        juce::Graphics g (plain);
        laf.drawButtonBackground (g, button, juce::Colours::blue, false, false);
    }
    EXPECT_EQ (plain.getPixelAt (0, 10).getAlpha(), 0);
}

TEST (Buttons, TransparentLookDrawsNoBackground)
{
    AltLookAndFeel_transparentButton laf;
    juce::TextButton button;
    button.setSize (40, 20);
    button.setToggleState (true, juce::dontSendNotification);
    auto image = blankImage (40, 20);
    {
        juce::Graphics g (image);
        laf.drawButtonBackground (g, button, juce::Colours::blue, true, true);
    }
    EXPECT_EQ (countPixels (image, [] (juce::Colour c) { return c.getAlpha() > 0; }), 0);
}

TEST (Fonts, DefaultSansSerifIsRobotoAndNamedFontsAreLeftAlone)
{
    AltLookAndFeel laf;
    EXPECT_EQ (laf.getTypefaceForFont (juce::Font (12.0f))->getName(), "Roboto");
    const juce::Font named ("DejaVu Serif", 12.0f, juce::Font::plain);
    EXPECT_NE (laf.getTypefaceForFont (named)->getName(), "Roboto");
    juce::TextButton button;
    EXPECT_EQ (laf.getTextButtonFont (button, 40).getHeight(), 13.0f);
}

TEST (SliderTextBox, BarSlidersGetTransparentLabelsAndTheWheelDoesNothing)
{
    AltLookAndFeel_transparentButton laf;
    juce::Slider slider (juce::Slider::LinearBar, juce::Slider::TextBoxBelow);
    slider.setColour (juce::Slider::textBoxBackgroundColourId, juce::Colours::white);
    std::unique_ptr<juce::Label> label (laf.createSliderTextBox (slider));
    EXPECT_EQ (label->findColour (juce::Label::backgroundColourId), juce::Colours::transparentBlack);
    EXPECT_NEAR (label->findColour (juce::TextEditor::backgroundColourId).getFloatAlpha(), 0.7f, 0.01f);
    EXPECT_EQ (label->getFont().getHeight(), 11.0f);
    EXPECT_NE (dynamic_cast<AltLookAndFeel_transparentButton::SliderLabelComp*> (label.get()), nullptr);

    juce::Slider rotary (juce::Slider::RotaryVerticalDrag, juce::Slider::TextBoxBelow);
    rotary.setColour (juce::Slider::textBoxBackgroundColourId, juce::Colours::white.withAlpha (0.2f));
    std::unique_ptr<juce::Label> other (laf.createSliderTextBox (rotary));
    EXPECT_EQ (other->findColour (juce::TextEditor::backgroundColourId).getFloatAlpha(), 1.0f);
}
