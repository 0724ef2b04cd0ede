// The VST3 client: the framework's adapter, from a copy made at configure
// time (see CMakeLists.txt) with three faults mended:
//  - a block longer than the host announced in setupProcessing is processed
//    in slices of the announced size: JUCE's adapter copies the host's
//    channels into scratch buffers of that size, and wrote past their end
//    when a host sent more;
//  - its channel mapping copied a vector for each input bus of each block,
//    a heap allocation on the audio thread every block;
//  - a host's change to one parameter through the edit controller silenced
//    every notification made in response: the host was not told of
//    "DelayTime" when it changed "Mode".
//
// This file takes the place of the framework's own VST3 translation unit.

#include "../engine/BlockSlices.h"

#include "juce_vst3_client/juce_VST3_Wrapper.cpp"
