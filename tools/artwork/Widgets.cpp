// The small pictures: mode tabs, gear, slider ring and the welcome card.

#include "Artwork.h"

namespace artwork
{
namespace
{
// Multiplies each pixel's alpha by keep (its distance in pixels from `centre`,
// given in points).
template <typename Keep>
void fadeByDistance (juce::Image& image, juce::Point<float> centre, int scale, Keep keep)
{
    centre *= (float) scale;
    juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readWrite);
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            const float d = juce::Point<float> ((float) x + 0.5f, (float) y + 0.5f).getDistanceFrom (centre);
            const auto p = pixels.getPixelColour (x, y);
            pixels.setPixelColour (x, y, p.withAlpha (p.getFloatAlpha() * juce::jlimit (0.0f, 1.0f, keep (d))));
        }
}

// Makes everything within `radius` points of `centre` transparent, with a one-pixel soft edge.
void clearDisc (juce::Image& image, juce::Point<float> centre, float radius, int scale)
{
    fadeByDistance (image, centre, scale, [r = radius * (float) scale] (float d) { return d - r; });
}

// Makes everything further than `radius` points from `centre` transparent, with a one-pixel soft edge.
void keepDisc (juce::Image& image, juce::Point<float> centre, float radius, int scale)
{
    fadeByDistance (image, centre, scale, [r = radius * (float) scale] (float d) { return r - d; });
}
} // namespace

juce::Image modeTab (const juce::String& word, bool on, int scale)
{
    auto tab = blankImage (juce::Image::ARGB, 53, 18, scale);
    juce::Graphics g (tab);
    drawInPoints (g, scale);
    const int left = on ? 0 : 13;
    g.setColour (on ? crimson : tabDark);
    g.fillRect (left, 0, 53 - left, 18);
    g.setColour (tabText);
    g.setFont (font (Face::medium, 11.5f));
    g.drawSingleLineText (word, on ? 5 : 18, 13);
    return tab;
}

juce::Image gear (int scale)
{
    auto image = blankImage (juce::Image::ARGB, 22, 22, scale);
    juce::Graphics g (image);
    drawInPoints (g, scale);
    const float c = 11.0f;
    juce::Path teeth;
    for (int tooth = 0; tooth < 8; ++tooth)
    {
        juce::Path one;
        one.addRoundedRectangle (c - 2.2f, 0.8f, 4.4f, 6.0f, 1.0f);
        one.applyTransform (juce::AffineTransform::rotation (juce::MathConstants<float>::twoPi * (float) tooth / 8.0f, c, c));
        teeth.addPath (one);
    }
    juce::Path wheel;
    wheel.addEllipse (c - 7.6f, c - 7.6f, 15.2f, 15.2f);
    wheel.addPath (teeth);
    wheel.setUsingNonZeroWinding (true);
    g.setColour (juce::Colours::white);
    g.fillPath (wheel);

    // the hole
    clearDisc (image, { c, c }, 3.2f, scale);
    return image;
}

// The editor draws this 27 x 27 picture into a 20 x 20 square whose centre
// lies 2 px below the thumb's dot (and, on the vertical fader, 1 px right of
// it, which leaves half a pixel there), so the ring is centred 2 px (2.7
// picture points) above the picture's centre: around the dot, not below it.
juce::Image sliderRing (int scale)
{
    constexpr float pointsPerEditorPixel = 27.0f / 20.0f;
    const juce::Point<float> c (13.5f, 13.5f - 2.0f * pointsPerEditorPixel);
    const float radius = 6.6f * pointsPerEditorPixel;      // the dot's radius is 5.75 px
    const float thickness = 1.4f * pointsPerEditorPixel;

    auto image = blankImage (juce::Image::ARGB, 27, 27, scale);
    juce::Graphics g (image);
    drawInPoints (g, scale);
    juce::Path ring;
    ring.addEllipse (c.x - radius, c.y - radius, radius * 2.0f, radius * 2.0f);
    juce::Path band;
    juce::PathStrokeType (thickness).createStrokedPath (band, ring);

    // a soft shadow below, a nearly black ring, and a faint light rim that
    // keeps it visible on the dark grooves
    juce::DropShadow (juce::Colours::black.withAlpha (0.55f), 2, { 0, 1 }).drawForPath (g, band);
    g.setColour (juce::Colours::white.withAlpha (0.22f));
    g.strokePath (ring, juce::PathStrokeType (thickness + 1.4f));
    g.setColour (juce::Colour (0xff141414));
    g.strokePath (ring, juce::PathStrokeType (thickness));

    // the centre stays see-through, shadow included, so the dot shows; and
    // nothing reaches further than 8.5 px from the dot, where the sliders'
    // scales are printed
    clearDisc (image, c, radius - thickness * 0.5f - 0.2f, scale);
    keepDisc (image, c, 8.5f * pointsPerEditorPixel, scale);
    return image;
}

juce::Image welcomePanel (int scale)
{
    auto image = blankImage (juce::Image::ARGB, 220, 280, scale);
    juce::Graphics g (image);
    drawInPoints (g, scale);

    // the card and its faint shadow on the transparent margin
    juce::Path card;
    card.addRectangle (15.0f, 15.0f, 190.0f, 250.0f);
    juce::DropShadow (juce::Colours::black.withAlpha (0.35f), 10, { 0, 3 }).drawForPath (g, card);
    g.setColour (juce::Colour (0xfffbfaf7));
    g.fillPath (card);

    // the crimson field, with a touch of depth
    g.setGradientFill (juce::ColourGradient (crimsonCard.brighter (0.08f), 23.0f, 23.0f, crimsonCard.darker (0.12f), 196.0f, 233.0f, false));
    g.fillRect (23, 23, 174, 211);

    // a thin white rule under the title the page draws
    g.setColour (juce::Colours::white.withAlpha (0.9f));
    g.fillRect (48.0f, 104.0f, 124.0f, 1.0f);

    // the maker's logo: a row of thin bars like a level meter frozen mid-echo
    const float heights[] = { 6, 11, 17, 24, 30, 24, 18, 13, 9, 6, 4, 3 };
    const float barsWidth = 12.0f * 3.0f + 11.0f * 3.0f;
    float x = 110.0f - barsWidth * 0.5f;
    for (float h : heights)
    {
        g.setColour (juce::Colours::white.withAlpha (0.55f + 0.45f * h / 30.0f));
        g.fillRect (x, 178.0f - h, 3.0f, h);
        x += 6.0f;
    }
    g.setColour (juce::Colours::white);
    g.setFont (font (Face::bold, 17.0f));
    const float nameWidth = spacedTextWidth (g.getCurrentFont(), "ORVELLE", 3.2f);
    drawSpacedText (g, "ORVELLE", 110.0f - nameWidth * 0.5f, 199.0f, 3.2f);
    g.setFont (font (Face::regular, 10.0f));
    g.setColour (juce::Colours::white);
    g.drawText ("sound that comes back", juce::Rectangle<float> (23.0f, 206.0f, 174.0f, 14.0f), juce::Justification::centred);
    return image;
}
} // namespace artwork
