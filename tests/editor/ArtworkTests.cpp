// What the pictures must get right where the editor's controls meet them:
// the thumb ring around its dot, the scales' words and ticks out of every
// thumb's reach, and print (and the oscilloscope's traces) readable on them.

#include "EditorTestSupport.h"

#include "editor/AltLookAndFeel.h"
#include "editor/Layout.h"
#include "editor/Oscillo.h"
#include "editor/Pictures.h"
#include "editor/VelmorAudioProcessorEditor.h"
#include "engine/VelmorAudioProcessor.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace testing_support;
using pictures::Id;

namespace
{
// WCAG's relative luminance and contrast ratio.
double linear (juce::uint8 channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow ((c + 0.055) / 1.055, 2.4);
}
double relativeLuminance (juce::Colour c)
{
    return 0.2126 * linear (c.getRed()) + 0.7152 * linear (c.getGreen()) + 0.0722 * linear (c.getBlue());
}
double contrast (juce::Colour a, juce::Colour b)
{
    const double la = relativeLuminance (a), lb = relativeLuminance (b);
    return (std::max (la, lb) + 0.05) / (std::min (la, lb) + 0.05);
}

// The centre of the ring's dark core in a thumb drawn on white, in slider coordinates.
juce::Point<double> ringCentre (const juce::Image& drawn, juce::Point<float> dot)
{
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < drawn.getHeight(); ++y)
        for (int x = 0; x < drawn.getWidth(); ++x)
        {
            const auto c = drawn.getPixelAt (x, y);
            const double darkness = 1.0 - c.getPerceivedBrightness();
            if (darkness > 0.6 && juce::Point<float> ((float) x + 0.5f, (float) y + 0.5f).getDistanceFrom (dot) < 11.0f)
            {
                sx += x + 0.5;
                sy += y + 0.5;
                n += 1.0;
            }
        }
    return n > 0 ? juce::Point<double> (sx / n, sy / n) : juce::Point<double> (-100, -100);
}

juce::Image drawOnWhite (juce::Slider& slider)
{
    juce::Image image (juce::Image::RGB, slider.getWidth(), slider.getHeight(), true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::white);
    slider.paintEntireComponent (g, true);
    return image;
}
} // namespace

TEST (ThumbRing, SitsCentredOnTheDot)
{
    AltLookAndFeel look;

    // horizontal: the ring's square is placed at whole pixels, so at whole-pixel thumb positions it is exact
    juce::Slider horizontal (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    horizontal.setLookAndFeel (&look);
    horizontal.setColour (juce::Slider::backgroundColourId, juce::Colour (0x00ffffff));
    horizontal.setColour (juce::Slider::trackColourId, juce::Colour (0xfffff200));
    horizontal.setBounds (0, 0, layout::balanceSlider.width, layout::balanceSlider.height);
    horizontal.setRange (0.0, 124.0, 1.0);  // one step per pixel of travel
    for (double value : { 0.0, 31.0, 62.0, 100.0, 124.0 })
    {
        horizontal.setValue (value, juce::dontSendNotification);
        const juce::Point<float> dot ((float) (layout::thumbIndent + value), layout::linearThumbRow);
        const auto ring = ringCentre (drawOnWhite (horizontal), dot);
        std::printf ("horizontal ring at %.0f: offset %+.2f, %+.2f px\n", value, ring.x - dot.x, ring.y - dot.y);
        EXPECT_NEAR (ring.x, dot.x, 0.2) << value;
        EXPECT_NEAR (ring.y, dot.y, 0.2) << value;
    }

    // the fader: the same picture, placed 1 px further right by the look's rule, so half a pixel off across
    juce::Slider fader (juce::Slider::LinearVertical, juce::Slider::TextBoxBelow);
    fader.setLookAndFeel (&look);
    fader.setColour (juce::Slider::backgroundColourId, juce::Colour (0x00ffffff));
    fader.setColour (juce::Slider::trackColourId, juce::Colour (0xff00fff5));
    fader.setColour (juce::Slider::textBoxTextColourId, juce::Colour (0x0000fff5));
    fader.setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0x00000000));
    fader.setTextBoxStyle (juce::Slider::TextBoxBelow, true, layout::gainTextBoxWidth, layout::gainTextBoxHeight);
    fader.setBounds (0, 0, layout::gainSlider.width, layout::gainSlider.height);
    const int travel = layout::gainTravelBottom - layout::gainTravelTop;
    fader.setRange (0.0, travel, 1.0);
    for (double value : { 0.0, 79.0, 158.0 })
    {
        fader.setValue (value, juce::dontSendNotification);
        const juce::Point<float> dot (layout::gainSlider.width * 0.5f, (float) (layout::thumbIndent + travel - value));
        const auto ring = ringCentre (drawOnWhite (fader), dot);
        std::printf ("fader ring at %.0f: offset %+.2f, %+.2f px\n", value, ring.x - dot.x, ring.y - dot.y);
        EXPECT_NEAR (ring.x, dot.x + 0.5, 0.2) << value;
        EXPECT_NEAR (ring.y, dot.y, 0.2) << value;
    }
    horizontal.setLookAndFeel (nullptr);
    fader.setLookAndFeel (nullptr);
}

