#include "EchoDelayLine.h"

#include "Crossfade.h"
#include "Smoothing.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
 #include <emmintrin.h>
#endif

using selvane::glideTowards;

namespace
{
constexpr float memoryInputLimit = 2.0f;
constexpr float outputLimit = 2.0f;

// Filter states this small are set to exactly zero: it ends echo tails at
// about -100 dB and keeps the loop out of denormal territory.
constexpr float silenceFloor = 0.00001f;

float flushSilence (float state) noexcept
{
    return std::fabs (state) < silenceFloor ? 0.0f : state;
}

// Same result as std::clamp for every finite value, written so that it
// compiles to min/max instructions rather than branches.
float clampTo (float value, float limit) noexcept
{
    return std::min (std::max (value, -limit), limit);
}

// What enters the memory: clamped to +-2. The limit comes first in the max,
// so a NaN (which nothing upstream should let through) becomes the limit
// rather than circulating in the loop for ever; finite values are clamped
// exactly as by clampTo, without a branch.
float memoryInput (float value) noexcept
{
    return std::min (std::max (-memoryInputLimit, value), memoryInputLimit);
}

struct DryWetGains
{
    float dry, wet;
};

DryWetGains dryWetGainsFor (float mix) noexcept
{
    const auto gains = selvane::centreUnityCrossfade (mix);
    return { gains.first, gains.second };
}

std::unique_ptr<float[]> zeroedMemory()
{
    return std::unique_ptr<float[]> (new float[EchoDelayLine::bufferLength]());
}

using RunningState = EchoDelayLine::RunningState;
using FilterState = EchoDelayLine::FilterState;
using Targets = EchoDelayLine::Targets;

double nextDelay (double current, double target) noexcept
{
    return std::clamp (glideTowards (current, target), (double) EchoDelayLine::minDelaySamples,
                       (double) EchoDelayLine::maxDelaySamples);
}

// Glides the delay length, keeps it within range and splits it into the
// whole samples and the fraction the read-out uses.
void glideDelay (RunningState& s, double target) noexcept
{
    s.currentDelay = nextDelay (s.currentDelay, target);
    s.delayWhole = (int) s.currentDelay;
    s.delayFraction = (float) (s.currentDelay - s.delayWhole);
}

void advanceWriteIndex (RunningState& s) noexcept
{
    if (++s.writeIndex == EchoDelayLine::bufferLength)
        s.writeIndex = 0;
}

// Where the delayed sample is read: the sample written `delayWhole` samples
// ago, and the next older one.
struct DelayTap
{
    int index, older;
};

DelayTap delayTapOf (const RunningState& s) noexcept
{
    int index = s.writeIndex - s.delayWhole;
    if (index < 0)
        index += EchoDelayLine::bufferLength;
    return { index, index == 0 ? EchoDelayLine::bufferLength - 1 : index - 1 };
}

// The sample written `currentDelay` samples ago, blended towards the next
// older one by the fractional part.
float readDelayed (const float* memory, const RunningState& s) noexcept
{
    const auto tap = delayTapOf (s);
    return (1.0f - s.delayFraction) * memory[tap.index] + s.delayFraction * memory[tap.older];
}

// High-pass, then low-pass; the low-pass output is both the wet signal and
// what returns into the memory. With `smooth` false the coefficients are at
// rest and stepping them would leave them where they are.
template <bool smooth>
void filterEcho (FilterState& f, float delayed, const Targets& goals) noexcept
{
    if constexpr (smooth)
        f.highPassCoeff.next (goals.highPass);
    f.highPassState = flushSilence (f.highPassCoeff.current * (f.highPassState + delayed - f.highPassPrevInput));
    f.highPassPrevInput = delayed;

    if constexpr (smooth)
        f.lowPassCoeff.next (goals.lowPass);
    f.lowPassState = flushSilence ((1.0f - f.lowPassCoeff.current) * f.highPassState + f.lowPassCoeff.current * f.lowPassState);

    f.feedbackSample = f.lowPassState;
}

// Most of the time every control sits at a fixed point of its smoothing law
// and the delay has settled; the block then runs a loop without the smoothing
// steps, which gives bit-identical output for a fraction of the work.
bool isDelayAtRest (const RunningState& s, const Targets& goals) noexcept
{
    return nextDelay (s.currentDelay, goals.delay) == s.currentDelay;
}

bool areFiltersAtRest (const FilterState& f, const Targets& goals) noexcept
{
    return f.highPassCoeff.isAtRest (goals.highPass) && f.lowPassCoeff.isAtRest (goals.lowPass);
}

bool areControlsAtRest (const RunningState& s, const Targets& goals, bool stereo) noexcept
{
    const bool monoAtRest = s.feedback.isAtRest (goals.feedback) && s.dryWet.isAtRest (goals.dryWet) && areFiltersAtRest (s.left, goals);
    if (! stereo)
        return monoAtRest;
    return monoAtRest && s.pingPong.isAtRest (goals.pingPong) && areFiltersAtRest (s.right, goals);
}
} // namespace

