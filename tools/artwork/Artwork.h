#pragma once

// Selvane's pictures, drawn in code. Every function is deterministic: the
// same program writes the same bytes, so the committed resources can be
// checked against a fresh run.

#include <juce_graphics/juce_graphics.h>

namespace artwork
{
// The house colours.
const juce::Colour crimson { 226, 0, 54 };
const juce::Colour crimsonCard { 223, 12, 59 };
const juce::Colour teal { 16, 66, 81 };
const juce::Colour tabText { 215, 229, 232 };
const juce::Colour tabDark { 36, 36, 36 };

// Roboto in the weights the artwork uses, read from the system's font files.
enum class Face
{
    regular,
    medium,
    bold,
    light,
    condensed,
    condensedBold,
    condensedBoldItalic
};
juce::Font font (Face face, float height);

// A small, seeded source of noise for textures.
class Noise
{
public:
    explicit Noise (juce::uint32 seed) : state (seed) {}
    float next()  // -1 .. 1
    {
        state = state * 1664525u + 1013904223u;
        return (float) ((state >> 8) & 0xffff) / 32767.5f - 1.0f;
    }

private:
    juce::uint32 state;
};

// Adds grain of the given strength (in 0..255 steps) to every opaque pixel.
void addGrain (juce::Image& image, juce::uint32 seed, float strength);

// Every picture is drawn in points, the editor's pixels at 1x; `scale` is the
// number of image pixels per point (1 for the pictures the editor draws at
// 1x, 2 for their HiDPI partners).
juce::Image blankImage (juce::Image::PixelFormat format, int widthInPoints, int heightInPoints, int scale);
void drawInPoints (juce::Graphics& g, int scale);

// Text drawn with extra space between letters.
void drawSpacedText (juce::Graphics& g, const juce::String& text, float x, float baseline, float spacing);
float spacedTextWidth (const juce::Font& font, const juce::String& text, float spacing);

// The pictures, `scale` image pixels per point.
juce::Image cassettePhoto (int scale);
juce::Image cassetteOutline (int scale);
juce::Image knobFilmstrip (juce::Colour pointer, bool scaleDots, int scale);
juce::Image modeTab (const juce::String& word, bool on, int scale);
juce::Image gear (int scale);
juce::Image sliderRing (int scale);
juce::Image welcomePanel (int scale);

// Writers: RGBA PNG, palette PNG (with transparency where the picture has
// any), baseline JPEG.
bool writePng (const juce::Image& image, const juce::File& file);
bool writePalettePng (const juce::Image& image, const juce::File& file);
bool writeJpeg (const juce::Image& image, const juce::File& file, float quality);
} // namespace artwork