// Every slider of the editor at its ends and between: the band of each
// printed scale (its ticks and end words) stays exactly as the picture has it.
TEST (PrintedScales, NoThumbPositionCoversTheirWordsOrTicks)
{
    for (int background : { 0, 1 })
    {
        VelmorAudioProcessor processor;
        processor.idxGUI = background;
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
        dynamic_cast<juce::Timer*> (editor.get())->timerCallback();
        const auto picture = pictures::get (background == 1 ? Id::outlineBackground : Id::cassettePhoto);

        std::vector<juce::Rectangle<int>> scales;
        for (auto row : { layout::balanceSlider, layout::pingPongSlider, layout::lowCutSlider, layout::highCutSlider, layout::dryWetSlider })
            scales.push_back ({ layout::linearTravelStart - 2, row.y + 30, layout::linearTravelEnd - layout::linearTravelStart + 4, 11 });
        scales.push_back ({ 5, layout::gainTravelTop - 8, 17, layout::gainTravelBottom - layout::gainTravelTop + 16 });

        int inked = 0;
        for (double proportion : { 0.0, 0.25, 0.5, 0.75, 1.0 })
        {
            for (auto* child : editor->getChildren())
                if (auto* slider = dynamic_cast<juce::Slider*> (child); slider != nullptr && slider->isVisible()
                                                                          && ! slider->isRotary())
                    slider->setValue (slider->proportionOfLengthToValue (proportion), juce::dontSendNotification);

            juce::Image shown (juce::Image::RGB, layout::editorWidth, layout::editorHeight, true);
            juce::Graphics g (shown);
            editor->paintEntireComponent (g, true);
            for (auto area : scales)
                for (int y = area.getY(); y < area.getBottom(); ++y)
                    for (int x = area.getX(); x < area.getRight(); ++x)
                    {
                        ASSERT_EQ (shown.getPixelAt (x, y), picture.getPixelAt (x, y))
                            << "background " << background << ", sliders at " << proportion << ", pixel " << x << "," << y;
                        inked += proportion == 0.0 && picture.getPixelAt (x, y).getPerceivedBrightness() > 0.45f ? 1 : 0;
                    }
        }
        EXPECT_GT (inked, 300) << "the bands hold the scales' print";
        processor.editorBeingDeleted (editor.get());
    }
}

// The oscilloscope's bars are drawn straight on the picture: its window must
// set off both traces.
TEST (ScopeWindow, BothTracesStandOutAtLeastFourAndAHalfToOne)
{
    for (auto id : { Id::outlineBackground, Id::cassettePhoto })
        for (int scale : { 1, 2 })
        {
            const auto picture = scale == 1 ? pictures::get (id) : pictures::get2x (id);
            const auto strip = juce::Rectangle<int> (layout::oscilloscope.x, layout::oscilloscope.y, layout::oscilloscope.width,
                                                     layout::editorHeight - layout::oscilloscope.y) * scale;
            // the paper between the graticule's lines: the lightest tenth of the strip's pixels
            std::vector<double> luminances;
            std::vector<juce::Colour> colours;
            for (int y = strip.getY(); y < strip.getBottom(); ++y)
                for (int x = strip.getX(); x < strip.getRight(); ++x)
                    colours.push_back (picture.getPixelAt (x, y));
            std::sort (colours.begin(), colours.end(), [] (juce::Colour a, juce::Colour b) { return relativeLuminance (a) < relativeLuminance (b); });
            const auto paper = colours[colours.size() / 2];  // the median pixel is paper, not a line
            const double left = contrast (paper, Oscillo::leftColour), right = contrast (paper, Oscillo::rightColour);
            std::printf ("scope window of picture %d at %dx: %s, slate blue %.2f:1, crimson %.2f:1\n", (int) id, scale,
                         paper.toDisplayString (false).toRawUTF8(), left, right);
            EXPECT_GE (left, 4.5) << (int) id << " at " << scale << "x";
            EXPECT_GE (right, 4.5) << (int) id << " at " << scale << "x";
        }
}

