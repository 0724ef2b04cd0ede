// selvane-render: runs a WAV file (or a built-in demo phrase) through the
// real Selvane processor, block by block, exactly as a host would.

#include "DemoPhrase.h"
#include "RenderOptions.h"

#include "FactoryPresets.h"
#include "engine/ParameterUnits.h"
#include "engine/SavedState.h"
#include "engine/VelmorAudioProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace
{
constexpr double silenceThresholdDb = -90.0;
constexpr double maximumAutomaticTailSeconds = 30.0;

struct RenderError
{
    std::string message;
};

// The transport a host would give: playing from the start at a fixed tempo.
class FixedTempoPlayHead : public juce::AudioPlayHead
{
public:
    FixedTempoPlayHead (double bpmIn, int numerator, int denominator) : bpm (bpmIn), signature { numerator, denominator } {}

    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (bpm);
        info.setTimeSignature (signature);
        info.setTimeInSamples (samplePosition);
        info.setIsPlaying (true);
        return info;
    }

    void advance (int numSamples) { samplePosition += numSamples; }

private:
    double bpm;
    TimeSignature signature;
    juce::int64 samplePosition = 0;
};

// Writes a file beside its destination and moves it into place only when it
// is complete, so a failed render never leaves half a file behind.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter (const juce::File& destinationIn) : destination (destinationIn), temporary (destinationIn) {}

    const juce::File& file() const { return temporary.getFile(); }

    void commit()
    {
        if (! temporary.overwriteTargetFileWithTemporary())
            throw RenderError { "cannot write " + destination.getFullPathName().toStdString() };
    }

private:
    juce::File destination;
    juce::TemporaryFile temporary;
};

juce::File fileFromArgument (const std::string& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (path));
}

bool isSameFile (const std::string& a, const std::string& b)
{
    std::error_code error;
    if (std::filesystem::exists (b, error) && std::filesystem::equivalent (a, b, error))
        return true;
    return std::filesystem::weakly_canonical (a, error) == std::filesystem::weakly_canonical (b, error);
}

juce::AudioBuffer<float> readInput (const std::string& path, double& sampleRate)
{
    const auto file = fileFromArgument (path);
    if (! file.existsAsFile())
        throw RenderError { "no such file: " + path };

    auto stream = file.createInputStream();
    if (stream == nullptr)
        throw RenderError { "cannot read " + path };

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (stream.release(), true));
    if (reader == nullptr)
        throw RenderError { path + " is not a WAV file this tool can read (16/24/32-bit PCM or 32-bit float)" };
    if (reader->numChannels < 1 || reader->sampleRate <= 0.0)
        throw RenderError { path + " has no audio channels or no sample rate" };
    if (reader->lengthInSamples > (juce::int64) std::numeric_limits<int>::max() / 2)
        throw RenderError { path + " is too long" };

    sampleRate = reader->sampleRate;
    juce::AudioBuffer<float> audio ((int) juce::jmin (reader->numChannels, 2u), (int) reader->lengthInSamples);
    if (! reader->read (&audio, 0, audio.getNumSamples(), 0, true, audio.getNumChannels() > 1))
        throw RenderError { "cannot read the audio of " + path };
    return audio;
}

juce::MemoryBlock readStateFile (const std::string& path)
{
    juce::MemoryBlock data;
    const auto file = fileFromArgument (path);
    if (! file.existsAsFile() || ! file.loadFileAsData (data))
        throw RenderError { "cannot read state file " + path };

    // A host's binary block starts with the wrapper's magic number; anything
    // else must be the bare XML document, which gets the same wrapper.
    if (data.getSize() >= 4 && juce::ByteOrder::littleEndianInt (data.getData()) == selvane::stateMagic)
        return data;

    const auto text = data.toString();
    if (juce::parseXML (text) == nullptr)
        throw RenderError { path + " is neither a saved Selvane state nor an XML document" };
    return selvane::wrapStateDocument (text);
}

// A factory preset by name or file name (any case), or a preset file: its
// document without the leading comment that names and describes it.
juce::MemoryBlock presetState (const std::string& nameOrPath)
{
    for (const auto& preset : selvane::factoryPresets)
        if (juce::String (preset.name).equalsIgnoreCase (juce::String (nameOrPath)) || juce::String (preset.symbol).equalsIgnoreCase (juce::String (nameOrPath)))
            return selvane::wrapStateDocument (preset.document);

    const auto file = fileFromArgument (nameOrPath);
    if (! file.existsAsFile())
        throw RenderError { "no factory preset or preset file '" + nameOrPath + "' (see --list-presets)" };
    auto text = file.loadFileAsString().trim();
    while (text.startsWith ("<!--"))
        text = text.fromFirstOccurrenceOf ("-->", false, false).trim();
    if (juce::parseXML (text) == nullptr)
        throw RenderError { nameOrPath + " is not a preset (a state document)" };
    return selvane::wrapStateDocument (text);
}

