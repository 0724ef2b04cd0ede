// The editor on scaled screens: at 1x it draws the 1x pictures exactly as
// before, drawn at 2x (a host's content scale, the desktop's scale) it draws
// the 2x partners, so a scaled window is sharp.

#include "EditorTestSupport.h"

#include "BinaryData.h"

#include "editor/Layout.h"
#include "editor/Pictures.h"
#include "editor/VelmorAudioProcessorEditor.h"
#include "editor/WelcomeGUI.h"
#include "engine/VelmorAudioProcessor.h"

#include <cmath>
#include <iterator>
#include <string>

using namespace testing_support;
using pictures::Id;

namespace
{
const Id allPictures[] = { Id::cassettePhoto, Id::outlineBackground, Id::timeKnob, Id::feedbackKnob, Id::sliderRing,
                           Id::gear,          Id::shortOn,           Id::shortOff, Id::midOn,        Id::midOff,
                           Id::longOn,        Id::longOff,           Id::syncOn,   Id::syncOff,      Id::welcomePanel };

// `component` drawn as a screen with `scale` device pixels per editor pixel shows it.
juce::Image render (juce::Component& component, int scale)
{
    juce::Image image (juce::Image::RGB, component.getWidth() * scale, component.getHeight() * scale, true);
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale ((float) scale));
    component.paintEntireComponent (g, true);
    return image;
}

// What a host would show for a scaled window drawn from 1x pictures only.
juce::Image upscaled (const juce::Image& oneX, int scale)
{
    juce::Image image (juce::Image::RGB, oneX.getWidth() * scale, oneX.getHeight() * scale, true);
    juce::Graphics g (image);
    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
    g.drawImage (oneX, 0, 0, image.getWidth(), image.getHeight(), 0, 0, oneX.getWidth(), oneX.getHeight());
    return image;
}

float luminance (juce::Colour c) { return c.getPerceivedBrightness(); }

// Edge energy: the squared luminance steps between neighbouring pixels, per
// pixel. A blurred edge spreads its step over more pixels and so has less.
double edgeEnergy (const juce::Image& image, juce::Rectangle<int> area)
{
    double sum = 0.0;
    for (int y = area.getY(); y < area.getBottom() - 1; ++y)
        for (int x = area.getX(); x < area.getRight() - 1; ++x)
        {
            const double here = luminance (image.getPixelAt (x, y));
            const double across = luminance (image.getPixelAt (x + 1, y)) - here, down = luminance (image.getPixelAt (x, y + 1)) - here;
            sum += across * across + down * down;
        }
    return sum / area.getWidth() / area.getHeight();
}

juce::Rectangle<int> box (layout::Box b) { return { b.x, b.y, b.width, b.height }; }

class ScaledEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor.prepareToPlay (48000.0, 512);
        processor.setParameter (selvane::kDelayTime, 0.35f);
        processor.setParameter (selvane::kDelayFeedback, 0.62f);
        processor.setParameter (selvane::kGain, 0.9f);
        editor.reset (dynamic_cast<VelmorAudioProcessorEditor*> (processor.createEditor()));
        ASSERT_NE (editor, nullptr);
        editor->timerCallback();
    }
    void TearDown() override
    {
        if (editor != nullptr)
            processor.editorBeingDeleted (editor.get());
        editor.reset();
    }

    // Editor pixels that no visible child draws over: there the background shows alone.
    bool showsBackgroundOnly (int x, int y) const
    {
        for (auto* child : editor->getChildren())
            if (child->isVisible() && child->getBounds().contains (x, y))
                return false;
        return true;
    }

    VelmorAudioProcessor processor;
    std::unique_ptr<VelmorAudioProcessorEditor> editor;
};
} // namespace

TEST (HiDpiPictures, EachPictureHasAPartnerOfTwiceItsSizeInTheSameFormat)
{
    for (auto id : allPictures)
    {
        const auto oneX = pictures::get (id), twoX = pictures::get2x (id);
        ASSERT_TRUE (oneX.isValid() && twoX.isValid()) << (int) id;
        EXPECT_EQ (twoX.getWidth(), 2 * oneX.getWidth()) << (int) id;
        EXPECT_EQ (twoX.getHeight(), 2 * oneX.getHeight()) << (int) id;
        EXPECT_EQ (twoX.getFormat(), oneX.getFormat()) << (int) id;
    }
    // the filmstrips keep 127 frames, now 140 x 140 each
    EXPECT_EQ (pictures::get2x (Id::timeKnob).getBounds(), juce::Rectangle<int> (0, 0, 140, 127 * 140));
}

