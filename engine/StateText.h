#pragma once

#include <string>

// Number texts of the saved state and of the parameter read-outs.
namespace selvane
{
// Six significant digits, trailing zeros dropped, always with a '.' whatever
// the host's locale: 0.33f reads "0.33", 0.5f "0.5", 0 "0".
std::string formatParameterValue (double value);

// Reads an integer the way C's atoi does (leading blanks, a sign, digits up
// to the first non-digit, 0 if there are none), saturating at the int range
// instead of overflowing.
int parseIntegerText (const char* text) noexcept;
} // namespace selvane
