// Several instances of one format in one process, as a session with the echo
// on many tracks has them: different sample rates and block sizes, processed
// interleaved and from two threads, closed first, middle and last with new
// ones opened after. Each instance must sound exactly as it does alone. Under
// an X display two editors are open at once, and the one left open keeps
// painting after the other is closed.

#include "HostTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <thread>

using namespace host_testing;

namespace
{
struct Setting
{
    double rate;
    int blockSize;
    float feedback;
};

// Decaying noise bursts, different for each seed.
juce::AudioBuffer<float> burstsOf (int length, unsigned seed)
{
    juce::AudioBuffer<float> signal (2, length);
    juce::Random random ((juce::int64) seed);
    for (int i = 0; i < length; ++i)
    {
        const float envelope = std::exp (-(float) (i % 3000) / 400.0f);
        signal.setSample (0, i, 0.4f * envelope * (random.nextFloat() * 2.0f - 1.0f));
        signal.setSample (1, i, 0.4f * envelope * (random.nextFloat() * 2.0f - 1.0f));
    }
    return signal;
}

// One instance, its input and what it has played so far.
struct Track
{
    Setting setting;
    std::unique_ptr<juce::AudioPluginInstance> plugin;
    juce::AudioBuffer<float> input;
    std::vector<float> output;  // interleaved
    int done = 0;

    void open (const Format& format, const Setting& s, unsigned seed, int blocks)
    {
        setting = s;
        plugin = load (format, s.rate, s.blockSize);
        ASSERT_NE (plugin, nullptr);
        plugin->prepareToPlay (s.rate, s.blockSize);
        // The output gain glides over several blocks, and how depends on the
        // blocks it is given; the loop gain differs from track to track.
        parameterNamed (*plugin, "Gain")->setValue (0.6f);
        parameterNamed (*plugin, "DelayFeedback")->setValue (s.feedback);
        parameterNamed (*plugin, "Mode")->setValue (0.0f);  // short delays: the echoes come within the run
        input = burstsOf (s.blockSize * blocks, seed);
        output.clear();
        done = 0;
    }

    void processBlock()
    {
        juce::AudioBuffer<float> buffer (2, setting.blockSize);
        for (int c = 0; c < 2; ++c)
            buffer.copyFrom (c, 0, input, c, done, setting.blockSize);
        juce::MidiBuffer midi;
        plugin->processBlock (buffer, midi);
        for (int i = 0; i < setting.blockSize; ++i)
        {
            output.push_back (buffer.getSample (0, i));
            output.push_back (buffer.getSample (1, i));
        }
        done += setting.blockSize;
    }

    void close()
    {
        plugin->releaseResources();
        plugin.reset();
    }
};

// The pixels of the whole X screen, read with ImageMagick's import.
juce::Image screenshot()
{
    const auto file = juce::File::createTempFile (".png");
    const auto command = "/usr/bin/import -window root " + file.getFullPathName().quoted();
    if (std::system (command.toRawUTF8()) != 0)
        return {};
    auto image = juce::ImageFileFormat::loadFrom (file);
    file.deleteFile();
    return image;
}

// The editor's look at two places: the dark title strip, and the crimson lamp
// of the "Short" mode button the tracks are switched to.
bool looksLikeTheEditor (const juce::Image& screen, juce::Point<int> origin)
{
    if (! screen.isValid())
        return false;
    const auto title = screen.getPixelAt (origin.x + 5, origin.y + 5);
    const auto lamp = screen.getPixelAt (origin.x + 572, origin.y + 186);
    return title.getRed() + title.getGreen() + title.getBlue() < 150
        && lamp.getRed() > 180 && lamp.getGreen() < 60 && lamp.getBlue() < 90;
}

std::string describePixels (const juce::Image& screen, juce::Point<int> origin)
{
    if (! screen.isValid())
        return "no screenshot";
    return ("title " + screen.getPixelAt (origin.x + 5, origin.y + 5).toDisplayString (false) + ", lamp "
            + screen.getPixelAt (origin.x + 572, origin.y + 186).toDisplayString (false) + " at "
            + origin.toString()).toStdString();
}

// The screen as the test saw it, kept beside the test's other screenshots.
juce::File keepScreen (const juce::Image& screen, const juce::String& formatName)
{
    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile ("screens/many-instances-" + formatName + ".png");
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    if (screen.isValid())
        if (auto stream = file.createOutputStream())
            juce::PNGImageFormat().writeImageToStream (screen, *stream);
    return file;
}

class ManyInstances : public ::testing::TestWithParam<Format>
{
};
} // namespace

