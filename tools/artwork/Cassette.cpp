// The two 620 x 305 editor backgrounds. Controls, hot spots and read-outs of
// the editor sit on top of them, so every feature here is placed where the
// editor puts the matching control.

#include "Artwork.h"

#include "../../editor/Layout.h"
#include "../../engine/ParameterTable.h"

namespace artwork
{
namespace
{
using juce::Colour;

constexpr int width = layout::editorWidth, height = layout::editorHeight;
const juce::Point<float> feedbackReel { layout::feedbackKnob.centreX(), layout::feedbackKnob.centreY() };
const juce::Point<float> timeReel { layout::delayTimeKnob.centreX(), layout::delayTimeKnob.centreY() };

struct ControlRow
{
    layout::Box slider;
    const char* caption;
    const char* lowEnd;
    const char* highEnd;
};

const ControlRow rows[] = { { layout::balanceSlider, "Input Balance", "L", "R" },
                            { layout::pingPongSlider, "L/R Cross", "Direct", "Ping Pong" },
                            { layout::lowCutSlider, "Low Cut", "0", "500 Hz" },
                            { layout::highCutSlider, "High Cut", "20k", "500 Hz" },
                            { layout::dryWetSlider, "Output", "Dry", "Wet" } };

// A row's band, relative to its slider's top: the caption above the thumb's
// track, the scale's ticks and end words below everything a thumb covers
// (dot, ring and its shadow reach 9 px either side of the track).
constexpr float rowTop = -3.0f, rowBottom = 41.0f;
constexpr float captionBaseline = 9.0f;
constexpr float tickTop = 30.0f, tickLength = 2.0f;
constexpr float endWordBaseline = 39.0f;

// The panels the rows sit in, and the gain fader's column beside them.
constexpr float panelLeft = 48.0f, panelRight = 196.0f;
const juce::Rectangle<float> gainColumn { 4.0f, 55.0f, 42.0f, 246.0f };

// Small print on the panels: at least 9.5 px high, light grey on the dark grooves.
const Colour smallPrint { 0xffa3adb2 };

enum class Style
{
    photograph,
    outline
};

//==============================================================================
void drawTitleStrip (juce::Graphics& g)
{
    g.setGradientFill (juce::ColourGradient (Colour (0xff1a1b1d), 0, 0, Colour (0xff050505), 0, 30, false));
    g.fillRect (0, 0, width, 30);
    g.setColour (Colour (0xff2c2e31));
    g.fillRect (0, 29, width, 1);

    g.setColour (juce::Colours::white);
    g.setFont (font (Face::bold, 14.0f));
    drawSpacedText (g, "ORVELLE", 16.0f, 20.0f, 2.6f);
    g.setColour (juce::Colours::white.withAlpha (0.45f));
    g.fillRect (108.0f, 8.0f, 1.0f, 15.0f);
    g.setColour (juce::Colours::white.withAlpha (0.92f));
    g.setFont (font (Face::light, 14.0f));
    drawSpacedText (g, "SELVANE", 119.0f, 20.0f, 2.6f);

    g.setColour (juce::Colours::white.withAlpha (0.72f));
    g.setFont (font (Face::regular, 10.0f));
    const float tagWidth = spacedTextWidth (g.getCurrentFont(), "TAPE ECHO", 1.8f);
    drawSpacedText (g, "TAPE ECHO", 578.0f - tagWidth, 19.5f, 1.8f);
}

// A recessed dark channel that controls and their read-outs sit in.
void drawGroove (juce::Graphics& g, juce::Rectangle<float> area)
{
    g.setColour (juce::Colours::white.withAlpha (0.45f));
    g.drawRoundedRectangle (area.translated (0.0f, 0.8f), 4.0f, 1.0f);
    g.setGradientFill (juce::ColourGradient (Colour (0xff15171a), 0, area.getY(), Colour (0xff23272b), 0, area.getBottom(), false));
    g.fillRoundedRectangle (area, 4.0f);
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.drawRoundedRectangle (area, 4.0f, 1.0f);
}

void drawSectionHeading (juce::Graphics& g, const juce::String& text, float baseline, Style style)
{
    g.setColour (style == Style::photograph ? Colour (0xff33383e) : juce::Colours::white);
    g.setFont (font (Face::bold, 9.5f));
    drawSpacedText (g, text, panelLeft + 2.0f, baseline, 1.4f);
}

// One panel for the rows of a section, a hairline between the rows.
void drawPanel (juce::Graphics& g, std::initializer_list<layout::Box> sliders)
{
    const float top = (float) sliders.begin()->y + rowTop;
    const float bottom = (float) (sliders.end() - 1)->y + rowBottom;
    drawGroove (g, { panelLeft, top, panelRight - panelLeft, bottom - top });
    for (auto slider = sliders.begin() + 1; slider != sliders.end(); ++slider)
    {
        const float y = (float) slider->y + rowTop;
        g.setColour (juce::Colours::black.withAlpha (0.55f));
        g.fillRect (panelLeft + 6.0f, y - 1.0f, panelRight - panelLeft - 12.0f, 1.0f);
        g.setColour (juce::Colours::white.withAlpha (0.07f));
        g.fillRect (panelLeft + 6.0f, y, panelRight - panelLeft - 12.0f, 1.0f);
    }
}

void drawControlRow (juce::Graphics& g, const ControlRow& row)
{
    const float y = (float) row.slider.y;
    constexpr float left = (float) layout::linearTravelStart, right = (float) layout::linearTravelEnd;

    g.setColour (tabText.withAlpha (0.92f));
    g.setFont (font (Face::medium, 10.0f));
    g.drawSingleLineText (row.caption, (int) left - 1, (int) (y + captionBaseline));

    // the track the value bar runs along, from the thumb's first position to its last
    const float track = y + layout::linearThumbRow;
    g.setColour (juce::Colours::black);
    g.fillRect (left, track, right - left, 1.0f);
    g.setColour (juce::Colours::white.withAlpha (0.16f));
    g.fillRect (left, track + 1.0f, right - left, 1.0f);

    for (int tick = 0; tick <= 4; ++tick)
    {
        const float x = left + (right - left) * (float) tick / 4.0f;
        g.setColour (juce::Colours::white.withAlpha (tick == 2 ? 0.5f : 0.32f));
        g.fillRect (x - 1.0f, y + tickTop, 2.0f, tickLength);
    }

    g.setColour (smallPrint);
    g.setFont (font (Face::regular, 9.5f));
    const float wordTop = y + endWordBaseline - 9.0f;
    // the end words start just inside the end ticks, so the two do not run together
    g.drawText (row.lowEnd, juce::Rectangle<float> (left + 2.5f, wordTop, 70.0f, 11.0f), juce::Justification::bottomLeft);
    g.drawText (row.highEnd, juce::Rectangle<float> (right - 2.5f - 70.0f, wordTop, 70.0f, 11.0f), juce::Justification::bottomRight);
}

// The fader's position for a gain, as the control's range and skew place it.
float gainY (float decibels)
{
    const auto range = selvane::parameterTable[selvane::kGain].control;
    const float proportion = std::pow ((decibels - range.minimum) / (range.maximum - range.minimum), (float) layout::gainFaderSkew);
    return (float) layout::gainTravelBottom - ((float) (layout::gainTravelBottom - layout::gainTravelTop)) * proportion;
}

void drawGainColumn (juce::Graphics& g)
{
    drawGroove (g, gainColumn);

    // the fader's track from +10 dB to -90 dB; the read-out shows above it, inside the groove
    const float top = (float) layout::gainTravelTop, bottom = (float) layout::gainTravelBottom;
    const float x = std::floor (layout::gainThumbColumn);
    g.setColour (juce::Colours::black);
    g.fillRect (x, top, 1.0f, bottom - top);
    g.setColour (juce::Colours::white.withAlpha (0.16f));
    g.fillRect (x + 1.0f, top, 1.0f, bottom - top);

    // ticks and words to the left of everything the thumb covers
    g.setFont (font (Face::condensed, 10.0f));
    for (auto [decibels, word] : { std::pair { 10.0f, "+10" }, std::pair { 0.0f, "0" }, std::pair { -90.0f, "-90" } })
    {
        const float y = std::round (gainY (decibels));
        g.setColour (juce::Colours::white.withAlpha (0.4f));
        g.fillRect (19.0f, y - 1.0f, 3.0f, 2.0f);
        g.setColour (smallPrint);
        g.drawText (word, juce::Rectangle<float> (4.0f, y - 5.5f, 13.5f, 11.0f), juce::Justification::centredRight);
    }

    // "GAIN", written upwards at the fader's foot
    juce::Graphics::ScopedSaveState state (g);
    g.addTransform (juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi, 30.0f, 294.0f));
    g.setColour (tabText.withAlpha (0.92f));
    g.setFont (font (Face::bold, 10.0f));
    drawSpacedText (g, "GAIN", 30.0f, 297.5f, 1.8f);
}

void drawControlPanel (juce::Graphics& g, Style style)
{
    drawSectionHeading (g, "INPUT", 41.0f, style);
    drawSectionHeading (g, "FEEDBACK", 142.0f, style);
    drawSectionHeading (g, "MIX", 244.0f, style);
    drawPanel (g, { layout::balanceSlider, layout::pingPongSlider });
    drawPanel (g, { layout::lowCutSlider, layout::highCutSlider });
    drawPanel (g, { layout::dryWetSlider });
    for (const auto& row : rows)
        drawControlRow (g, row);
    drawGainColumn (g);
}

// The time tag's crimson, a shade deeper than the house crimson so its white
// word reads at 4.5:1 after JPEG's colour subsampling.
const Colour tagCrimson { 198, 0, 47 };

// A small coloured tag with a word, as stuck beside each reel.
void drawTag (juce::Graphics& g, juce::Rectangle<float> area, Colour colour, const juce::String& word)
{
    juce::DropShadow (juce::Colours::black.withAlpha (0.35f), 3, { 0, 1 }).drawForRectangle (g, area.toNearestInt());
    g.setColour (colour);
    g.fillRoundedRectangle (area, 2.0f);
    g.setColour (juce::Colours::white.withAlpha (0.18f));
    g.fillRect (area.withHeight (1.0f).reduced (2.0f, 0.0f));
    g.setColour (juce::Colours::white);
    g.setFont (font (Face::medium, 10.0f));
    g.drawText (word, area, juce::Justification::centred);
}

void drawTags (juce::Graphics& g)
{
    drawTag (g, { 229.0f, 151.0f, 44.0f, 16.0f }, teal, "FdBack");
    drawTag (g, { 528.0f, 151.0f, 35.0f, 16.0f }, tagCrimson, "Time");
}

// The maker's initials as a small bar logo.
void drawInitialsLogo (juce::Graphics& g, float x, float baseline, Colour ink)
{
    const float bars[] = { 5, 9, 14, 9, 5 };
    for (int i = 0; i < 5; ++i)
    {
        g.setColour (ink.withMultipliedAlpha (0.6f + 0.08f * bars[i]));
        g.fillRect (x + 4.0f * (float) i, baseline - 14.0f - bars[i], 2.0f, bars[i]);
    }
    g.setColour (ink);
    g.setFont (font (Face::bold, 12.0f));
    drawSpacedText (g, "OV", x - 0.5f, baseline, 1.2f);
}

void drawHandLetteredTitle (juce::Graphics& g, juce::Point<float> centre, Colour ink)
{
    juce::Graphics::ScopedSaveState state (g);
    g.addTransform (juce::AffineTransform::rotation (-0.035f, centre.x, centre.y));
    g.setFont (font (Face::condensedBoldItalic, 27.0f));
    const float w = spacedTextWidth (g.getCurrentFont(), "SELVANE", 2.0f);
    g.setColour (ink.withMultipliedAlpha (0.25f));
    drawSpacedText (g, "SELVANE", centre.x - w * 0.5f + 0.8f, centre.y + 9.8f, 2.0f);
    g.setColour (ink);
    drawSpacedText (g, "SELVANE", centre.x - w * 0.5f, centre.y + 9.0f, 2.0f);
}

juce::Path cassetteBody() { juce::Path p; p.addRoundedRectangle (212.0f, 36.0f, 354.0f, 300.0f, 14.0f); return p; }

juce::Path headOpening()
{
    juce::Path p;
    p.startNewSubPath (256.0f, 216.0f);
    p.lineTo (552.0f, 216.0f);
    p.lineTo (538.0f, 310.0f);
    p.lineTo (270.0f, 310.0f);
    p.closeSubPath();
    return p;
}

const juce::Rectangle<float> labelArea { 238.0f, 44.0f, 302.0f, 70.0f };
const juce::Rectangle<float> scopeWindow { 284.0f, 222.0f, 240.0f, 90.0f };

// The oscilloscope's traces (slate blue, crimson) are mid-dark colours, so
// the window they are drawn on is nearly white paper: 4.5:1 or more against
// both.
const Colour scopePaperTop { 0xfffdfcf9 };
const Colour scopePaperBottom { 0xfff9f7f2 };
const Colour graticuleInk { 0xff3e6484 };

// A faint graticule in the strip the oscilloscope draws in: its centre line
// at the strip's middle and a few divisions.
void drawScopeGraticule (juce::Graphics& g, Colour ink)
{
    constexpr auto strip = layout::oscilloscope;
    const float left = (float) strip.x, top = (float) strip.y, w = (float) strip.width, mid = strip.centreY();
    for (int column = 1; column < 8; ++column)
    {
        g.setColour (ink.withAlpha (0.07f));
        g.fillRect (left + w * (float) column / 8.0f, top, 1.0f, (float) strip.height);
    }
    for (float y : { mid - 26.0f, mid + 26.0f })
    {
        g.setColour (ink.withAlpha (0.07f));
        g.fillRect (left, y, w, 1.0f);
    }
    g.setColour (ink.withAlpha (0.16f));
    g.fillRect (left, mid - 0.5f, w, 1.0f);
}

void drawScrew (juce::Graphics& g, juce::Point<float> c)
{
    g.setGradientFill (juce::ColourGradient (Colour (0xffe8e9eb), c.x - 3, c.y - 3, Colour (0xff6d7176), c.x + 3, c.y + 3, false));
    g.fillEllipse (c.x - 4.0f, c.y - 4.0f, 8.0f, 8.0f);
    g.setColour (Colour (0xff34373b));
    g.drawLine (c.x - 2.6f, c.y - 1.6f, c.x + 2.6f, c.y + 1.6f, 1.0f);
    g.drawLine (c.x - 1.6f, c.y + 2.6f, c.x + 1.6f, c.y - 2.6f, 1.0f);
}

void drawTapePack (juce::Graphics& g, juce::Point<float> c, float radius)
{
    g.setGradientFill (juce::ColourGradient (Colour (0xff3a2a22), c.x, c.y, Colour (0xff140d0a), c.x + radius, c.y, true));
    g.fillEllipse (c.x - radius, c.y - radius, radius * 2, radius * 2);
    Noise noise (0x7a9e + (juce::uint32) radius);
    for (float r = 40.0f; r < radius; r += 1.3f)
    {
        g.setColour (juce::Colours::white.withAlpha (0.025f + 0.02f * noise.next()));
        g.drawEllipse (c.x - r, c.y - r, r * 2, r * 2, 0.6f);
    }
    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.16f), c.x - radius, c.y - radius,
                                             juce::Colours::transparentWhite, c.x, c.y, false));
    g.fillEllipse (c.x - radius, c.y - radius, radius * 2, radius * 2);
}

