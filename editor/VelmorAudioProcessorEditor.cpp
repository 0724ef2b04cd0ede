#include "VelmorAudioProcessorEditor.h"

#include "Layout.h"
#include "Pictures.h"
#include "Readouts.h"

#include <cmath>

using namespace selvane;

namespace
{
constexpr int refreshPeriodMs = 50;

void place (juce::Component& component, layout::Box box) { component.setBounds (box.x, box.y, box.width, box.height); }

juce::Image backgroundPicture (int index)
{
    return pictures::get (index == 1 ? pictures::Id::outlineBackground : pictures::Id::cassettePhoto);
}

// A parameter's control: its name and range from the parameter table ("DelayTime"
// takes its range from the mode later), its look from here.
std::unique_ptr<juce::Slider> makeSlider (juce::Component& editor, juce::Slider::Listener& listener, int parameter,
                                          juce::Slider::SliderStyle style, juce::uint32 trackColour)
{
    const auto& info = parameterTable[(size_t) parameter];
    auto slider = std::make_unique<juce::Slider> (info.controlName);
    editor.addAndMakeVisible (*slider);
    if (parameter != kDelayTime)
        slider->setRange (info.control.minimum, info.control.maximum, info.control.step);
    slider->setSliderStyle (style);
    slider->setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    slider->setColour (juce::Slider::backgroundColourId, juce::Colour (0x00ffffff));
    slider->setColour (juce::Slider::thumbColourId, juce::Colour (0xffffffff));
    slider->setColour (juce::Slider::trackColourId, juce::Colour (trackColour));
    slider->setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xffffffff));
    slider->setColour (juce::Slider::rotarySliderOutlineColourId, juce::Colour (0xff808080));
    slider->setColour (juce::Slider::textBoxTextColourId, juce::Colour (0xffffffff));
    slider->setColour (juce::Slider::textBoxBackgroundColourId, juce::Colour (0x00000000));
    slider->setColour (juce::Slider::textBoxHighlightColourId, juce::Colour (0x3affffff));
    slider->setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (0x00000000));
    slider->addListener (&listener);
    return slider;
}

struct LabelSetup
{
    const char* name;
    const char* text;
    float fontHeight;
    juce::uint32 textColour;
    juce::uint32 backgroundColour;  // 0: none given
    juce::uint32 outlineColour;     // 0: none given
};

std::unique_ptr<juce::Label> makeLabel (juce::Component& editor, const LabelSetup& setup)
{
    auto label = std::make_unique<juce::Label> (setup.name, TRANS (setup.text));
    editor.addAndMakeVisible (*label);
    label->setFont (juce::Font (setup.fontHeight, juce::Font::plain));
    label->setJustificationType (juce::Justification::centred);
    label->setEditable (false, false, false);
    if (setup.backgroundColour != 0)
        label->setColour (juce::Label::backgroundColourId, juce::Colour (setup.backgroundColour));
    label->setColour (juce::Label::textColourId, juce::Colour (setup.textColour));
    if (setup.outlineColour != 0)
        label->setColour (juce::Label::outlineColourId, juce::Colour (setup.outlineColour));
    label->setColour (juce::TextEditor::textColourId, juce::Colour (0xff000000));
    label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
    return label;
}

std::unique_ptr<juce::ImageButton> makeImageButton (juce::Component& editor, juce::Button::Listener& listener,
                                                    const char* name, const char* text)
{
    auto button = std::make_unique<juce::ImageButton> (name);
    editor.addAndMakeVisible (*button);
    button->setButtonText (TRANS (text));
    button->addListener (&listener);
    return button;
}

std::unique_ptr<juce::TextButton> makeTextButton (juce::Component& editor, juce::Button::Listener& listener,
                                                  const char* name, const char* text)
{
    auto button = std::make_unique<juce::TextButton> (name);
    editor.addAndMakeVisible (*button);
    button->setButtonText (TRANS (text));
    button->addListener (&listener);
    return button;
}

