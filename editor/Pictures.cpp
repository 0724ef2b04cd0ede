#include "Pictures.h"

#include "BinaryData.h"

#include <algorithm>
#include <vector>

namespace pictures
{
namespace
{
struct Entry
{
    Id id;
    const char* data;
    int size;
    const char* data2x;
    int size2x;
};

#define SELVANE_PICTURE(id, name, ext) \
    { Id::id, BinaryData::name##_##ext, BinaryData::name##_##ext##Size, BinaryData::name##_2x_##ext, BinaryData::name##_2x_##ext##Size }

const Entry entries[] = {
    SELVANE_PICTURE (cassettePhoto, cassettePhoto, jpg),
    SELVANE_PICTURE (outlineBackground, Fond_InterfaceSelvane_epuree, jpg),
    SELVANE_PICTURE (timeKnob, bouton_Time, png),
    SELVANE_PICTURE (feedbackKnob, bouton_Fdback, png),
    SELVANE_PICTURE (sliderRing, Bouton_slider, png),
    SELVANE_PICTURE (gear, gear, png),
    SELVANE_PICTURE (shortOn, Short_on, png),
    SELVANE_PICTURE (shortOff, Short_off, png),
    SELVANE_PICTURE (midOn, Mid_on, png),
    SELVANE_PICTURE (midOff, Mid_off, png),
    SELVANE_PICTURE (longOn, Long_on, png),
    SELVANE_PICTURE (longOff, Long_off, png),
    SELVANE_PICTURE (syncOn, Sync_on, png),
    SELVANE_PICTURE (syncOff, Sync_off, png),
    SELVANE_PICTURE (welcomePanel, welcomePanel, png),
};

#undef SELVANE_PICTURE

int openKeepers = 0;

std::vector<juce::Image>& keptPictures()
{
    static std::vector<juce::Image> pictures;
    return pictures;
}

juce::Image decoded (const char* data, int size)
{
    auto image = juce::ImageCache::getFromMemory (data, size);
    auto& kept = keptPictures();
    if (openKeepers > 0 && image.isValid() && std::find (kept.begin(), kept.end(), image) == kept.end())
        kept.push_back (image);
    return image;
}

const Entry& entryFor (Id id)
{
    for (const auto& entry : entries)
        if (entry.id == id)
            return entry;
    jassertfalse;
    return entries[0];
}
} // namespace

juce::Image get (Id id)
{
    const auto& entry = entryFor (id);
    return decoded (entry.data, entry.size);
}

juce::Image get2x (Id id)
{
    const auto& entry = entryFor (id);
    return decoded (entry.data2x, entry.size2x);
}

bool isAboveOneX (juce::Graphics& g)
{
    return g.getInternalContext().getPhysicalPixelScaleFactor() > 1.001f;
}

juce::Image forContext (juce::Graphics& g, const juce::Image& oneX)
{
    if (! oneX.isValid() || ! isAboveOneX (g))
        return oneX;
    for (const auto& entry : entries)
        if (juce::ImageCache::getFromHashCode ((juce::int64) (juce::pointer_sized_int) entry.data) == oneX)  // the cache's key for it, no decoding
        {
            auto partner = decoded (entry.data2x, entry.size2x);
            return partner.isValid() ? partner : oneX;
        }
    return oneX;
}

KeepDecoded::KeepDecoded() { ++openKeepers; }

KeepDecoded::~KeepDecoded()
{
    if (--openKeepers == 0)
        keptPictures().clear();
}
} // namespace pictures
