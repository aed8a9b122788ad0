#include "RtfSamples.h"

namespace oxeln::samples {

QByteArray worksheetHeader()
{
    return
    "{\\rtf1\\ansi\\ansicpg1252\\deftab2880\\deff0\\deflang1036{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 "
    "Arial;}{\\f1\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f2\\fmodern\\fprq1\\fcharset0 Courier "
    "New;}{\\f3\\froman\\fprq2\\fcharset2 Symbol;}{\\f4\\fswiss\\fcharset0 Arial;}}{\\colortbl "
    ";\\red0\\green0\\blue0;\\red128\\green0\\blue0;\\red0\\green128\\blue0;\\red128\\green128\\blue0;"
    "\\red0\\green0\\blue128;\\red128\\green0\\blue128;\\red0\\green128\\blue128;\\red128\\green128"
    "\\blue128;\\red192\\green192\\blue192;\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red255"
    "\\green255\\blue0;\\red0\\green0\\blue255;\\red255\\green0\\blue255;\\red0\\green255\\blue255;"
    "\\red255\\green255\\blue255;}\\viewkind4\\uc1\\pard\\f0 ";
}

namespace {

QByteArray tagRtf(const QByteArray &tag)
{
    static const QList<std::pair<QByteArray, QByteArray>> table = {
        {"b", "\\b "},          {"/b", "\\b0 "},        {"br", "\\par "},
        {"arial", "\\f0 "},     {"courier", "\\f2 "},   {"sup", "\\super "},
        {"/sup", "\\nosupersub "}, {"cf=jaune", "\\highlight12 "}, {"cf=auto", "\\highlight0 "},
        {"tab", "\\tab "},
    };
    for (const auto &[name, rtf] : table) {
        if (tag == name)
            return rtf;
    }
    if (tag.startsWith("te="))
        return "\\fs" + tag.mid(3) + ' ';
    return {};
}

QByteArray pad(QByteArray cell, int width)
{
    while (cell.size() < width)
        cell += ' ';
    return cell;
}

int nextValue(unsigned &state)
{
    state = state * 134775813u + 1u;
    const int v = int((quint64(state) * 99) >> 32) - 49; // -49..49
    return v == 0 ? 7 : v;
}

} // namespace

QByteArray markupToRtf(const QByteArray &markup)
{
    QByteArray out = worksheetHeader();
    for (qsizetype i = 0; i < markup.size(); ++i) {
        const char c = markup.at(i);
        if (c == '<') {
            const qsizetype close = markup.indexOf('>', i);
            const qsizetype end = close < 0 ? markup.size() : close;
            out += tagRtf(markup.mid(i + 1, end - i - 1).toLower());
            i = end;
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) >= 0x20) {
            out += c;
        }
    }
    return out + '}';
}

QByteArray subjectHeader(const QByteArray &reference, const QByteArray &t1, const QByteArray &t2,
                         const QByteArray &t3)
{
    return "<arial><te=20>" + reference + " - <b>" + t1 + "</b><br>" + t2 + "<br><b>" + t3
        + "</b><br><br><courier><te=18>";
}

QByteArray answerHeader(const QByteArray &reference, const QByteArray &t1, const QByteArray &t2,
                        const QByteArray &t3)
{
    return "<arial><te=20>" + reference + " -<b> CORRIGE - " + t1 + "</b><br>" + t2 + "<br><b>" + t3
        + "</b><br><br><courier><te=18>";
}

QByteArray signedText(int value)
{
    return value > 0 ? "+" + QByteArray::number(value) : QByteArray::number(value);
}

QByteArray additionSubjectLine(int counter, const Pairs &pairs, int interline)
{
    QByteArray line = QByteArray::number(counter).rightJustified(2, '0') + '/';
    for (int k = 0; k < 4; ++k) {
        const auto [x, y] = pairs[k];
        line += pad("(" + signedText(x) + ") + (" + signedText(y) + ") = " + (k == 3 ? "<br>" : ""), 26);
    }
    for (int i = 0; i < interline; ++i)
        line += "<br>";
    return line;
}

QByteArray additionAnswerLine(int counter, const Pairs &pairs, int interline)
{
    QByteArray line = QByteArray::number(counter).rightJustified(2, '0') + '/';
    for (int k = 0; k < 4; ++k) {
        const auto [x, y] = pairs[k];
        line += pad("(" + signedText(x) + ")+(" + signedText(y) + ")=<cf=jaune>(" + signedText(x + y)
                        + ")<cf=auto>" + (k == 3 ? "<br>" : ""),
                    45);
    }
    for (int i = 0; i < interline; ++i)
        line += "<br>";
    return line;
}

Worksheet additions(int lines, int interline)
{
    Worksheet sheet{subjectHeader("Ref 042_917", "T1", "T2", "T3"),
                    answerHeader("Ref 042_917", "T1", "T2", "T3")};
    unsigned state = 0;
    for (int n = 1; n <= lines; ++n) {
        Pairs pairs;
        for (auto &p : pairs)
            p = {nextValue(state), nextValue(state)};
        sheet.subject += additionSubjectLine(n, pairs, interline);
        sheet.answer += additionAnswerLine(n, pairs, interline);
    }
    return sheet;
}

} // namespace oxeln::samples