// Print on the pictures, measured from their pixels: the ink against the
// ground right around it.
TEST (PrintedText, ReadsAtLeastFourAndAHalfToOne)
{
    struct Print
    {
        const char* text;
        juce::Rectangle<int> area;  // the words with a pixel or two of ground around them
    };
    const int balance = layout::balanceSlider.y, pingPong = layout::pingPongSlider.y, highCut = layout::highCutSlider.y;
    const Print prints[] = {
        { "TAPE ECHO", { 500, 9, 80, 14 } },
        { "INPUT", { 48, 32, 40, 11 } },
        { "FEEDBACK", { 48, 133, 70, 11 } },
        { "Input Balance", { 55, balance, 70, 12 } },
        { "Direct", { 58, pingPong + 31, 32, 10 } },
        { "Ping Pong", { 135, pingPong + 31, 47, 10 } },
        { "20k", { 58, highCut + 31, 20, 10 } },
        { "500 Hz", { 150, highCut + 31, 32, 10 } },
        { "+10", { 5, layout::gainTravelTop - 6, 14, 12 } },
        { "-90", { 5, layout::gainTravelBottom - 6, 14, 12 } },
        { "Time", { 530, 153, 31, 12 } },
        { "FdBack", { 231, 153, 40, 12 } },
    };
    for (auto id : { Id::cassettePhoto, Id::outlineBackground })
    {
        const auto picture = pictures::get (id);
        for (const auto& print : prints)
        {
            // ground: the most common brightness on the area's border; ink: the pixel furthest from it
            std::vector<juce::Colour> border;
            for (int x = print.area.getX(); x < print.area.getRight(); ++x)
                border.insert (border.end(), { picture.getPixelAt (x, print.area.getY()), picture.getPixelAt (x, print.area.getBottom() - 1) });
            std::sort (border.begin(), border.end(), [] (juce::Colour a, juce::Colour b) { return relativeLuminance (a) < relativeLuminance (b); });
            const auto ground = border[border.size() / 2];
            double best = 1.0;
            for (int y = print.area.getY(); y < print.area.getBottom(); ++y)
                for (int x = print.area.getX(); x < print.area.getRight(); ++x)
                    best = std::max (best, contrast (picture.getPixelAt (x, y), ground));
            std::printf ("%-13s on picture %d: %.2f:1\n", print.text, (int) id, best);
            EXPECT_GE (best, 4.5) << print.text << " on picture " << (int) id;
        }
    }
}

// The gain read-out (shown while the fader is hovered) prints inside the
// fader's dark groove, its widest texts included.
TEST (GainReadout, PrintsInsideTheDarkGroove)
{
    for (int background : { 0, 1 })
    {
        VelmorAudioProcessor processor;
        processor.idxGUI = background;
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
        const auto picture = pictures::get (background == 1 ? Id::outlineBackground : Id::cassettePhoto);
        const juce::Rectangle<int> readoutBox (layout::gainReadout.x, layout::gainReadout.y, layout::gainReadout.width,
                                               layout::gainReadout.height);
        juce::Label* readout = nullptr;
        for (auto* child : editor->getChildren())
            if (auto* label = dynamic_cast<juce::Label*> (child); label != nullptr && label->getBounds() == readoutBox)
                readout = label;
        ASSERT_NE (readout, nullptr);

        for (const char* text : { "-90 dB", "+10 dB", "-0.5 dB" })
        {
            readout->setText (text, juce::dontSendNotification);
            readout->setVisible (true);
            juce::Image shown (juce::Image::RGB, layout::editorWidth, layout::editorHeight, true);
            juce::Graphics g (shown);
            readout->paintEntireComponent (g, true);  // the label alone, on black
            int inked = 0;
            for (int y = readoutBox.getY(); y < readoutBox.getBottom(); ++y)
                for (int x = readoutBox.getX(); x < readoutBox.getRight(); ++x)
                    if (shown.getPixelAt (x - readoutBox.getX(), y - readoutBox.getY()).getBrightness() > 0.1f)
                    {
                        ++inked;
                        EXPECT_LT (picture.getPixelAt (x, y).getPerceivedBrightness(), 0.2f)
                            << "\"" << text << "\" prints outside the groove at " << x << "," << y << " (background " << background << ")";
                    }
            EXPECT_GT (inked, 30) << text;
        }
        processor.editorBeingDeleted (editor.get());
    }
}
