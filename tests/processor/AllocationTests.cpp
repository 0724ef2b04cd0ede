// The audio path must never touch the heap. This binary replaces the C
// allocator, counts every call made while a check is armed, and fails on any.

#include "ProcessorTestHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

extern "C" void* __libc_malloc (size_t);
extern "C" void* __libc_calloc (size_t, size_t);
extern "C" void* __libc_realloc (void*, size_t);
extern "C" void* __libc_memalign (size_t, size_t);
extern "C" void __libc_free (void*);

namespace
{
thread_local bool armed = false;
std::atomic<int> heapCalls { 0 };

void countIfArmed()
{
    if (armed)
        heapCalls.fetch_add (1);
}

struct HeapWatch
{
    HeapWatch() { heapCalls = 0; armed = true; }
    ~HeapWatch() { armed = false; }
    int calls() const { return heapCalls.load(); }
};
} // namespace

extern "C"
{
void* malloc (size_t size) { countIfArmed(); return __libc_malloc (size); }
void* calloc (size_t n, size_t size) { countIfArmed(); return __libc_calloc (n, size); }
void* realloc (void* p, size_t size) { countIfArmed(); return __libc_realloc (p, size); }
void* memalign (size_t alignment, size_t size) { countIfArmed(); return __libc_memalign (alignment, size); }
void* aligned_alloc (size_t alignment, size_t size) { countIfArmed(); return __libc_memalign (alignment, size); }
int posix_memalign (void** out, size_t alignment, size_t size)
{
    countIfArmed();
    *out = __libc_memalign (alignment, size);
    return *out != nullptr ? 0 : 12;
}
void free (void* p) { countIfArmed(); __libc_free (p); }
}

using namespace selvane;
using namespace testing_support;

namespace
{
void fill (juce::AudioBuffer<float>& buffer, int offset)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (c, i, 0.5f * std::sin (0.01f * (float) (offset + i)));
}
} // namespace

TEST (AudioPath, ProcessBlockAllocatesNothingInAnyLayoutOrMode)
{
    for (auto [ins, outs] : { std::pair { 2, 2 }, std::pair { 1, 2 }, std::pair { 1, 1 } })
    {
        VelmorAudioProcessor p;
        ScriptedPlayHead playHead;
        playHead.bpm = 128.0;
        playHead.signature = juce::AudioPlayHead::TimeSignature { 7, 8 };
        p.setPlayHead (&playHead);
        setLayout (p, ins, outs);
        p.prepareToPlay (48000.0, 20000);
        p.midiMap[kDryWet] = 20;
        p.midiLearnActive = true;
        p.midiLearnTarget = kPingPong;

        juce::AudioBuffer<float> buffer (2, 20000);
        juce::MidiBuffer midi;
        midi.ensureSize (1024);

        for (float mode : { 0.0f, 0.33f, 0.66f, 1.0f })
        {
            p.setParameter (kMode, mode);
            for (int block = 0; block < 8; ++block)
            {
                const int size = block == 0 ? 20000 : block * 61;
                buffer.setSize (2, size, false, false, true);
                fill (buffer, block * 1000);
                midi.clear();
                midi.addEvent (juce::MidiMessage::controllerEvent (1, 20, 100 + block), 0);
                midi.addEvent (juce::MidiMessage::noteOn (1, 64, 1.0f), 1);

                HeapWatch watch;
                p.processBlock (buffer, midi);
                const int calls = watch.calls();
                EXPECT_EQ (calls, 0) << ins << " in / " << outs << " out, mode " << mode << ", block of " << size;
            }
        }
    }
}

TEST (AudioPath, SetParameterAllocatesNothing)
{
    VelmorAudioProcessor p;
    p.prepareToPlay (44100.0, 512);
    HeapWatch watch;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < numParameters; ++i)
        {
            p.setParameter (i, 0.1f * (float) (round * 3 + i % 4));
            p.setParameterNotifyingHost (i, 0.2f);
        }
    const int calls = watch.calls();
    EXPECT_EQ (calls, 0);
}

TEST (AudioPath, TheCounterSeesAnAllocation)
{
    HeapWatch watch;
    auto* block = static_cast<char*> (std::malloc (64));
    std::free (block);
    const int calls = watch.calls();
    EXPECT_EQ (calls, 2);
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
