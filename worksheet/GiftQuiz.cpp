#include "GiftQuiz.h"

#include "Cp1252.h"

#include <algorithm>

namespace oxeln {

namespace {

// The pieces as HTML: exponents raised as on the subject.
std::string htmlOf(const std::vector<QuestionPart> &parts)
{
    std::string out;
    for (const QuestionPart &part : parts) {
        const bool raised = part.kind == QuestionPart::Kind::Exponent;
        if (raised)
            out += "<sup>";
        AppendHtmlEscaped(out, Cp1252ToUtf8(part.text));
        if (raised)
            out += "</sup>";
    }
    return out;
}

std::string htmlOf(std::string_view cp1252)
{
    std::string out;
    AppendHtmlEscaped(out, Cp1252ToUtf8(cp1252));
    return out;
}

std::string answerBlock(const Expected &expected)
{
    switch (expected.kind) {
    case Expected::Kind::Number:
        return "#" + std::to_string(expected.value);
    case Expected::Kind::NoQuotient:
        return "=/ =(/)";
    case Expected::Kind::Relation:
        break;
    }
    std::string block;
    for (const char sign : {'<', '>', '='}) {
        if (!block.empty())
            block += ' ';
        block += sign == expected.relation ? '=' : '~';
        block += GiftEscaped(htmlOf(std::string(1, sign)));
    }
    return block;
}

} // namespace

std::string GiftEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '~': case '=': case '#': case '{': case '}': case ':': case '\\':
            out.push_back('\\');
            out.push_back(c);
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::string GiftQuiz(const PupilSheet &sheet)
{
    const std::string code = Cp1252ToUtf8(sheet.referenceCode);
    const std::string category = code.empty() ? "Oxeln" : code;
    std::string out = "// Oxeln : questionnaire de la fiche " + (code.empty() ? std::string("sans r\xC3\xA9" "f\xC3\xA9rence") : code)
        + ", " + std::to_string(sheet.questions.size()) + " questions.\n"
        + "// \xC3\x80 importer dans la banque de questions de Moodle, au format GIFT.\n\n"
        + "$CATEGORY: " + GiftEscaped(category) + "\n\n";
    int number = 0;
    for (const Question &question : sheet.questions) {
        ++number;
        const std::vector<QuestionPart> parts = question.parts();
        std::string text = htmlOf(parts);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        // Where the pupil fills in a place, the text keeps it as the subject
        // writes it; otherwise the answer follows " =".
        if (std::none_of(parts.begin(), parts.end(),
                         [](const QuestionPart &p) { return p.kind == QuestionPart::Kind::Blank; }))
            text += " =";
        std::string name = (code.empty() ? "" : code + " - ") + "Question " + std::to_string(number);
        out += "::" + GiftEscaped(name) + "::[html]" + GiftEscaped(text) + " {" + answerBlock(question.expected())
             + "####" + GiftEscaped("R\xC3\xA9ponse : " + htmlOf(question.answer())) + "}\n\n";
    }
    return out;
}

} // namespace oxeln
