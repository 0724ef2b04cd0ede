#pragma once

#include <array>

// The editor's geometry: where each part of the 620 x 305 window sits. The
// editor places its components here, the artwork generator draws each
// feature of the backgrounds under the control it belongs to, and the
// snapshot tool and the tests read the same boxes.
namespace layout
{
struct Box
{
    int x, y, width, height;

    constexpr int right() const noexcept { return x + width; }
    constexpr int bottom() const noexcept { return y + height; }
    constexpr float centreX() const noexcept { return (float) x + (float) width * 0.5f; }
    constexpr float centreY() const noexcept { return (float) y + (float) height * 0.5f; }
};

constexpr int editorWidth = 620;
constexpr int editorHeight = 305;

// The reels: the feedback knob on the left, the delay-time knob on the right.
constexpr Box feedbackKnob { 295, 124, 70, 70 };
constexpr Box delayTimeKnob { 446, 124, 70, 70 };
constexpr Box feedbackReadout { 307, 199, 47, 18 };
constexpr Box delayTimeReadout { 459, 199, 47, 18 };

// Either side of the delay read-out while a mode button is hovered.
constexpr Box rangeShortestLabel { 415, 199, 45, 18 };
constexpr Box rangeLongestLabel { 505, 199, 48, 18 };

// The four mode tabs (short, medium, long, sync) and, over them while MIDI
// learn is on, the mode's own control.
constexpr std::array<Box, 4> modeButtons { { { 569, 177, 53, 18 }, { 569, 197, 53, 18 }, { 569, 217, 53, 18 }, { 569, 237, 53, 18 } } };
constexpr Box modeControl { 566, 175, 54, 82 };

constexpr Box oscilloscope { 286, 224, 236, 83 };

// The five linear sliders down the left, top to bottom, and their read-outs.
constexpr Box balanceSlider { 48, 47, 142, 40 };
constexpr Box pingPongSlider { 48, 90, 142, 40 };
constexpr Box lowCutSlider { 48, 149, 142, 40 };
constexpr Box highCutSlider { 48, 193, 142, 40 };
constexpr Box dryWetSlider { 48, 251, 142, 40 };
constexpr Box balanceReadout { 154, 46, 37, 12 };
constexpr Box pingPongReadout { 154, 89, 37, 12 };
constexpr Box lowCutReadout { 148, 148, 41, 12 };
constexpr Box highCutReadout { 148, 192, 41, 12 };
constexpr Box dryWetReadout { 154, 250, 37, 12 };

// The output gain fader at the far left, its read-out above it. Its (hidden)
// text box takes the bottom 20 px.
constexpr Box gainSlider { 12, 71, 37, 196 };
constexpr Box gainReadout { 12, 59, 37, 12 };
constexpr int gainTextBoxWidth = 80, gainTextBoxHeight = 20;
// JUCE's skew: a fader position p (0 at the bottom) stands for
// minimum + range * p^(1/skew), so the loud end is spread out.
constexpr double gainFaderSkew = 3.0;

// Where a thumb's centre travels: a slider's box less JUCE's thumb indent at
// each end (LookAndFeel_V2::getSliderThumbRadius, 7 + 2 px), the fader's
// less its text box too. The printed scales end here.
constexpr int thumbIndent = 9;
constexpr int linearTravelStart = balanceSlider.x + thumbIndent;                                    // 57
constexpr int linearTravelEnd = balanceSlider.right() - thumbIndent;                                // 181
constexpr float linearThumbRow = (float) balanceSlider.height * 0.5f;                               // below a slider's top
constexpr float gainThumbColumn = gainSlider.centreX();                                             // 30.5
constexpr int gainTravelTop = gainSlider.y + thumbIndent;                                           // 80 (+10 dB)
constexpr int gainTravelBottom = gainSlider.bottom() - gainTextBoxHeight - thumbIndent;             // 238 (-90 dB)

// Hot spots and the gear.
constexpr Box welcomeHotSpot { 0, 0, 166, 30 };
constexpr Box backgroundHotSpot { 322, 74, 166, 32 };
constexpr Box gearButton { 593, 6, 18, 18 };

// The options page opens below the gear.
constexpr Box optionsPage { 300, 30, 320, 82 };
} // namespace layout
