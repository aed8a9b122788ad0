#include "CaptionCipher.h"

#include <cstdint>

namespace oxeln {

namespace {

std::uint8_t rotate(std::uint8_t byte, unsigned places, bool left)
{
    places %= 8;
    if (places == 0)
        return byte;
    const unsigned wide = byte;
    return static_cast<std::uint8_t>(left ? (wide << places) | (wide >> (8 - places))
                                          : (wide >> places) | (wide << (8 - places)));
}

// "Oxeln - Calcul sur les nombres relatifs", scrambled with the key below.
constexpr char kStoredCaption[] = "\x7a\x78\xca\x1b\x6e\x04\x2d\x10\x0d\x61\x63\x63\xea\x1b\x20\x6e"
                                  "\x75\x39\x80\x6c\x2b\x73\x40\x9b\x6f\xad\x62\x39\x95\x73\x01\x72"
                                  "\xca\x1b\x61\x8e\x69\x33\xcd";
constexpr char kCaptionKey[] = "Rel+-";

} // namespace

std::string CaptionCipher(const std::string &text, const std::string &key, bool scramble)
{
    unsigned sum = 0;
    for (unsigned char c : key)
        sum += c;

    std::string result(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t position = i + 1;
        const unsigned k = key.empty() ? static_cast<unsigned>(position)
                                       : static_cast<unsigned char>(key[i % key.size()]);
        const unsigned places = (k + sum) % 8;
        const bool left = (position % 2 == 1) != scramble;
        result[i] = static_cast<char>(rotate(static_cast<std::uint8_t>(text[i]), places, left));
    }
    return result;
}

std::string MainWindowCaption()
{
    return CaptionCipher(std::string(kStoredCaption, sizeof kStoredCaption - 1), kCaptionKey, false);
}

} // namespace oxeln
