// The reel knobs: 127 frames of a silver, knurled dial with a coloured
// pointer turning clockwise from 125 degrees left of straight up to 125
// degrees right of it.

#include "Artwork.h"

namespace artwork
{
namespace
{
constexpr int frameSize = 70;
constexpr int numFrames = 127;
constexpr float centre = 35.0f;
constexpr float dialRadius = 29.0f;
constexpr float travelDegrees = 125.0f;

juce::Point<float> polar (float radius, float degreesFromUp)
{
    const float a = juce::degreesToRadians (degreesFromUp);
    return { centre + radius * std::sin (a), centre - radius * std::cos (a) };
}

// Everything that does not move: shadow, rim, knurled silver body, marks.
juce::Image dialBody (juce::Colour accent, bool scaleDots, int scale)
{
    auto body = blankImage (juce::Image::ARGB, frameSize, frameSize, scale);
    juce::Graphics g (body);
    drawInPoints (g, scale);

    // soft shadow below the dial
    juce::Path disc;
    disc.addEllipse (centre - dialRadius, centre - dialRadius, dialRadius * 2.0f, dialRadius * 2.0f);
    juce::DropShadow (juce::Colours::black.withAlpha (0.55f), 5, { 0, 2 }).drawForPath (g, disc);

    // dark outer rim
    g.setColour (juce::Colour (0xff1c1d1f));
    g.fillEllipse (centre - dialRadius, centre - dialRadius, dialRadius * 2.0f, dialRadius * 2.0f);

    // knurled skirt: fine ridges, lit from the top left
    const float skirt = dialRadius - 1.5f;
    juce::ColourGradient metal (juce::Colour (0xfff4f5f6), centre - skirt, centre - skirt, juce::Colour (0xff85898e),
                                centre + skirt, centre + skirt, false);
    metal.addColour (0.45, juce::Colour (0xffc9ccd0));
    g.setGradientFill (metal);
    g.fillEllipse (centre - skirt, centre - skirt, skirt * 2.0f, skirt * 2.0f);
    for (int ridge = 0; ridge < 72; ++ridge)
    {
        const float angle = (float) ridge * 5.0f;
        const auto inner = polar (skirt - 4.5f, angle), outer = polar (skirt - 0.3f, angle);
        const float light = 0.5f + 0.5f * std::cos (juce::degreesToRadians (angle + 45.0f));
        g.setColour (juce::Colours::black.withAlpha (0.10f + 0.18f * (1.0f - light)));
        g.drawLine ({ inner, outer }, 0.9f);
        const auto innerLit = polar (skirt - 4.5f, angle + 2.0f), outerLit = polar (skirt - 0.3f, angle + 2.0f);
        g.setColour (juce::Colours::white.withAlpha (0.10f + 0.25f * light));
        g.drawLine ({ innerLit, outerLit }, 0.7f);
    }

    // brushed top face
    const float face = skirt - 5.0f;
    juce::ColourGradient top (juce::Colour (0xffe9ebee), centre, centre - face, juce::Colour (0xffa7abb0), centre, centre + face, false);
    g.setGradientFill (top);
    g.fillEllipse (centre - face, centre - face, face * 2.0f, face * 2.0f);
    for (int ring = 1; ring < (int) face; ring += 2)
    {
        g.setColour (juce::Colours::white.withAlpha (ring % 4 == 1 ? 0.07f : 0.0f));
        g.drawEllipse (centre - (float) ring, centre - (float) ring, (float) ring * 2.0f, (float) ring * 2.0f, 0.6f);
    }
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.drawEllipse (centre - face, centre - face, face * 2.0f, face * 2.0f, 0.8f);
    g.setColour (juce::Colours::white.withAlpha (0.55f));
    g.drawEllipse (centre - face + 0.8f, centre - face + 0.8f, face * 2.0f - 1.6f, face * 2.0f - 1.6f, 0.5f);

    // scale marks just outside the rim: both ends and the top
    g.setColour (accent);
    for (float angle : { -travelDegrees, 0.0f, travelDegrees })
        g.drawLine ({ polar (dialRadius + 1.5f, angle), polar (dialRadius + 5.0f, angle) }, 2.0f);

    if (scaleDots)
        for (int dot = 0; dot <= 10; ++dot)
        {
            const auto p = polar (skirt - 2.2f, -travelDegrees + 25.0f * (float) dot);
            g.fillEllipse (p.x - 1.1f, p.y - 1.1f, 2.2f, 2.2f);
        }
    return body;
}

void drawPointer (juce::Graphics& g, juce::Colour accent, float degreesFromUp)
{
    juce::Path pointer;
    pointer.addEllipse (centre - 7.0f, centre - 7.0f, 14.0f, 14.0f);
    juce::Path tip;
    tip.startNewSubPath (centre - 5.0f, centre - 4.0f);
    tip.lineTo (centre, centre - 21.5f);
    tip.lineTo (centre + 5.0f, centre - 4.0f);
    tip.closeSubPath();
    pointer.addPath (tip);
    pointer.applyTransform (juce::AffineTransform::rotation (juce::degreesToRadians (degreesFromUp), centre, centre));

    juce::DropShadow (juce::Colours::black.withAlpha (0.45f), 3, { 0, 1 }).drawForPath (g, pointer);
    g.setGradientFill (juce::ColourGradient (accent.brighter (0.35f), centre - 6.0f, centre - 6.0f, accent.darker (0.3f),
                                             centre + 6.0f, centre + 6.0f, false));
    g.fillPath (pointer);
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.drawEllipse (centre - 3.0f, centre - 3.0f, 6.0f, 6.0f, 0.8f);
}
} // namespace

juce::Image knobFilmstrip (juce::Colour accent, bool scaleDots, int scale)
{
    const auto body = dialBody (accent, scaleDots, scale);
    auto strip = blankImage (juce::Image::ARGB, frameSize, frameSize * numFrames, scale);
    juce::Graphics g (strip);
    const int framePixels = frameSize * scale;
    for (int frame = 0; frame < numFrames; ++frame)
    {
        juce::Graphics::ScopedSaveState state (g);
        g.setOrigin (0, frame * framePixels);
        g.reduceClipRegion (0, 0, framePixels, framePixels);
        g.drawImageAt (body, 0, 0);
        drawInPoints (g, scale);
        drawPointer (g, accent, -travelDegrees + 2.0f * travelDegrees * (float) frame / (float) (numFrames - 1));
    }
    return strip;
}
} // namespace artwork
