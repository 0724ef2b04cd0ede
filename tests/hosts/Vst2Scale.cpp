// The call VST 2.x hosts make on a HiDPI screen: the vendor-specific opcode
// with "PreS" and "AeCs" as index and value and the scale as opt. JUCE's host
// sends it only to plug-ins that claim "supportsViewDpiScaling", which
// Selvane does not, so the tests make it here.

#include "HostTestSupport.h"

#include <pluginterfaces/vst2.x/aeffectx.h>

namespace host_testing
{
void sendVst2ContentScale (void* aeffect, float scale)
{
    constexpr int preS = 0x50726553;       // 'PreS'
    constexpr t_fstPtrInt aeCs = 0x41654373;  // 'AeCs'
    auto* effect = static_cast<AEffect*> (aeffect);
    effect->dispatcher (effect, effVendorSpecific, preS, aeCs, nullptr, scale);
}
} // namespace host_testing
