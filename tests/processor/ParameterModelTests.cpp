#include "ProcessorTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace selvane;
using namespace testing_support;

TEST (ParameterModel, NewInstanceIdentifiesItselfAsHostsExpect)
{
    VelmorAudioProcessor p;
    EXPECT_EQ (p.getName(), "Selvane");
    EXPECT_EQ (p.getNumParameters(), 9);
    EXPECT_EQ (p.getParameters().size(), 9);
    const float defaults[] = { 0.0f, 0.5f, 0.33f, 0.5f, 0.0f, 0.0f, 0.0f, 0.5f, 0.9f };
    for (int i = 0; i < 9; ++i)
    {
        EXPECT_EQ (p.getParameterName (i), parameterTable[(size_t) i].name);
        EXPECT_EQ (p.getParameter (i), defaults[i]);
        EXPECT_EQ (p.getParameterDefaultValue (i), defaults[i]);
        EXPECT_EQ (p.getParameters()[i]->getName (100), p.getParameterName (i));
        EXPECT_EQ (p.getParameters()[i]->getValue(), defaults[i]);
    }
    EXPECT_EQ (p.getParameterText (kMode), "0.33");
    EXPECT_EQ (p.getParameters()[kMode]->getCurrentValueAsText(), "0.33");
    EXPECT_EQ (p.getParameters()[kDelayTime]->getName (4), "Dela");
    EXPECT_EQ (p.getNumPrograms(), 1);
    EXPECT_EQ (p.getProgramName (0), "default");
    EXPECT_EQ (p.getProgramName (1), "other");
    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (p.acceptsMidi());
    EXPECT_FALSE (p.producesMidi());
    EXPECT_FALSE (p.silenceInProducesSilenceOut());
    EXPECT_EQ (p.getInputChannelName (1), "2");
    EXPECT_EQ (p.getOutputChannelName (0), "1");
    EXPECT_EQ (p.delayMode.load(), modeMedium);
    EXPECT_TRUE (p.editorNeedsRefresh.load());
}

TEST (ParameterModel, IndicesOutsideTheTableAreIgnored)
{
    VelmorAudioProcessor p;
    p.editorNeedsRefresh = false;
    p.setParameter (9, 0.5f);
    p.setParameter (-1, 0.5f);
    EXPECT_FALSE (p.editorNeedsRefresh.load());
    EXPECT_EQ (p.getParameterName (9), "");
    EXPECT_EQ (p.getParameterText (9), "");
    EXPECT_EQ (p.getParameter (9), 0.0f);
    EXPECT_EQ (p.getParameterDefaultValue (-3), 0.0f);
}

TEST (ParameterModel, NonFiniteValuesNeverReachTheEngine)
{
    VelmorAudioProcessor p;
    p.prepareToPlay (44100.0, 512);
    const float targetDelay = p.getDelayLine().getTargetDelay();
    const float lowPass = p.getDelayLine().getLowPassCoefficientTarget();

    for (float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity() })
        for (int i = 0; i < numParameters; ++i)
        {
            p.editorNeedsRefresh = false;
            p.setParameter (i, bad);
            EXPECT_EQ (p.getParameter (i), parameterTable[(size_t) i].defaultValue) << i;
            EXPECT_FALSE (p.editorNeedsRefresh.load()) << i;
        }
    EXPECT_EQ (p.getDelayLine().getTargetDelay(), targetDelay);
    EXPECT_EQ (p.getDelayLine().getLowPassCoefficientTarget(), lowPass);
    EXPECT_EQ (p.getGainTarget(), 1.0f);
}

TEST (ParameterModel, ValuesAreStoredUnchangedAndRaiseTheRefreshFlag)
{
    VelmorAudioProcessor p;
    p.editorNeedsRefresh = false;
    p.setParameter (kBalance, 1.7f);
    EXPECT_EQ (p.getParameter (kBalance), 1.7f);
    EXPECT_EQ (p.getBalanceTarget(), 1.7f);
    EXPECT_TRUE (p.editorNeedsRefresh.load());
    p.setParameter (kPingPong, 2.0f);
    EXPECT_EQ (p.getParameter (kPingPong), 2.0f);
    EXPECT_EQ (p.getDelayLine().getPingPongTarget(), 1.0f);
    p.setParameter (kDelayFeedback, 1.0f);
    EXPECT_FLOAT_EQ (p.getDelayLine().getFeedbackTarget(), 1.1f);
}

struct ModeCase
{
    float x;
    int mode;
    float minSeconds, maxSeconds;
};