// Byte for byte, each partner is the same kind of file as its 1x picture:
// PNG colour type and transparency chunk, or a baseline JPEG.
TEST (HiDpiPictures, EachPartnerIsTheSameKindOfFileAsItsOneXPicture)
{
    int partners = 0;
    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        const juce::String name (BinaryData::namedResourceList[i]);
        if (! name.contains ("_2x_"))
            continue;
        int size = 0, oneXSize = 0;
        const auto* twoX = reinterpret_cast<const unsigned char*> (BinaryData::getNamedResource (name.toRawUTF8(), size));
        const auto* oneX = reinterpret_cast<const unsigned char*> (
            BinaryData::getNamedResource (name.replace ("_2x_", "_").toRawUTF8(), oneXSize));
        ASSERT_NE (oneX, nullptr) << name << " has no 1x picture";
        const std::string twoXBytes ((const char*) twoX, (size_t) size), oneXBytes ((const char*) oneX, (size_t) oneXSize);
        if (name.endsWith ("_jpg"))
        {
            EXPECT_NE (twoXBytes.find ("\xff\xc0"), std::string::npos) << name << ": baseline";
            EXPECT_EQ (twoXBytes.find ("\xff\xc2"), std::string::npos) << name << ": not progressive";
        }
        else
        {
            EXPECT_EQ (twoX[24], oneX[24]) << name << ": bit depth";
            EXPECT_EQ (twoX[25], oneX[25]) << name << ": colour type";
            EXPECT_EQ (twoXBytes.find ("tRNS") != std::string::npos, oneXBytes.find ("tRNS") != std::string::npos) << name;
        }
        ++partners;
    }
    EXPECT_EQ (partners, (int) std::size (allPictures));
}

TEST (HiDpiPictures, AContextPicksThePartnerOnlyWhenItIsScaledAboveOneX)
{
    const auto ring = pictures::get (Id::sliderRing);
    for (auto [scale, expectPartner] : { std::pair { 1.0f, false }, std::pair { 1.25f, true }, std::pair { 2.0f, true } })
    {
        juce::Image canvas (juce::Image::ARGB, 4, 4, true);
        juce::Graphics g (canvas);
        g.addTransform (juce::AffineTransform::scale (scale));
        EXPECT_EQ (pictures::isAboveOneX (g), expectPartner) << scale;
        EXPECT_EQ (pictures::forContext (g, ring) == pictures::get2x (Id::sliderRing), expectPartner) << scale;
    }
    // a picture that is not one of ours is drawn as it is
    juce::Image foreign (juce::Image::ARGB, 3, 3, true), canvas (juce::Image::ARGB, 4, 4, true);
    juce::Graphics g (canvas);
    g.addTransform (juce::AffineTransform::scale (2.0f));
    EXPECT_TRUE (pictures::forContext (g, foreign) == foreign);
}

TEST_F (ScaledEditor, AtOneXTheBackgroundAndKnobsAreTheOneXPicturesPixelForPixel)
{
    const auto shown = render (*editor, 1);
    const auto background = pictures::get (Id::cassettePhoto);
    int compared = 0;
    for (int y = 0; y < layout::editorHeight; ++y)
        for (int x = 0; x < layout::editorWidth; ++x)
            if (showsBackgroundOnly (x, y))
            {
                ASSERT_EQ (shown.getPixelAt (x, y), background.getPixelAt (x, y)) << x << "," << y;
                ++compared;
            }
    EXPECT_GT (compared, 60000);

    // the delay-time knob: its 1x frame over the background, nothing else
    auto& knob = *childNamed<juce::Slider> (*editor, "sliderDelayTime");
    const int row = AltLookAndFeel::filmstripSourceRow ((float) knob.valueToProportionOfLength (knob.getValue()));
    juce::Image expected (juce::Image::RGB, layout::editorWidth, layout::editorHeight, true);
    {
        juce::Graphics g (expected);
        g.drawImageAt (background, 0, 0);
        g.drawImage (pictures::get (Id::timeKnob), knob.getX(), knob.getY(), 70, 70, 0, row, 70, 70);
    }
    for (int y = knob.getY(); y < knob.getBottom(); ++y)
        for (int x = knob.getX(); x < knob.getRight(); ++x)
            ASSERT_EQ (shown.getPixelAt (x, y), expected.getPixelAt (x, y)) << x << "," << y;
}

