#include "QuestionText.h"

#include "Cp1252.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace oxeln {

namespace {

const QString kNoBreak = QStringLiteral("&nbsp;");

QString fromDocument(const std::string &bytes)
{
    return ScreenText(bytes).toHtmlEscaped();
}

QString partsHtml(const std::vector<QuestionPart> &parts, bool breakable)
{
    QString html;
    for (const QuestionPart &part : parts) {
        QString text = fromDocument(part.text);
        switch (part.kind) {
        case QuestionPart::Kind::Term:
            html += text.replace(QLatin1Char(' '), kNoBreak);
            break;
        case QuestionPart::Kind::Operator:
            // " + ": the space before may break, the one after never.
            text = text.trimmed();
            html += (breakable ? QStringLiteral(" ") : kNoBreak) + text + kNoBreak;
            break;
        case QuestionPart::Kind::Exponent:
            html += QStringLiteral("<sup>") + text + QStringLiteral("</sup>");
            break;
        case QuestionPart::Kind::Blank:
        case QuestionPart::Kind::Bracket:
            html += text;
            break;
        }
    }
    return html;
}

} // namespace

QString ScreenText(const std::string &bytes)
{
    // The signs of printed mathematics: a minus as wide as the plus, and a
    // times sign for the letter "x".
    QString text = QString::fromStdString(Cp1252ToUtf8(bytes));
    text.replace(QLatin1Char('-'), QChar(0x2212));
    text.replace(QLatin1Char('x'), QChar(0x00D7));
    return text;
}

QString QuestionHtml(const Question &question, bool breakable)
{
    const std::vector<QuestionPart> parts = question.parts();
    const bool blank = std::any_of(parts.begin(), parts.end(),
                                   [](const QuestionPart &part) { return part.kind == QuestionPart::Kind::Blank; });
    // A question with a place to fill in asks there; any other asks after " = ".
    return partsHtml(parts, breakable) + (blank ? QString() : kNoBreak + QStringLiteral("=") + kNoBreak + QStringLiteral("?"));
}

int LaidOutLines(const QTextDocument &document)
{
    int lines = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        lines += block.layout() ? block.layout()->lineCount() : 0;
    return lines;
}

int FitPixelSize(QTextDocument &document, QFont font, const QSizeF &box, int minimum, int maximum, int maxLines)
{
    document.setTextWidth(box.width());
    auto fits = [&](int pixels) {
        font.setPixelSize(pixels);
        document.setDefaultFont(font);
        const QSizeF size = document.documentLayout()->documentSize();
        return document.idealWidth() <= box.width() && size.height() <= box.height()
            && (maxLines <= 0 || LaidOutLines(document) <= maxLines);
    };
    if (minimum < 1 || maximum < minimum || !fits(minimum))
        return 0;
    int low = minimum; // fits
    int high = maximum + 1; // first size known not to fit
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle;
    }
    fits(low);
    return low;
}

} // namespace oxeln
