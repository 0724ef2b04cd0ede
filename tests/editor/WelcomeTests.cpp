#include "EditorTestSupport.h"

#include "editor/WelcomeGUI.h"

using namespace testing_support;

namespace
{
template <typename T>
T* child (juce::Component& parent, const juce::String& name)
{
    return childNamed<T> (parent, name);
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

// A click lands on whatever lies on top where it falls: the link over its own
// area (it opens the site in a browser, so it is not clicked here), the
// page-sized close button everywhere else, even over the title.
TEST (WelcomePage, CloseHidesItAndTheLinkLeavesItOpen)
{
    WelcomeGUI page;
    page.setVisible (true);
    juce::HyperlinkButton* link = nullptr;
    for (auto* c : page.getChildren())
        if (auto* h = dynamic_cast<juce::HyperlinkButton*> (c))
            link = h;
    ASSERT_NE (link, nullptr);
    auto* close = child<juce::TextButton> (page, "closeButton");
    ASSERT_NE (close, nullptr);

    EXPECT_EQ (page.getComponentAt (link->getBounds().getCentre()), link);
    for (const auto where : { juce::Point<int> (5, 5), juce::Point<int> (310, 100), juce::Point<int> (615, 300),
                              juce::Point<int> (310, 200) })
        EXPECT_EQ (page.getComponentAt (where), close) << where.toString();

    close->triggerClick();
    deliverPendingMessages();
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
