#pragma once

#include <string>

namespace oxeln {

// The window caption is kept scrambled in the program. Each byte is rotated
// by (key byte + key sum) mod 8 places, left at odd positions and right at
// even ones when unscrambling; scrambling turns both directions round.
std::string CaptionCipher(const std::string &text, const std::string &key, bool scramble);

// The caption of the main window, unscrambled from its stored form.
std::string MainWindowCaption();

} // namespace oxeln