class ModeParameter : public ::testing::TestWithParam<ModeCase> {};

TEST_P (ModeParameter, SetsModeAndRange)
{
    const auto c = GetParam();
    VelmorAudioProcessor p;
    p.setParameter (kMode, c.x);
    EXPECT_EQ (p.delayMode.load(), c.mode);
    EXPECT_EQ (p.modeMinSeconds.load(), c.minSeconds);
    EXPECT_EQ (p.modeMaxSeconds.load(), c.maxSeconds);
}

INSTANTIATE_TEST_SUITE_P (Values, ModeParameter,
                          ::testing::Values (ModeCase { 0.1f, 0, 0.005f, 0.1f }, ModeCase { 0.33f, 1, 0.1f, 1.0f },
                                             ModeCase { 0.5f, 2, 1.0f, 3.0f }, ModeCase { 0.9f, 3, 0.1f, 1.0f },
                                             ModeCase { -1.0e9f, 1, 0.1f, 1.0f }, ModeCase { 1.0e30f, 1, 0.1f, 1.0f },
                                             ModeCase { 1.4f, 1, 0.1f, 1.0f }));

TEST (ParameterModel, SyncKeepsTheRangeOfTheModeBefore)
{
    VelmorAudioProcessor p;
    p.setParameter (kMode, 0.0f);
    p.setParameter (kMode, 1.0f);
    EXPECT_EQ (p.delayMode.load(), modeSync);
    EXPECT_EQ (p.modeMinSeconds.load(), 0.005f);
    EXPECT_EQ (p.modeMaxSeconds.load(), 0.1f);
}

TEST (ParameterModel, ModeChangeRecomputesTheDelayAndTellsTheHostOfParameterZero)
{
    VelmorAudioProcessor p;
    p.prepareToPlay (44100.0, 512);
    p.setParameter (kDelayTime, 0.5f);
    EXPECT_FLOAT_EQ (p.getDelayLine().getTargetDelay(), 0.55f * 44100.0f);

    HostListener host;
    p.addListener (&host);
    p.setParameter (kMode, 0.66f);  // medium to long
    p.removeListener (&host);

    EXPECT_FLOAT_EQ (p.getDelayLine().getTargetDelay(), 2.0f * 44100.0f);
    ASSERT_EQ (host.changes.size(), 1u);
    EXPECT_EQ (host.changes[0], std::make_pair (0, 0.5f));
    EXPECT_EQ (p.getParameter (kDelayTime), 0.5f);
}

TEST (ParameterModel, LongestDelayAtHighRatesIsClampedToTheMemory)
{
    VelmorAudioProcessor p;
    p.prepareToPlay (192000.0, 512);
    p.setParameter (kMode, 0.66f);
    p.setParameter (kDelayTime, 1.0f);
    EXPECT_EQ (p.getDelayLine().getTargetDelay(), 480000.0f);
}

TEST (ParameterModel, SyncModeDelayTimeSelectsANoteAndLeavesTheFixedDelayAlone)
{
    VelmorAudioProcessor p;
    p.setParameter (kMode, 1.0f);
    const float before = p.getDelayLine().getTargetDelay();
    p.setParameter (kDelayTime, 0.625f);
    EXPECT_EQ (p.syncNoteIndex.load(), 15);
    EXPECT_EQ (p.getDelayLine().getTargetDelay(), before);
    p.setParameter (kDelayTime, 40.0f);
    EXPECT_EQ (p.syncNoteIndex.load(), 24);
    EXPECT_EQ (p.getDelayTimeSeconds(), 1.0f);
}

TEST (ParameterModel, PrepareToPlayRecomputesRateDependentTargets)
{
    VelmorAudioProcessor p;
    p.prepareToPlay (44100.0, 512);
    EXPECT_NEAR (p.getDelayLine().getLowPassCoefficientTarget(), 0.05787f, 0.000005);
    EXPECT_NEAR (p.getDelayLine().getHighPassCoefficientTarget(), 0.997155f, 0.000005);
    EXPECT_FLOAT_EQ (p.getDelayLine().getTargetDelay(), 4410.0f);

    p.prepareToPlay (16000.0, 512);
    EXPECT_NEAR (p.getDelayLine().getLowPassCoefficientTarget(), 0.001867f, 0.000001);
    EXPECT_FLOAT_EQ (p.getDelayLine().getTargetDelay(), 1600.0f);

    p.prepareToPlay (std::numeric_limits<double>::quiet_NaN(), 512);  // ignored
    p.prepareToPlay (0.0, 512);
    EXPECT_EQ (p.getCurrentSampleRate(), 16000.0f);
}