TEST_F (ScaledEditor, AtTwoXTheBackgroundKnobsAndTabsAreTheTwoXPictures)
{
    const auto shown = render (*editor, 2);
    ASSERT_EQ (shown.getWidth(), 1240);
    const auto background = pictures::get2x (Id::cassettePhoto);
    int compared = 0;
    for (int y = 0; y < shown.getHeight(); ++y)
        for (int x = 0; x < shown.getWidth(); ++x)
            if (showsBackgroundOnly (x / 2, y / 2))
            {
                ASSERT_EQ (shown.getPixelAt (x, y), background.getPixelAt (x, y)) << x << "," << y;
                ++compared;
            }
    EXPECT_GT (compared, 4 * 60000);

    auto& knob = *childNamed<juce::Slider> (*editor, "sliderDelayTime");
    const int row = AltLookAndFeel::filmstripSourceRow ((float) knob.valueToProportionOfLength (knob.getValue()));
    juce::Image expected (juce::Image::RGB, shown.getWidth(), shown.getHeight(), true);
    {
        juce::Graphics g (expected);
        g.drawImageAt (background, 0, 0);
        g.drawImage (pictures::get2x (Id::timeKnob), knob.getX() * 2, knob.getY() * 2, 140, 140, 0, row * 2, 140, 140);
        // the lit "Mid" tab (the processor's default mode), its 2x picture
        const auto mid = box (layout::modeButtons[1]);
        g.drawImageAt (pictures::get2x (Id::midOn), mid.getX() * 2, mid.getY() * 2);
    }
    const auto mid = box (layout::modeButtons[1]);
    for (auto area : { knob.getBounds(), mid })
        for (int y = area.getY() * 2; y < area.getBottom() * 2; ++y)
            for (int x = area.getX() * 2; x < area.getRight() * 2; ++x)
                ASSERT_EQ (shown.getPixelAt (x, y), expected.getPixelAt (x, y)) << x << "," << y;
}

TEST_F (ScaledEditor, TwoXIsSharperThanTheOneXEditorEnlarged)
{
    const auto sharp = render (*editor, 2);
    const auto blurred = upscaled (render (*editor, 1), 2);

    // printed captions (title strip, a slider caption, the gain scale) and a knob's knurling
    const juce::Rectangle<int> areas[] = { { 14, 6, 180, 18 }, { 55, 47, 70, 12 }, { 6, 74, 14, 170 }, box (layout::delayTimeKnob) };
    for (auto area : areas)
    {
        const auto twice = area * 2;
        const double sharpEnergy = edgeEnergy (sharp, twice), blurredEnergy = edgeEnergy (blurred, twice);
        std::printf ("edge energy in %s: 2x %.4f, 1x enlarged %.4f (%.2f times)\n", area.toString().toRawUTF8(), sharpEnergy,
                     blurredEnergy, sharpEnergy / blurredEnergy);
        EXPECT_GT (sharpEnergy, 1.4 * blurredEnergy) << area.toString();
    }
}

TEST_F (ScaledEditor, AHostsScaleFactorDrawsTheEditorFromTheTwoXPictures)
{
    // VST3, LV2 and VST 2.x adapters pass a host's scale on through setScaleFactor
    juce::Component window;
    window.setSize (layout::editorWidth * 2, layout::editorHeight * 2);
    window.addAndMakeVisible (*editor);
    editor->setScaleFactor (2.0f);
    ASSERT_EQ (editor->getScreenBounds().getWidth(), layout::editorWidth * 2);

    const auto shown = render (window, 1);
    const auto background = pictures::get2x (Id::cassettePhoto);
    for (auto [x, y] : { std::pair { 250, 30 }, std::pair { 600, 40 }, std::pair { 900, 400 }, std::pair { 100, 40 } })
        EXPECT_EQ (shown.getPixelAt (x, y), background.getPixelAt (x, y)) << x << "," << y;
    window.removeChildComponent (editor.get());
}

TEST_F (ScaledEditor, ItsPicturesStayDecodedWhileItIsOpenAndNoLonger)
{
    const auto cached = [] (const char* data) { return juce::ImageCache::getFromHashCode ((juce::int64) (juce::pointer_sized_int) data).isValid(); };
    render (*editor, 2);
    juce::ImageCache::releaseUnusedImages();  // what JUCE's cache does a few seconds after a paint
    EXPECT_TRUE (cached (BinaryData::bouton_Time_2x_png)) << "the 2x filmstrip would be decoded again on the next paint";
    EXPECT_TRUE (cached (BinaryData::Bouton_slider_2x_png));
    EXPECT_TRUE (cached (BinaryData::bouton_Fdback_png));

    processor.editorBeingDeleted (editor.get());
    editor.reset();
    juce::ImageCache::releaseUnusedImages();
    EXPECT_FALSE (cached (BinaryData::bouton_Time_2x_png)) << "a closed editor keeps 10 MB of pixels";
}

TEST (WelcomePageScaled, DrawsTheTwoXPanelOnAScaledScreen)
{
    WelcomeGUI page;
    page.setVisible (true);
    const auto shown = render (page, 2);
    const auto panel = pictures::get2x (Id::welcomePanel);
    // the panel's white card border, away from the texts the page draws on it
    for (auto [x, y] : { std::pair { 40, 500 }, std::pair { 380, 500 }, std::pair { 200, 40 } })
        EXPECT_EQ (shown.getPixelAt (400 + x, 38 + y), panel.getPixelAt (x, y).withAlpha (1.0f)) << x << "," << y;
}
