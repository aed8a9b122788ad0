#include "AnswerMask.h"

namespace oxeln {

std::uint32_t SmallHash(std::string_view bytes)
{
    std::uint32_t hash = 0x811C9DC5u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x01000193u;
    }
    return hash;
}

std::string MaskAnswer(std::string_view salt, int number, std::string_view plain)
{
    std::string seed(salt);
    seed += '#';
    seed += std::to_string(number);
    std::uint32_t state = SmallHash(seed);
    if (state == 0) // xorshift never leaves 0
        state = 0x9E3779B9u;
    static constexpr char Digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * plain.size());
    for (const char c : plain) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const auto byte = static_cast<unsigned char>(static_cast<unsigned char>(c) ^ (state & 0xFFu));
        out.push_back(Digits[byte >> 4]);
        out.push_back(Digits[byte & 0xF]);
    }
    return out;
}

} // namespace oxeln