EchoDelayLine::EchoDelayLine() : memoryL (zeroedMemory()), memoryR (zeroedMemory()) {}

//==============================================================================
void EchoDelayLine::setDelaySamples (float samples) noexcept
{
    // std::clamp lets a NaN through: a delay that is no number is not taken.
    if (samples != samples)
        return;
    targetDelay.store (std::clamp (samples, (float) minDelaySamples, (float) maxDelaySamples), std::memory_order_relaxed);
}

void EchoDelayLine::setFeedback (float gain) noexcept
{
    feedbackTarget.store (gain, std::memory_order_relaxed);
}

void EchoDelayLine::setPingPong (float amount) noexcept
{
    pingPongTarget.store (std::clamp (amount, 0.0f, 1.0f), std::memory_order_relaxed);
}

void EchoDelayLine::setDryWet (float position) noexcept
{
    dryWetTarget.store (std::clamp (position, 0.0f, 1.0f), std::memory_order_relaxed);
}

void EchoDelayLine::setLowPassCoefficient (float c) noexcept
{
    lowPassCoeffTarget.store (c, std::memory_order_relaxed);
}

void EchoDelayLine::setHighPassCoefficient (float c) noexcept
{
    highPassCoeffTarget.store (c, std::memory_order_relaxed);
}

EchoDelayLine::Targets EchoDelayLine::loadTargets() const noexcept
{
    return { targetDelay.load (std::memory_order_relaxed),    feedbackTarget.load (std::memory_order_relaxed),
             pingPongTarget.load (std::memory_order_relaxed), dryWetTarget.load (std::memory_order_relaxed),
             lowPassCoeffTarget.load (std::memory_order_relaxed), highPassCoeffTarget.load (std::memory_order_relaxed) };
}

//==============================================================================
void EchoDelayLine::processStereo (const float* inL, const float* inR, float* outL, float* outR, int numSamples) noexcept
{
    const auto goals = loadTargets();  // read once per block
    const bool glide = ! isDelayAtRest (running, goals);
    const bool smooth = ! areControlsAtRest (running, goals, true);

#if defined(__SSE2__)
    // Both channels in one register.
    if (glide)
        smooth ? runStereoTwoLane<true, true> (inL, inR, outL, outR, numSamples, goals)
               : runStereoTwoLane<true, false> (inL, inR, outL, outR, numSamples, goals);
    else
        smooth ? runStereoTwoLane<false, true> (inL, inR, outL, outR, numSamples, goals)
               : runStereoTwoLane<false, false> (inL, inR, outL, outR, numSamples, goals);
    return;
#endif

    if (glide)
        smooth ? runStereo<true, true> (inL, inR, outL, outR, numSamples, goals)
               : runStereo<true, false> (inL, inR, outL, outR, numSamples, goals);
    else
        smooth ? runStereo<false, true> (inL, inR, outL, outR, numSamples, goals)
               : runStereo<false, false> (inL, inR, outL, outR, numSamples, goals);
}

