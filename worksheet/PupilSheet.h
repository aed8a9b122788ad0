#pragma once

#include "Questions.h"

#include <array>
#include <string>
#include <string_view>

namespace oxeln {

// What the files that pupils answer (the self-correcting page, the Moodle
// quiz) are made from: the drawn questions and the worksheet's header, not
// the views, so hand edits of the views do not reach them. Texts are
// Windows-1252, as in the documents; the writers give UTF-8.
struct PupilSheet
{
    std::string_view referenceCode;
    const std::array<std::string, 3> &titles; // as typed, markup included
    const QuestionList &questions;
};

// What a title shows once its markup is rendered: every tag taken out
// (every "<" opens one, as the RTF conversion reads them), "<br>" a line
// break, other bytes below 0x20 dropped. Windows-1252 in and out.
std::string VisibleTitleText(std::string_view markup);

// Whether a title only draws a line across the sheet ("-----", "_____").
bool IsRuleTitle(std::string_view text);

// UTF-8 text with "&", "<", ">" and the double quote as HTML entities.
void AppendHtmlEscaped(std::string &out, std::string_view utf8);

} // namespace oxeln
