// selvane-artwork OUTPUT_DIR: draws every picture of the editor and writes
// them under the names the build embeds.

#include "Artwork.h"

#include <cstdio>

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
    bool ok = writeJpeg (cassettePhoto(), dir.getChildFile ("cassettePhoto.jpg"), 0.92f)
           && writeJpeg (cassetteOutline(), dir.getChildFile ("Fond_InterfaceSelvane_epuree.jpg"), 0.92f)
           && writePng (knobFilmstrip (crimson, true), dir.getChildFile ("bouton_Time.png"))
           && writePng (knobFilmstrip (teal, false), dir.getChildFile ("bouton_Fdback.png"))
           && writePng (sliderRing(), dir.getChildFile ("Bouton_slider.png"))
           && writePng (gear(), dir.getChildFile ("gear.png"))
           && writePng (welcomePanel(), dir.getChildFile ("welcomePanel.png"));

    for (auto [word, name] : { std::pair { "Short", "Short" }, std::pair { "Mid", "Mid" }, std::pair { "Long", "Long" },
                               std::pair { "Sync", "Sync" } })
        ok = ok && writePalettePng (modeTab (word, true), dir.getChildFile (juce::String (name) + "_on.png"))
                && writePalettePng (modeTab (word, false), dir.getChildFile (juce::String (name) + "_off.png"));

    if (! ok)
    {
        std::fprintf (stderr, "selvane-artwork: writing the pictures failed\n");
        return 1;
    }
    std::printf ("wrote 15 pictures to %s\n", dir.getFullPathName().toRawUTF8());
    return 0;
}
