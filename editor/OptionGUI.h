#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class VelmorAudioProcessor;

// The options page: MIDI learn on and off, "Unlearn All", the MIDI channel
// filter, and which controller drives each of the nine parameters. It keeps
// nothing of its own: it writes the processor's MIDI members and re-reads
// the assignments every 20 ms.
class OptionGUI : public juce::Component,
                  public juce::Timer,
                  public juce::ComboBox::Listener,
                  public juce::Button::Listener
{
public:
    explicit OptionGUI (VelmorAudioProcessor&);
    ~OptionGUI() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;
    void comboBoxChanged (juce::ComboBox*) override;
    void buttonClicked (juce::Button*) override;

    // The gear hides the page: learning is switched off through the learn
    // button's own click handling first.
    void switchLearningOffAndHide();

    juce::TextButton& getLearnButton() { return *learnButton; }

private:
    juce::Label* assignmentLabelFor (int parameter) const;

    VelmorAudioProcessor* processor = nullptr;
    std::unique_ptr<juce::ComboBox> presetList;  // the MIDI channel selector
    std::unique_ptr<juce::Label> midiChannel;
    std::unique_ptr<juce::Label> labelDelayTime;
    std::unique_ptr<juce::Label> labelPingPong;
    std::unique_ptr<juce::Label> labelGain;
    std::unique_ptr<juce::Label> labelHighPass;
    std::unique_ptr<juce::TextButton> unlearnButton;
    std::unique_ptr<juce::Label> labelDryWet;
    std::unique_ptr<juce::Label> labelDelayFeedback;
    std::unique_ptr<juce::Label> labelLowPass;
    std::unique_ptr<juce::Label> labelBalance;
    std::unique_ptr<juce::TextButton> learnButton;
    std::unique_ptr<juce::Label> labelMode;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OptionGUI)
};