// Any positive rate a host may report leaves every engine value a number; a
// rate too small to mean anything (or too large for single precision) is
// refused like a non-positive one.
TEST (ParameterModel, AnyPositiveSampleRateKeepsTheEngineFinite)
{
    struct Case { double rate; float kept; };
    const Case cases[] = { { 1.0e-50, 44100.0f }, { 0.5, 44100.0f }, { 1.0e300, 44100.0f },
                           { 1.0, 1.0f }, { 1.0e9, 1.0e9f }, { 8000.0, 8000.0f } };
    for (const auto c : cases)
    {
        VelmorAudioProcessor p;
        p.setParameter (kDelayTime, 0.7f);
        p.prepareToPlay (c.rate, 512);
        EXPECT_EQ (p.getCurrentSampleRate(), c.kept) << c.rate;
        for (float mode : { 0.0f, 0.33f, 0.66f, 1.0f })
        {
            p.setParameter (kMode, mode);
            p.setParameter (kDelayTime, 0.7f);
            const auto& line = p.getDelayLine();
            EXPECT_TRUE (std::isfinite (line.getTargetDelay())) << c.rate << " mode " << mode;
            EXPECT_TRUE (std::isfinite (line.getLowPassCoefficientTarget())) << c.rate;
            EXPECT_TRUE (std::isfinite (line.getHighPassCoefficientTarget())) << c.rate;
        }
        juce::AudioBuffer<float> buffer (2, 512);
        buffer.clear();
        buffer.setSample (0, 0, 1.0f);
        juce::MidiBuffer midi;
        for (int block = 0; block < 4; ++block)
            p.processBlock (buffer, midi);
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < 512; ++i)
                ASSERT_TRUE (std::isfinite (buffer.getSample (channel, i))) << c.rate;
    }
}

TEST (ParameterModel, DelayLineRefusesADelayThatIsNoNumber)
{
    EchoDelayLine line;
    line.setDelaySamples (2000.0f);
    line.setDelaySamples (std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ (line.getTargetDelay(), 2000.0f);
}

TEST (ParameterModel, GainParameterMapsToLinearGain)
{
    VelmorAudioProcessor p;
    EXPECT_EQ (p.getGainTarget(), 1.0f);
    p.setParameter (kGain, 1.0f);
    EXPECT_NEAR (p.getGainTarget(), 3.1623f, 0.0001);
    p.setParameter (kGain, 0.0f);
    EXPECT_NEAR (p.getGainTarget(), 3.162e-5f, 1e-8);
    p.setParameter (kGain, -0.5f);
    EXPECT_EQ (p.getGainTarget(), 0.0f);
}

TEST (ParameterModel, DelayTimeSecondsShownPerMode)
{
    VelmorAudioProcessor p;
    p.setParameter (kDelayTime, 0.5f);
    const std::pair<float, float> cases[] = { { 0.0f, 0.0525f }, { 0.33f, 0.55f }, { 0.66f, 2.0f }, { 1.0f, 1.0f } };
    for (auto [mode, seconds] : cases)
    {
        p.setParameter (kMode, mode);
        EXPECT_FLOAT_EQ (p.getDelayTimeSeconds(), seconds) << "mode " << mode;
    }
}

TEST (ParameterModel, GesturesAndNotificationsReachTheHost)
{
    VelmorAudioProcessor p;
    HostListener host;
    p.addListener (&host);
    p.beginParameterChangeGesture (kDryWet);
    p.setParameterNotifyingHost (kDryWet, 0.8f);
    p.endParameterChangeGesture (kDryWet);
    p.setParameterNotifyingHost (12, 0.1f);
    p.removeListener (&host);

    EXPECT_EQ (host.gestures, (std::vector<int> { kDryWet, -1 - kDryWet }));
    ASSERT_EQ (host.changes.size(), 1u);
    EXPECT_EQ (host.changes[0], std::make_pair ((int) kDryWet, 0.8f));
    EXPECT_EQ (p.getParameter (kDryWet), 0.8f);
}

TEST (ParameterModel, TailIsZeroExceptForVst3HostsWhichAreToldItIsInfinite)
{
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_VST3);
    VelmorAudioProcessor vst3;
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_VST);
    VelmorAudioProcessor vst2;
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
    EXPECT_EQ (vst3.getTailLengthSeconds(), std::numeric_limits<double>::infinity());
    EXPECT_EQ (vst2.getTailLengthSeconds(), 0.0);
}
