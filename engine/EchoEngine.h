#pragma once

#include "EchoDelayLine.h"
#include "ParameterTable.h"
#include "Smoothing.h"

#include <array>
#include <atomic>
#include <optional>
#include <vector>

namespace selvane
{
// What a block's audio is: the host's channel pointers, processed in place.
// The first numInputs channels hold the input; the first numOutputs receive
// the output; any other channel is left as the pipeline leaves it.
struct AudioBlock
{
    float* const* channels;
    int numChannels;
    int numInputs;
    int numOutputs;
    int numSamples;

    float* channel (int index) const noexcept { return channels[index]; }
};

// What the host's transport says, either part possibly missing.
struct Transport
{
    std::optional<double> bpm;
    std::optional<double> denominator;
};

// The whole echo, without any framework: the nine parameters and what they
// drive, the mode and its range, tempo sync, and the per-block pipeline
// (sanitising, balance, delay line, output gain, clip, scope capture, long
// blocks in chunks, and the fades in and out of a host's bypass).
//
// Parameters may be set from any thread; process() and processBypassed()
// belong to the audio thread. What other threads read or write is a relaxed
// atomic; the audio path takes no lock and never allocates.
class EchoEngine
{
public:
    static constexpr int maxBlockChunk = 16384;      // samples processed in one pass of the pipeline
    static constexpr int scopeLength = 512;          // samples per channel kept for the oscilloscope
    static constexpr int bypassFadeSamples = 256;    // crossfade between the echo and the input at a bypass change
    static constexpr double minimumSampleRate = 1.0; // a host rate below this is refused like a non-positive one

    EchoEngine();

    //==============================================================================
    // The parameter model, by index 0..8 (ParameterTable.h). A non-finite value
    // or an unknown index is not taken at all; returns whether it was.
    bool setParameter (int index, float x) noexcept;
    float getParameter (int index) const noexcept;

    // A rate that is no finite float of at least minimumSampleRate is refused
    // (the engine keeps the one it had); returns whether it was taken.
    bool setSampleRate (double sampleRate) noexcept;
    float getSampleRate() const noexcept { return sampleRate.load (std::memory_order_relaxed); }

    bool isSynced() const noexcept { return delayMode.load (std::memory_order_relaxed) == modeSync; }

    // The delay time the editor shows: seconds within the mode's range, or
    // the placeholder 1 s in sync mode (docs/compatibility.md).
    float getDelayTimeSeconds() const noexcept;

    //==============================================================================
    // Audio thread. The transport is the one the next block follows in sync mode.
    void followTransport (const Transport& transport) noexcept;
    void process (const AudioBlock& block) noexcept;
    // A host's bypass: the input passes unchanged (a mono input is heard on
    // both sides). On the first bypassed block the echo's output fades into
    // the input; on the first block back the input fades into a silent echo.
    void processBypassed (const AudioBlock& block) noexcept;

    //==============================================================================
    // Read-outs for the processor, tests and tools.
    const EchoDelayLine& getDelayLine() const noexcept { return delayLine; }
    float getGainTarget() const noexcept { return gainTarget.load (std::memory_order_relaxed); }
    float getGainCurrent() const noexcept { return gain.current; }
    float getBalanceTarget() const noexcept { return balanceTarget.load (std::memory_order_relaxed); }

    // The mode and the range in force, and the sync note, shared with the
    // editor (which reads them) and the options of sync mode.
    std::atomic<int> delayMode { modeMedium };
    std::atomic<float> modeMinSeconds { fixedModeRanges[modeMedium].minSeconds };
    std::atomic<float> modeMaxSeconds { fixedModeRanges[modeMedium].maxSeconds };
    std::atomic<int> syncNoteIndex { 0 };

    // The start of the last block's output, for the oscilloscope.
    std::array<std::array<std::atomic<float>, scopeLength>, 2> scopeBuffers;
    std::atomic<int> scopeNumSamples { scopeLength };

private:
    void applyParameter (int index, float x) noexcept;
    void applyDelayTime (float x) noexcept;
    void applyMode (float x) noexcept;
    void updateSyncDelay() noexcept;

    void runEcho (const AudioBlock& block) noexcept;
    void processChunk (const AudioBlock& block, int start, int numSamples) noexcept;
    void balanceInput (const float* in0, const float* in1, int numSamples) noexcept;
    void applyOutputGainAndClip (const AudioBlock& block, int start, int numSamples) noexcept;
    void captureScope (const AudioBlock& block) noexcept;

    void passInputThrough (const AudioBlock& block) const noexcept;
    int keepInputForFade (const AudioBlock& block) noexcept;
    void fadeBetweenEchoAndInput (const AudioBlock& block, int fadeLength, bool towardsInput) const noexcept;

    EchoDelayLine delayLine;
    std::array<std::atomic<float>, numParameters> parameterValues;
    std::atomic<float> sampleRate { 44100.0f };
    std::atomic<float> balanceTarget { 0.5f };
    std::atomic<float> gainTarget { 1.0f };

    // Audio thread only.
    Smoother balance { 0.5f };
    Smoother gain { 1.0f };
    Transport transport;
    bool bypassActive = false;
    std::vector<float> balanceBufferL, balanceBufferR;
    std::vector<float> bypassFadeInput;  // the input of a crossfade, both channels
};
} // namespace selvane
