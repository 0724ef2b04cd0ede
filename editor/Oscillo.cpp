#include "Oscillo.h"

#include <cmath>

const juce::Colour Oscillo::leftColour (0xff3e6484);
const juce::Colour Oscillo::rightColour (0xffe10035);

Oscillo::Oscillo (const ScopeBuffers* buffersIn, int numSamplesIn) : numSamples (numSamplesIn), buffers (buffersIn)
{
    setOpaque (false);
}

// Column x shows sample round((valid - 2) * x / width). With fewer than two
// valid samples there is nothing to show; the index never leaves the buffer.
int Oscillo::sampleIndexForColumn (int x, int width, int numValid)
{
    if (numValid < 2 || width <= 0)
        return -1;
    const float c = (float) (juce::jmin (numValid, bufferLength) - 2) * (float) x / (float) width;
    const int index = (int) (c >= 0.0f ? std::floor (c + 0.5f) : std::ceil (c - 0.5f));
    return juce::jlimit (0, bufferLength - 1, index);
}

void Oscillo::paint (juce::Graphics& g)
{
    if (buffers == nullptr)
        return;

    g.setColour (leftColour);
    drawTrace (g, (*buffers)[0]);
    g.setColour (rightColour);
    drawTrace (g, (*buffers)[1]);
}

void Oscillo::drawTrace (juce::Graphics& g, const std::array<std::atomic<float>, bufferLength>& samples) const
{
    const int w = getWidth();
    const float mid = (float) getHeight() * 0.5f;
    const int valid = numSamples;

    for (int x = 1; x < w; ++x)
    {
        const int index = sampleIndexForColumn (x, w, valid);
        if (index < 0)
            return;

        float v = samples[(size_t) index].load (std::memory_order_relaxed);
        if (x < 10)
            v = ((float) x / 10.0f) * v;
        else if (x > w - 8)
            v = (float) (w - x) * 0.125f * v;

        const float y = mid - v * mid;
        if (v > 0.0f && y < mid)
            g.fillRect (juce::Rectangle<float> ((float) x, y, 1.0f, mid - y));
        else if (v <= 0.0f && y > mid)
            g.fillRect (juce::Rectangle<float> ((float) x, mid, 1.0f, y - mid));
    }
}
