#include "FuzzTargets.h"

#include "engine/SavedState.h"
#include "tests/processor/ProcessorTestHelpers.h"
#include "engine/VelmorAudioProcessor.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace selvane;

namespace selvane::fuzz
{
namespace
{
[[noreturn]] void fail (const char* what, double detail = 0.0)
{
    std::fprintf (stderr, "fuzz invariant broken: %s (%g)\n", what, detail);
    std::abort();
}

// Reads the input front to back; past its end every read answers 0.
class Input
{
public:
    Input (const std::uint8_t* d, std::size_t n) : data (d), size (n) {}

    bool empty() const noexcept { return position >= size; }
    std::uint8_t byte() noexcept { return position < size ? data[position++] : 0; }
    std::uint16_t u16() noexcept { return (std::uint16_t) (byte() | (byte() << 8)); }
    std::uint32_t u32() noexcept { return (std::uint32_t) u16() | ((std::uint32_t) u16() << 16); }

    // Any bit pattern: NaNs, infinities, subnormals and huge values included.
    float anyFloat() noexcept
    {
        const auto bits = u32();
        float f;
        std::memcpy (&f, &bits, sizeof f);
        return f;
    }

    const std::uint8_t* rest (std::size_t& n) noexcept
    {
        n = size - std::min (position, size);
        const auto* p = data + std::min (position, size);
        position = size;
        return p;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

struct Layout { int ins, outs; };
constexpr Layout layouts[] = { { 2, 2 }, { 1, 2 }, { 1, 1 } };

void setLayout (VelmorAudioProcessor& p, Layout layout)
{
    if (! p.setBusesLayout (testing_support::busesLayout (layout.ins, layout.outs)))
        fail ("a supported layout was refused", layout.ins * 10 + layout.outs);
}

// What every output block must be, whatever came in: finite, within full
// scale, and free of subnormals.
void checkOutput (const juce::AudioBuffer<float>& buffer, int numOutputs, int numSamples)
{
    for (int c = 0; c < numOutputs; ++c)
        for (int i = 0; i < numSamples; ++i)
        {
            const float x = buffer.getSample (c, i);
            if (! std::isfinite (x))
                fail ("non-finite output sample", x);
            if (std::abs (x) > 1.0f)
                fail ("output beyond full scale", x);
            if (x != 0.0f && std::abs (x) < FLT_MIN)
                fail ("subnormal output sample", x);
        }
}

void checkParameters (VelmorAudioProcessor& p)
{
    for (int i = 0; i < numParameters; ++i)
        if (! std::isfinite (p.getParameter (i)))
            fail ("non-finite parameter value", i);
}

// A signal up to 4× full scale, so clipping and the loop gain are exercised.
void fillInput (juce::AudioBuffer<float>& buffer, int numSamples, float amplitude, int& phase)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < numSamples; ++i)
            buffer.setSample (c, i, amplitude * std::sin (0.031f * (float) (phase + i) + (float) c));
    phase += numSamples;
}

using testing_support::stateOf;

void checkSameState (const juce::MemoryBlock& expected, const juce::MemoryBlock& actual, const char* what)
{
    if (actual == expected)
        return;
    auto documentIn = [] (const juce::MemoryBlock& b) { return juce::String::fromUTF8 ((const char*) b.getData() + 8, (int) b.getSize() - 9); };
    std::fprintf (stderr, "expected: %s\nactual:   %s\n", documentIn (expected).toRawUTF8(), documentIn (actual).toRawUTF8());
    fail (what, (double) expected.getSize());
}

// A saved state read back by a fresh instance saves the same bytes again.
void checkStateRoundTrip (VelmorAudioProcessor& p)
{
    const auto saved = stateOf (p);
    VelmorAudioProcessor other;
    other.setStateInformation (saved.getData(), (int) saved.getSize());
    checkSameState (saved, stateOf (other), "a saved state read back into a fresh instance saves different bytes");
}

void runBlock (VelmorAudioProcessor& p, Layout layout, int numSamples, juce::MidiBuffer& midi, float amplitude, int& phase)
{
    juce::AudioBuffer<float> buffer (std::max (layout.ins, layout.outs), numSamples);
    buffer.clear();
    fillInput (buffer, numSamples, amplitude, phase);
    for (int c = layout.ins; c < buffer.getNumChannels(); ++c)
        buffer.clear (c, 0, numSamples);
    p.processBlock (buffer, midi);
    checkOutput (buffer, layout.outs, numSamples);
    checkParameters (p);
}
} // namespace

//==============================================================================
void feedSavedState (const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > (1u << 20))
        return;

    VelmorAudioProcessor p;
    p.prepareToPlay (44100.0, 512);

    if ((data[0] & 1) != 0)
    {
        const auto block = wrapStateDocument (juce::String::fromUTF8 ((const char*) data + 1, (int) size - 1));
        p.setStateInformation (block.getData(), (int) block.getSize());
    }
    else
    {
        p.setStateInformation (data + 1, (int) size - 1);
    }

    checkParameters (p);
    checkStateRoundTrip (p);

