#pragma once

#include "Smoothing.h"

#include <atomic>
#include <memory>

// A two-channel echo: a circular delay memory read at a slowly gliding
// fractional position, a feedback loop through a one-pole high-pass and
// low-pass, a ping-pong cross-feed and a dry/wet mix. Every control has a
// target (set from any thread) and a current value that the audio thread
// moves towards it sample by sample, so nothing ever steps.
class EchoDelayLine
{
public:
    static constexpr int minDelaySamples = 10;
    static constexpr int maxDelaySamples = 480000;
    static constexpr int bufferLength = maxDelaySamples + 1;

    EchoDelayLine();

    // Targets. Safe to call from any thread while audio runs.
    void setDelaySamples (float samples) noexcept;   // clamped to 10..480000
    void setFeedback (float gain) noexcept;          // loop gain, not clamped
    void setPingPong (float amount) noexcept;        // clamped to 0..1
    void setDryWet (float position) noexcept;        // clamped to 0..1
    void setLowPassCoefficient (float c) noexcept;   // both channels
    void setHighPassCoefficient (float c) noexcept;  // both channels

    // Audio thread. Input and output must be different arrays in stereo;
    // in mono they may be the same (in-place).
    void processStereo (const float* inL, const float* inR, float* outL, float* outR, int numSamples) noexcept;
    void processMono (const float* in, float* out, int numSamples) noexcept;

    // Empties the delay memories and the loop filters, as if nothing had been
    // played yet; the delay length and the controls stay where they are.
    // Audio thread only.
    void silence() noexcept;

    // Read-outs for tests and the benchmark.
    float getTargetDelay() const noexcept { return targetDelay.load (std::memory_order_relaxed); }
    double getCurrentDelay() const noexcept { return running.currentDelay; }
    float getFeedbackTarget() const noexcept { return feedbackTarget.load (std::memory_order_relaxed); }
    float getPingPongTarget() const noexcept { return pingPongTarget.load (std::memory_order_relaxed); }
    float getDryWetTarget() const noexcept { return dryWetTarget.load (std::memory_order_relaxed); }
    float getLowPassCoefficientTarget() const noexcept { return lowPassCoeffTarget.load (std::memory_order_relaxed); }
    float getHighPassCoefficientTarget() const noexcept { return highPassCoeffTarget.load (std::memory_order_relaxed); }
    float getFeedbackCurrent() const noexcept { return running.feedback.current; }
    float getLowPassCoefficientL() const noexcept { return running.left.lowPassCoeff.current; }
    float getHighPassCoefficientL() const noexcept { return running.left.highPassCoeff.current; }

    // The targets as one block sees them.
    struct Targets
    {
        double delay;
        float feedback, pingPong, dryWet, lowPass, highPass;
    };

    // One channel's filters in the feedback loop.
    struct FilterState
    {
        float feedbackSample = 0.0f;  // last filtered delayed sample: the wet signal and the feedback
        float lowPassState = 0.0f;
        selvane::Smoother lowPassCoeff { 0.1f };
        float highPassPrevInput = 0.0f;
        float highPassState = 0.0f;
        selvane::Smoother highPassCoeff { 0.9f };
    };

    // Everything the audio thread carries from sample to sample, apart from
    // the memories. The loops work on a local copy of it, which the compiler
    // keeps in registers, and store it back at the end of the block.
    struct RunningState
    {
        double currentDelay = 10.0;
        int delayWhole = 10;        // whole samples of currentDelay
        float delayFraction = 0.0f; // and its fraction
        int writeIndex = 0;
        selvane::Smoother feedback { 0.0f };
        selvane::Smoother pingPong { 0.0f };
        selvane::Smoother dryWet { 0.5f };
        FilterState left, right;
    };

private:
    Targets loadTargets() const noexcept;
    template <bool glide, bool smooth>
    void runStereo (const float* inL, const float* inR, float* outL, float* outR, int numSamples, const Targets&) noexcept;
    template <bool glide, bool smooth>
    void runMono (const float* in, float* out, int numSamples, const Targets&) noexcept;
    template <bool glide, bool smooth>
    void runStereoTwoLane (const float* inL, const float* inR, float* outL, float* outR, int numSamples, const Targets&) noexcept;

    // Targets, written by the processor from any thread.
    std::atomic<float> targetDelay { 0.0f };
    std::atomic<float> feedbackTarget { 0.0f };
    std::atomic<float> pingPongTarget { 0.0f };
    std::atomic<float> dryWetTarget { 0.5f };
    std::atomic<float> lowPassCoeffTarget { 0.1f };
    std::atomic<float> highPassCoeffTarget { 0.9f };

    // Audio-thread state and the two delay memories.
    RunningState running;
    std::unique_ptr<float[]> memoryL, memoryR;
};
