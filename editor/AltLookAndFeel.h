#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The plug-in's look: colours, the embedded Roboto font, linear sliders as a
// thin value bar with a dot and a ring, reel knobs drawn from filmstrips, and
// the red highlight that marks the control MIDI learn would assign.
class AltLookAndFeel : public juce::LookAndFeel_V3
{
public:
    AltLookAndFeel();

    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool isMouseOverButton, bool isButtonDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown, int buttonX, int buttonY,
                       int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;
    void drawImageButton (juce::Graphics&, juce::Image*, int imageX, int imageY, int imageW, int imageH,
                          const juce::Colour& overlayColour, float imageOpacity, juce::ImageButton&) override;
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;

    // The name of the component property that marks a control while MIDI learn is on.
    static const juce::Identifier midiLearnProperty;

    // True when the pointer rests on (or drags) an enabled slider marked for MIDI learn.
    virtual bool isLearnHighlighted (juce::Slider&) const;

    // The rule behind it, on the three facts it looks at: all must hold.
    static bool learnHighlightShows (bool markedForLearn, bool pointerOver, bool enabled) noexcept
    {
        return markedForLearn && pointerOver && enabled;
    }

    // Four red corner marks around a control: arms of `arm` pixels, the right
    // ones at x = `right`.
    static void drawLearnBrackets (juce::Graphics&, float arm, float right, float bottom);

    // Draws frame floor(position x 126) of a 127-frame, 70-pixel filmstrip scaled into 0, 0, width, height.
    static void drawFilmstripFrame (juce::Graphics&, const juce::Image& strip, float position, int width, int height);
    static int filmstripSourceRow (float position);

protected:
    static void drawButtonShape (juce::Graphics&, const juce::Path& outline, juce::Colour baseColour, float height);
};

// The delay-time reel: the crimson filmstrip, with learn brackets.
class AltLookAndFeelDelayTime : public AltLookAndFeel
{
public:
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
};

// The feedback reel: the teal filmstrip, with learn brackets.
class AltLookAndFeelDelayFeedback : public AltLookAndFeel
{
public:
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
};

// Invisible buttons, knob-less sliders and small text boxes.
class AltLookAndFeel_transparentButton : public AltLookAndFeel
{
public:
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour&, bool, bool) override {}
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
    juce::Label* createSliderTextBox (juce::Slider&) override;

    // A slider's text box that ignores the mouse wheel.
    class SliderLabelComp : public juce::Label
    {
    public:
        SliderLabelComp() : juce::Label ({}, {}) {}
        void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override {}
    };
};
