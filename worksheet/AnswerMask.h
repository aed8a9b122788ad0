#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace oxeln {

// FNV-1a over bytes, 32 bits: the small hash that the pupils' page's script
// computes too, so that both ends agree on the masks below.
std::uint32_t SmallHash(std::string_view bytes);

// plain masked byte by byte with a key stream (xorshift32) seeded by
// SmallHash(salt + "#" + number), written as lowercase hexadecimal. The
// page's script unmasks it with the same salt and number. This keeps an
// answer key out of sight in a page's text; it is no protection against a
// pupil who reads the script.
std::string MaskAnswer(std::string_view salt, int number, std::string_view plain);

} // namespace oxeln
