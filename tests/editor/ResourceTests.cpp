// The embedded pictures: formats, sizes, and the geometry the editor relies on.

#include "EditorTestSupport.h"

#include "BinaryData.h"

#include <cmath>

using namespace testing_support;

namespace
{
struct Picture
{
    const char* name;
    const char* data;
    int size;
    bool jpeg;
    int width, height;
    int pngColourType;  // 6 RGBA, 3 palette; ignored for JPEG
    bool transparency;  // palette pictures: carries a tRNS chunk
};

const Picture pictures[] = {
    { "cassettePhoto_jpg", BinaryData::cassettePhoto_jpg, BinaryData::cassettePhoto_jpgSize, true, 620, 305, 0, false },
    { "Fond_InterfaceSelvane_epuree_jpg", BinaryData::Fond_InterfaceSelvane_epuree_jpg, BinaryData::Fond_InterfaceSelvane_epuree_jpgSize, true, 620, 305, 0, false },
    { "bouton_Time_png", BinaryData::bouton_Time_png, BinaryData::bouton_Time_pngSize, false, 70, 8890, 6, false },
    { "bouton_Fdback_png", BinaryData::bouton_Fdback_png, BinaryData::bouton_Fdback_pngSize, false, 70, 8890, 6, false },
    { "Bouton_slider_png", BinaryData::Bouton_slider_png, BinaryData::Bouton_slider_pngSize, false, 27, 27, 6, false },
    { "gear_png", BinaryData::gear_png, BinaryData::gear_pngSize, false, 22, 22, 6, false },
    { "Short_on_png", BinaryData::Short_on_png, BinaryData::Short_on_pngSize, false, 53, 18, 3, false },
    { "Short_off_png", BinaryData::Short_off_png, BinaryData::Short_off_pngSize, false, 53, 18, 3, true },
    { "Mid_on_png", BinaryData::Mid_on_png, BinaryData::Mid_on_pngSize, false, 53, 18, 3, false },
    { "Mid_off_png", BinaryData::Mid_off_png, BinaryData::Mid_off_pngSize, false, 53, 18, 3, true },
    { "Long_on_png", BinaryData::Long_on_png, BinaryData::Long_on_pngSize, false, 53, 18, 3, false },
    { "Long_off_png", BinaryData::Long_off_png, BinaryData::Long_off_pngSize, false, 53, 18, 3, true },
    { "Sync_on_png", BinaryData::Sync_on_png, BinaryData::Sync_on_pngSize, false, 53, 18, 3, false },
    { "Sync_off_png", BinaryData::Sync_off_png, BinaryData::Sync_off_pngSize, false, 53, 18, 3, true },
    { "welcomePanel_png", BinaryData::welcomePanel_png, BinaryData::welcomePanel_pngSize, false, 220, 280, 6, false },
};

bool contains (const Picture& p, const std::string& bytes)
{
    return std::string (p.data, (size_t) p.size).find (bytes) != std::string::npos;
}

class EmbeddedPicture : public ::testing::TestWithParam<Picture> {};

std::string pictureName (const ::testing::TestParamInfo<Picture>& info) { return info.param.name; }

juce::Image frameOf (const juce::Image& strip, int frame)
{
    return strip.getClippedImage ({ 0, frame * 70, 70, 70 });
}

// The pointer's colour at a given angle from straight up, 11 pixels out from the centre.
juce::Colour pointerSample (const juce::Image& frame, float degreesFromUp)
{
    const float a = juce::degreesToRadians (degreesFromUp);
    return frame.getPixelAt (juce::roundToInt (35.0f + 11.0f * std::sin (a)), juce::roundToInt (35.0f - 11.0f * std::cos (a)));
}
} // namespace

