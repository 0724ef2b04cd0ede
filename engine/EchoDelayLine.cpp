#include "EchoDelayLine.h"

#include "Crossfade.h"
#include "Smoothing.h"

#include <algorithm>
#include <cmath>

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

// The sample written `currentDelay` samples ago, blended towards the next
// older one by the fractional part.
float readDelayed (const float* memory, const RunningState& s) noexcept
{
    int index = s.writeIndex - s.delayWhole;
    if (index < 0)
        index += EchoDelayLine::bufferLength;
    const int older = index == 0 ? EchoDelayLine::bufferLength - 1 : index - 1;
    return (1.0f - s.delayFraction) * memory[index] + s.delayFraction * memory[older];
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

    if (glide)
        smooth ? runStereo<true, true> (inL, inR, outL, outR, numSamples, goals)
               : runStereo<true, false> (inL, inR, outL, outR, numSamples, goals);
    else
        smooth ? runStereo<false, true> (inL, inR, outL, outR, numSamples, goals)
               : runStereo<false, false> (inL, inR, outL, outR, numSamples, goals);
}

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
