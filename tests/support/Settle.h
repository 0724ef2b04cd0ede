#pragma once

#include "EchoDelayLine.h"

namespace testing_support
{
// Runs blocks of silence (runSilentBlock, 16384 samples each) until the delay
// has glided onto its target; at least three, so the 200-sample smoothers rest too.
template <typename RunSilentBlock>
void settleDelay (const EchoDelayLine& line, RunSilentBlock&& runSilentBlock)
{
    for (int i = 0; i < 400; ++i)
    {
        if (i > 2 && line.getCurrentDelay() == (double) line.getTargetDelay())
            return;
        runSilentBlock();
    }
}
} // namespace testing_support
