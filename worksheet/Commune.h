#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace oxeln {

// Digits in groups of three from the right, separated by one space:
// "1000" gives "1 000". Texts of three characters or fewer come back as they are.
std::string GroupDigits(std::string_view digits);

// a to the power n in 32-bit arithmetic; n <= 0 gives 1 (0^0 included).
std::int32_t PowerInt(std::int32_t a, std::int32_t n);

} // namespace oxeln