#if defined(__SSE2__)
namespace
{
// Left in lane 0, right in lane 1. Each lane's arithmetic is the scalar
// loop's, operation for operation and in the same order (and min/max with the
// operands where the scalar code has them, so a NaN goes the same way): the
// output is bit for bit the scalar one.
__m128 lanes (float left, float right) noexcept { return _mm_unpacklo_ps (_mm_set_ss (left), _mm_set_ss (right)); }
__m128 lanesAt (const float* left, const float* right, int index) noexcept
{
    return _mm_unpacklo_ps (_mm_load_ss (left + index), _mm_load_ss (right + index));
}
void storeLanes (__m128 v, float* left, float* right, int index) noexcept
{
    _mm_store_ss (left + index, v);
    _mm_store_ss (right + index, _mm_shuffle_ps (v, v, _MM_SHUFFLE (1, 1, 1, 1)));
}
__m128 swapLanes (__m128 v) noexcept { return _mm_shuffle_ps (v, v, _MM_SHUFFLE (3, 2, 0, 1)); }

// flushSilence on both lanes.
__m128 flushSilenceLanes (__m128 x) noexcept
{
    const __m128 magnitude = _mm_and_ps (x, _mm_castsi128_ps (_mm_set1_epi32 (0x7fffffff)));
    return _mm_andnot_ps (_mm_cmplt_ps (magnitude, _mm_set1_ps (silenceFloor)), x);
}

// memoryInput: max (-limit, value) as std::max has it, then min with the limit.
__m128 memoryInputLanes (__m128 value) noexcept
{
    return _mm_min_ps (_mm_set1_ps (memoryInputLimit), _mm_max_ps (value, _mm_set1_ps (-memoryInputLimit)));
}

// clampTo: std::max (value, -limit), then std::min (that, limit).
__m128 clampLanes (__m128 value, float limit) noexcept
{
    return _mm_min_ps (_mm_set1_ps (limit), _mm_max_ps (_mm_set1_ps (-limit), value));
}

// smoothTowards on both lanes: the gap in single precision, compared and
// blended in double, stored back as a float, landing where the gap is small.
__m128 smoothLanesTowards (__m128 current, __m128 target) noexcept
{
    const __m128d gap = _mm_cvtps_pd (_mm_sub_ps (current, target));
    const __m128d magnitude = _mm_andnot_pd (_mm_set1_pd (-0.0), gap);
    const __m128d moving = _mm_cmpgt_pd (magnitude, _mm_set1_pd (selvane::smoothingThreshold));
    const __m128d blend = _mm_add_pd (_mm_mul_pd (_mm_set1_pd (selvane::smoothingKeep), _mm_cvtps_pd (current)),
                                      _mm_mul_pd (_mm_set1_pd (selvane::smoothingTake), _mm_cvtps_pd (target)));
    // The two 64-bit lane masks as two 32-bit ones.
    const __m128 movingLanes = _mm_shuffle_ps (_mm_castpd_ps (moving), _mm_castpd_ps (moving), _MM_SHUFFLE (2, 2, 2, 0));
    return _mm_or_ps (_mm_and_ps (movingLanes, _mm_cvtpd_ps (blend)), _mm_andnot_ps (movingLanes, target));
}

struct FilterLanes
{
    __m128 feedbackSample, lowPassState, lowPassCoeff, highPassPrevInput, highPassState, highPassCoeff;
};

FilterLanes filterLanesOf (const RunningState& s) noexcept
{
    return { lanes (s.left.feedbackSample, s.right.feedbackSample),       lanes (s.left.lowPassState, s.right.lowPassState),
             lanes (s.left.lowPassCoeff.current, s.right.lowPassCoeff.current),
             lanes (s.left.highPassPrevInput, s.right.highPassPrevInput), lanes (s.left.highPassState, s.right.highPassState),
             lanes (s.left.highPassCoeff.current, s.right.highPassCoeff.current) };
}

void storeFilterLanes (const FilterLanes& f, RunningState& s) noexcept
{
    const auto store = [] (__m128 v, float& left, float& right) {
        left = _mm_cvtss_f32 (v);
        right = _mm_cvtss_f32 (_mm_shuffle_ps (v, v, _MM_SHUFFLE (1, 1, 1, 1)));
    };
    store (f.feedbackSample, s.left.feedbackSample, s.right.feedbackSample);
    store (f.lowPassState, s.left.lowPassState, s.right.lowPassState);
    store (f.highPassPrevInput, s.left.highPassPrevInput, s.right.highPassPrevInput);
    store (f.highPassState, s.left.highPassState, s.right.highPassState);
    store (f.lowPassCoeff, s.left.lowPassCoeff.current, s.right.lowPassCoeff.current);
    store (f.highPassCoeff, s.left.highPassCoeff.current, s.right.highPassCoeff.current);
}
} // namespace