void setButtonPictures (juce::ImageButton& button, const juce::Image& normalAndOver, const juce::Image& down,
                        float normalOpacity = 1.0f)
{
    button.setImages (false, true, true, normalAndOver, normalOpacity, juce::Colour (0x00000000), normalAndOver, 1.0f,
                      juce::Colour (0x00000000), down, 1.0f, juce::Colour (0x00000000), 0.0f);
}

// The parameters' controls in the order the editor examines them.
constexpr std::array<int, numParameters> examinationOrder { kHighCut, kDelayTime, kDelayFeedback, kPingPong, kLowCut,
                                                            kDryWet,  kBalance,   kGain,          kMode };
} // namespace

juce::AudioProcessorEditor* VelmorAudioProcessor::createEditor()
{
    return new VelmorAudioProcessorEditor (*this);
}

//==============================================================================
VelmorAudioProcessorEditor::VelmorAudioProcessorEditor (VelmorAudioProcessor& p) : AudioProcessorEditor (&p), processor (p)
{
    sliderDelayTime = makeSlider (*this, *this, kDelayTime, juce::Slider::RotaryVerticalDrag, 0xff00ff7c);
    sliderDelayFeedback = makeSlider (*this, *this, kDelayFeedback, juce::Slider::RotaryVerticalDrag, 0xff00ff7c);

    oscillo = std::make_unique<Oscillo> (&processor.scopeBuffers, processor.scopeNumSamples.load());
    addAndMakeVisible (*oscillo);
    oscillo->setName ("oscillo");

    buttonModeShort = makeImageButton (*this, *this, "buttonModeShort", "Short");
    buttonModeMedium = makeImageButton (*this, *this, "buttonModeMedium", "Normal");
    buttonModeLong = makeImageButton (*this, *this, "buttonModeLong", "Normal");
    buttonModeSync = makeImageButton (*this, *this, "buttonModeSync", "Normal");

    labelTmin = makeLabel (*this, { "labelTmin", "1/128", 13.0f, 0xffffffff, 0, 0xffe20036 });
    labelTmax = makeLabel (*this, { "labelTmax", "100 ms", 13.0f, 0xffffffff, 0, 0xffe20036 });

    buttonWelcome = makeTextButton (*this, *this, "new button", "");
    buttonWelcome->setColour (juce::TextButton::buttonColourId, juce::Colour (0x00bbbbff));
    buttonWelcome->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0x48e8e8e8));

    labelDelayTime = makeLabel (*this, { "labelDelayTime", "100 ms", 13.0f, 0xffffffff, 0xffe20036, 0 });
    labelDelayFeedback = makeLabel (*this, { "labelDelayFeedback", "100 %", 13.0f, 0xffffffff, 0xff124250, 0 });
    labelBalance = makeLabel (*this, { "labelBalance", "100 %", 12.0f, 0xfffff200, 0, 0 });
    labelPingPong = makeLabel (*this, { "labelPingPong", "100 %", 12.0f, 0xfffff200, 0, 0 });
    labelLowCut = makeLabel (*this, { "labelLowCut", "500 Hz", 12.0f, 0xdcff00a1, 0, 0 });
    labelHighCut = makeLabel (*this, { "labelHighCut", "20.0 kHz", 12.0f, 0xdcff00a1, 0, 0 });
    labelOutput = makeLabel (*this, { "labelOutput", "100 %", 12.0f, 0xff00ff7c, 0, 0 });
    labelGainValue = makeLabel (*this, { "labelBalance", "-90 dB", 12.0f, 0xff00fff5, 0, 0 });  // its name repeats "labelBalance"

    buttonSwitchGUI = makeTextButton (*this, *this, "buttonSwitchGUI", "new button");
    buttonSwitchGUI->setColour (juce::TextButton::buttonColourId, juce::Colour (0x00bbbbff));
    buttonSwitchGUI->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0x004444ff));
    buttonSwitchGUI->setColour (juce::TextButton::textColourOnId, juce::Colour (0x00000000));
    buttonSwitchGUI->setColour (juce::TextButton::textColourOffId, juce::Colour (0x00000000));

    buttonEngrenage = makeImageButton (*this, *this, "buttonEngrenage", "new button");
    const auto gear = pictures::get (pictures::Id::gear);
    setButtonPictures (*buttonEngrenage, gear, gear, 0.85f);

    sliderBalance = makeSlider (*this, *this, kBalance, juce::Slider::LinearHorizontal, 0xfffff200);
    sliderPingPong = makeSlider (*this, *this, kPingPong, juce::Slider::LinearHorizontal, 0xfffff200);
    sliderHighPass = makeSlider (*this, *this, kLowCut, juce::Slider::LinearHorizontal, 0xffff00a1);
    sliderLowPass = makeSlider (*this, *this, kHighCut, juce::Slider::LinearHorizontal, 0xffff00a1);
    sliderDryWet = makeSlider (*this, *this, kDryWet, juce::Slider::LinearHorizontal, 0xff00ff7c);
    sliderGain = makeSlider (*this, *this, kGain, juce::Slider::LinearVertical, 0xff00fff5);
    sliderGain->setTextBoxStyle (juce::Slider::TextBoxBelow, true, layout::gainTextBoxWidth, layout::gainTextBoxHeight);
    sliderGain->setColour (juce::Slider::textBoxTextColourId, juce::Colour (0x0000fff5));
    sliderGain->setSkewFactor (layout::gainFaderSkew);
    sliderMode = makeSlider (*this, *this, kMode, juce::Slider::RotaryVerticalDrag, 0xff00ff7c);

    backgroundImage = backgroundPicture (0);

    buttonEngrenage->setClickingTogglesState (true);
    for (auto* button : modeButtons())
        button->setClickingTogglesState (true);

    setSize (layout::editorWidth, layout::editorHeight);
    updateModeButtons();
    processor.requestEditorRefresh();
    startTimer (refreshPeriodMs);

    juce::LookAndFeel::setDefaultLookAndFeel (&altLookAndFeel);
    // Children without a look of their own inherit this one even while another
    // instance's editor holds the default.
    setLookAndFeel (&altLookAndFeel);
    sliderDryWet->setLookAndFeel (&altLookAndFeelTransparentButton);
    sliderGain->setLookAndFeel (&altLookAndFeelTransparentButton);
    sliderDelayTime->setLookAndFeel (&altLookAndFeelDelayTime);
    sliderDelayFeedback->setLookAndFeel (&altLookAndFeelDelayFeedback);
    buttonWelcome->setLookAndFeel (&altLookAndFeelTransparentButton);
    buttonSwitchGUI->setLookAndFeel (&altLookAndFeelTransparentButton);

    optionGUI = std::make_unique<OptionGUI> (processor);
    addChildComponent (*optionGUI);
    optionGUI->setTopLeftPosition (layout::optionsPage.x, layout::optionsPage.y);

    welcomeGUI = std::make_unique<WelcomeGUI>();
    addChildComponent (*welcomeGUI);

    setButtonPictures (*buttonModeShort, pictures::get (pictures::Id::shortOff),
                       pictures::get (pictures::Id::shortOn));
    setButtonPictures (*buttonModeMedium, pictures::get (pictures::Id::midOff),
                       pictures::get (pictures::Id::midOn));
    setButtonPictures (*buttonModeLong, pictures::get (pictures::Id::longOff),
                       pictures::get (pictures::Id::longOn));
    setButtonPictures (*buttonModeSync, pictures::get (pictures::Id::syncOff),
                       pictures::get (pictures::Id::syncOn));

    sliderMode->setVisible (false);

    backgroundIndex = processor.getIdxGUI();
    if (backgroundIndex == 1)
        backgroundImage = backgroundPicture (1);

    for (int index = 0; index < numParameters; ++index)
        if (const auto value = parameterTable[(size_t) index].doubleClickValue)
            sliderFor (index)->setDoubleClickReturnValue (true, *value);
}

