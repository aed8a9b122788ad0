#include "Commune.h"

namespace oxeln {

std::string GroupDigits(std::string_view digits)
{
    const std::size_t n = digits.size();
    if (n <= 3)
        return std::string(digits);
    std::string out;
    out.reserve(n + (n - 1) / 3);
    std::size_t lead = n % 3;
    if (lead == 0)
        lead = 3;
    out.append(digits.substr(0, lead));
    for (std::size_t i = lead; i < n; i += 3) {
        out.push_back(' ');
        out.append(digits.substr(i, 3));
    }
    return out;
}

std::int32_t PowerInt(std::int32_t a, std::int32_t n)
{
    // Wrapping multiplication: callers keep powers below 100,000,000, but an
    // out-of-range call must not be undefined behaviour.
    std::uint32_t result = 1;
    for (std::int32_t i = 0; i < n; ++i)
        result *= static_cast<std::uint32_t>(a);
    return static_cast<std::int32_t>(result);
}

} // namespace oxeln
