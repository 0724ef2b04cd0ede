#pragma once

#include "AltLookAndFeel.h"
#include "OptionGUI.h"
#include "Pictures.h"
#include "Oscillo.h"
#include "WelcomeGUI.h"

#include "../engine/VelmorAudioProcessor.h"

// The plug-in's window: a 620 x 305 cassette whose reels are the delay-time
// and feedback knobs, six value controls down the left, four mode tabs, the
// waveform strip, and hot spots for the welcome page, the background picture
// and the options page. It writes parameters through the host-notifying path
// and reads the processor back on a 50 ms timer; it never waits for it.
class VelmorAudioProcessorEditor : public juce::AudioProcessorEditor,
                                   public juce::Timer,
                                   public juce::Slider::Listener,
                                   public juce::Button::Listener
{
public:
    explicit VelmorAudioProcessorEditor (VelmorAudioProcessor&);
    ~VelmorAudioProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    int getControlParameterIndex (juce::Component&) override;

    void timerCallback() override;
    void sliderValueChanged (juce::Slider*) override;
    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void buttonClicked (juce::Button*) override;

    void updateModeButtons();
    void setMidiLearn (bool on);

    // The control-to-parameter map by component name; -1 for anything else.
    static int parameterIndexForComponentName (const juce::String& name);

private:
    // The nine parameter controls, by parameter index or in the order the
    // editor examines them, and the four mode buttons.
    juce::Slider* sliderFor (int parameterIndex) const;
    std::array<juce::Slider*, selvane::numParameters> parameterSliders() const;
    std::array<juce::Button*, 4> modeButtons() const;
    int parameterIndexOf (const juce::Slider*) const;
    selvane::ControlRange controlRangeOf (int parameterIndex) const;
    double parameterValueFor (const juce::Slider&, int index) const;
    void refreshFromProcessor();
    void switchBackground();

    VelmorAudioProcessor& processor;
    pictures::KeepDecoded keepPicturesDecoded;  // outlives every child that draws one

    std::unique_ptr<OptionGUI> optionGUI;
    std::unique_ptr<WelcomeGUI> welcomeGUI;
    AltLookAndFeel altLookAndFeel;
    AltLookAndFeelDelayTime altLookAndFeelDelayTime;
    AltLookAndFeelDelayFeedback altLookAndFeelDelayFeedback;
    AltLookAndFeel_transparentButton altLookAndFeelTransparentButton;
    int currentMode = -1;
    int backgroundIndex = 0;

    std::unique_ptr<juce::Slider> sliderDelayTime;
    std::unique_ptr<juce::Slider> sliderDelayFeedback;
    std::unique_ptr<Oscillo> oscillo;
    std::unique_ptr<juce::ImageButton> buttonModeShort;
    std::unique_ptr<juce::ImageButton> buttonModeMedium;
    std::unique_ptr<juce::ImageButton> buttonModeLong;
    std::unique_ptr<juce::ImageButton> buttonModeSync;
    std::unique_ptr<juce::Label> labelTmin;
    std::unique_ptr<juce::Label> labelTmax;
    std::unique_ptr<juce::TextButton> buttonWelcome;
    std::unique_ptr<juce::Label> labelDelayTime;
    std::unique_ptr<juce::Label> labelDelayFeedback;
    std::unique_ptr<juce::Label> labelBalance;
    std::unique_ptr<juce::Label> labelPingPong;
    std::unique_ptr<juce::Label> labelLowCut;
    std::unique_ptr<juce::Label> labelHighCut;
    std::unique_ptr<juce::Label> labelOutput;
    std::unique_ptr<juce::Label> labelGainValue;
    std::unique_ptr<juce::TextButton> buttonSwitchGUI;
    std::unique_ptr<juce::ImageButton> buttonEngrenage;
    std::unique_ptr<juce::Slider> sliderBalance;
    std::unique_ptr<juce::Slider> sliderPingPong;
    std::unique_ptr<juce::Slider> sliderHighPass;
    std::unique_ptr<juce::Slider> sliderLowPass;
    std::unique_ptr<juce::Slider> sliderDryWet;
    std::unique_ptr<juce::Slider> sliderGain;
    std::unique_ptr<juce::Slider> sliderMode;

    juce::Image backgroundImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelmorAudioProcessorEditor)
};
