#include "DemoPhrase.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
struct Note
{
    double startSeconds, frequency, pan;  // pan: 0 left, 1 right
};

// A plucked string (Karplus-Strong): a burst of noise circulating in a short,
// slightly damped loop. The noise is seeded, so the phrase is always the same.
void addPluck (juce::AudioBuffer<float>& out, double sampleRate, const Note& note)
{
    const int start = (int) (note.startSeconds * sampleRate);
    const int period = juce::jmax (2, (int) std::lround (sampleRate / note.frequency));
    const int length = juce::jmin (out.getNumSamples() - start, (int) (0.7 * sampleRate));
    if (length <= 0)
        return;

    std::vector<float> loop ((size_t) period);
    uint32_t seed = 0x5e1a7e ^ (uint32_t) period;
    for (auto& s : loop)
    {
        seed = seed * 1664525u + 1013904223u;
        s = (float) ((seed >> 8) & 0xffff) / 32768.0f - 1.0f;
    }

    const float left = (float) std::cos (note.pan * juce::MathConstants<double>::halfPi);
    const float right = (float) std::sin (note.pan * juce::MathConstants<double>::halfPi);
    for (int i = 0; i < length; ++i)
    {
        const size_t k = (size_t) (i % period);
        const float sample = loop[k];
        loop[k] = 0.996f * 0.5f * (sample + loop[(k + 1) % (size_t) period]);
        const float envelope = 0.45f * std::exp (-3.0f * (float) i / (float) length);
        out.addSample (0, start + i, sample * envelope * left);
        out.addSample (1, start + i, sample * envelope * right);
    }
}

void addClick (juce::AudioBuffer<float>& out, double sampleRate, double atSeconds)
{
    const int start = (int) (atSeconds * sampleRate);
    const int length = juce::jmax (1, (int) (0.002 * sampleRate));
    for (int i = 0; i < length && start + i < out.getNumSamples(); ++i)
    {
        const float sample = 0.8f * (1.0f - (float) i / (float) length);
        out.addSample (0, start + i, sample);
        out.addSample (1, start + i, sample);
    }
}
} // namespace

juce::AudioBuffer<float> makeDemoPhrase (double sampleRate)
{
    juce::AudioBuffer<float> phrase (2, (int) (1.8 * sampleRate));
    phrase.clear();

    const Note notes[] = { { 0.00, 220.00, 0.2 }, { 0.20, 261.63, 0.8 }, { 0.40, 329.63, 0.3 },
                           { 0.70, 392.00, 0.7 }, { 0.85, 329.63, 0.5 } };
    for (const auto& note : notes)
        addPluck (phrase, sampleRate, note);

    addClick (phrase, sampleRate, 1.35);
    addClick (phrase, sampleRate, 1.55);
    return phrase;
}
