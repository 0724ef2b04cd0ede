#include "EditorTestSupport.h"

#include "editor/Oscillo.h"

using namespace testing_support;

namespace
{
struct Scope
{
    Scope()
    {
        for (auto& channel : buffers)
            for (auto& s : channel)
                s.store (0.0f);
    }
    void fill (int channel, float value)
    {
        for (auto& s : buffers[(size_t) channel])
            s.store (value);
    }
    Oscillo::ScopeBuffers buffers;
};

juce::Image paint (Oscillo& view, int w = 236, int h = 83)
{
    view.setSize (w, h);
    auto image = blankImage (w, h);
    juce::Graphics g (image);
    view.paint (g);
    return image;
}

bool isDrawn (juce::Colour c) { return c.getAlpha() > 0; }
} // namespace

TEST (Oscillo, SilenceDrawsNothingAtAll)
{
    Scope scope;
    Oscillo view (&scope.buffers, 512);
    EXPECT_EQ (countPixels (paint (view), isDrawn), 0);
}

TEST (Oscillo, FullScaleLeftFillsTheUpperHalfBetweenTheFades)
{
    Scope scope;
    scope.fill (0, 1.0f);
    Oscillo view (&scope.buffers, 512);
    const auto image = paint (view);
    const int w = 236;
    for (int x = 10; x <= w - 8; ++x)
    {
        ASSERT_EQ (image.getPixelAt (x, 0), Oscillo::leftColour) << "column " << x;
        ASSERT_EQ (image.getPixelAt (x, 40), Oscillo::leftColour) << "column " << x;
        ASSERT_EQ (image.getPixelAt (x, 42).getAlpha(), 0) << "column " << x;
    }
    EXPECT_EQ (image.getPixelAt (0, 30).getAlpha(), 0) << "column 0 is never drawn";
    // column 1 rises a tenth of the way: 4.15 of 41.5 pixels
    EXPECT_TRUE (isDrawn (image.getPixelAt (1, 39)));
    EXPECT_FALSE (isDrawn (image.getPixelAt (1, 36)));
    // column W - 1 an eighth: 5.2 pixels
    EXPECT_TRUE (isDrawn (image.getPixelAt (w - 1, 38)));
    EXPECT_FALSE (isDrawn (image.getPixelAt (w - 1, 35)));
}

TEST (Oscillo, NegativeFullScaleReachesTheBottomAndRightIsDrawnOverLeft)
{
    Scope scope;
    scope.fill (0, -1.0f);
    scope.fill (1, -1.0f);
    Oscillo view (&scope.buffers, 512);
    const auto image = paint (view);
    EXPECT_EQ (image.getPixelAt (100, 82), Oscillo::rightColour);
    EXPECT_EQ (image.getPixelAt (100, 42), Oscillo::rightColour);
    EXPECT_EQ (image.getPixelAt (100, 40).getAlpha(), 0);
}

TEST (Oscillo, TwoValidSamplesShowSampleZeroEverywhere)
{
    Scope scope;
    scope.buffers[0][0].store (0.5f);
    scope.buffers[0][1].store (-0.5f);
    Oscillo view (&scope.buffers, 2);
    const auto image = paint (view);
    for (int x = 10; x < 200; x += 17)
    {
        EXPECT_TRUE (isDrawn (image.getPixelAt (x, 30))) << x;
        EXPECT_FALSE (isDrawn (image.getPixelAt (x, 60))) << x;
    }
}

TEST (Oscillo, FewerThanTwoSamplesOrNoBuffersDrawNothing)
{
    Scope scope;
    scope.fill (0, 0.8f);
    for (int valid : { 0, 1, -5 })
    {
        Oscillo view (&scope.buffers, valid);
        EXPECT_EQ (countPixels (paint (view), isDrawn), 0) << valid;
    }
    Oscillo none (nullptr, 512);
    EXPECT_EQ (countPixels (paint (none), isDrawn), 0);
}

TEST (Oscillo, ColumnsReadOnlyInsideTheBuffer)
{
    EXPECT_EQ (Oscillo::sampleIndexForColumn (1, 236, 512), 2);    // 510 / 236 = 2.16
    EXPECT_EQ (Oscillo::sampleIndexForColumn (235, 236, 512), 508);
    EXPECT_EQ (Oscillo::sampleIndexForColumn (100, 236, 2), 0);
    EXPECT_EQ (Oscillo::sampleIndexForColumn (235, 236, 100000), 508);  // never more than the buffer holds
    EXPECT_EQ (Oscillo::sampleIndexForColumn (5, 236, 1), -1);
}
