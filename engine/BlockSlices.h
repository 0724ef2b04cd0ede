#pragma once

#include <algorithm>

namespace selvane
{
// Walks a block of `total` samples in consecutive slices of at most
// `sliceLength`, calling slice (start, length) for each. The engine runs long
// blocks through its pipeline this way, and the format adapters hand the
// framework blocks no longer than it was prepared for.
template <typename Slice>
void forEachSlice (int total, int sliceLength, Slice&& slice)
{
    for (int start = 0; start < total; start += sliceLength)
        slice (start, std::min (sliceLength, total - start));
}
} // namespace selvane
