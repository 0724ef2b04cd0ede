#include "EchoEngine.h"

#include "BlockSlices.h"
#include "Crossfade.h"
#include "NoDenormals.h"

#include <algorithm>
#include <cmath>

namespace selvane
{
namespace
{
constexpr auto relaxed = std::memory_order_relaxed;

// Tempo used in sync mode when the host gives no transport at all.
constexpr double fallbackBpm = 120.0;
constexpr double fallbackDenominator = 4.0;

float finiteOrZero (float sample) noexcept
{
    return std::isfinite (sample) ? sample : 0.0f;
}

// Full scale, and never a NaN: whatever a hostile host did upstream, what
// leaves the plug-in is a number.
float clipToFullScale (float sample) noexcept
{
    const float number = sample == sample ? sample : 0.0f;
    return std::min (std::max (number, -1.0f), 1.0f);
}

// The same channels, over a shorter stretch from the block's start.
AudioBlock headOf (const AudioBlock& block, int numSamples) noexcept
{
    auto head = block;
    head.numSamples = numSamples;
    return head;
}
} // namespace

EchoEngine::EchoEngine()
    : balanceBufferL ((size_t) maxBlockChunk, 0.0f),
      balanceBufferR ((size_t) maxBlockChunk, 0.0f),
      bypassFadeInput ((size_t) (2 * bypassFadeSamples), 0.0f)
{
    for (auto& channel : scopeBuffers)
        for (auto& sample : channel)
            sample.store (0.0f, relaxed);
    for (int i = 0; i < numParameters; ++i)
        parameterValues[(size_t) i].store (parameterTable[(size_t) i].defaultValue, relaxed);

    // Every target follows the defaults from the start (at the default rate,
    // until a host gives its own).
    for (int i = 0; i < numParameters; ++i)
        applyParameter (i, parameterValues[(size_t) i].load (relaxed));
}

//==============================================================================
bool EchoEngine::setParameter (int index, float x) noexcept
{
    // A non-finite value would become a non-finite delay length, coefficient
    // or gain and poison the audio for good: it is not taken at all.
    if (! isParameterIndex (index) || ! std::isfinite (x))
        return false;

    parameterValues[(size_t) index].store (x, relaxed);
    applyParameter (index, x);
    return true;
}

float EchoEngine::getParameter (int index) const noexcept
{
    return isParameterIndex (index) ? parameterValues[(size_t) index].load (relaxed) : 0.0f;
}

bool EchoEngine::setSampleRate (double newRate) noexcept
{
    // The rate is kept in single precision: a rate that is no finite float is refused too.
    const auto rate = (float) newRate;
    if (! (std::isfinite (newRate) && newRate >= minimumSampleRate && std::isfinite (rate)))
        return false;

    sampleRate.store (rate, relaxed);
    for (int index : { kDelayTime, kDelayFeedback, kHighCut, kLowCut })
        applyParameter (index, parameterValues[(size_t) index].load (relaxed));
    return true;
}

void EchoEngine::applyParameter (int index, float x) noexcept
{
    const float rate = sampleRate.load (relaxed);

    switch (index)
    {
        case kDelayTime:     applyDelayTime (x); break;
        case kDelayFeedback: delayLine.setFeedback (loopGainFor (x)); break;
        case kMode:          applyMode (x); break;
        case kBalance:       balanceTarget.store (balanceTargetFor (x), relaxed); break;
        case kPingPong:      delayLine.setPingPong (x); break;
        case kHighCut:       delayLine.setLowPassCoefficient (onePoleCoefficientFor (highCutFrequencyFor (x), rate)); break;
        case kLowCut:        delayLine.setHighPassCoefficient (onePoleCoefficientFor (lowCutFrequencyFor (x), rate)); break;
        case kDryWet:        delayLine.setDryWet (x); break;
        case kGain:          gainTarget.store (outputGainFor (x), relaxed); break;
        default: break;
    }
}

void EchoEngine::applyDelayTime (float x) noexcept
{
    if (isSynced())
    {
        // The sync delay itself is recomputed from the transport every block.
        syncNoteIndex.store (syncNoteIndexFor (x), relaxed);
        return;
    }

    const ModeRange range { modeMinSeconds.load (relaxed), modeMaxSeconds.load (relaxed) };
    delayLine.setDelaySamples (fixedModeDelaySamples (x, range, sampleRate.load (relaxed)));
}

// Sync mode keeps whichever range was last in force. The delay time means
// something else in the new mode: it is applied again.
void EchoEngine::applyMode (float x) noexcept
{
    if (const auto mode = delayModeFor (x))
    {
        if (*mode != modeSync)
        {
            modeMinSeconds.store (fixedModeRanges[(size_t) *mode].minSeconds, relaxed);
            modeMaxSeconds.store (fixedModeRanges[(size_t) *mode].maxSeconds, relaxed);
        }
        delayMode.store (*mode, relaxed);
    }

    applyDelayTime (parameterValues[kDelayTime].load (relaxed));
}

float EchoEngine::getDelayTimeSeconds() const noexcept
{
    const int mode = delayMode.load (relaxed);
    if (mode == modeSync)
        return 1.0f;
    return fixedModeSeconds (parameterValues[kDelayTime].load (relaxed), fixedModeRanges[(size_t) mode]);
}

//==============================================================================
void EchoEngine::followTransport (const Transport& newTransport) noexcept
{
    transport = newTransport;
}

// No tempo means 120 bpm, no signature a quarter-note beat. A tempo or
// signature that makes no sense keeps the delay where it was.
void EchoEngine::updateSyncDelay() noexcept
{
    const double bpm = transport.bpm.value_or (fallbackBpm);
    const double denominator = transport.denominator.value_or (fallbackDenominator);
    if (! (std::isfinite (bpm) && bpm > 0.0 && std::isfinite (denominator) && denominator > 0.0))
        return;

    delayLine.setDelaySamples (tempoNoteDelaySamples (syncNoteIndex.load (relaxed), bpm, denominator,
                                                      sampleRate.load (relaxed)));
}

//==============================================================================
void EchoEngine::process (const AudioBlock& block) noexcept
{
    if (! bypassActive)
    {
        runEcho (block);
        return;
    }

    // Back from a bypass: the echo starts empty (what played before the
    // bypass does not come back), and the input fades into the echo's output.
    bypassActive = false;
    delayLine.silence();
    const int fadeLength = keepInputForFade (block);
    runEcho (block);
    fadeBetweenEchoAndInput (block, fadeLength, false);
}

void EchoEngine::processBypassed (const AudioBlock& block) noexcept
{
    passInputThrough (block);
    if (bypassActive)
        return;

    bypassActive = true;
    const int fadeLength = keepInputForFade (block);
    runEcho (headOf (block, fadeLength));
    fadeBetweenEchoAndInput (block, fadeLength, true);
}

void EchoEngine::runEcho (const AudioBlock& block) noexcept
{
    const ScopedNoDenormals noDenormals;

    if (isSynced())
        updateSyncDelay();

    // Long blocks go through the whole pipeline in consecutive chunks.
    forEachSlice (block.numSamples, maxBlockChunk, [&] (int start, int length) { processChunk (block, start, length); });

    captureScope (block);
}

void EchoEngine::processChunk (const AudioBlock& block, int start, int numSamples) noexcept
{
    // A NaN or infinity from the host would live on in the delay memory for
    // ever; it enters as silence instead.
    for (int channel = 0; channel < block.numChannels; ++channel)
    {
        float* samples = block.channel (channel) + start;
        for (int i = 0; i < numSamples; ++i)
            samples[i] = finiteOrZero (samples[i]);
    }

    if (block.numOutputs == 1)
    {
        float* mono = block.channel (0) + start;
        delayLine.processMono (mono, mono, numSamples);
    }
    else if (block.numOutputs >= 2)
    {
        const float* in0 = block.channel (0) + start;
        const float* in1 = block.numInputs >= 2 ? block.channel (1) + start : nullptr;
        balanceInput (in0, in1, numSamples);
        delayLine.processStereo (balanceBufferL.data(), balanceBufferR.data(),
                                 block.channel (0) + start, block.channel (1) + start, numSamples);
    }

    applyOutputGain (block, start, numSamples);

    for (int channel = 0; channel < block.numChannels; ++channel)
    {
        float* samples = block.channel (channel) + start;
        for (int i = 0; i < numSamples; ++i)
            samples[i] = clipToFullScale (samples[i]);
    }
}

// Splits or folds the input according to "Balance": towards one side the
// other channel is faded out of its own side and folded into this one.
namespace
{
struct BalanceGains
{
    float left, right;
};

BalanceGains balanceGainsFor (float b) noexcept
{
    const auto gains = centreUnityCrossfade (b);
    return { gains.first, gains.second };
}

template <bool smooth>
void balanceLoop (Smoother& balance, float target, const float* in0, const float* in1, float* outL, float* outR,
                  int numSamples) noexcept
{
    auto g = balanceGainsFor (balance.current);
    for (int i = 0; i < numSamples; ++i)
    {
        if constexpr (smooth)
            g = balanceGainsFor (balance.next (target));

        if (in1 == nullptr)
        {
            outL[i] = in0[i] * g.left;
            outR[i] = in0[i] * g.right;
        }
        else
        {
            outL[i] = in0[i] * g.left + (1.0f - g.right) * in1[i];
            outR[i] = (1.0f - g.left) * in0[i] + g.right * in1[i];
        }
    }
}
} // namespace

void EchoEngine::balanceInput (const float* in0, const float* in1, int numSamples) noexcept
{
    const float target = balanceTarget.load (relaxed);
    if (balance.isAtRest (target))
        balanceLoop<false> (balance, target, in0, in1, balanceBufferL.data(), balanceBufferR.data(), numSamples);
    else
        balanceLoop<true> (balance, target, in0, in1, balanceBufferL.data(), balanceBufferR.data(), numSamples);
}

// The output gain follows the smoothing law but is decided once per block:
// while it is moving, it keeps moving to the block's end without landing.
void EchoEngine::applyOutputGain (const AudioBlock& block, int start, int numSamples) noexcept
{
    const float target = gainTarget.load (relaxed);

    if (gain.isMoving (target))
    {
        for (int i = 0; i < numSamples; ++i)
        {
            const float g = gain.blend (target);
            for (int channel = 0; channel < block.numChannels; ++channel)
                block.channel (channel)[start + i] *= g;
        }
        return;
    }

    gain.landOn (target);
    for (int channel = 0; channel < block.numChannels; ++channel)
    {
        float* samples = block.channel (channel) + start;
        for (int i = 0; i < numSamples; ++i)
            samples[i] *= target;
    }
}

void EchoEngine::captureScope (const AudioBlock& block) noexcept
{
    const int count = std::min (block.numSamples, scopeLength);
    scopeNumSamples.store (count, relaxed);

    // Only a stereo output fills the right scope; a mono one leaves it as it was.
    const int channels = block.numOutputs == 2 ? 2 : std::min (block.numOutputs, 1);
    for (int channel = 0; channel < channels; ++channel)
    {
        const float* samples = block.channel (channel);
        for (int i = 0; i < count; ++i)
            scopeBuffers[(size_t) channel][(size_t) i].store (samples[i], relaxed);
    }
}

//==============================================================================
// A mono input feeding a stereo output is heard on both sides.
void EchoEngine::passInputThrough (const AudioBlock& block) const noexcept
{
    for (int channel = std::max (block.numInputs, 1); channel < block.numChannels; ++channel)
    {
        float* samples = block.channel (channel);
        if (block.numInputs == 1)
            std::copy (block.channel (0), block.channel (0) + block.numSamples, samples);
        else
            std::fill (samples, samples + block.numSamples, 0.0f);
    }
}

// Keeps the start of the block as the input the crossfade works with; returns its length.
int EchoEngine::keepInputForFade (const AudioBlock& block) noexcept
{
    const int fadeLength = std::min (block.numSamples, bypassFadeSamples);
    const int numInputs = std::max (1, block.numInputs);
    for (int channel = 0; channel < std::min (block.numChannels, 2); ++channel)
    {
        const float* input = block.channel (std::min (channel, numInputs - 1));
        std::copy (input, input + fadeLength, bypassFadeInput.begin() + channel * bypassFadeSamples);
    }
    return fadeLength;
}

// Over the first fadeLength samples, from the echo's output to the kept input
// (towardsInput) or back, on a straight line; every output stays clipped.
void EchoEngine::fadeBetweenEchoAndInput (const AudioBlock& block, int fadeLength, bool towardsInput) const noexcept
{
    for (int channel = 0; channel < std::min (block.numChannels, 2); ++channel)
    {
        float* samples = block.channel (channel);
        const float* input = bypassFadeInput.data() + channel * bypassFadeSamples;
        for (int i = 0; i < fadeLength; ++i)
        {
            const float inputShare = (float) (i + 1) / (float) (fadeLength + 1);
            const float share = towardsInput ? inputShare : 1.0f - inputShare;
            samples[i] = clipToFullScale (samples[i] + share * (finiteOrZero (input[i]) - samples[i]));
        }
    }
}
} // namespace selvane
