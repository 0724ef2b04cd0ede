#include "WelcomeGUI.h"

#include "Pictures.h"
#include "PluginIdentity.h"

juce::String WelcomeGUI::siteHostName()
{
    return juce::URL (selvane::identity::website).getDomain();
}

WelcomeGUI::WelcomeGUI()
{
    labelTitle = std::make_unique<juce::Label> ("labelTitle", juce::String ("SELVANE v") + selvane::identity::versionShort);
    addAndMakeVisible (*labelTitle);
    labelTitle->setFont (juce::Font (20.0f, juce::Font::plain));
    labelTitle->setJustificationType (juce::Justification::centred);
    labelTitle->setEditable (false, false, false);
    labelTitle->setColour (juce::Label::textColourId, juce::Colour (0xfffcfcfc));
    labelTitle->setColour (juce::TextEditor::textColourId, juce::Colour (0xff000000));
    labelTitle->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));

    closeButton = std::make_unique<juce::TextButton> ("closeButton");
    addAndMakeVisible (*closeButton);
    closeButton->setButtonText ({});
    closeButton->setConnectedEdges (juce::Button::ConnectedOnLeft | juce::Button::ConnectedOnRight
                                    | juce::Button::ConnectedOnTop | juce::Button::ConnectedOnBottom);
    closeButton->addListener (this);
    closeButton->setColour (juce::TextButton::buttonColourId, juce::Colour (0x00ffffff));
    closeButton->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0x00ffffff));

    const juce::URL home (juce::String (selvane::identity::website) + "/");
    hyperlinkButton = std::make_unique<juce::HyperlinkButton> (siteHostName(), home);
    addAndMakeVisible (*hyperlinkButton);
    hyperlinkButton->setTooltip (home.toString (false));
    hyperlinkButton->setButtonText (siteHostName());
    hyperlinkButton->setColour (juce::HyperlinkButton::textColourId, juce::Colour (0xffe10035));

    panelImage = pictures::get (pictures::Id::welcomePanel);

    setSize (620, 305);
    closeButton->setLookAndFeel (&transparentLookAndFeel);
    hyperlinkButton->setFont (juce::Font (14.0f, juce::Font::plain), true, juce::Justification::centred);
}

WelcomeGUI::~WelcomeGUI()
{
    labelTitle = nullptr;
    closeButton = nullptr;
    hyperlinkButton = nullptr;
}

void WelcomeGUI::paint (juce::Graphics& g)
{
    const auto picture = pictures::forContext (g, panelImage);
    g.drawImage (picture, 200, 19, 220, 280, 0, 0, picture.getWidth(), picture.getHeight());
}

void WelcomeGUI::resized()
{
    labelTitle->setBounds (221, 90, 176, 24);
    closeButton->setBounds (0, 0, 620, 305);
    hyperlinkButton->setBounds (225, 257, 169, 22);
}

void WelcomeGUI::buttonClicked (juce::Button* button)
{
    if (button == closeButton.get())
        setVisible (false);
}
