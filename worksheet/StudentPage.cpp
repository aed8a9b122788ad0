#include "StudentPage.h"

#include "AnswerMask.h"
#include "Cp1252.h"

#include <algorithm>

namespace oxeln::page {
// Made from page/StudentPage.css and page/StudentPage.js at build time.
extern const std::string_view StudentPageCss;
extern const std::string_view StudentPageScript;
} // namespace oxeln::page

namespace oxeln {

namespace {

using Kind = QuestionPart::Kind;

// A question's field pushes it onto a row of its own past this many
// characters (a paired question of the subject fits in 26).
constexpr std::size_t WideQuestion = 30;

void appendText(std::string &out, std::string_view cp1252)
{
    AppendHtmlEscaped(out, Cp1252ToUtf8(cp1252));
}

void appendParts(std::string &out, const std::vector<QuestionPart> &parts)
{
    for (const QuestionPart &part : parts) {
        if (part.text.empty())
            continue;
        if (part.kind == Kind::Exponent) {
            out += "<sup>";
            appendText(out, part.text);
            out += "</sup>";
            continue;
        }
        out += part.kind == Kind::Term ? "<span class=\"t\">" : part.kind == Kind::Operator ? "<span class=\"o\">" : "<span>";
        appendText(out, part.text);
        out += "</span>";
    }
}

// What the page's script unmasks: "N|-11|(-11)", "Q||(/)" or "R|<|<", the
// last field as the answer key shows it.
std::string payloadOf(const Question &question)
{
    const Expected expected = question.expected();
    std::string payload;
    switch (expected.kind) {
    case Expected::Kind::Number: payload = "N|" + std::to_string(expected.value); break;
    case Expected::Kind::NoQuotient: payload = "Q|"; break;
    case Expected::Kind::Relation: payload = std::string("R|") + expected.relation; break;
    }
    return payload + "|" + Cp1252ToUtf8(question.answer());
}

void appendField(std::string &out, const std::string &n, const Expected &expected)
{
    const std::string common = "class=\"rep\" id=\"q" + n + "\" name=\"q" + n + "\" aria-describedby=\"e" + n + " v" + n + "\"";
    if (expected.kind == Expected::Kind::Relation) {
        out += "<select " + common + "><option value=\"\">\xE2\x80\xA6</option><option value=\"&lt;\">&lt;</option>"
               "<option value=\"&gt;\">&gt;</option><option value=\"=\">=</option></select>";
    } else {
        out += "<input " + common + " type=\"text\" inputmode=\"numeric\" autocomplete=\"off\" autocapitalize=\"off\""
               " spellcheck=\"false\">";
    }
}

void appendQuestion(std::string &out, int number, const Question &question, std::string_view salt)
{
    std::vector<QuestionPart> before = question.parts();
    std::vector<QuestionPart> after;
    const auto blank = std::find_if(before.begin(), before.end(), [](const QuestionPart &p) { return p.kind == Kind::Blank; });
    if (blank == before.end()) {
        before.push_back({Kind::Operator, " = "});
    } else {
        // The field takes the place of the dots; the blanks around them stay.
        const std::string &dots = blank->text;
        const std::size_t first = std::min(dots.find_first_not_of(' '), dots.size());
        const std::size_t last = dots.find_last_not_of(' ') + 1;
        after.push_back({Kind::Operator, dots.substr(std::max(last, first))});
        after.insert(after.end(), blank + 1, before.end());
        const std::string lead = dots.substr(0, first);
        before.erase(blank, before.end());
        before.push_back({Kind::Operator, lead});
    }
    std::size_t length = 0;
    for (const auto *parts : {&before, &after})
        for (const QuestionPart &part : *parts)
            length += part.text.size();

    const std::string n = std::to_string(number);
    out += "<li class=\"q";
    out += length > WideQuestion ? " large" : "";
    out += "\" data-k=\"" + MaskAnswer(salt, number, payloadOf(question)) + "\">";
    out += "<label class=\"num\" for=\"q" + n + "\">Question " + n + "</label>";
    out += "<div class=\"enonce\" id=\"e" + n + "\">";
    appendParts(out, before);
    appendField(out, n, question.expected());
    appendParts(out, after);
    out += "</div><p class=\"verdict\" id=\"v" + n + "\"></p></li>\n";
}

void appendHeader(std::string &out, const PupilSheet &sheet)
{
    out += "<header class=\"entete\">";
    if (!sheet.referenceCode.empty()) {
        out += "<p class=\"ref\">";
        appendText(out, sheet.referenceCode);
        out += "</p>";
    }
    for (std::size_t i = 0; i < sheet.titles.size(); ++i) {
        const std::string text = VisibleTitleText(sheet.titles[i]);
        if (text.find_first_not_of(" \n") == std::string::npos)
            continue;
        if (IsRuleTitle(text)) {
            out += "<hr>";
            continue;
        }
        // The sheet sets the first and third lines in bold.
        out += i == 1 ? "<p class=\"titre\">" : "<p class=\"titre gras\">";
        std::string html;
        appendText(html, text);
        for (std::size_t at = html.find('\n'); at != std::string::npos; at = html.find('\n', at))
            html.replace(at, 1, "<br>");
        out += html + "</p>";
    }
    out += "</header>\n";
}

} // namespace

std::string StudentPageHtml(const PupilSheet &sheet)
{
    const std::string salt = Cp1252ToUtf8(sheet.referenceCode);
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        // Nothing may leave the page, whatever a browser would fetch by itself.
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline';"
        " script-src 'unsafe-inline'; img-src data:\">\n"
        "<link rel=\"icon\" href=\"data:,\">\n<title>";
    if (!sheet.referenceCode.empty()) {
        appendText(out, sheet.referenceCode);
        out += " \xE2\x80\x93 ";
    }
    out += "Fiche \xC3\xA0 compl\xC3\xA9ter</title>\n<style>\n";
    out += page::StudentPageCss;
    out += "</style>\n</head>\n<body>\n"
           "<div class=\"barre\"><div class=\"signes\" id=\"signes\" role=\"group\" aria-label=\"Signes \xC3\xA0 ins\xC3\xA9rer\">"
           "<span class=\"legende\" aria-hidden=\"true\">Signes</span>"
           "<button type=\"button\" tabindex=\"-1\" data-signe=\"\xE2\x88\x92\" aria-label=\"moins\">\xE2\x88\x92</button>"
           "<button type=\"button\" tabindex=\"-1\" data-signe=\"+\" aria-label=\"plus\">+</button>"
           "<button type=\"button\" tabindex=\"-1\" data-signe=\"(\" aria-label=\"parenth\xC3\xA8se ouvrante\">(</button>"
           "<button type=\"button\" tabindex=\"-1\" data-signe=\")\" aria-label=\"parenth\xC3\xA8se fermante\">)</button>"
           "<button type=\"button\" tabindex=\"-1\" data-signe=\"/\" aria-label=\"barre oblique\">/</button>"
           "</div><p id=\"score\" role=\"status\" hidden></p></div>\n"
           "<main class=\"copie\">\n";
    appendHeader(out, sheet);
    out += "<form id=\"fiche\" data-ref=\"";
    AppendHtmlEscaped(out, salt);
    out += "\" autocomplete=\"off\" novalidate>\n"
           "<p class=\"consigne\">\xC3\x89" "cris ta r\xC3\xA9ponse dans chaque case. Les touches \xE2\x88\x92 + ( ) / du haut"
           " de la page ajoutent un signe l\xC3\xA0 o\xC3\xB9 tu \xC3\xA9" "cris. Quand tu as fini, appuie sur"
           " \xC2\xAB\xC2\xA0" "Corriger\xC2\xA0\xC2\xBB ou sur Entr\xC3\xA9" "e.</p>\n"
           "<label class=\"aufil\"><input type=\"checkbox\" id=\"aufil\"> V\xC3\xA9rifier chaque r\xC3\xA9ponse d\xC3\xA8s"
           " que je passe \xC3\xA0 la suivante</label>\n"
           "<ol class=\"questions\">\n";
    int number = 0;
    for (const Question &question : sheet.questions)
        appendQuestion(out, ++number, question, salt);
    if (number == 0)
        out += "<li class=\"vide\">Aucune question sur cette fiche.</li>\n";
    out += "</ol>\n<div class=\"actions\"><button type=\"submit\" class=\"corriger\">Corriger</button>"
           "<button type=\"button\" class=\"recommencer\" id=\"recommencer\">Recommencer</button></div>\n"
           "</form>\n</main>\n<noscript><p>Cette page a besoin de JavaScript pour corriger les r\xC3\xA9ponses.</p></noscript>\n"
           "<script>\n";
    out += page::StudentPageScript;
    out += "</script>\n</body>\n</html>\n";
    return out;
}

} // namespace oxeln
