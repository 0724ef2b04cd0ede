#include "AltLookAndFeel.h"

#include "BinaryData.h"
#include "Pictures.h"

namespace
{
constexpr int filmstripFrameSize = 70;
constexpr float filmstripLastFrame = 126.0f;

bool isHorizontal (juce::Slider::SliderStyle style)
{
    return style == juce::Slider::LinearHorizontal || style == juce::Slider::LinearBar
        || style == juce::Slider::TwoValueHorizontal || style == juce::Slider::ThreeValueHorizontal;
}
} // namespace

const juce::Identifier AltLookAndFeel::midiLearnProperty ("midiLearnOn");

AltLookAndFeel::AltLookAndFeel()
{
    setColour (juce::ComboBox::backgroundColourId, juce::Colour (0xff000000));
    setColour (juce::ComboBox::buttonColourId, juce::Colour (0xff000000));
    setColour (juce::ComboBox::outlineColourId, juce::Colour (0xfff5f5f5));
    setColour (juce::ComboBox::arrowColourId, juce::Colour (0xffffffff));
    setColour (juce::ComboBox::textColourId, juce::Colour (0xffffffff));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0xffe10037));
    setColour (juce::TextButton::buttonColourId, juce::Colour (0xffffffff));
    setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xffffffff));
    setColour (juce::TextButton::textColourOnId, juce::Colour (0xffffffff));
    setColour (juce::TextButton::textColourOffId, juce::Colour (0xffffffff));
}

// Text in the default font is drawn in the embedded Roboto Regular.
juce::Typeface::Ptr AltLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    if (font.getTypefaceName() == juce::Font::getDefaultSansSerifFontName())
        return juce::Typeface::createSystemTypefaceFor (BinaryData::RobotoRegular_ttf, BinaryData::RobotoRegular_ttfSize);
    return LookAndFeel_V3::getTypefaceForFont (font);
}

//==============================================================================
void AltLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                                           bool isMouseOverButton, bool isButtonDown)
{
    auto baseColour = backgroundColour.withMultipliedSaturation (button.hasKeyboardFocus (true) ? 1.3f : 0.9f)
                          .withMultipliedAlpha (button.isEnabled() ? 0.9f : 0.5f);
    if (isButtonDown)
        baseColour = baseColour.contrasting (0.2f);
    else if (isMouseOverButton)
        baseColour = baseColour.contrasting (0.1f);

    const float w = (float) button.getWidth() - 1.0f;
    const float h = (float) button.getHeight() - 1.0f;
    if (w > 0.0f && h > 0.0f)
    {
        juce::Path outline;
        outline.addRoundedRectangle (0.5f, 0.5f, w, h, 4.0f, 4.0f,
                                     ! (button.isConnectedOnLeft() || button.isConnectedOnTop()),
                                     ! (button.isConnectedOnRight() || button.isConnectedOnTop()),
                                     ! (button.isConnectedOnLeft() || button.isConnectedOnBottom()),
                                     ! (button.isConnectedOnRight() || button.isConnectedOnBottom()));
        drawButtonShape (g, outline, baseColour, h);
    }

    if (button.getToggleState())
    {
        g.setColour (juce::Colour (0xffff0000).withAlpha (0.9f));
        g.drawRect (0, 0, button.getWidth(), button.getHeight(), 1);
    }
}

// Like the framework's shape, but the final outline is opaque white.
void AltLookAndFeel::drawButtonShape (juce::Graphics& g, const juce::Path& outline, juce::Colour baseColour, float height)
{
    const float brightness = baseColour.getBrightness();
    const float alpha = baseColour.getFloatAlpha();

    g.setGradientFill (juce::ColourGradient (baseColour.brighter (0.2f), 0.0f, 0.0f, baseColour.darker (0.25f), 0.0f, height, false));
    g.fillPath (outline);

    g.setColour (juce::Colours::white.withAlpha (0.4f * alpha * brightness * brightness));
    g.strokePath (outline, juce::PathStrokeType (1.0f),
                  juce::AffineTransform::translation (0.0f, 1.0f).scaled (1.0f, (height - 1.6f) / height));

    g.setColour (juce::Colour (0xffffffff));
    g.strokePath (outline, juce::PathStrokeType (1.0f));
}

