#include "EditorTestSupport.h"

#include "editor/WelcomeGUI.h"

using namespace testing_support;

namespace
{
template <typename T>
T* child (juce::Component& parent, const juce::String& name)
{
    for (auto* c : parent.getChildren())
        if (c->getName() == name)
            return dynamic_cast<T*> (c);
    return nullptr;
}
} // namespace

TEST (WelcomePage, LaysOutTitleCloseButtonAndLink)
{
    WelcomeGUI page;
    EXPECT_EQ (page.getBounds(), juce::Rectangle<int> (0, 0, 620, 305));
    auto* title = child<juce::Label> (page, "labelTitle");
    ASSERT_NE (title, nullptr);
    EXPECT_EQ (title->getText(), "SELVANE v1.1");
    EXPECT_EQ (title->getBounds(), juce::Rectangle<int> (221, 90, 176, 24));
    auto* close = child<juce::TextButton> (page, "closeButton");
    ASSERT_NE (close, nullptr);
    EXPECT_EQ (close->getBounds(), juce::Rectangle<int> (0, 0, 620, 305));

    juce::HyperlinkButton* link = nullptr;
    for (auto* c : page.getChildren())
        if (auto* h = dynamic_cast<juce::HyperlinkButton*> (c))
            link = h;
    ASSERT_NE (link, nullptr);
    EXPECT_EQ (link->getButtonText(), "www.orvelle.example");
    EXPECT_EQ (link->getURL().toString (false), "https://www.orvelle.example/");
    EXPECT_EQ (link->getBounds(), juce::Rectangle<int> (225, 257, 169, 22));
    // stacking: title, close button over it, link on top
    EXPECT_EQ (page.getIndexOfChildComponent (title), 0);
    EXPECT_EQ (page.getIndexOfChildComponent (link), 2);
}

TEST (WelcomePage, CloseHidesItAndTheLinkLeavesItOpen)
{
    WelcomeGUI page;
    page.setVisible (true);
    juce::Button* link = nullptr;
    for (auto* c : page.getChildren())
        if (auto* h = dynamic_cast<juce::HyperlinkButton*> (c))
            link = h;
    page.buttonClicked (link);
    EXPECT_TRUE (page.isVisible());
    page.buttonClicked (child<juce::TextButton> (page, "closeButton"));
    EXPECT_FALSE (page.isVisible());
}

TEST (WelcomePage, PaintsOnlyTheCard)
{
    WelcomeGUI page;
    auto image = blankImage (620, 305);
    {
        juce::Graphics g (image);
        page.paint (g);
    }
    EXPECT_EQ (image.getPixelAt (100, 150).getAlpha(), 0);   // outside the card: nothing
    EXPECT_EQ (image.getPixelAt (500, 150).getAlpha(), 0);
    const auto field = image.getPixelAt (310, 150);          // the crimson field
    EXPECT_TRUE (isRedDominant (field));
    const auto margin = image.getPixelAt (310, 270);         // the wider white margin below the field
    EXPECT_GT (juce::jmin (margin.getRed(), margin.getGreen(), margin.getBlue()), 240);
}