void drawHub (juce::Graphics& g, juce::Point<float> c)
{
    juce::Path hub;
    hub.addEllipse (c.x - 40.0f, c.y - 40.0f, 80.0f, 80.0f);
    juce::DropShadow (juce::Colours::black.withAlpha (0.5f), 5, { 0, 2 }).drawForPath (g, hub);
    g.setGradientFill (juce::ColourGradient (Colour (0xfffdfdfc), c.x - 30, c.y - 30, Colour (0xffcfd0cc), c.x + 30, c.y + 30, false));
    g.fillPath (hub);
    for (int notch = 0; notch < 6; ++notch)
    {
        const float a = juce::MathConstants<float>::twoPi * (float) notch / 6.0f + 0.26f;
        const juce::Point<float> p (c.x + 37.0f * std::sin (a), c.y - 37.0f * std::cos (a));
        g.setColour (Colour (0xffa9aba6));
        g.fillEllipse (p.x - 2.2f, p.y - 2.2f, 4.4f, 4.4f);
    }
    g.setColour (juce::Colours::black.withAlpha (0.25f));
    g.drawEllipse (c.x - 40.0f, c.y - 40.0f, 80.0f, 80.0f, 0.8f);
}

void drawPhotographCassette (juce::Graphics& g)
{
    const auto body = cassetteBody();
    juce::DropShadow (juce::Colours::black.withAlpha (0.55f), 14, { 0, 5 }).drawForPath (g, body);

    // smoked clear plastic
    g.setGradientFill (juce::ColourGradient (Colour (0xff3a4046), 212, 36, Colour (0xff1d2125), 566, 305, false));
    g.fillPath (body);
    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (body);
        for (int line = 0; line < 28; ++line)  // moulding ridges along the edges
        {
            g.setColour (juce::Colours::white.withAlpha (0.035f));
            g.drawRoundedRectangle (216.0f + (float) line * 0.0f, 40.0f, 346.0f, 292.0f, 12.0f, 0.6f);
        }
        g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.12f), 212, 36, juce::Colours::transparentWhite, 400, 200, false));
        g.fillRect (212, 36, 354, 270);
    }
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.strokePath (body, juce::PathStrokeType (1.0f));

    // green corner tabs
    for (auto corner : { juce::Point<float> (214.0f, 38.0f), juce::Point<float> (546.0f, 38.0f) })
    {
        juce::Path tab;
        tab.addRoundedRectangle (corner.x, corner.y, 18.0f, 18.0f, 5.0f, 5.0f, corner.x < 300, corner.x > 300, false, false);
        g.setGradientFill (juce::ColourGradient (Colour (0xff58c27a), corner.x, corner.y, Colour (0xff237a45), corner.x + 18, corner.y + 18, false));
        g.fillPath (tab);
    }
    for (auto screw : { juce::Point<float> (232.0f, 128.0f), juce::Point<float> (546.0f, 128.0f),
                        juce::Point<float> (232.0f, 288.0f), juce::Point<float> (546.0f, 288.0f) })
        drawScrew (g, screw);

    // tape and reels seen through the plastic
    drawTapePack (g, feedbackReel, 58.0f);
    drawTapePack (g, timeReel, 47.0f);

    // the window between the reels
    const juce::Rectangle<float> window (376.0f, 138.0f, 60.0f, 42.0f);
    g.setColour (juce::Colours::white.withAlpha (0.09f));
    g.fillRoundedRectangle (window, 5.0f);
    g.setColour (juce::Colours::white.withAlpha (0.4f));
    g.drawRoundedRectangle (window, 5.0f, 1.0f);
    for (int mark = 1; mark < 6; ++mark)
    {
        g.setColour (juce::Colours::white.withAlpha (0.35f));
        g.fillRect (window.getX() + 10.0f * (float) mark, window.getBottom() - 7.0f, 1.0f, mark == 3 ? 5.0f : 3.0f);
    }

    drawHub (g, feedbackReel);
    drawHub (g, timeReel);

    // head opening with the strip window the oscilloscope draws in
    const auto opening = headOpening();
    g.setGradientFill (juce::ColourGradient (Colour (0xff4a5058), 0, 216, Colour (0xff2b2f34), 0, 305, false));
    g.fillPath (opening);
    g.setColour (juce::Colours::white.withAlpha (0.3f));
    g.strokePath (opening, juce::PathStrokeType (1.0f));
    g.setGradientFill (juce::ColourGradient (scopePaperTop, 0, scopeWindow.getY(), scopePaperBottom, 0, 305, false));
    g.fillRect (scopeWindow);
    drawScopeGraticule (g, graticuleInk);
    g.setColour (juce::Colours::black.withAlpha (0.28f));
    g.fillRect (scopeWindow.withHeight (2.0f));
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.drawRect (scopeWindow, 1.0f);
    for (auto hole : { juce::Point<float> (271.0f, 250.0f), juce::Point<float> (537.0f, 250.0f) })
    {
        g.setColour (Colour (0xff0d0e10));
        g.fillEllipse (hole.x - 4.0f, hole.y - 4.0f, 8.0f, 8.0f);
        g.setColour (juce::Colours::white.withAlpha (0.3f));
        g.drawEllipse (hole.x - 4.0f, hole.y - 4.0f, 8.0f, 8.0f, 0.8f);
    }

    // the paper label across the top
    juce::DropShadow (juce::Colours::black.withAlpha (0.4f), 4, { 0, 2 }).drawForRectangle (g, labelArea.toNearestInt());
    g.setColour (Colour (0xfff3efe4));
    g.fillRoundedRectangle (labelArea, 5.0f);
    g.setColour (crimson);
    g.fillRect (labelArea.getX(), labelArea.getY() + 7.0f, labelArea.getWidth(), 3.0f);
    for (float ruled : { 78.0f, 92.0f, 106.0f })
    {
        g.setColour (Colour (0x303c6e9a));
        g.fillRect (labelArea.getX() + 58.0f, ruled, labelArea.getWidth() - 70.0f, 1.0f);
    }
    drawInitialsLogo (g, 250.0f, 101.0f, Colour (0xff1c1e21));
    drawHandLetteredTitle (g, { 408.0f, 88.0f }, Colour (0xff1b1d22));
    g.setColour (Colour (0xff1c1e21));
    g.setFont (font (Face::bold, 9.0f));
    g.drawText ("A", juce::Rectangle<float> (518.0f, 56.0f, 12.0f, 12.0f), juce::Justification::centred);
    g.drawEllipse (518.0f, 56.0f, 12.0f, 12.0f, 0.9f);
    g.setFont (font (Face::regular, 9.5f));
    g.drawText ("STEREO TAPE ECHO", juce::Rectangle<float> (400.0f, 56.0f, 114.0f, 12.0f), juce::Justification::centredRight);
}