juce::Font AltLookAndFeel::getTextButtonFont (juce::TextButton&, int) { return juce::Font (13.0f); }
juce::Font AltLookAndFeel::getComboBoxFont (juce::ComboBox&) { return juce::Font (13.0f); }

void AltLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool, int buttonX, int buttonY, int buttonW,
                                   int buttonH, juce::ComboBox& box)
{
    g.fillAll (box.findColour (juce::ComboBox::backgroundColourId));
    g.setColour (box.findColour (juce::ComboBox::outlineColourId));
    g.drawRect (0, 0, width, height, 1);

    const float bx = (float) buttonX, by = (float) buttonY, bw = (float) buttonW, bh = (float) buttonH;
    juce::Path arrows;
    arrows.addTriangle (bx + 0.5f * bw, by + (0.45f - 0.2f) * bh, bx + 0.7f * bw, by + 0.45f * bh, bx + 0.3f * bw, by + 0.45f * bh);
    arrows.addTriangle (bx + 0.5f * bw, by + (0.55f + 0.2f) * bh, bx + 0.7f * bw, by + 0.55f * bh, bx + 0.3f * bw, by + 0.55f * bh);
    g.setColour (box.findColour (juce::ComboBox::arrowColourId).withMultipliedAlpha (0.7f));
    g.fillPath (arrows);
}

//==============================================================================
bool AltLookAndFeel::isLearnHighlighted (juce::Slider& slider) const
{
    return learnHighlightShows ((bool) slider.getProperties()[midiLearnProperty], slider.isMouseOverOrDragging(),
                                slider.isEnabled());
}

void AltLookAndFeel::drawLearnBrackets (juce::Graphics& g, float arm, float right, float bottom)
{
    juce::Path brackets;
    const float b = bottom, r = right, a = arm;
    brackets.addLineSegment ({ 0.0f, a, 0.0f, 0.0f }, 1.0f);
    brackets.addLineSegment ({ 0.0f, 0.0f, a, 0.0f }, 1.0f);
    brackets.addLineSegment ({ r, a, r, 0.0f }, 1.0f);
    brackets.addLineSegment ({ r, 0.0f, r - a, 0.0f }, 1.0f);
    brackets.addLineSegment ({ r, b - a, r, b }, 1.0f);
    brackets.addLineSegment ({ r, b, r - a, b }, 1.0f);
    brackets.addLineSegment ({ 0.0f, b - a, 0.0f, b }, 1.0f);
    brackets.addLineSegment ({ 0.0f, b, a, b }, 1.0f);
    g.setColour (juce::Colour (0xffff0000).withAlpha (0.9f));
    g.strokePath (brackets, juce::PathStrokeType (1.0f));
}

void AltLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos, float,
                                       float, juce::Slider::SliderStyle, juce::Slider& slider)
{
    const bool horizontal = isHorizontal (slider.getSliderStyle());
    g.fillAll (slider.findColour (juce::Slider::backgroundColourId));

    juce::Path bar;
    if (horizontal)
        bar.addRectangle ((float) x, (float) y + (float) height * 0.5f, sliderPos - (float) x, 1.0f);
    else
        bar.addRectangle ((float) x + (float) width * 0.5f, sliderPos, 1.0f, (float) height + 12.0f + 1.0f - sliderPos);

    g.setColour (isLearnHighlighted (slider) ? juce::Colour (0xffff0000) : slider.findColour (juce::Slider::trackColourId));
    g.strokePath (bar, juce::PathStrokeType (1.0f));

    const float cx = horizontal ? sliderPos : (float) x + (float) width * 0.5f;
    const float cy = horizontal ? (float) y + (float) height * 0.5f : sliderPos;
    g.fillEllipse (cx - 5.75f, cy - 5.75f, 11.5f, 11.5f);

    const auto ring = pictures::forContext (g, pictures::get (pictures::Id::sliderRing));
    const int ringX = horizontal ? (int) (cx - 10.0f) : (int) (cx - 10.0f + 1.0f);
    const int ringY = (int) (cy - 10.0f + 2.0f);
    g.drawImage (ring, ringX, ringY, 20, 20, 0, 0, ring.getWidth(), ring.getHeight());
}

