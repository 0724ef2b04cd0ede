#pragma once

#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
 #include <xmmintrin.h>
#endif

namespace selvane
{
// For the scope of one block, tiny numbers are flushed to zero instead of
// being computed slowly as denormals: flush-to-zero and denormals-are-zero on
// SSE, flush-to-zero on 64-bit ARM. Without SSE2 (the x87 arithmetic of a
// 32-bit build without it) there is no such mode and nothing changes.
class ScopedNoDenormals
{
public:
#if defined(__SSE2__) || defined(_M_X64)
    ScopedNoDenormals() noexcept : saved (_mm_getcsr()) { _mm_setcsr (saved | flushMask); }
    ~ScopedNoDenormals() noexcept { _mm_setcsr (saved); }

private:
    static constexpr unsigned int flushMask = 0x8040;  // FTZ | DAZ
    unsigned int saved;
#elif defined(__aarch64__)
    ScopedNoDenormals() noexcept
    {
        asm volatile ("mrs %0, fpcr" : "=r"(saved));
        const std::uint64_t flushing = saved | flushMask;
        asm volatile ("msr fpcr, %0" : : "r"(flushing));
    }
    ~ScopedNoDenormals() noexcept { asm volatile ("msr fpcr, %0" : : "r"(saved)); }

private:
    static constexpr std::uint64_t flushMask = std::uint64_t { 1 } << 24;  // FZ
    std::uint64_t saved;
#else
    ScopedNoDenormals() noexcept = default;
#endif

    ScopedNoDenormals (const ScopedNoDenormals&) = delete;
    ScopedNoDenormals& operator= (const ScopedNoDenormals&) = delete;
};
} // namespace selvane
