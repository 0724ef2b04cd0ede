#include "EchoEngine.h"

#include "BlockSlices.h"
#include "Crossfade.h"
#include "NoDenormals.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#if defined(__SSE2__)
 #include <emmintrin.h>
#endif

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

// Four samples at a time where SSE2 is there: the same selections and
// min/max (with the scalar code's operand order) as one sample at a time, so
// the results are the same bits.
#if defined(__SSE2__)
__m128 clipLanesToFullScale (__m128 x) noexcept
{
    const __m128 number = _mm_and_ps (x, _mm_cmpeq_ps (x, x));
    return _mm_min_ps (_mm_set1_ps (1.0f), _mm_max_ps (_mm_set1_ps (-1.0f), number));
}

// finiteOrZero on four samples.
__m128 finiteLanesOrZero (__m128 x) noexcept
{
    const __m128 magnitude = _mm_and_ps (x, _mm_castsi128_ps (_mm_set1_epi32 (0x7fffffff)));
    return _mm_and_ps (x, _mm_cmple_ps (magnitude, _mm_set1_ps (FLT_MAX)));
}
#endif

void clipToFullScale (float* samples, int numSamples) noexcept
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= numSamples; i += 4)
        _mm_storeu_ps (samples + i, clipLanesToFullScale (_mm_loadu_ps (samples + i)));
#endif
    for (; i < numSamples; ++i)
        samples[i] = clipToFullScale (samples[i]);
}

void scrubNonFinite (float* samples, int numSamples) noexcept
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= numSamples; i += 4)
        _mm_storeu_ps (samples + i, finiteLanesOrZero (_mm_loadu_ps (samples + i)));
#endif
    for (; i < numSamples; ++i)
        samples[i] = finiteOrZero (samples[i]);
}

// The output gain at rest and the clip, in one pass.
void scaleAndClip (float* samples, int numSamples, float gain) noexcept
{
    int i = 0;
#if defined(__SSE2__)
    const __m128 g = _mm_set1_ps (gain);
    for (; i + 4 <= numSamples; i += 4)
        _mm_storeu_ps (samples + i, clipLanesToFullScale (_mm_mul_ps (_mm_loadu_ps (samples + i), g)));
#endif
    for (; i < numSamples; ++i)
        samples[i] = clipToFullScale (samples[i] * gain);
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
    // ever; it enters as silence instead. With a stereo output the balance
    // cleans what it reads, and the echo overwrites both channels.
    for (int channel = block.numOutputs >= 2 ? 2 : 0; channel < block.numChannels; ++channel)
        scrubNonFinite (block.channel (channel) + start, numSamples);

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

    applyOutputGainAndClip (block, start, numSamples);
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

// The input is cleaned of non-finite samples as it is read.
template <bool smooth>
void balanceLoop (Smoother& balance, float target, const float* in0, const float* in1, float* outL, float* outR,
                  int numSamples) noexcept
{
    auto g = balanceGainsFor (balance.current);
    int i = 0;
#if defined(__SSE2__)
    if constexpr (! smooth)
    {
        const __m128 left = _mm_set1_ps (g.left), right = _mm_set1_ps (g.right);
        const __m128 leftOut = _mm_set1_ps (1.0f - g.left), rightOut = _mm_set1_ps (1.0f - g.right);
        for (; i + 4 <= numSamples; i += 4)
        {
            const __m128 a = finiteLanesOrZero (_mm_loadu_ps (in0 + i));
            if (in1 == nullptr)
            {
                _mm_storeu_ps (outL + i, _mm_mul_ps (a, left));
                _mm_storeu_ps (outR + i, _mm_mul_ps (a, right));
            }
            else
            {
                const __m128 b = finiteLanesOrZero (_mm_loadu_ps (in1 + i));
                _mm_storeu_ps (outL + i, _mm_add_ps (_mm_mul_ps (a, left), _mm_mul_ps (rightOut, b)));
                _mm_storeu_ps (outR + i, _mm_add_ps (_mm_mul_ps (leftOut, a), _mm_mul_ps (right, b)));
            }
        }
    }
#endif
    for (; i < numSamples; ++i)
    {
        if constexpr (smooth)
            g = balanceGainsFor (balance.next (target));

        const float a = finiteOrZero (in0[i]);
        if (in1 == nullptr)
        {
            outL[i] = a * g.left;
            outR[i] = a * g.right;
        }
        else
        {
            const float b = finiteOrZero (in1[i]);
            outL[i] = a * g.left + (1.0f - g.right) * b;
            outR[i] = (1.0f - g.left) * a + g.right * b;
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
// Then every sample is clipped to full scale.
void EchoEngine::applyOutputGainAndClip (const AudioBlock& block, int start, int numSamples) noexcept
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
        for (int channel = 0; channel < block.numChannels; ++channel)
            clipToFullScale (block.channel (channel) + start, numSamples);
        return;
    }

    gain.landOn (target);
    for (int channel = 0; channel < block.numChannels; ++channel)
        scaleAndClip (block.channel (channel) + start, numSamples, target);
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
        auto& scope = scopeBuffers[(size_t) channel];
        int i = 0;
        for (; i + 4 <= count; i += 4)  // four stores a turn: the loop's own cost shared out
        {
            scope[(size_t) i].store (samples[i], relaxed);
            scope[(size_t) i + 1].store (samples[i + 1], relaxed);
            scope[(size_t) i + 2].store (samples[i + 2], relaxed);
            scope[(size_t) i + 3].store (samples[i + 3], relaxed);
        }
        for (; i < count; ++i)
            scope[(size_t) i].store (samples[i], relaxed);
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
