#include "ProcessorTestHelpers.h"

#include "engine/TempoNotes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace selvane;
using namespace testing_support;

namespace
{
// Runs one empty block: it reads the transport and re-targets the delay.
void runEmptyBlock (VelmorAudioProcessor& p)
{
    juce::AudioBuffer<float> empty (2, 0);
    juce::MidiBuffer midi;
    p.processBlock (empty, midi);
}

// Puts a processor into sync mode on the given transport (or none).
void startSynced (VelmorAudioProcessor& p, juce::AudioPlayHead* playHead, double rate, float delayTime)
{
    p.setPlayHead (playHead);
    p.prepareToPlay (rate, 512);
    p.setParameter (kMode, 1.0f);
    p.setParameter (kDelayTime, delayTime);
}

float syncedTarget (double rate, double bpm, int denominator, int noteIndex)
{
    VelmorAudioProcessor p;
    ScriptedPlayHead playHead;
    playHead.bpm = bpm;
    playHead.signature = juce::AudioPlayHead::TimeSignature { 4, denominator };
    startSynced (p, &playHead, rate, (float) noteIndex / 24.0f);
    runEmptyBlock (p);
    return p.getDelayLine().getTargetDelay();
}
} // namespace

struct NoteCase
{
    double rate, bpm;
    int denominator;
    const char* note;
    float samples;
};

class TempoNoteDelay : public ::testing::TestWithParam<NoteCase> {};

TEST_P (TempoNoteDelay, FollowsTempoSignatureAndRate)
{
    const auto c = GetParam();
    int index = -1;
    for (int i = 0; i < numTempoNotes; ++i)
        if (std::string (tempoNoteNames[(size_t) i]) == c.note)
            index = i;
    ASSERT_GE (index, 0);
    EXPECT_FLOAT_EQ (syncedTarget (c.rate, c.bpm, c.denominator, index), c.samples) << c.note;
}

INSTANTIATE_TEST_SUITE_P (
    Notes, TempoNoteDelay,
    ::testing::Values (NoteCase { 44100.0, 120.0, 4, "1/4", 22050.0f }, NoteCase { 44100.0, 120.0, 4, "1/8d", 16537.5f },
                       NoteCase { 44100.0, 120.0, 4, "2/1", 176400.0f }, NoteCase { 44100.0, 120.0, 4, "1/128", 689.0625f },
                       NoteCase { 44100.0, 120.0, 8, "1/4", 44100.0f }, NoteCase { 44100.0, 120.0, 4, "1/4t", 14700.0f },
                       NoteCase { 96000.0, 120.0, 4, "1/4", 48000.0f }, NoteCase { 96000.0, 60.0, 4, "2/1", 480000.0f },
                       NoteCase { 48000.0, 40.0, 4, "2/1", 480000.0f }, NoteCase { 48000.0, 300.0, 4, "1/128", 300.0f }));

TEST (TempoSync, TableRunsInGroupsOfPlainDottedAndTriplet)
{
    EXPECT_EQ (tempoNoteLengths[0], 1.0f / 128.0f);
    EXPECT_EQ (tempoNoteLengths[24], 2.0f);
    EXPECT_EQ (tempoNoteLengths[2], 0.010416667f);
    for (int i = 0; i + 1 < numTempoNotes; i += 3)
        EXPECT_FLOAT_EQ (tempoNoteLengths[(size_t) i + 1], 1.5f * tempoNoteLengths[(size_t) i]) << tempoNoteNames[(size_t) i];
}

TEST (TempoSync, TempoChangeRetargetsAtTheNextBlockAndTheDelayGlides)
{
    VelmorAudioProcessor p;
    ScriptedPlayHead playHead;
    startSynced (p, &playHead, 44100.0, 0.625f);
    settle (p);
    EXPECT_EQ (p.getDelayLine().getCurrentDelay(), 22050.0);

    playHead.bpm = 60.0;
    EXPECT_EQ (p.getDelayLine().getTargetDelay(), 22050.0f);
    juce::AudioBuffer<float> block (2, 50000);
    block.clear();
    juce::MidiBuffer midi;
    p.processBlock (block, midi);
    EXPECT_EQ (p.getDelayLine().getTargetDelay(), 44100.0f);
    EXPECT_NEAR ((p.getDelayLine().getCurrentDelay() - 22050.0) / 22050.0, 0.632, 0.001);
}

TEST (TempoSync, WithoutATransportTheEchoFollows120BeatsIn4_4)
{
    VelmorAudioProcessor noPlayHead;
    startSynced (noPlayHead, nullptr, 48000.0, 0.625f);
    runEmptyBlock (noPlayHead);
    EXPECT_EQ (noPlayHead.getDelayLine().getTargetDelay(), 24000.0f);

    VelmorAudioProcessor noPosition;
    ScriptedPlayHead silent;
    silent.hasPosition = false;
    startSynced (noPosition, &silent, 48000.0, 0.5f);  // index 12, "1/8"
    runEmptyBlock (noPosition);
    EXPECT_EQ (noPosition.getDelayLine().getTargetDelay(), 12000.0f);

    VelmorAudioProcessor noSignature;
    ScriptedPlayHead tempoOnly;
    tempoOnly.bpm = 60.0;
    tempoOnly.signature.reset();
    startSynced (noSignature, &tempoOnly, 48000.0, 0.625f);
    runEmptyBlock (noSignature);
    EXPECT_EQ (noSignature.getDelayLine().getTargetDelay(), 48000.0f);
}

TEST (TempoSync, NonsenseFromTheTransportKeepsThePreviousTarget)
{
    VelmorAudioProcessor p;
    ScriptedPlayHead playHead;
    startSynced (p, &playHead, 44100.0, 0.625f);
    runEmptyBlock (p);
    ASSERT_EQ (p.getDelayLine().getTargetDelay(), 22050.0f);

    for (double bpm : { 0.0, -90.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity() })
    {
        playHead.bpm = bpm;
        runEmptyBlock (p);
        EXPECT_EQ (p.getDelayLine().getTargetDelay(), 22050.0f) << bpm;
    }
    playHead.bpm = 120.0;
    for (int denominator : { 0, -4 })
    {
        playHead.signature = juce::AudioPlayHead::TimeSignature { 4, denominator };
        runEmptyBlock (p);
        EXPECT_EQ (p.getDelayLine().getTargetDelay(), 22050.0f) << denominator;
    }
}

TEST (TempoSync, FixedModesDoNotReadTheTransport)
{
    VelmorAudioProcessor p;
    ScriptedPlayHead playHead;
    p.setPlayHead (&playHead);
    p.prepareToPlay (44100.0, 512);
    p.setParameter (kDelayTime, 0.5f);
    runEmptyBlock (p);
    EXPECT_FLOAT_EQ (p.getDelayLine().getTargetDelay(), 0.55f * 44100.0f);

    p.setParameter (kMode, 1.0f);   // into sync
    runEmptyBlock (p);
    EXPECT_EQ (p.syncNoteIndex.load(), 12);
    EXPECT_EQ (p.getDelayLine().getTargetDelay(), 11025.0f);
    p.setParameter (kMode, 0.33f);  // back to medium: the seconds apply again
    EXPECT_FLOAT_EQ (p.getDelayLine().getTargetDelay(), 0.55f * 44100.0f);
}
