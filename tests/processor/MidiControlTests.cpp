#include "ProcessorTestHelpers.h"

#include <gtest/gtest.h>

using namespace selvane;
using namespace testing_support;

namespace
{
// Runs one short block carrying the given MIDI messages.
void runBlockWith (VelmorAudioProcessor& p, std::initializer_list<juce::MidiMessage> messages)
{
    juce::AudioBuffer<float> block (2, 32);
    block.clear();
    juce::MidiBuffer midi;
    int position = 0;
    for (const auto& m : messages)
        midi.addEvent (m, position++);
    p.processBlock (block, midi);
}

juce::MidiMessage cc (int channel, int controller, int value)
{
    return juce::MidiMessage::controllerEvent (channel, controller, value);
}

class MidiControl : public ::testing::Test
{
protected:
    void SetUp() override
    {
        p.prepareToPlay (48000.0, 32);
        p.addListener (&host);
    }
    void TearDown() override { p.removeListener (&host); }

    VelmorAudioProcessor p;
    HostListener host;
};
} // namespace

struct MappedCase
{
    int parameter, value;
    float expected;
};

class MappedController : public MidiControl, public ::testing::WithParamInterface<MappedCase> {};

TEST_P (MappedController, SetsItsParameterAndTellsTheHost)
{
    const auto c = GetParam();
    p.midiMap[(size_t) c.parameter] = 20;
    runBlockWith (p, { cc (1, 20, c.value) });
    EXPECT_NEAR (p.getParameter (c.parameter), c.expected, 0.0001);
    ASSERT_EQ (host.changes.size(), 1u);
    EXPECT_EQ (host.changes[0].first, c.parameter);
}

INSTANTIATE_TEST_SUITE_P (Values, MappedController,
                          ::testing::Values (MappedCase { kDryWet, 127, 1.0f }, MappedCase { kDryWet, 0, 0.0f },
                                             MappedCase { kDryWet, 64, 64.0f / 127.0f },
                                             MappedCase { kGain, 127, 1.0f }, MappedCase { kGain, 64, 0.7099f },
                                             MappedCase { kGain, 0, 0.0f }));

TEST_F (MidiControl, OneControllerCanDriveSeveralParameters)
{
    p.midiMap[kPingPong] = 11;
    p.midiMap[kBalance] = 11;
    runBlockWith (p, { cc (5, 11, 127) });
    EXPECT_EQ (p.getParameter (kPingPong), 1.0f);
    EXPECT_EQ (p.getParameter (kBalance), 1.0f);
}

TEST_F (MidiControl, ChannelFilterPassesOnlyItsChannel)
{
    p.midiMap[kDryWet] = 20;
    p.idxMidiChannel = 2;
    runBlockWith (p, { cc (1, 20, 127) });  // status 0xB0
    EXPECT_EQ (p.getParameter (kDryWet), 0.5f);
    runBlockWith (p, { cc (2, 20, 127) });  // status 0xB1
    EXPECT_EQ (p.getParameter (kDryWet), 1.0f);

    p.idxMidiChannel = -1;  // no channel chosen: nothing passes
    runBlockWith (p, { cc (1, 20, 0), cc (2, 20, 0), cc (16, 20, 0) });
    EXPECT_EQ (p.getParameter (kDryWet), 1.0f);
}

TEST_F (MidiControl, LearningAssignsTheControllerToTheTargetAndSetsIt)
{
    p.midiLearnActive = true;
    p.midiLearnTarget = kMode;
    runBlockWith (p, { cc (1, 30, 127) });
    EXPECT_EQ (p.midiMap[kMode].load(), 30);
    EXPECT_EQ (p.getParameter (kMode), 1.0f);
    EXPECT_EQ (p.delayMode.load(), modeSync);
}

TEST_F (MidiControl, LearningGainKeepsTheLinearValue)
{
    p.midiMap[kGain] = 7;
    p.midiLearnActive = true;
    p.midiLearnTarget = kGain;
    runBlockWith (p, { cc (1, 7, 64) });
    EXPECT_EQ (p.getParameter (kGain), 64.0f / 127.0f);
    ASSERT_EQ (host.changes.size(), 2u);  // mapped (square root), then learnt (linear)
    EXPECT_NEAR (host.changes[0].second, 0.7099f, 0.0001);
}

TEST_F (MidiControl, ArmedWithoutATargetLearnsNothing)
{
    p.midiLearnActive = true;
    p.midiLearnTarget = -1;
    runBlockWith (p, { cc (1, 30, 127) });
    for (const auto& entry : p.midiMap)
        EXPECT_EQ (entry.load(), -1);
    EXPECT_TRUE (host.changes.empty());
}

TEST_F (MidiControl, OnlyControlChangesCount)
{
    for (auto& entry : p.midiMap)
        entry = 64;
    p.midiLearnActive = true;
    p.midiLearnTarget = kDryWet;
    runBlockWith (p, { juce::MidiMessage::noteOn (1, 64, (juce::uint8) 127), juce::MidiMessage::noteOff (1, 64),
                       juce::MidiMessage::pitchWheel (1, 16383), juce::MidiMessage::programChange (1, 64),
                       juce::MidiMessage::aftertouchChange (1, 64, 127), juce::MidiMessage::channelPressureChange (1, 64) });
    EXPECT_TRUE (host.changes.empty());
    EXPECT_EQ (p.midiMap[kDryWet].load(), 64);
}

TEST_F (MidiControl, MessagesApplyInBufferOrderBeforeTheAudio)
{
    p.midiMap[kGain] = 7;
    juce::AudioBuffer<float> block (2, 64);
    juce::FloatVectorOperations::fill (block.getWritePointer (0), 0.5f, 64);
    juce::FloatVectorOperations::fill (block.getWritePointer (1), 0.5f, 64);
    p.setParameter (kDryWet, 0.0f);
    juce::MidiBuffer midi;
    midi.addEvent (cc (1, 7, 127), 60);  // the position within the block does not matter
    midi.addEvent (cc (1, 7, 0), 61);
    p.processBlock (block, midi);
    EXPECT_EQ (p.getParameter (kGain), 0.0f);
    EXPECT_LT (block.getSample (0, 0), 0.5f);  // the gain was already moving down at sample 0
}

TEST_F (MidiControl, AfterUnlearnAllNothingMoves)
{
    p.midiMap[kDryWet] = 20;
    p.midiMap[kGain] = 21;
    p.unlearnAll();
    runBlockWith (p, { cc (1, 20, 127), cc (1, 21, 0) });
    EXPECT_TRUE (host.changes.empty());
    EXPECT_EQ (p.getParameter (kDryWet), 0.5f);
}

TEST_F (MidiControl, AssignmentsOutsideTheControllerRangeNeverMatch)
{
    p.midiMap[kDryWet] = 200;
    p.midiMap[kPingPong] = -5;
    runBlockWith (p, { cc (1, 200 & 0x7f, 127), cc (1, 123, 127) });
    EXPECT_TRUE (host.changes.empty());
}
