#pragma once

#include "DrillOptions.h"

#include <cstdint>

namespace oxeln {

// How a drill lays out its lines: the writing mode and the breaks after
// each line, which the compact answer key leaves out.
struct LineStyle
{
    Writing writing = Writing::Parentheses;
    std::int32_t interline = 2;       // subject
    std::int32_t answerInterline = 2; // answer key
};

} // namespace oxeln
