// Test helper for the shell-driven host tests:
//   selvane-wav-probe impulse FILE RATE SECONDS AT_SECONDS   writes a stereo float WAV with one impulse
//   selvane-wav-probe echo FILE AT_SECONDS                   prints where the input impulse and its
//                                                           first echo are, in samples, and their levels

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdio>

namespace
{
int writeImpulse (const juce::File& file, double rate, double seconds, double at)
{
    juce::AudioBuffer<float> audio (2, (int) (rate * seconds));
    audio.clear();
    audio.setSample (0, (int) (rate * at), 0.8f);
    audio.setSample (1, (int) (rate * at), 0.8f);

    file.deleteFile();
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (file.createOutputStream().release(), rate, 2, 32, {}, 0));
    return writer != nullptr && writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()) ? 0 : 1;
}

int findEcho (const juce::File& file)
{
    juce::WavAudioFormat wav;
    auto stream = file.createInputStream();
    std::unique_ptr<juce::AudioFormatReader> reader (stream != nullptr ? wav.createReaderFor (stream.release(), true) : nullptr);
    if (reader == nullptr)
    {
        std::fprintf (stderr, "cannot read %s\n", file.getFullPathName().toRawUTF8());
        return 1;
    }
    juce::AudioBuffer<float> audio ((int) reader->numChannels, (int) reader->lengthInSamples);
    reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);

    // The dry impulse is the first loud sample; the echo the loudest one a
    // little later (the input's own sample is skipped).
    int impulse = -1;
    for (int i = 0; i < audio.getNumSamples() && impulse < 0; ++i)
        if (std::abs (audio.getSample (0, i)) > 0.3f)
            impulse = i;
    if (impulse < 0)
    {
        std::printf ("no impulse\n");
        return 1;
    }
    int echo = impulse + 5;
    for (int i = impulse + 5; i < audio.getNumSamples(); ++i)
        if (std::abs (audio.getSample (0, i)) > std::abs (audio.getSample (0, echo)))
            echo = i;
    std::printf ("impulse %d %.4f echo %d %.4f delay %d\n", impulse, audio.getSample (0, impulse), echo,
                 audio.getSample (0, echo), echo - impulse);
    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    const juce::String command = argc > 1 ? argv[1] : "";
    if (command == "impulse" && argc == 6)
        return writeImpulse (juce::File (argv[2]), atof (argv[3]), atof (argv[4]), atof (argv[5]));
    if (command == "echo" && argc == 3)
        return findEcho (juce::File (argv[2]));
    std::fprintf (stderr, "usage: selvane-wav-probe impulse FILE RATE SECONDS AT | echo FILE\n");
    return 2;
}