TEST_P (ManyInstances, EachSoundsAsItDoesAloneWhateverOpensAndCloses)
{
    const auto& format = GetParam();
    const Setting settings[] = { { 44100.0, 4096, 0.3f }, { 48000.0, 1000, 0.5f }, { 96000.0, 512, 0.8f }, { 22050.0, 64, 0.95f } };
    constexpr int blocks = 12;
    const bool withEditors = std::getenv ("DISPLAY") != nullptr;

    std::vector<Track> tracks (4), finished;
    unsigned seed = 1;
    for (int i = 0; i < 4; ++i)
        tracks[(size_t) i].open (format, settings[i], seed++, blocks);

    // Two editors at once, each in a window of its own.
    std::vector<std::unique_ptr<juce::DocumentWindow>> windows;
    const auto showEditor = [&] (Track& track, int x) {
        auto window = std::make_unique<juce::DocumentWindow> ("Selvane", juce::Colours::black, 0);
        window->setUsingNativeTitleBar (true);
        window->setContentNonOwned (track.plugin->createEditorIfNeeded(), true);
        window->setTopLeftPosition (x, 40);
        window->setVisible (true);
        windows.push_back (std::move (window));
    };
    const auto closeEditor = [&] (size_t which) {
        auto* editor = windows[which]->getContentComponent();
        windows[which]->clearContentComponent();
        delete editor;
        windows[which].reset();
    };
    if (withEditors)
    {
        showEditor (tracks[0], 20);
        showEditor (tracks[2], 680);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (300);
    }

    const int closeOrder[] = { 1, 0, 3 };  // middle, first, last
    for (int round = 0; round < blocks; ++round)
    {
        std::thread second ([&] { tracks[0].processBlock(); tracks[1].processBlock(); });
        tracks[2].processBlock();
        tracks[3].processBlock();
        second.join();
        if (withEditors)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);

        if (round % 3 == 2 && round / 3 < 3)
        {
            const int slot = closeOrder[round / 3];
            if (slot == 0 && withEditors)
                closeEditor (0);  // the first track's editor goes with it
            tracks[(size_t) slot].close();
            finished.push_back (std::move (tracks[(size_t) slot]));
            tracks[(size_t) slot] = Track {};
            tracks[(size_t) slot].open (format, settings[slot], seed++, blocks);
        }
    }

    if (withEditors)
    {
        // The editor left open still paints the plug-in's look.
        // A loaded machine may take a while to show it: up to thirty seconds.
        // An editor the plug-in draws in a window of its own (LV2) is not
        // reached by the host's repaint; after five seconds, its window is shown
        // anew, which has the X server ask it to draw (said in the log when needed).
        auto* content = windows[1]->getContentComponent();
        bool painted = false, shownAnew = false;
        juce::Image screen;
        const auto start = juce::Time::getMillisecondCounterHiRes();
        const auto elapsed = [&] { return (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0; };
        while (! painted && elapsed() < 30.0)
        {
            if (! shownAnew && elapsed() > 5.0)
            {
                shownAnew = true;
                std::cout << format.name << ": the open editor has not shown yet; its window is shown again ("
                          << describePixels (screen, content->getScreenPosition()) << ")" << std::endl;
                windows[1]->setVisible (false);
                juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
                windows[1]->setVisible (true);
            }
            content->repaint();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (250);
            screen = screenshot();
            painted = looksLikeTheEditor (screen, content->getScreenPosition());
        }
        EXPECT_TRUE (painted) << format.name << ": the open editor no longer paints; " << describePixels (screen, content->getScreenPosition())
                              << "; the screen is in " << keepScreen (screen, format.name).getFullPathName();
        closeEditor (1);
    }

    for (auto& track : tracks)
    {
        track.close();
        finished.push_back (std::move (track));
    }

    for (const auto& track : finished)
    {
        Track alone;
        alone.open (format, track.setting, 0, 0);
        alone.input = track.input;
        while (alone.done < track.done)
            alone.processBlock();
        alone.close();
        ASSERT_EQ (alone.output.size(), track.output.size());
        EXPECT_TRUE (alone.output == track.output)
            << format.name << " at " << track.setting.rate << " Hz in blocks of " << track.setting.blockSize
            << " does not sound as it does alone";
    }
}

INSTANTIATE_TEST_SUITE_P (Formats, ManyInstances, ::testing::ValuesIn (formats),
                          [] (const ::testing::TestParamInfo<Format>& info) { return std::string (info.param.name); });
