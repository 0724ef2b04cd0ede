#pragma once

#include "AltLookAndFeel.h"

// The welcome page: the maker's card in the middle of the window with the
// product's name and version and a link to the maker's site. A click
// anywhere else hides it again.
class WelcomeGUI : public juce::Component,
                   public juce::Button::Listener
{
public:
    WelcomeGUI();
    ~WelcomeGUI() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    static juce::String siteHostName();  // the site without scheme or trailing slash

private:
    AltLookAndFeel_transparentButton transparentLookAndFeel;
    std::unique_ptr<juce::Label> labelTitle;
    std::unique_ptr<juce::TextButton> closeButton;
    std::unique_ptr<juce::HyperlinkButton> hyperlinkButton;
    juce::Image panelImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WelcomeGUI)
};
