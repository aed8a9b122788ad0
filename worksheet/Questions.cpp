#include "Questions.h"

namespace oxeln {

std::string Question::markup() const
{
    std::string out;
    for (const QuestionPart &part : parts) {
        if (part.kind == QuestionPart::Kind::Exponent) {
            out += "<sup>";
            out += part.text;
            out += "</sup>";
        } else {
            out += part.text;
        }
    }
    return out;
}

} // namespace oxeln