void AltLookAndFeel::drawRotarySlider (juce::Graphics& g, int, int, int width, int height, float, float, float,
                                       juce::Slider& slider)
{
    if (isLearnHighlighted (slider))
        drawLearnBrackets (g, 8.0f, (float) width + 2.0f, (float) height);
}

int AltLookAndFeel::filmstripSourceRow (float position)
{
    const float frame = juce::jlimit (0.0f, filmstripLastFrame, std::floor (position * filmstripLastFrame));
    return (int) (frame * 70.0);
}

// On a scaled screen the strip's 2x partner: the same frame, twice the pixels.
void AltLookAndFeel::drawFilmstripFrame (juce::Graphics& g, const juce::Image& strip, float position, int width, int height)
{
    const auto drawn = pictures::forContext (g, strip);
    const int k = pictures::sourceScale (drawn, strip);
    g.drawImage (drawn, 0, 0, width, height, 0, filmstripSourceRow (position) * k, filmstripFrameSize * k, filmstripFrameSize * k);
}

// Image buttons (the mode tabs and the gear) draw their 2x partners on a
// scaled screen, placed exactly where the 1x picture would go.
void AltLookAndFeel::drawImageButton (juce::Graphics& g, juce::Image* image, int imageX, int imageY, int imageW, int imageH,
                                      const juce::Colour& overlayColour, float imageOpacity, juce::ImageButton& button)
{
    if (image == nullptr)
        return;
    auto drawn = pictures::forContext (g, *image);
    LookAndFeel_V3::drawImageButton (g, &drawn, imageX, imageY, imageW, imageH, overlayColour, imageOpacity, button);
}

//==============================================================================
void AltLookAndFeelDelayTime::drawRotarySlider (juce::Graphics& g, int, int, int width, int height, float position, float,
                                                float, juce::Slider& slider)
{
    drawFilmstripFrame (g, pictures::get (pictures::Id::timeKnob), position, width, height);
    if (isLearnHighlighted (slider))
        drawLearnBrackets (g, 5.0f, (float) width, (float) height);
}

void AltLookAndFeelDelayFeedback::drawRotarySlider (juce::Graphics& g, int, int, int width, int height, float position,
                                                    float, float, juce::Slider& slider)
{
    drawFilmstripFrame (g, pictures::get (pictures::Id::feedbackKnob), position, width, height);
    if (isLearnHighlighted (slider))
        drawLearnBrackets (g, 5.0f, (float) width, (float) height);
}

void AltLookAndFeel_transparentButton::drawRotarySlider (juce::Graphics& g, int, int, int width, int height,
                                                         float position, float, float, juce::Slider&)
{
    drawFilmstripFrame (g, pictures::get (pictures::Id::feedbackKnob), position, width, height);
}

juce::Label* AltLookAndFeel_transparentButton::createSliderTextBox (juce::Slider& slider)
{
    auto* label = new SliderLabelComp();
    label->setFont (juce::Font (11.0f, juce::Font::plain));
    label->setJustificationType (juce::Justification::centred);
    label->setKeyboardType (juce::TextInputTarget::decimalKeyboard);

    const bool isBar = slider.getSliderStyle() == juce::Slider::LinearBar
                    || slider.getSliderStyle() == juce::Slider::LinearBarVertical;
    label->setColour (juce::Label::textColourId, slider.findColour (juce::Slider::textBoxTextColourId));
    label->setColour (juce::Label::backgroundColourId,
                      isBar ? juce::Colours::transparentBlack : slider.findColour (juce::Slider::textBoxBackgroundColourId));
    label->setColour (juce::Label::outlineColourId, slider.findColour (juce::Slider::textBoxOutlineColourId));
    label->setColour (juce::TextEditor::textColourId, slider.findColour (juce::Slider::textBoxTextColourId));
    label->setColour (juce::TextEditor::backgroundColourId,
                      slider.findColour (juce::Slider::textBoxBackgroundColourId).withAlpha (isBar ? 0.7f : 1.0f));
    label->setColour (juce::TextEditor::outlineColourId, slider.findColour (juce::Slider::textBoxOutlineColourId));
    label->setColour (juce::TextEditor::highlightColourId, slider.findColour (juce::Slider::textBoxHighlightColourId));
    return label;
}