// Each --set in order; a delay time in seconds is read in the mode in force then.
void applySettings (VelmorAudioProcessor& processor, const std::vector<std::pair<int, std::string>>& settings)
{
    for (const auto& [index, text] : settings)
    {
        const auto value = selvane::parseParameterValue (index, text, processor.delayMode.load());
        if (! value.error.empty())
            throw RenderError { value.error };
        if (value.modeFirst)
            processor.setParameter (selvane::kMode, *value.modeFirst);
        processor.setParameter (index, value.normalised);
    }
}

void writeStateFile (VelmorAudioProcessor& processor, const std::string& path)
{
    juce::MemoryBlock state;
    processor.getStateInformation (state);
    AtomicFileWriter writer (fileFromArgument (path));
    if (! writer.file().replaceWithData (state.getData(), state.getSize()))
        throw RenderError { "cannot write state file " + path };
    writer.commit();
}

class ProgressBar
{
public:
    explicit ProgressBar (juce::int64 totalIn) : total (juce::jmax<juce::int64> (1, totalIn)), enabled (isatty (STDERR_FILENO) != 0) {}

    void update (juce::int64 done)
    {
        if (! enabled)
            return;
        const auto now = juce::Time::getMillisecondCounter();
        if (! shown && now - started < 500)
            return;  // short renders stay silent
        if (shown && now - lastDrawn < 100)
            return;
        shown = true;
        lastDrawn = now;
        const int percent = (int) juce::jmin<juce::int64> (100, done * 100 / total);
        const int filled = percent * 30 / 100;
        std::fprintf (stderr, "\r[%s%s] %3d%%", std::string ((size_t) filled, '#').c_str(),
                      std::string ((size_t) (30 - filled), ' ').c_str(), percent);
        std::fflush (stderr);
    }

    void finish()
    {
        if (shown)
            std::fprintf (stderr, "\r%s\r", std::string (40, ' ').c_str());
    }

private:
    juce::int64 total;
    bool enabled;
    bool shown = false;
    juce::uint32 started = juce::Time::getMillisecondCounter(), lastDrawn = 0;
};

// A fresh instance starts with the shortest delay and glides to the one set,
// over a second or more. Running silence through it first makes a render sound
// like a plug-in that has been sitting in a session; the output is discarded.
void settleOnSilence (VelmorAudioProcessor& processor, int blockSize, int numInputs, int numOutputs)
{
    constexpr int maximumPrerollSamples = 4000000;
    juce::AudioBuffer<float> silence (juce::jmax (numInputs, numOutputs), blockSize);
    juce::MidiBuffer midi;

    for (int done = 0; done < maximumPrerollSamples; done += blockSize)
    {
        const auto& delay = processor.getDelayLine();
        if (delay.getCurrentDelay() == (double) delay.getTargetDelay())
            break;
        silence.clear();
        processor.processBlock (silence, midi);
    }
}