// runStereo<glide, smooth> with the two channels in one register.
template <bool glide, bool smooth>
void EchoDelayLine::runStereoTwoLane (const float* inL, const float* inR, float* outL, float* outR, int numSamples,
                                      const Targets& goals) noexcept
{
    auto s = running;
    float* const bufferL = memoryL.get();
    float* const bufferR = memoryR.get();
    auto mix = dryWetGainsFor (s.dryWet.current);
    __m128 dry = _mm_set1_ps (mix.dry), wet = _mm_set1_ps (mix.wet);
    __m128 keep = _mm_set1_ps (1.0f - s.pingPong.current), cross = _mm_set1_ps (s.pingPong.current);
    __m128 loopGain = _mm_set1_ps (s.feedback.current);
    const __m128 one = _mm_set1_ps (1.0f);
    const __m128 highPassGoal = _mm_set1_ps (goals.highPass), lowPassGoal = _mm_set1_ps (goals.lowPass);
    auto f = filterLanesOf (s);
    __m128 lowPassTake = _mm_sub_ps (one, f.lowPassCoeff);

    for (int i = 0; i < numSamples; ++i)
    {
        if constexpr (smooth)
        {
            s.pingPong.next (goals.pingPong);
            keep = _mm_set1_ps (1.0f - s.pingPong.current);
            cross = _mm_set1_ps (s.pingPong.current);
        }

        advanceWriteIndex (s);

        if constexpr (smooth)
            loopGain = _mm_set1_ps (s.feedback.next (goals.feedback));

        const __m128 in = lanesAt (inL, inR, i);
        const __m128 ab = _mm_add_ps (in, f.feedbackSample);
        const __m128 mixed = _mm_add_ps (_mm_mul_ps (ab, keep), _mm_mul_ps (swapLanes (ab), cross));
        storeLanes (_mm_mul_ps (loopGain, memoryInputLanes (mixed)), bufferL, bufferR, s.writeIndex);

        if constexpr (glide)
            glideDelay (s, goals.delay);

        const auto tap = delayTapOf (s);
        const __m128 fraction = _mm_set1_ps (s.delayFraction);
        const __m128 delayed = _mm_add_ps (_mm_mul_ps (_mm_sub_ps (one, fraction), lanesAt (bufferL, bufferR, tap.index)),
                                           _mm_mul_ps (fraction, lanesAt (bufferL, bufferR, tap.older)));

        if constexpr (smooth)
            f.highPassCoeff = smoothLanesTowards (f.highPassCoeff, highPassGoal);
        f.highPassState = flushSilenceLanes (
            _mm_mul_ps (f.highPassCoeff, _mm_sub_ps (_mm_add_ps (f.highPassState, delayed), f.highPassPrevInput)));
        f.highPassPrevInput = delayed;
        if constexpr (smooth)
        {
            f.lowPassCoeff = smoothLanesTowards (f.lowPassCoeff, lowPassGoal);
            lowPassTake = _mm_sub_ps (one, f.lowPassCoeff);
        }
        f.lowPassState = flushSilenceLanes (_mm_add_ps (_mm_mul_ps (lowPassTake, f.highPassState), _mm_mul_ps (f.lowPassCoeff, f.lowPassState)));
        f.feedbackSample = f.lowPassState;

        if constexpr (smooth)
        {
            mix = dryWetGainsFor (s.dryWet.next (goals.dryWet));
            dry = _mm_set1_ps (mix.dry);
            wet = _mm_set1_ps (mix.wet);
        }

        storeLanes (clampLanes (_mm_add_ps (_mm_mul_ps (in, dry), _mm_mul_ps (f.feedbackSample, wet)), outputLimit), outL, outR, i);
    }

    storeFilterLanes (f, s);
    running = s;
}
#endif

