#pragma once

#include "PupilSheet.h"

#include <string>

namespace oxeln {

// The worksheet's questions as a Moodle quiz in GIFT text (UTF-8): a
// category named after the reference code, then one question per drawn
// question, named "Ref 042_917 - Question 3", its text as the subject
// writes it (HTML, for raised exponents), and a feedback giving the answer
// as the key shows it. A number is a numerical question with that exact
// answer; "/" (no integer quotient, which a numerical question cannot
// take) a short answer accepting "/" and "(/)"; "<", ">" or "=" a multiple
// choice among the three.
std::string GiftQuiz(const PupilSheet &sheet);

// Text with GIFT's special characters ("~ = # { } :" and the backslash)
// escaped, and line breaks as "\n".
std::string GiftEscaped(std::string_view text);

} // namespace oxeln
