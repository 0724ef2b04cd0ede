// selvane-artwork OUTPUT_DIR: draws every picture of the editor, at 1x under
// the names the build embeds and at 2x (for HiDPI screens) under the same
// names with "_2x" before the extension.

#include "Artwork.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace
{
enum class Format
{
    rgbaPng,
    palettePng,
    jpeg
};

struct Picture
{
    juce::String fileName;
    Format format;
    std::function<juce::Image (int scale)> draw;
};

juce::String fileNameAt (const juce::String& fileName, int scale)
{
    if (scale == 1)
        return fileName;
    return fileName.upToLastOccurrenceOf (".", false, false) + "_" + juce::String (scale) + "x"
         + fileName.fromLastOccurrenceOf (".", true, false);
}

bool write (const Picture& picture, int scale, const juce::File& dir)
{
    using namespace artwork;
    const auto image = picture.draw (scale);
    const auto file = dir.getChildFile (fileNameAt (picture.fileName, scale));
    switch (picture.format)
    {
        case Format::rgbaPng:    return writePng (image, file);
        case Format::palettePng: return writePalettePng (image, file);
        case Format::jpeg:       return writeJpeg (image, file, 0.92f);
    }
    return false;
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: selvane-artwork OUTPUT_DIR\n");
        return 2;
    }
    const juce::ScopedJuceInitialiser_GUI juce;
    const juce::File dir = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    if (! dir.createDirectory())
    {
        std::fprintf (stderr, "selvane-artwork: cannot create %s\n", dir.getFullPathName().toRawUTF8());
        return 1;
    }

    using namespace artwork;
    std::vector<Picture> pictures {
        { "cassettePhoto.jpg", Format::jpeg, cassettePhoto },
        { "Fond_InterfaceSelvane_epuree.jpg", Format::jpeg, cassetteOutline },
        { "bouton_Time.png", Format::rgbaPng, [] (int scale) { return knobFilmstrip (crimson, true, scale); } },
        { "bouton_Fdback.png", Format::rgbaPng, [] (int scale) { return knobFilmstrip (teal, false, scale); } },
        { "Bouton_slider.png", Format::rgbaPng, sliderRing },
        { "gear.png", Format::rgbaPng, gear },
        { "welcomePanel.png", Format::rgbaPng, welcomePanel },
    };
    for (const char* word : { "Short", "Mid", "Long", "Sync" })
        for (bool on : { true, false })
            pictures.push_back ({ juce::String (word) + (on ? "_on.png" : "_off.png"), Format::palettePng,
                                  [word, on] (int scale) { return modeTab (word, on, scale); } });

    for (int scale : { 1, 2 })
        for (const auto& picture : pictures)
            if (! write (picture, scale, dir))
            {
                std::fprintf (stderr, "selvane-artwork: writing %s failed\n", fileNameAt (picture.fileName, scale).toRawUTF8());
                return 1;
            }
    std::printf ("wrote %d pictures to %s\n", (int) pictures.size() * 2, dir.getFullPathName().toRawUTF8());
    return 0;
}
