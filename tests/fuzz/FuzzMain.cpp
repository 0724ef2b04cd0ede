// libFuzzer's entry point for one target, chosen when the fuzzer is built.

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    SELVANE_FUZZ_TARGET (data, size);
    return 0;
}
