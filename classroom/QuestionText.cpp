#include "QuestionText.h"

#include "Cp1252.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace oxeln {

namespace {

const QString kNoBreak = QStringLiteral("&nbsp;");

// On the screen, the signs of printed mathematics: a minus as wide as the
// plus, and a times sign for the letter "x".
QString fromDocument(const std::string &bytes)
{
    QString text = QString::fromStdString(Cp1252ToUtf8(bytes)).toHtmlEscaped();
    text.replace(QLatin1Char('-'), QChar(0x2212));
    text.replace(QLatin1Char('x'), QChar(0x00D7));
    return text;
}

QString partsHtml(const Question &question, bool breakable)
{
    QString html;
    for (const QuestionPart &part : question.parts()) {
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

QString QuestionHtml(const Question &question, bool breakable)
{
    return partsHtml(question, breakable) + kNoBreak + QStringLiteral("=") + kNoBreak + QStringLiteral("?");
}

QString CorrectionHtml(const Question &question, bool breakable)
{
    QString answer = fromDocument(question.answer());
    answer.replace(QLatin1Char(' '), kNoBreak);
    return partsHtml(question, breakable) + kNoBreak + QStringLiteral("=") + kNoBreak
        + QStringLiteral("<span style=\"background-color:#ffff00; color:#000000\">") + answer
        + QStringLiteral("</span>");
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