    // Whatever was restored, the audio stays sound.
    juce::MidiBuffer midi;
    int phase = 0;
    for (int i = 0; i < 3; ++i)
        runBlock (p, layouts[0], 1024, midi, 2.0f, phase);
}

void feedMidi (const std::uint8_t* data, std::size_t size)
{
    Input in (data, size);
    VelmorAudioProcessor p;
    const auto layout = layouts[in.byte() % 3];
    setLayout (p, layout);
    p.prepareToPlay (48000.0, 2048);

    p.idxMidiChannel = (std::int8_t) in.byte();
    for (auto& entry : p.midiMap)
        entry = (std::int8_t) in.byte();
    const auto learning = in.byte();
    p.midiLearnActive = (learning & 1) != 0;
    p.midiLearnTarget = (int) (learning >> 1) % 13 - 2;   // -2 … 10: both sides of the nine parameters

    int phase = 0;
    for (int blocks = 0; blocks < 16 && ! in.empty(); ++blocks)
    {
        const int numSamples = in.byte() * 8;
        const int numEvents = in.byte() % 64;
        juce::MidiBuffer midi;
        for (int e = 0; e < numEvents && ! in.empty(); ++e)
        {
            // Positions beyond the block and messages of any status, as a careless host may send.
            const int position = in.byte() * 16;
            std::uint8_t bytes[3] = { in.byte(), in.byte(), in.byte() };
            if ((bytes[0] & 0x80) == 0)
                bytes[0] = (std::uint8_t) (0xb0 | (bytes[0] & 0x0f));   // mostly controllers
            if (bytes[0] == 0xf0 || bytes[0] == 0xf7)
                continue;                                                 // sysex needs framing of its own
            midi.addEvent (bytes, 3, position);
        }
        runBlock (p, layout, numSamples, midi, 1.5f, phase);
    }
    checkStateRoundTrip (p);
}

void feedParameterCalls (const std::uint8_t* data, std::size_t size)
{
    Input in (data, size);
    VelmorAudioProcessor p;
    testing_support::ScriptedPlayHead playHead;   // every answer comes from the input
    playHead.hasPosition = false;
    p.setPlayHead (&playHead);
    p.prepareToPlay (44100.0, 512);

    Layout layout = layouts[0];
    int phase = 0;
    int samplesLeft = 200000;   // keeps one input quick to run

    for (int calls = 0; calls < 96 && ! in.empty(); ++calls)
    {
        const int parameter = (int) (in.byte() % 13) - 2;   // -2 … 10
        switch (in.byte() % 12)
        {
            case 0: p.setParameter (parameter, in.anyFloat()); break;
            case 1: p.setParameter (parameter, (float) in.byte() / 200.0f); break;
            case 2:
            {
                const float value = p.getParameter (parameter);
                if (! std::isfinite (value))
                    fail ("getParameter answered a non-finite value", parameter);
                (void) p.getParameterText (parameter);
                (void) p.getParameterName (parameter);
                (void) p.getParameterDefaultValue (parameter);
                break;
            }
            case 3:
            {
                const int numSamples = std::min ((int) (in.u16() % 20000), samplesLeft);
                samplesLeft -= numSamples;
                juce::MidiBuffer midi;
                runBlock (p, layout, numSamples, midi, 1.0f, phase);
                break;
            }
            case 4:
            {
                constexpr double rates[] = { 8000, 22050, 44100, 48000, 96000, 192000, 384000 };
                const auto choice = in.byte();
                const double rate = choice < 7 * 32 ? rates[choice % 7] : (double) in.anyFloat();
                p.prepareToPlay (rate, in.u16());
                break;
            }
            case 5: p.releaseResources(); break;
            case 6:
            {
                const auto saved = stateOf (p);
                p.setStateInformation (saved.getData(), (int) saved.getSize());
                checkSameState (saved, stateOf (p), "restoring the instance's own state changed it");
                break;
            }
            case 7:
                p.setCurrentProgram (parameter);
                (void) p.getProgramName (parameter);
                p.changeProgramName (parameter, "x");
                break;
            case 8:
                layout = layouts[in.byte() % 3];
                setLayout (p, layout);
                p.prepareToPlay (p.getCurrentSampleRate(), 512);
                break;
            case 9:
                p.beginParameterChangeGesture (parameter);
                p.setParameterNotifyingHost (parameter, in.anyFloat());
                p.endParameterChangeGesture (parameter);
                break;
            case 10:
            {
                const auto what = in.byte();
                playHead.hasPosition = (what & 1) != 0;
                playHead.bpm.reset();
                playHead.signature.reset();
                if ((what & 2) != 0)
                    playHead.bpm = (what & 8) != 0 ? (double) in.anyFloat() : (double) in.byte();
                if ((what & 4) != 0)
                    playHead.signature = juce::AudioPlayHead::TimeSignature { (std::int8_t) in.byte(), (std::int8_t) in.byte() };
                break;
            }
            case 11:
                p.midiLearnActive = (in.byte() & 1) != 0;
                p.midiLearnTarget = parameter;
                if ((parameter & 1) != 0)
                    p.unlearnAll();
                break;
            default: break;
        }
    }
    checkParameters (p);
    checkStateRoundTrip (p);
}
} // namespace selvane::fuzz
