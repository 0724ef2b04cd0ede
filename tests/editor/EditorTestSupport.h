#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace juce
{
// The framework's own (Linux) message pump step, which it does not declare publicly.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace testing_support
{
// The framework's GUI support, held for the whole test program.
class GuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    void TearDown() override { gui.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
};

// Delivers what the framework posted (button clicks, async notifications).
inline void deliverPendingMessages()
{
    for (int i = 0; i < 200 && juce::dispatchNextMessageOnSystemQueue (true); ++i) {}
}

// A direct child by component name, or nullptr.
template <typename T>
T* childNamed (juce::Component& parent, const juce::String& name)
{
    for (auto* c : parent.getChildren())
        if (c->getName() == name)
            return dynamic_cast<T*> (c);
    return nullptr;
}

inline juce::Image blankImage (int w, int h) { return juce::Image (juce::Image::ARGB, w, h, true); }

// Crimson and dark teal by hue, so shading on a pointer still counts.
inline bool isRedDominant (juce::Colour c)
{
    return c.getAlpha() > 100 && c.getSaturation() > 0.6f && (c.getHue() < 0.05f || c.getHue() > 0.93f);
}
inline bool isTealDominant (juce::Colour c)
{
    return c.getAlpha() > 100 && c.getSaturation() > 0.4f && c.getHue() > 0.48f && c.getHue() < 0.58f;
}

inline int countPixels (const juce::Image& image, std::function<bool (juce::Colour)> predicate)
{
    int n = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            n += predicate (image.getPixelAt (x, y)) ? 1 : 0;
    return n;
}
} // namespace testing_support