void drawOutlineCassette (juce::Graphics& g)
{
    const auto white = juce::Colours::white.withAlpha (0.92f);
    g.setColour (white);
    g.strokePath (cassetteBody(), juce::PathStrokeType (1.6f));
    for (auto screw : { juce::Point<float> (232.0f, 128.0f), juce::Point<float> (546.0f, 128.0f),
                        juce::Point<float> (232.0f, 288.0f), juce::Point<float> (546.0f, 288.0f) })
        g.drawEllipse (screw.x - 4.0f, screw.y - 4.0f, 8.0f, 8.0f, 1.2f);
    for (auto reel : { feedbackReel, timeReel })
        g.drawEllipse (reel.x - 40.0f, reel.y - 40.0f, 80.0f, 80.0f, 1.2f);

    g.strokePath ([] { juce::Path p; p.addRoundedRectangle (labelArea, 6.0f); return p; }(), juce::PathStrokeType (1.4f));
    drawInitialsLogo (g, 250.0f, 101.0f, white);
    drawHandLetteredTitle (g, { 408.0f, 88.0f }, white);

    g.fillRect (382.0f, 140.0f, 48.0f, 38.0f);  // the plain rectangle in the middle

    g.strokePath (headOpening(), juce::PathStrokeType (1.4f));
    g.setColour (scopePaperTop);
    g.fillRect (scopeWindow);
    drawScopeGraticule (g, graticuleInk);
    g.setColour (white);
    g.drawRect (scopeWindow.expanded (1.2f), 1.2f);
    for (auto hole : { juce::Point<float> (271.0f, 250.0f), juce::Point<float> (537.0f, 250.0f) })
        g.drawEllipse (hole.x - 4.0f, hole.y - 4.0f, 8.0f, 8.0f, 1.2f);
}

// The outline style's flat warm grey, dark enough for white print at 4.5:1.
const Colour outlineGrey { 0xff75706a };

juce::Image background (Style style, int scale)
{
    auto image = blankImage (juce::Image::RGB, width, height, scale);
    juce::Graphics g (image);
    drawInPoints (g, scale);

    if (style == Style::photograph)
    {
        g.setGradientFill (juce::ColourGradient (Colour (0xffd3d5d6), 0, 30, Colour (0xffb4b7b9), 0, height, false));
        g.fillAll();
        addGrain (image, 0x5e1a7e, 5.0f);
    }
    else
    {
        g.fillAll (outlineGrey);
    }

    drawTitleStrip (g);
    drawControlPanel (g, style);
    if (style == Style::photograph)
        drawPhotographCassette (g);
    else
        drawOutlineCassette (g);
    drawTags (g);
    return image;
}
} // namespace

juce::Image cassettePhoto (int scale) { return background (Style::photograph, scale); }
juce::Image cassetteOutline (int scale) { return background (Style::outline, scale); }
} // namespace artwork
