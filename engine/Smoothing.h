#pragma once

#include <cmath>

// The one smoothing law every control value follows, once per sample:
// move 0.5 % of the way to the target, and land on it exactly once the gap is
// no more than a millionth. The gap is measured in single precision, the
// comparison and the blend are done in double and stored back as a float.
namespace selvane
{
constexpr double smoothingThreshold = 0.000001;
constexpr double smoothingKeep = 0.995;
constexpr double smoothingTake = 0.005;

// The blend alone: one step of the way, without landing.
inline float smoothingBlend (float current, float target) noexcept
{
    return (float) (smoothingKeep * (double) current + smoothingTake * (double) target);
}

// Whether the gap is still above the landing threshold.
inline bool isStillMoving (float current, float target) noexcept
{
    const float gap = current - target;
    return std::fabs ((double) gap) > smoothingThreshold;
}

inline float smoothTowards (float current, float target) noexcept
{
    return isStillMoving (current, target) ? smoothingBlend (current, target) : target;
}

// A smoother whose blend gives back its own value has reached a fixed point of
// the law: it will not move again until its target changes. Loops use this to
// skip values that are at rest; the result is bit-identical to stepping them.
inline bool isAtRest (float current, float target) noexcept
{
    return smoothTowards (current, target) == current;
}

// One control value following the law towards a target that is set elsewhere
// (and passed in, so the target can live in an atomic another thread writes).
struct Smoother
{
    float current;

    float next (float target) noexcept { return current = smoothTowards (current, target); }
    bool isAtRest (float target) const noexcept { return selvane::isAtRest (current, target); }
    bool isMoving (float target) const noexcept { return isStillMoving (current, target); }

    // For a value decided once per block: the blend without landing, so a
    // value that was moving at the block's start keeps moving to its end.
    float blend (float target) noexcept { return current = smoothingBlend (current, target); }
    void landOn (float target) noexcept { current = target; }
};

// The delay length glides far more slowly (time constant 50000 samples) and
// snaps within a ten-millionth of a sample. It is held in double precision:
// in single precision the blend stops moving hundreds of samples short of a
// long target. Even in double it can stop a few millionths short, so a blend
// that no longer moves snaps to the target, which is where the law converges.
constexpr double glideThreshold = 0.0000001;
constexpr double glideKeep = 0.99998;
constexpr double glideTake = 0.00002;

inline double glideTowards (double current, double target) noexcept
{
    if (std::fabs (current - target) > glideThreshold)
    {
        const double next = glideKeep * current + glideTake * target;
        return next == current ? target : next;
    }
    return target;
}
} // namespace selvane
