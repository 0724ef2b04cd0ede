// Runs one benchmark case for a fixed number of blocks, for callgrind to count
// the instructions processBlock executes (scripts/bench-instructions.sh):
//   selvane-instruction-count CASE BLOCKS
// CASE: settled, gliding, mono-to-stereo, mono.

#include "BenchFixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace bench;

// What callgrind counts: one processBlock call of a measured block.
__attribute__ ((noinline)) void measuredProcessBlock (Fixture& f)
{
    f.processor.processBlock (f.buffer, f.midi);
}

int main (int argc, char* argv[])
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: selvane-instruction-count settled|gliding|mono-to-stereo|mono BLOCKS\n");
        return 2;
    }
    const char* which = argv[1];
    const int blocks = std::atoi (argv[2]);
    const bool gliding = std::strcmp (which, "gliding") == 0;
    Layout layout;
    if (std::strcmp (which, "settled") == 0 || gliding)
        layout = Layout::stereo;
    else if (std::strcmp (which, "mono-to-stereo") == 0)
        layout = Layout::monoToStereo;
    else if (std::strcmp (which, "mono") == 0)
        layout = Layout::mono;
    else
    {
        std::fprintf (stderr, "selvane-instruction-count: unknown case '%s'\n", which);
        return 2;
    }
    if (blocks < 1)
    {
        std::fprintf (stderr, "selvane-instruction-count: BLOCKS must be a positive number\n");
        return 2;
    }

    Fixture f (layout);
    f.settle();
    for (int block = 1; block <= blocks; ++block)
    {
        if (gliding)
            f.turnTheDelayTime (block);
        f.fillInput();
        measuredProcessBlock (f);
    }
    std::printf ("%s: %d blocks of %d frames, output %g\n", which, blocks, blockSize, (double) f.buffer.getSample (0, 0));
    return 0;
}
