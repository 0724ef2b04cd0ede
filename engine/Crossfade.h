#pragma once

// The law both the balance and the dry/wet mix follow: at the middle position
// both sides pass at unity; towards either end the opposite side fades out
// linearly and reaches silence at the end.
namespace selvane
{
struct CrossfadeGains
{
    float first, second;  // left and right, or dry and wet
};

inline CrossfadeGains centreUnityCrossfade (float position) noexcept
{
    if (position <= 0.5f)
        return { 1.0f, 2.0f * position };
    return { 2.0f * (1.0f - position), 1.0f };
}
} // namespace selvane
