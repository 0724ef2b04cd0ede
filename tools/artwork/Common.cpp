#include "Artwork.h"

#include <png.h>

#include <map>
#include <vector>

namespace artwork
{
namespace
{
const char* fontFile (Face face)
{
    switch (face)
    {
        case Face::regular:             return "RobotoTTF/Roboto-Regular.ttf";
        case Face::medium:              return "RobotoTTF/Roboto-Medium.ttf";
        case Face::bold:                return "RobotoTTF/Roboto-Bold.ttf";
        case Face::light:               return "RobotoTTF/Roboto-Light.ttf";
        case Face::condensed:           return "RobotoCondensed-Regular.ttf";
        case Face::condensedBold:       return "RobotoCondensed-Bold.ttf";
        case Face::condensedBoldItalic: return "RobotoCondensed-BoldItalic.ttf";
    }
    return "RobotoTTF/Roboto-Regular.ttf";
}
} // namespace

juce::Font font (Face face, float height)
{
    static std::map<Face, juce::Typeface::Ptr> typefaces;
    auto& typeface = typefaces[face];
    if (typeface == nullptr)
    {
        juce::MemoryBlock data;
        const juce::File file ("/usr/share/fonts/truetype/roboto/unhinted/" + juce::String (fontFile (face)));
        if (! file.loadFileAsData (data))
        {
            std::fprintf (stderr, "selvane-artwork: cannot read %s (package fonts-roboto-unhinted)\n", file.getFullPathName().toRawUTF8());
            std::exit (1);
        }
        typeface = juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
    }
    return juce::Font (typeface).withHeight (height);
}

void addGrain (juce::Image& image, juce::uint32 seed, float strength)
{
    Noise noise (seed);
    juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readWrite);
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            const auto c = pixels.getPixelColour (x, y);
            const float n = noise.next() * strength;
            auto shift = [n] (juce::uint8 v) { return (juce::uint8) juce::jlimit (0, 255, juce::roundToInt (v + n)); };
            pixels.setPixelColour (x, y, juce::Colour (shift (c.getRed()), shift (c.getGreen()), shift (c.getBlue()), c.getAlpha()));
        }
}

juce::Image blankImage (juce::Image::PixelFormat format, int widthInPoints, int heightInPoints, int scale)
{
    return juce::Image (format, widthInPoints * scale, heightInPoints * scale, true);
}

void drawInPoints (juce::Graphics& g, int scale)
{
    g.addTransform (juce::AffineTransform::scale ((float) scale));
}

float spacedTextWidth (const juce::Font& f, const juce::String& text, float spacing)
{
    float width = 0.0f;
    for (int i = 0; i < text.length(); ++i)
        width += f.getStringWidthFloat (text.substring (i, i + 1)) + (i + 1 < text.length() ? spacing : 0.0f);
    return width;
}

void drawSpacedText (juce::Graphics& g, const juce::String& text, float x, float baseline, float spacing)
{
    const auto f = g.getCurrentFont();
    for (int i = 0; i < text.length(); ++i)
    {
        const auto letter = text.substring (i, i + 1);
        juce::GlyphArrangement glyphs;
        glyphs.addLineOfText (f, letter, x, baseline);
        glyphs.draw (g);
        x += f.getStringWidthFloat (letter) + spacing;
    }
}

//==============================================================================
bool writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    return out.openedOk() && png.writeImageToStream (image, out);
}

bool writeJpeg (const juce::Image& image, const juce::File& file, float quality)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::JPEGImageFormat jpeg;
    jpeg.setQuality (quality);
    return out.openedOk() && jpeg.writeImageToStream (image.convertedToFormat (juce::Image::RGB), out);
}

// An 8-bit palette PNG: every distinct colour of the picture (at most 256)
// becomes a palette entry, and a tRNS chunk carries the alpha values when
// any pixel is not opaque.
bool writePalettePng (const juce::Image& image, const juce::File& file)
{
    const int width = image.getWidth(), height = image.getHeight();
    std::vector<juce::uint32> palette;
    std::map<juce::uint32, int> indexOf;
    std::vector<juce::uint8> indices ((size_t) (width * height));
    bool anyTransparent = false;

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            auto c = image.getPixelAt (x, y);
            if (c.getAlpha() == 0)
                c = juce::Colour (0u);
            anyTransparent |= c.getAlpha() != 255;
            const auto argb = c.getARGB();
            auto found = indexOf.find (argb);
            if (found == indexOf.end())
            {
                if (palette.size() == 256)
                {
                    std::fprintf (stderr, "selvane-artwork: %s needs more than 256 colours\n", file.getFileName().toRawUTF8());
                    return false;
                }
                found = indexOf.emplace (argb, (int) palette.size()).first;
                palette.push_back (argb);
            }
            indices[(size_t) (y * width + x)] = (juce::uint8) found->second;
        }

    file.deleteFile();
    FILE* out = std::fopen (file.getFullPathName().toRawUTF8(), "wb");
    if (out == nullptr)
        return false;

    png_structp writer = png_create_write_struct (PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct (writer);
    if (setjmp (png_jmpbuf (writer)))
    {
        png_destroy_write_struct (&writer, &info);
        std::fclose (out);
        return false;
    }
    png_init_io (writer, out);
    png_set_IHDR (writer, info, (png_uint_32) width, (png_uint_32) height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                  PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);

    std::vector<png_color> colours;
    std::vector<png_byte> alphas;
    for (auto argb : palette)
    {
        const juce::Colour c (argb);
        colours.push_back ({ c.getRed(), c.getGreen(), c.getBlue() });
        alphas.push_back (c.getAlpha());
    }
    png_set_PLTE (writer, info, colours.data(), (int) colours.size());
    if (anyTransparent)
        png_set_tRNS (writer, info, alphas.data(), (int) alphas.size(), nullptr);
    png_write_info (writer, info);
    for (int y = 0; y < height; ++y)
        png_write_row (writer, indices.data() + y * width);
    png_write_end (writer, info);
    png_destroy_write_struct (&writer, &info);
    std::fclose (out);
    return true;
}
} // namespace artwork