VelmorAudioProcessorEditor::~VelmorAudioProcessorEditor()
{
    setMidiLearn (false);

    sliderDelayTime = nullptr;
    sliderDelayFeedback = nullptr;
    oscillo = nullptr;
    buttonModeShort = nullptr;
    buttonModeMedium = nullptr;
    buttonModeLong = nullptr;
    buttonModeSync = nullptr;
    labelTmin = nullptr;
    labelTmax = nullptr;
    buttonWelcome = nullptr;
    labelDelayTime = nullptr;
    labelDelayFeedback = nullptr;
    labelBalance = nullptr;
    labelPingPong = nullptr;
    labelLowCut = nullptr;
    labelHighCut = nullptr;
    labelOutput = nullptr;
    labelGainValue = nullptr;
    buttonSwitchGUI = nullptr;
    buttonEngrenage = nullptr;
    sliderBalance = nullptr;
    sliderPingPong = nullptr;
    sliderHighPass = nullptr;
    sliderLowPass = nullptr;
    sliderDryWet = nullptr;
    sliderGain = nullptr;
    sliderMode = nullptr;

    // The pages outlive our look-and-feel members: let them fall back first.
    setLookAndFeel (nullptr);
    if (&juce::LookAndFeel::getDefaultLookAndFeel() == &altLookAndFeel)
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

//==============================================================================
void VelmorAudioProcessorEditor::paint (juce::Graphics& g)
{
    // on a scaled screen the background's 2x partner, into the same rectangle
    const auto picture = pictures::forContext (g, backgroundImage);
    g.drawImage (picture, 0, 0, layout::editorWidth, layout::editorHeight, 0, 0, picture.getWidth(), picture.getHeight(), false);
}

void VelmorAudioProcessorEditor::resized()
{
    place (*sliderDelayTime, layout::delayTimeKnob);
    place (*sliderDelayFeedback, layout::feedbackKnob);
    place (*oscillo, layout::oscilloscope);
    const auto modes = modeButtons();
    for (size_t mode = 0; mode < modes.size(); ++mode)
        place (*modes[mode], layout::modeButtons[mode]);
    place (*labelTmin, layout::rangeShortestLabel);
    place (*labelTmax, layout::rangeLongestLabel);
    place (*buttonWelcome, layout::welcomeHotSpot);
    place (*labelDelayTime, layout::delayTimeReadout);
    place (*labelDelayFeedback, layout::feedbackReadout);
    place (*labelBalance, layout::balanceReadout);
    place (*labelPingPong, layout::pingPongReadout);
    place (*labelLowCut, layout::lowCutReadout);
    place (*labelHighCut, layout::highCutReadout);
    place (*labelOutput, layout::dryWetReadout);
    place (*labelGainValue, layout::gainReadout);
    place (*buttonSwitchGUI, layout::backgroundHotSpot);
    place (*buttonEngrenage, layout::gearButton);
    place (*sliderBalance, layout::balanceSlider);
    place (*sliderPingPong, layout::pingPongSlider);
    place (*sliderHighPass, layout::lowCutSlider);
    place (*sliderLowPass, layout::highCutSlider);
    place (*sliderDryWet, layout::dryWetSlider);
    place (*sliderGain, layout::gainSlider);
    place (*sliderMode, layout::modeControl);
}

//==============================================================================
int VelmorAudioProcessorEditor::parameterIndexForComponentName (const juce::String& name)
{
    for (int index = 0; index < numParameters; ++index)
        if (name == parameterTable[(size_t) index].controlName)
            return index;
    return -1;
}

int VelmorAudioProcessorEditor::getControlParameterIndex (juce::Component& component)
{
    return parameterIndexForComponentName (component.getName());
}

juce::Slider* VelmorAudioProcessorEditor::sliderFor (int index) const
{
    switch (index)
    {
        case kDelayTime:     return sliderDelayTime.get();
        case kDelayFeedback: return sliderDelayFeedback.get();
        case kMode:          return sliderMode.get();
        case kBalance:       return sliderBalance.get();
        case kPingPong:      return sliderPingPong.get();
        case kHighCut:       return sliderLowPass.get();
        case kLowCut:        return sliderHighPass.get();
        case kDryWet:        return sliderDryWet.get();
        case kGain:          return sliderGain.get();
        default:             return nullptr;
    }
}

std::array<juce::Slider*, numParameters> VelmorAudioProcessorEditor::parameterSliders() const
{
    std::array<juce::Slider*, numParameters> sliders {};
    for (size_t i = 0; i < examinationOrder.size(); ++i)
        sliders[i] = sliderFor (examinationOrder[i]);
    return sliders;
}

std::array<juce::Button*, 4> VelmorAudioProcessorEditor::modeButtons() const
{
    return { buttonModeShort.get(), buttonModeMedium.get(), buttonModeLong.get(), buttonModeSync.get() };
}

int VelmorAudioProcessorEditor::parameterIndexOf (const juce::Slider* slider) const
{
    for (int index = 0; index < numParameters; ++index)
        if (slider == sliderFor (index))
            return index;
    return -1;
}

ControlRange VelmorAudioProcessorEditor::controlRangeOf (int index) const
{
    return controlRangeFor (index, processor.delayMode.load(), { processor.modeMinSeconds.load(), processor.modeMaxSeconds.load() });
}

// A control's value as the parameter's normalised value.
double VelmorAudioProcessorEditor::parameterValueFor (const juce::Slider& slider, int index) const
{
    return normalisedFromControl (slider.getValue(), controlRangeOf (index));
}

void VelmorAudioProcessorEditor::sliderValueChanged (juce::Slider* slider)
{
    const int index = parameterIndexOf (slider);
    if (index >= 0)
        processor.setParameterNotifyingHost (index, (float) parameterValueFor (*slider, index));
}

void VelmorAudioProcessorEditor::sliderDragStarted (juce::Slider* slider)
{
    const int index = parameterIndexOf (slider);
    if (index >= 0 && index != kMode)
        processor.beginParameterChangeGesture (index);
}

void VelmorAudioProcessorEditor::sliderDragEnded (juce::Slider* slider)
{
    const int index = parameterIndexOf (slider);
    if (index >= 0 && index != kMode)
        processor.endParameterChangeGesture (index);
}

//==============================================================================
void VelmorAudioProcessorEditor::buttonClicked (juce::Button* button)
{
    const auto modes = modeButtons();
    for (int mode = 0; mode < 4; ++mode)
    {
        if (button != modes[(size_t) mode])
            continue;
        // The buttons toggle themselves; the lit one clicked again stays lit.
        if (button->getToggleState())
            processor.setParameterNotifyingHost (kMode, modeButtonValues[(size_t) mode]);
        else
            button->setToggleState (true, juce::dontSendNotification);
        return;
    }

    if (button == buttonWelcome.get())
        welcomeGUI->setVisible (! welcomeGUI->isVisible());
    else if (button == buttonEngrenage.get())
    {
        if (optionGUI->isVisible())
            optionGUI->switchLearningOffAndHide();
        else
            optionGUI->setVisible (true);
    }
    else if (button == buttonSwitchGUI.get())
        switchBackground();
}

void VelmorAudioProcessorEditor::switchBackground()
{
    // Written as a comparison, not as "index + 1 > 1": a stored index may be any int.
    backgroundIndex = backgroundIndex >= 1 ? 0 : backgroundIndex + 1;
    processor.idxGUI.store (backgroundIndex);
    backgroundImage = backgroundPicture (backgroundIndex);
    repaint();
}

void VelmorAudioProcessorEditor::updateModeButtons()
{
    currentMode = processor.delayMode.load();
    const auto modes = modeButtons();
    for (auto* button : modes)
        button->setToggleState (false, juce::dontSendNotification);

    modes[(size_t) juce::jlimit (0, 3, currentMode)]->setToggleState (true, juce::dontSendNotification);
    const auto range = controlRangeOf (kDelayTime);
    sliderDelayTime->setRange (range.minimum, range.maximum, range.step);
}

void VelmorAudioProcessorEditor::setMidiLearn (bool on)
{
    if (! on)
        processor.midiLearnTarget.store (-1);
    processor.midiLearnActive.store (on);

    for (auto* slider : parameterSliders())
        slider->getProperties().set (AltLookAndFeel::midiLearnProperty, on);
    sliderMode->setVisible (on);
}

//==============================================================================
void VelmorAudioProcessorEditor::timerCallback()
{
    const bool learning = processor.midiLearnActive.load();

    oscillo->numSamples = processor.scopeNumSamples.load();
    oscillo->repaint();

    if (learning)
    {
        const auto sliders = parameterSliders();
        int target = -1;
        for (size_t i = 0; i < sliders.size() && target < 0; ++i)
            if (sliders[i]->isMouseOverOrDragging())
                target = examinationOrder[i];
        processor.midiLearnTarget.store (target);
    }

    const auto modes = modeButtons();
    int hoveredMode = -1;
    for (int mode = 0; mode < 4 && hoveredMode < 0; ++mode)
        if (modes[(size_t) mode]->isMouseOverOrDragging())
            hoveredMode = mode;
    if (hoveredMode >= 0)
    {
        const auto texts = readouts::modeRangeTexts (hoveredMode);
        labelTmin->setText (texts.shortest, juce::dontSendNotification);
        labelTmax->setText (texts.longest, juce::dontSendNotification);
    }
    labelTmin->setVisible (hoveredMode >= 0);
    labelTmax->setVisible (hoveredMode >= 0);

    if (! learning)
    {
        labelGainValue->setVisible (sliderGain->isMouseOverOrDragging());
        labelBalance->setVisible (sliderBalance->isMouseOverOrDragging());
        labelPingPong->setVisible (sliderPingPong->isMouseOverOrDragging());
        labelHighCut->setVisible (sliderLowPass->isMouseOverOrDragging());
        labelLowCut->setVisible (sliderHighPass->isMouseOverOrDragging());
        labelOutput->setVisible (sliderDryWet->isMouseOverOrDragging());
    }

    // Cleared before the values are read, so a change that lands meanwhile
    // raises the flag again and is picked up on the next tick.
    if (processor.editorNeedsRefresh.exchange (false))
        refreshFromProcessor();
}

void VelmorAudioProcessorEditor::refreshFromProcessor()
{
    std::array<float, numParameters> value {};
    for (int index = 0; index < numParameters; ++index)
        value[(size_t) index] = processor.getParameter (index);
    const float seconds = processor.getDelayTimeSeconds();

    if (processor.delayMode.load() != currentMode)
        updateModeButtons();

    const auto quietly = juce::dontSendNotification;
    const float delayTime = value[kDelayTime];
    sliderDelayTime->setValue (currentMode == modeSync ? (double) readouts::syncNoteIndexForDisplay (delayTime) : (double) seconds, quietly);
    for (int index : { kDelayFeedback, kPingPong, kHighCut, kLowCut, kDryWet, kBalance, kGain })
        sliderFor (index)->setValue (controlFromNormalised (value[(size_t) index], controlRangeOf (index)), quietly);

    labelDelayTime->setText (readouts::delayTime (currentMode, seconds, delayTime), quietly);
    labelDelayFeedback->setText (readouts::feedback (value[kDelayFeedback]), quietly);
    labelGainValue->setText (readouts::gain (value[kGain]), quietly);
    labelBalance->setText (readouts::percent (value[kBalance]), quietly);
    labelPingPong->setText (readouts::percent (value[kPingPong]), quietly);
    labelLowCut->setText (readouts::lowCut (value[kLowCut]), quietly);
    labelHighCut->setText (readouts::highCut (value[kHighCut]), quietly);
    labelOutput->setText (readouts::percent (value[kDryWet]), quietly);
}
