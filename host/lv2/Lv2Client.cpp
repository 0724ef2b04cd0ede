// The LV2 client: the framework's adapter, from a copy made at configure time
// with the mends host/lv2/Lv2Client.cmake lists (hosts read every parameter's
// value; the host's own change is not echoed, what the processor announces in
// response is; a manifest that validates).
//
// This file takes the place of the framework's own LV2 translation unit.

#include "juce_lv2_client/juce_LV2_Client.cpp"
