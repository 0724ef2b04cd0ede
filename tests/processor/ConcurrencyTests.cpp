// Every thread a host may use, at once: one runs processBlock without pause
// while others automate, save and restore state, forget MIDI assignments,
// switch learning, and run the editor's timer and the oscilloscope's
// painting. Built with ThreadSanitizer, this must report nothing.

#include "ProcessorTestHelpers.h"

#include "editor/VelmorAudioProcessorEditor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace selvane;

TEST (Concurrency, AudioKeepsRunningWhileEveryOtherThreadTouchesTheProcessor)
{
    const juce::ScopedJuceInitialiser_GUI gui;
    VelmorAudioProcessor processor;
    processor.prepareToPlay (48000.0, 256);
    processor.midiMap[kDryWet] = 20;

    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        midi.ensureSize (256);
        int n = 0;
        while (running.load())
        {
            for (int i = 0; i < 256; ++i)
                for (int c = 0; c < 2; ++c)
                    buffer.setSample (c, i, 0.3f * std::sin (0.05f * (float) (n * 256 + i)));
            midi.clear();
            midi.addEvent (juce::MidiMessage::controllerEvent (1, 20, n % 128), 0);
            midi.addEvent (juce::MidiMessage::controllerEvent (1, 30, (n * 7) % 128), 1);
            processor.processBlock (buffer, midi);
            ++n;
            blocks.fetch_add (1);
        }
    });

    std::thread automation ([&] {
        for (int i = 0; running.load(); ++i)
        {
            processor.setParameter (i % numParameters, (float) (i % 100) / 100.0f);
            (void) processor.getParameter ((i + 3) % numParameters);
            (void) processor.getParameterText (i % numParameters);
        }
    });

    std::thread state ([&] {
        for (int i = 0; running.load(); ++i)
        {
            juce::MemoryBlock block;
            processor.getStateInformation (block);
            processor.setStateInformation (block.getData(), (int) block.getSize());
            if (i % 5 == 0)
                processor.unlearnAll();
        }
    });

    std::thread learning ([&] {
        for (int i = 0; running.load(); ++i)
        {
            processor.midiLearnActive = (i % 2) == 0;
            processor.midiLearnTarget = (i % 10) - 1;
            processor.idxMidiChannel = i % 17;
        }
    });

    // The message thread: the editor's timer and its oscilloscope's painting.
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
        auto* timer = dynamic_cast<juce::Timer*> (editor.get());
        juce::Image canvas (juce::Image::ARGB, 620, 305, true);
        const auto until = juce::Time::getMillisecondCounter() + 1500;
        while (juce::Time::getMillisecondCounter() < until)
        {
            timer->timerCallback();
            juce::Graphics g (canvas);
            editor->paintEntireComponent (g, true);
        }
        processor.editorBeingDeleted (editor.get());
    }

    running = false;
    for (auto* t : { &audio, &automation, &state, &learning })
        t->join();
    EXPECT_GT (blocks.load(), 100);
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
