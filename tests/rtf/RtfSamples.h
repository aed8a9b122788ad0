#pragma once

#include <QByteArray>
#include <QList>

#include <array>
#include <utility>

// Worksheet documents as the drills write them, for the view's tests: the
// markup of headers and question lines, and its conversion to RTF (header,
// the tags the drills use, escaped "\", "{", "}").
namespace oxeln::samples {

// The fixed 643-byte RTF header of every worksheet.
QByteArray worksheetHeader();

QByteArray markupToRtf(const QByteArray &markup);

QByteArray subjectHeader(const QByteArray &reference, const QByteArray &t1, const QByteArray &t2,
                         const QByteArray &t3);
QByteArray answerHeader(const QByteArray &reference, const QByteArray &t1, const QByteArray &t2,
                        const QByteArray &t3);

using Pairs = std::array<std::pair<int, int>, 4>;

// One line of additions, with its interline breaks.
QByteArray additionSubjectLine(int counter, const Pairs &pairs, int interline);
QByteArray additionAnswerLine(int counter, const Pairs &pairs, int interline);

// "+3", "0", "-12" (no grouping: the samples stay below 1000).
QByteArray signedText(int value);

struct Worksheet
{
    QByteArray subject; // markup
    QByteArray answer;
};

// A worksheet of addition lines with numbers from a fixed sequence.
Worksheet additions(int lines, int interline = 2);

} // namespace oxeln::samples