template <bool glide, bool smooth>
void EchoDelayLine::runStereo (const float* inL, const float* inR, float* outL, float* outR, int numSamples,
                               const Targets& goals) noexcept
{
    auto s = running;
    float* const bufferL = memoryL.get();
    float* const bufferR = memoryR.get();
    auto mix = dryWetGainsFor (s.dryWet.current);

    for (int i = 0; i < numSamples; ++i)
    {
        if constexpr (smooth)
            s.pingPong.next (goals.pingPong);

        advanceWriteIndex (s);

        if constexpr (smooth)
            s.feedback.next (goals.feedback);

        // The loop gain scales what enters the memory, so the first echo
        // already has the loop gain's level.
        const float a = inL[i] + s.left.feedbackSample;
        const float b = inR[i] + s.right.feedbackSample;
        const float p = s.pingPong.current;
        bufferL[s.writeIndex] = s.feedback.current * memoryInput (a * (1.0f - p) + b * p);
        bufferR[s.writeIndex] = s.feedback.current * memoryInput (b * (1.0f - p) + a * p);

        if constexpr (glide)
            glideDelay (s, goals.delay);
        filterEcho<smooth> (s.left, readDelayed (bufferL, s), goals);
        filterEcho<smooth> (s.right, readDelayed (bufferR, s), goals);

        if constexpr (smooth)
        {
            s.dryWet.next (goals.dryWet);
            mix = dryWetGainsFor (s.dryWet.current);
        }
        outL[i] = clampTo (inL[i] * mix.dry + s.left.feedbackSample * mix.wet, outputLimit);
        outR[i] = clampTo (inR[i] * mix.dry + s.right.feedbackSample * mix.wet, outputLimit);
    }

    running = s;
}

void EchoDelayLine::silence() noexcept
{
    std::fill (memoryL.get(), memoryL.get() + bufferLength, 0.0f);
    std::fill (memoryR.get(), memoryR.get() + bufferLength, 0.0f);
    for (auto* f : { &running.left, &running.right })
    {
        f->feedbackSample = 0.0f;
        f->lowPassState = 0.0f;
        f->highPassPrevInput = 0.0f;
        f->highPassState = 0.0f;
    }
}

void EchoDelayLine::processMono (const float* in, float* out, int numSamples) noexcept
{
    const auto goals = loadTargets();
    const bool glide = ! isDelayAtRest (running, goals);
    const bool smooth = ! areControlsAtRest (running, goals, false);

    if (glide)
        smooth ? runMono<true, true> (in, out, numSamples, goals) : runMono<true, false> (in, out, numSamples, goals);
    else
        smooth ? runMono<false, true> (in, out, numSamples, goals) : runMono<false, false> (in, out, numSamples, goals);
}

// The mono path uses only the left memory and filters; the right side and the
// cross-feed are left as they were.
template <bool glide, bool smooth>
void EchoDelayLine::runMono (const float* in, float* out, int numSamples, const Targets& goals) noexcept
{
    auto s = running;
    float* const buffer = memoryL.get();
    auto mix = dryWetGainsFor (s.dryWet.current);

    for (int i = 0; i < numSamples; ++i)
    {
        advanceWriteIndex (s);

        if constexpr (smooth)
            s.feedback.next (goals.feedback);

        const float input = in[i];  // read before out[i] is written: in-place is safe
        buffer[s.writeIndex] = s.feedback.current * memoryInput (input + s.left.feedbackSample);

        if constexpr (glide)
            glideDelay (s, goals.delay);
        filterEcho<smooth> (s.left, readDelayed (buffer, s), goals);

        if constexpr (smooth)
        {
            s.dryWet.next (goals.dryWet);
            mix = dryWetGainsFor (s.dryWet.current);
        }
        out[i] = clampTo (s.left.feedbackSample * mix.wet + input * mix.dry, outputLimit);
    }

    running = s;
}
