#include "StateText.h"

#include <charconv>
#include <algorithm>
#include <climits>

namespace selvane
{
std::string formatParameterValue (double value)
{
    // Negative zero is zero: written "-0" it would not read back as itself.
    if (value == 0.0)
        return "0";

    char text[32];
    const auto result = std::to_chars (text, text + sizeof (text), value, std::chars_format::general, 6);
    return std::string (text, result.ptr);
}

int parseIntegerText (const char* text) noexcept
{
    if (text == nullptr)
        return 0;

    const char* c = text;
    while (*c == ' ' || (*c >= '\t' && *c <= '\r'))
        ++c;

    bool negative = false;
    if (*c == '+' || *c == '-')
        negative = (*c++ == '-');

    long long magnitude = 0;
    const long long limit = negative ? -(long long) INT_MIN : (long long) INT_MAX;
    for (; *c >= '0' && *c <= '9'; ++c)
        if (magnitude < limit)
            magnitude = std::min (limit, magnitude * 10 + (*c - '0'));

    return (int) (negative ? -magnitude : magnitude);
}
} // namespace selvane