int run (const RenderOptions& options)
{
    if (! options.demo && isSameFile (options.inputPath, options.outputPath))
        throw RenderError { "the output file must not be the input file" };

    double sampleRate = options.demoRate;
    juce::AudioBuffer<float> input = options.demo ? makeDemoPhrase (sampleRate) : readInput (options.inputPath, sampleRate);

    const int numOutputs = options.channels.value_or (juce::jmin (input.getNumChannels(), 2));
    const int numInputs = numOutputs == 1 ? 1 : juce::jmin (input.getNumChannels(), 2);
    if (numOutputs == 1 && input.getNumChannels() > 1)
    {
        // A stereo file into the mono layout: mix it down.
        input.addFrom (0, 0, input, 1, 0, input.getNumSamples());
        input.applyGain (0, 0, input.getNumSamples(), 0.5f);
        input.setSize (1, input.getNumSamples(), true);
    }

    VelmorAudioProcessor processor;
    FixedTempoPlayHead playHead (options.bpm, options.timeSigNumerator, options.timeSigDenominator);
    processor.setPlayHead (&playHead);

    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (numInputs == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo());
    layout.outputBuses.add (numOutputs == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo());
    if (! processor.setBusesLayout (layout))
        throw RenderError { "the processor refused the channel layout" };

    processor.setRateAndBufferSizeDetails (sampleRate, options.blockSize);
    processor.prepareToPlay (sampleRate, options.blockSize);

    if (! options.statePath.empty())
    {
        const auto state = readStateFile (options.statePath);
        processor.setStateInformation (state.getData(), (int) state.getSize());
    }

    if (options.demo)
    {
        // The demo's own setting: a bouncing, slightly darkened echo.
        processor.setParameter (selvane::kDelayTime, 0.25f);
        processor.setParameter (selvane::kDelayFeedback, 0.6f);
        processor.setParameter (selvane::kPingPong, 0.7f);
        processor.setParameter (selvane::kHighCut, 0.3f);
    }
    if (! options.preset.empty())
    {
        const auto state = presetState (options.preset);
        processor.setStateInformation (state.getData(), (int) state.getSize());
    }
    applySettings (processor, options.parameterSettings);

    if (options.preroll)
        settleOnSilence (processor, options.blockSize, numInputs, numOutputs);

    const auto outputFile = fileFromArgument (options.outputPath);
    AtomicFileWriter fileWriter (outputFile);
    std::unique_ptr<juce::AudioFormatWriter> writer;
    {
        auto stream = fileWriter.file().createOutputStream();
        if (stream == nullptr)
            throw RenderError { "cannot write " + options.outputPath };
        juce::WavAudioFormat wav;
        writer.reset (wav.createWriterFor (stream.get(), sampleRate, (unsigned int) numOutputs, options.bits, {}, 0));
        if (writer == nullptr)
            throw RenderError { "cannot write a WAV file at " + juce::String (sampleRate).toStdString() + " Hz" };
        stream.release();  // the writer owns it now
    }

    const juce::int64 inputLength = input.getNumSamples();
    const auto maximumTail = (juce::int64) (sampleRate * options.tailSeconds.value_or (maximumAutomaticTailSeconds));
    const float silence = juce::Decibels::decibelsToGain ((float) silenceThresholdDb);
    ProgressBar progress (inputLength + (options.tailSeconds ? maximumTail : 0));

    juce::AudioBuffer<float> block (juce::jmax (numInputs, numOutputs), options.blockSize);
    juce::MidiBuffer midi;
    juce::int64 position = 0, quietRun = 0;

    for (;;)
    {
        const juce::int64 tailDone = position - inputLength;
        if (tailDone >= maximumTail)
            break;
        if (! options.tailSeconds && tailDone >= 0
            && quietRun > (juce::int64) processor.getDelayLine().getCurrentDelay() + 1)
            break;

        const int count = (int) juce::jmin<juce::int64> (options.blockSize, inputLength + maximumTail - position);
        block.setSize (block.getNumChannels(), count, false, false, true);
        block.clear();
        for (int channel = 0; channel < numInputs; ++channel)
        {
            const int available = (int) juce::jlimit<juce::int64> (0, count, inputLength - position);
            if (available > 0)
                block.copyFrom (channel, 0, input, juce::jmin (channel, input.getNumChannels() - 1), (int) position, available);
        }

        processor.processBlock (block, midi);
        playHead.advance (count);

        for (int i = 0; i < count; ++i)
        {
            float peak = 0.0f;
            for (int channel = 0; channel < numOutputs; ++channel)
                peak = juce::jmax (peak, std::abs (block.getSample (channel, i)));
            quietRun = peak < silence ? quietRun + 1 : 0;
        }

        if (! writer->writeFromAudioSampleBuffer (block, 0, count))
            throw RenderError { "cannot write " + options.outputPath + " (disk full?)" };
        position += count;
        progress.update (position);
    }

    writer.reset();  // flushes and closes the file
    progress.finish();
    fileWriter.commit();

    if (! options.saveStatePath.empty())
        writeStateFile (processor, options.saveStatePath);

    std::printf ("wrote %s (%.2f s, %g Hz, %d channel%s)\n", outputFile.getFullPathName().toRawUTF8(),
                 (double) position / sampleRate, sampleRate, numOutputs, numOutputs == 1 ? "" : "s");
    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    std::vector<std::string> args (argv + 1, argv + argc);
    const auto parsed = parseRenderOptions (args);

    if (parsed.options.showHelp)
    {
        std::fputs (renderUsage().c_str(), stdout);
        return 0;
    }
    if (parsed.options.listParameters)
    {
        std::fputs (parameterListing().c_str(), stdout);
        return 0;
    }
    if (parsed.options.listPresets)
    {
        std::fputs (presetListing().c_str(), stdout);
        return 0;
    }
    if (! parsed.error.empty())
    {
        std::fprintf (stderr, "selvane-render: %s\n", parsed.error.c_str());
        return 2;
    }

    try
    {
        return run (parsed.options);
    }
    catch (const RenderError& error)
    {
        std::fprintf (stderr, "selvane-render: %s\n", error.message.c_str());
        return 1;
    }
}
