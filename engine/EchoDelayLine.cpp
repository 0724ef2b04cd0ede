#include "EchoDelayLine.h"

#include "Smoothing.h"

#include <algorithm>
#include <cmath>

using selvane::glideTowards;
using selvane::smoothTowards;

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

float clampTo (float value, float limit) noexcept
{
    return std::clamp (value, -limit, limit);
}

struct DryWetGains
{
    float dry, wet;
};

// Both at unity in the middle; towards either end the other side fades out.
DryWetGains dryWetGainsFor (float mix) noexcept
{
    if (mix <= 0.5f)
        return { 1.0f, 2.0f * mix };
    return { 2.0f * (1.0f - mix), 1.0f };
}

std::unique_ptr<float[]> zeroedMemory()
{
    return std::unique_ptr<float[]> (new float[EchoDelayLine::bufferLength]());
}
} // namespace

EchoDelayLine::EchoDelayLine()
{
    left.memory = zeroedMemory();
    right.memory = zeroedMemory();
}

//==============================================================================
void EchoDelayLine::setDelaySamples (float samples) noexcept
{
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

//==============================================================================
// Glides the delay length, keeps it within range and derives the read
// position: the sample written `currentDelay` samples ago, blended towards the
// next older one by the fractional part.
void EchoDelayLine::glideDelay (double target) noexcept
{
    currentDelay = std::clamp (glideTowards (currentDelay, target), (double) minDelaySamples, (double) maxDelaySamples);

    const int whole = (int) currentDelay;
    readFraction = (float) (currentDelay - whole);
    readIndex = writeIndex - whole;
    if (readIndex < 0)
        readIndex += bufferLength;
}

float EchoDelayLine::readDelayed (const float* memory, int index, float fraction) const noexcept
{
    const int older = index == 0 ? bufferLength - 1 : index - 1;
    return (1.0f - fraction) * memory[index] + fraction * memory[older];
}

// High-pass, then low-pass; the low-pass output is both the wet signal and
// what returns into the memory.
void EchoDelayLine::filterEcho (Channel& channel, float delayed, float highPassTarget, float lowPassTarget) noexcept
{
    channel.highPassCoeff = smoothTowards (channel.highPassCoeff, highPassTarget);
    channel.highPassState = channel.highPassCoeff * (channel.highPassState + delayed - channel.highPassPrevInput);
    channel.highPassPrevInput = delayed;
    channel.highPassState = flushSilence (channel.highPassState);

    channel.lowPassCoeff = smoothTowards (channel.lowPassCoeff, lowPassTarget);
    channel.lowPassState = (1.0f - channel.lowPassCoeff) * channel.highPassState + channel.lowPassCoeff * channel.lowPassState;
    channel.lowPassState = flushSilence (channel.lowPassState);

    channel.feedbackSample = channel.lowPassState;
}

//==============================================================================
void EchoDelayLine::processStereo (const float* inL, const float* inR, float* outL, float* outR, int numSamples) noexcept
{
    const double delayTarget = targetDelay.load (std::memory_order_relaxed);
    const float feedbackGoal = feedbackTarget.load (std::memory_order_relaxed);
    const float pingPongGoal = pingPongTarget.load (std::memory_order_relaxed);
    const float dryWetGoal = dryWetTarget.load (std::memory_order_relaxed);
    const float lowPassGoal = lowPassCoeffTarget.load (std::memory_order_relaxed);
    const float highPassGoal = highPassCoeffTarget.load (std::memory_order_relaxed);

    float* memoryL = left.memory.get();
    float* memoryR = right.memory.get();

    for (int i = 0; i < numSamples; ++i)
    {
        pingPongCurrent = smoothTowards (pingPongCurrent, pingPongGoal);

        if (++writeIndex == bufferLength)
            writeIndex = 0;

        feedbackCurrent = smoothTowards (feedbackCurrent, feedbackGoal);

        // The loop gain scales what enters the memory, so the first echo
        // already has the loop gain's level.
        const float a = inL[i] + left.feedbackSample;
        const float b = inR[i] + right.feedbackSample;
        const float p = pingPongCurrent;
        memoryL[writeIndex] = feedbackCurrent * clampTo (a * (1.0f - p) + b * p, memoryInputLimit);
        memoryR[writeIndex] = feedbackCurrent * clampTo (b * (1.0f - p) + a * p, memoryInputLimit);

        glideDelay (delayTarget);
        filterEcho (left, readDelayed (memoryL, readIndex, readFraction), highPassGoal, lowPassGoal);
        filterEcho (right, readDelayed (memoryR, readIndex, readFraction), highPassGoal, lowPassGoal);

        dryWetCurrent = smoothTowards (dryWetCurrent, dryWetGoal);
        const auto mix = dryWetGainsFor (dryWetCurrent);
        outL[i] = clampTo (inL[i] * mix.dry + left.feedbackSample * mix.wet, outputLimit);
        outR[i] = clampTo (inR[i] * mix.dry + right.feedbackSample * mix.wet, outputLimit);
    }
}

void EchoDelayLine::processMono (const float* in, float* out, int numSamples) noexcept
{
    const double delayTarget = targetDelay.load (std::memory_order_relaxed);
    const float feedbackGoal = feedbackTarget.load (std::memory_order_relaxed);
    const float dryWetGoal = dryWetTarget.load (std::memory_order_relaxed);
    const float lowPassGoal = lowPassCoeffTarget.load (std::memory_order_relaxed);
    const float highPassGoal = highPassCoeffTarget.load (std::memory_order_relaxed);

    float* memory = left.memory.get();

    for (int i = 0; i < numSamples; ++i)
    {
        if (++writeIndex == bufferLength)
            writeIndex = 0;

        feedbackCurrent = smoothTowards (feedbackCurrent, feedbackGoal);

        const float input = in[i];  // read before out[i] is written: in-place is safe
        memory[writeIndex] = feedbackCurrent * clampTo (input + left.feedbackSample, memoryInputLimit);

        glideDelay (delayTarget);
        filterEcho (left, readDelayed (memory, readIndex, readFraction), highPassGoal, lowPassGoal);

        dryWetCurrent = smoothTowards (dryWetCurrent, dryWetGoal);
        const auto mix = dryWetGainsFor (dryWetCurrent);
        out[i] = clampTo (left.feedbackSample * mix.wet + input * mix.dry, outputLimit);
    }
}
