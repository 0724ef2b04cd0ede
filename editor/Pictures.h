#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's embedded pictures, each at 1x (the editor's own pixels) and
// at 2x (its HiDPI partner, twice as many pixels each way). Every picture is
// decoded through JUCE's image cache, so all users share one decoded copy.
namespace pictures
{
enum class Id
{
    cassettePhoto,
    outlineBackground,
    timeKnob,
    feedbackKnob,
    sliderRing,
    gear,
    shortOn,
    shortOff,
    midOn,
    midOff,
    longOn,
    longOff,
    syncOn,
    syncOff,
    welcomePanel
};

// The picture the editor draws on ordinary screens.
juce::Image get (Id id);

// Its partner drawn at 2x.
juce::Image get2x (Id id);

// True when the context puts more than one device pixel on each of the
// editor's pixels: a host's or the desktop's scale above 1 (VST3 content
// scale, LV2 ui:scaleFactor, VST 2.x DPI call, the Standalone's display).
bool isAboveOneX (juce::Graphics& g);

// What to draw for `oneX` in this context: its 2x partner where the context
// is scaled and `oneX` is one of the 1x pictures, otherwise `oneX` itself.
// Drawn into the same rectangle, the partner needs its source area doubled
// (sourceScale).
juce::Image forContext (juce::Graphics& g, const juce::Image& oneX);
inline int sourceScale (const juce::Image& drawn, const juce::Image& oneX)
{
    return oneX.getWidth() > 0 ? drawn.getWidth() / oneX.getWidth() : 1;
}

// While one lives (an open editor holds one), every picture asked for stays
// decoded. JUCE's image cache lets go of a picture nobody holds after a few
// seconds, and decoding a 2x filmstrip again (10 MB of pixels) would stall the
// next paint of a knob. Message thread only, as all painting.
class KeepDecoded
{
public:
    KeepDecoded();
    ~KeepDecoded();

private:
    JUCE_DECLARE_NON_COPYABLE (KeepDecoded)
};
} // namespace pictures
