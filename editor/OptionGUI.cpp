#include "OptionGUI.h"

#include "Layout.h"
#include "VelmorAudioProcessorEditor.h"

#include "../engine/VelmorAudioProcessor.h"

using namespace selvane;

namespace
{
std::unique_ptr<juce::Label> makeLabel (juce::Component& page, const char* name, const char* text, float height)
{
    auto label = std::make_unique<juce::Label> (name, text);
    page.addAndMakeVisible (*label);
    label->setFont (juce::Font (height, juce::Font::plain));
    label->setJustificationType (juce::Justification::centredLeft);
    label->setEditable (false, false, false);
    label->setColour (juce::Label::textColourId, juce::Colour (0xfffcfcfc));
    label->setColour (juce::TextEditor::textColourId, juce::Colour (0xff000000));
    label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
    return label;
}

std::unique_ptr<juce::TextButton> makeButton (OptionGUI& page, const char* name, const char* text)
{
    auto button = std::make_unique<juce::TextButton> (name);
    page.addAndMakeVisible (*button);
    button->setButtonText (text);
    button->setConnectedEdges (juce::Button::ConnectedOnLeft | juce::Button::ConnectedOnRight | juce::Button::ConnectedOnTop
                               | juce::Button::ConnectedOnBottom);
    button->addListener (&page);
    button->setColour (juce::TextButton::buttonColourId, juce::Colour (0xff000000));
    button->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0xff000000));
    button->setColour (juce::TextButton::textColourOnId, juce::Colour (0xffffffff));
    button->setColour (juce::TextButton::textColourOffId, juce::Colour (0xffffffff));
    return button;
}

// "Feedback: CC 20", or "Feedback: N/A " while nothing is assigned.
juce::String assignmentText (int parameter, int controller)
{
    const juce::String prefix (parameterTable[(size_t) parameter].optionsLabel);
    if (controller == -1)
        return prefix + ": N/A ";
    return prefix + ": CC " + juce::String (controller);
}
} // namespace

OptionGUI::OptionGUI (VelmorAudioProcessor& processorIn)
{
    presetList = std::make_unique<juce::ComboBox> ("presetList");
    addAndMakeVisible (*presetList);
    presetList->setEditableText (false);
    presetList->setJustificationType (juce::Justification::centredLeft);
    presetList->setTextWhenNothingSelected ({});
    presetList->setTextWhenNoChoicesAvailable ("(no choices)");
    presetList->addListener (this);

    midiChannel = makeLabel (*this, "midiChannel", "MIDI Channel", 13.0f);
    labelDelayTime = makeLabel (*this, "labelDelayTime", "Time: N/A", 12.0f);
    labelPingPong = makeLabel (*this, "labelPingPong", "L/R Cross: N/A", 12.0f);
    labelGain = makeLabel (*this, "labelGain", "Gain: N/A", 12.0f);
    labelHighPass = makeLabel (*this, "labelHighPass", "Low cut: N/A", 12.0f);
    unlearnButton = makeButton (*this, "unlearnButton", "Unlearn All");
    labelDryWet = makeLabel (*this, "labelDryWet", "Output: N/A", 12.0f);
    labelDelayFeedback = makeLabel (*this, "labelDelayFeedback", "Feedback: N/A", 12.0f);
    labelLowPass = makeLabel (*this, "labelLowPass", "High cut: N/A", 12.0f);
    labelBalance = makeLabel (*this, "labelBalance", "Input Balance: N/A", 12.0f);
    learnButton = makeButton (*this, "learnButton", "MIDI learn");
    labelMode = makeLabel (*this, "labelMode", "Mode: N/A", 12.0f);

    setSize (layout::optionsPage.width, layout::optionsPage.height);
    processor = &processorIn;
    learnButton->setClickingTogglesState (true);

    presetList->addItem ("All", 1);
    for (int channel = 1; channel <= 16; ++channel)
        presetList->addItem (juce::String (channel), channel + 1);
    presetList->setSelectedItemIndex (processor->idxMidiChannel.load());  // asynchronous notification

    startTimer (20);
}

OptionGUI::~OptionGUI()
{
    presetList = nullptr;
    midiChannel = nullptr;
    labelDelayTime = nullptr;
    labelPingPong = nullptr;
    labelGain = nullptr;
    labelHighPass = nullptr;
    unlearnButton = nullptr;
    labelDryWet = nullptr;
    labelDelayFeedback = nullptr;
    labelLowPass = nullptr;
    labelBalance = nullptr;
    learnButton = nullptr;
    labelMode = nullptr;
}

void OptionGUI::paint (juce::Graphics& g)
{
    g.setColour (juce::Colour (0xd4000000));
    g.fillRect (-59, -31, 616, 221);
}

void OptionGUI::resized()
{
    presetList->setBounds (11, 62, 68, 16);
    midiChannel->setBounds (8, 43, 74, 24);
    labelDelayTime->setBounds (226, 17, 116, 24);
    labelPingPong->setBounds (94, 17, 82, 24);
    labelGain->setBounds (184, 59, 82, 24);
    labelHighPass->setBounds (94, 38, 82, 24);
    unlearnButton->setBounds (11, 25, 68, 17);
    labelDryWet->setBounds (226, 38, 98, 24);
    labelDelayFeedback->setBounds (226, -4, 102, 24);
    labelLowPass->setBounds (94, 59, 82, 24);
    labelBalance->setBounds (94, -4, 114, 24);
    learnButton->setBounds (11, 2, 68, 17);
    labelMode->setBounds (253, 59, 68, 24);
}

juce::Label* OptionGUI::assignmentLabelFor (int parameter) const
{
    switch (parameter)
    {
        case kDelayTime:     return labelDelayTime.get();
        case kDelayFeedback: return labelDelayFeedback.get();
        case kMode:          return labelMode.get();
        case kBalance:       return labelBalance.get();
        case kPingPong:      return labelPingPong.get();
        case kHighCut:       return labelLowPass.get();
        case kLowCut:        return labelHighPass.get();
        case kDryWet:        return labelDryWet.get();
        case kGain:          return labelGain.get();
        default:             return nullptr;
    }
}

void OptionGUI::timerCallback()
{
    for (int parameter = 0; parameter < numParameters; ++parameter)
        assignmentLabelFor (parameter)->setText (assignmentText (parameter, processor->midiMap[(size_t) parameter].load()),
                                                 juce::dontSendNotification);
}

void OptionGUI::comboBoxChanged (juce::ComboBox* box)
{
    if (box == presetList.get())
        processor->idxMidiChannel.store (presetList->getSelectedItemIndex());
}

void OptionGUI::buttonClicked (juce::Button* button)
{
    if (button == unlearnButton.get())
        processor->unlearnAll();
    else if (button == learnButton.get())
        if (auto* editor = dynamic_cast<VelmorAudioProcessorEditor*> (getParentComponent()))
            editor->setMidiLearn (learnButton->getToggleState());
}

void OptionGUI::switchLearningOffAndHide()
{
    learnButton->setToggleState (false, juce::sendNotification);
    setVisible (false);
}