TEST_P (EmbeddedPicture, DecodesToItsSizeInItsFormat)
{
    const auto& p = GetParam();
    const auto image = juce::ImageCache::getFromMemory (p.data, p.size);
    ASSERT_TRUE (image.isValid()) << p.name;
    EXPECT_EQ (image.getWidth(), p.width);
    EXPECT_EQ (image.getHeight(), p.height);

    const auto* bytes = reinterpret_cast<const unsigned char*> (p.data);
    if (p.jpeg)
    {
        EXPECT_TRUE (bytes[0] == 0xff && bytes[1] == 0xd8) << "JPEG signature";
        EXPECT_TRUE (contains (p, "\xff\xc0")) << "baseline frame marker";
        EXPECT_FALSE (contains (p, "\xff\xc2")) << "no progressive frame";
    }
    else
    {
        EXPECT_EQ (std::string (p.data + 1, 3), "PNG");
        EXPECT_EQ (bytes[24], 8) << "8 bits per sample";
        EXPECT_EQ (bytes[25], p.pngColourType);
        EXPECT_EQ (contains (p, "tRNS"), p.transparency);
    }
}

INSTANTIATE_TEST_SUITE_P (All, EmbeddedPicture, ::testing::ValuesIn (pictures), pictureName);

TEST (EmbeddedPictures, FilmstripPointersTurnClockwiseFromLowerLeftToLowerRight)
{
    const auto time = juce::ImageCache::getFromMemory (BinaryData::bouton_Time_png, BinaryData::bouton_Time_pngSize);
    const auto feedback = juce::ImageCache::getFromMemory (BinaryData::bouton_Fdback_png, BinaryData::bouton_Fdback_pngSize);

    struct Case
    {
        int frame;
        float angle;
    };
    for (auto [frame, angle] : { Case { 0, -125.0f }, Case { 63, 0.0f }, Case { 126, 125.0f } })
    {
        EXPECT_TRUE (isRedDominant (pointerSample (frameOf (time, frame), angle))) << "time frame " << frame;
        EXPECT_TRUE (isTealDominant (pointerSample (frameOf (feedback, frame), angle))) << "feedback frame " << frame;
        // ... and nowhere near the other two positions
        for (float other : { -125.0f, 0.0f, 125.0f })
            if (other != angle)
                EXPECT_FALSE (isRedDominant (pointerSample (frameOf (time, frame), other))) << frame << " at " << other;
    }
    // frame 126 is the strip's last 70 rows
    EXPECT_TRUE (isRedDominant (pointerSample (time.getClippedImage ({ 0, time.getHeight() - 70, 70, 70 }), 125.0f)));
}

TEST (EmbeddedPictures, OffTabsAreSeeThroughInTheirLeft13ColumnsAndOnTabsAreSolidCrimson)
{
    for (auto [data, size] : { std::pair { BinaryData::Short_off_png, BinaryData::Short_off_pngSize },
                               std::pair { BinaryData::Sync_off_png, BinaryData::Sync_off_pngSize } })
    {
        const auto tab = juce::ImageCache::getFromMemory (data, size);
        for (int y = 0; y < 18; ++y)
        {
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ (tab.getPixelAt (x, y).getAlpha(), 0) << x << "," << y;
            ASSERT_EQ (tab.getPixelAt (13, y).getAlpha(), 255);
        }
        EXPECT_EQ (tab.getPixelAt (15, 1), juce::Colour (36, 36, 36));
    }
    const auto on = juce::ImageCache::getFromMemory (BinaryData::Long_on_png, BinaryData::Long_on_pngSize);
    EXPECT_EQ (on.getPixelAt (1, 1), juce::Colour (226, 0, 54));
    EXPECT_EQ (on.getPixelAt (52, 17), juce::Colour (226, 0, 54));
}

TEST (EmbeddedPictures, FontIsRobotoRegular)
{
    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::RobotoRegular_ttf, BinaryData::RobotoRegular_ttfSize);
    ASSERT_NE (typeface, nullptr);
    EXPECT_EQ (typeface->getName(), "Roboto");
    EXPECT_EQ (typeface->getStyle(), "Regular");
}

