#include "MarkupToRtf.h"
#include "RtfReader.h"
#include "RtfSamples.h"
#include "RtfTestSupport.h"
#include "ViewDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QTextLayout>

#include <gtest/gtest.h>

using namespace oxeln;
using namespace oxeln::rtftest;

namespace {

const QByteArray kHeader = samples::worksheetHeader();
const QColor kYellow(255, 255, 0);

QByteArray rtf(const QByteArray &body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}" + body + "}";
}

// The worked example of the additions drill: (+3, -4), (+12, +7), (-25, -1), (+50, -49).
const samples::Pairs kExample = {{{3, -4}, {12, 7}, {-25, -1}, {50, -49}}};

QString pad(const QString &s, int width)
{
    return s.leftJustified(width, u' ');
}

} // namespace

// Worksheets as the drills convert them read into exactly their text and formats.
TEST(RtfReaderWorksheet, FixturesAreWhatTheWorksheetConversionMakes)
{
    const QByteArray markup = samples::subjectHeader("Ref 042_917", "T1", "T2", "T3");
    EXPECT_EQ(samples::markupToRtf(markup),
              kHeader + "\\f0 \\fs20 Ref 042_917 - \\b T1\\b0 \\par T2\\par \\b T3\\b0 \\par \\par \\f2 \\fs18 }");
    EXPECT_EQ(kHeader.size(), 643);
    const samples::Worksheet sheet = samples::additions(3);
    for (const QByteArray &m : {sheet.subject, sheet.answer, QByteArray("Pr\xe9nom {x} a\\b")}) {
        EXPECT_EQ(samples::markupToRtf(m), QByteArray::fromStdString(MarkupToRtf(m.toStdString())))
            << m.toStdString();
    }
}

TEST(RtfReaderWorksheet, SubjectReadsIntoTheExpectedLinesAndFonts)
{
    const QByteArray markup = samples::subjectHeader("Ref 042_917", "T1", "T2", "T3")
        + samples::additionSubjectLine(1, kExample, 2);
    const auto doc = readRtf(samples::markupToRtf(markup));

    const QString line = "01/" + pad("(+3) + (-4) = ", 26) + pad("(+12) + (+7) = ", 26)
        + pad("(-25) + (-1) = ", 26) + "(+50) + (-49) = ";
    // Cell 4's padding follows its line break; then the two interline breaks.
    EXPECT_EQ(blockTexts(*doc),
              QStringList({"Ref 042_917 - T1", "T2", "T3", "", line, "      ", "", ""}));

    const QList<TextRun> first = runs(doc->findBlockByNumber(0));
    ASSERT_EQ(first.size(), 2);
    EXPECT_EQ(first[0].text, "Ref 042_917 - ");
    EXPECT_FALSE(first[0].format.fontWeight() > QFont::Normal);
    EXPECT_EQ(first[1].text, "T1");
    EXPECT_EQ(first[1].format.fontWeight(), QFont::Bold);
    for (const TextRun &r : first) {
        EXPECT_EQ(family(r.format), "Arial");
        EXPECT_EQ(r.format.fontPointSize(), 10.0);
    }
    EXPECT_EQ(runs(doc->findBlockByNumber(1)).at(0).format.fontWeight(), QFont::Normal);
    EXPECT_EQ(runs(doc->findBlockByNumber(2)).at(0).format.fontWeight(), QFont::Bold);

    const QList<TextRun> questions = runs(doc->findBlockByNumber(4));
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(family(questions[0].format), "Courier New");
    EXPECT_EQ(questions[0].format.fontPointSize(), 9.0);
    EXPECT_EQ(questions[0].format.fontWeight(), QFont::Normal);
    EXPECT_EQ(questions[0].format.background().style(), Qt::NoBrush);
    // Empty interline paragraphs take the question font for their height.
    EXPECT_EQ(doc->findBlockByNumber(6).charFormat().fontPointSize(), 9.0);
    EXPECT_EQ(doc->defaultTextOption().tabStopDistance(), 192.0);
}

TEST(RtfReaderWorksheet, AnswerKeyHighlightsExactlyTheResults)
{
    const QByteArray markup = samples::answerHeader("Ref 042_917", "T1", "T2", "T3")
        + samples::additionAnswerLine(1, kExample, 2);
    const auto doc = readRtf(samples::markupToRtf(markup));

    EXPECT_EQ(doc->findBlockByNumber(0).text(), "Ref 042_917 - CORRIGE - T1");
    const QList<TextRun> head = runs(doc->findBlockByNumber(0));
    ASSERT_EQ(head.size(), 2);
    EXPECT_EQ(head[0].text, "Ref 042_917 -");
    EXPECT_EQ(head[1].text, " CORRIGE - T1");
    EXPECT_EQ(head[1].format.fontWeight(), QFont::Bold);

    const QString line = "01/" + pad("(+3)+(-4)=(-1)", 26) + pad("(+12)+(+7)=(+19)", 26)
        + pad("(-25)+(-1)=(-26)", 26) + "(+50)+(-49)=(+1)";
    EXPECT_EQ(doc->findBlockByNumber(4).text(), line);

    QStringList highlighted;
    for (const TextRun &r : runs(*doc)) {
        if (r.format.background().style() != Qt::NoBrush) {
            EXPECT_EQ(r.format.background().color(), kYellow) << r.text.toStdString();
            highlighted << r.text;
        }
    }
    EXPECT_EQ(highlighted, QStringList({"(-1)", "(+19)", "(-26)", "(+1)"}));
}

TEST(RtfReaderWorksheet, QuestionColumnsLineUpInSubjectAndAnswer)
{
    // Courier New must resolve to a fixed-pitch face here, or nothing lines up.
    QFont courier(QStringLiteral("Courier New"));
    courier.setPointSizeF(9);
    ASSERT_TRUE(QFontInfo(courier).fixedPitch()) << QFontInfo(courier).family().toStdString();

    const samples::Pairs wide = {{{-499, -499}, {1, 2}, {-25, 250}, {50, -49}}};
    const auto subject = readRtf(samples::markupToRtf(
        samples::subjectHeader("Ref 1", "a", "b", "c") + samples::additionSubjectLine(7, wide, 1)));
    const auto answer = readRtf(samples::markupToRtf(
        samples::answerHeader("Ref 1", "a", "b", "c") + samples::additionAnswerLine(7, wide, 1)));
    subject->documentLayout()->documentSize();
    answer->documentLayout()->documentSize();

    const QTextBlock s = subject->findBlockByNumber(4);
    const QTextBlock a = answer->findBlockByNumber(4);
    ASSERT_TRUE(s.text().startsWith("07/(-499) + (-499) = "));
    ASSERT_TRUE(a.text().startsWith("07/(-499)+(-499)=(-998)"));
    const QTextLine sLine = s.layout()->lineAt(0);
    const QTextLine aLine = a.layout()->lineAt(0);
    const qreal advance = sLine.cursorToX(4) - sLine.cursorToX(3);
    ASSERT_GT(advance, 0);
    for (int column = 0; column < 4; ++column) {
        const int start = 3 + 26 * column;
        EXPECT_DOUBLE_EQ(sLine.cursorToX(start), aLine.cursorToX(start)) << column;
        EXPECT_NEAR(sLine.cursorToX(start), sLine.cursorToX(3) + 26 * column * advance, 0.01);
    }
}

// Control words, symbols and encodings.
TEST(RtfReaderSyntax, CharacterFormatsFollowGroupsPlainAndTheirOffWords)
{
    const auto doc = readRtf(rtf("a{\\b b{\\i c}d}e\\ul f\\ulnone g\\strike h\\strike0 \\super i\\nosupersub "
                                 "\\sub j\\plain k\\b l\\b0 m\\up6 n\\dn4 o\\up0 p"));
    EXPECT_EQ(text(*doc), "abcdefghijklmnop");
    const auto at = [&](int pos) { return formatAt(*doc, pos); };
    EXPECT_EQ(at(0).fontWeight(), QFont::Normal);
    EXPECT_EQ(at(1).fontWeight(), QFont::Bold);
    EXPECT_TRUE(at(2).fontItalic());
    EXPECT_EQ(at(2).fontWeight(), QFont::Bold);
    EXPECT_FALSE(at(3).fontItalic());
    EXPECT_EQ(at(4).fontWeight(), QFont::Normal);
    EXPECT_TRUE(at(5).fontUnderline());
    EXPECT_FALSE(at(6).fontUnderline());
    EXPECT_TRUE(at(7).fontStrikeOut());
    EXPECT_EQ(at(8).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(at(9).verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(at(10).verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(at(10).fontPointSize(), 12.0);
    EXPECT_EQ(at(11).fontWeight(), QFont::Bold);
    EXPECT_EQ(at(12).fontWeight(), QFont::Normal);
    EXPECT_EQ(at(13).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(at(14).verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(at(15).verticalAlignment(), QTextCharFormat::AlignNormal);
}

TEST(RtfReaderSyntax, FontsSizesAndColoursComeFromTheTables)
{
    const QByteArray doc = "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\fmodern Courier New;}{\\f1\\fswiss "
                           "Arial}{\\f2 Caf\\'e9 Sans;}\\f3 Bare;}"
                           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                           "a\\f0\\fs18 b\\f2 c\\f3 d\\f9 e\\plain f\\cf1 g\\cf7 h\\cf0\\highlight2 i\\highlight0 "
                           "j\\cb1 k\\cb0\\chcbpat2 l\\fs0 m\\fs n}";
    const auto d = readRtf(doc);
    EXPECT_EQ(text(*d), "abcdefghijklmn");
    const auto at = [&](int pos) { return formatAt(*d, pos); };
    EXPECT_EQ(family(at(0)), "Arial"); // \deff1
    EXPECT_EQ(family(at(1)), "Courier New");
    EXPECT_EQ(at(1).fontStyleHint(), QFont::TypeWriter);
    EXPECT_EQ(at(1).fontPointSize(), 9.0);
    EXPECT_EQ(family(at(2)), QString::fromUtf8("Café Sans"));
    EXPECT_EQ(family(at(3)), "Bare");
    EXPECT_EQ(family(at(4)), ""); // no such font: the view's own
    EXPECT_EQ(family(at(5)), "Arial");
    EXPECT_EQ(at(6).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(at(7).foreground().style(), Qt::NoBrush); // beyond the table
    EXPECT_EQ(at(8).foreground().style(), Qt::NoBrush);
    EXPECT_EQ(at(8).background().color(), QColor(Qt::blue));
    EXPECT_EQ(at(9).background().style(), Qt::NoBrush);
    EXPECT_EQ(at(10).background().color(), QColor(Qt::red));
    EXPECT_EQ(at(11).background().color(), QColor(Qt::blue));
    EXPECT_EQ(at(12).fontPointSize(), 12.0); // \fs0 and \fs alone: the default size
    EXPECT_EQ(at(13).fontPointSize(), 12.0);
}

TEST(RtfReaderSyntax, BreaksTabsAndControlSymbols)
{
    const auto doc = readRtf(rtf("a\\par b\\line c\\tab d\te\\\r\nf\\\ng\r\nh\\~\\-\\_\\{\\}\\\\\\emdash\\bullet\\sect "
                                 "i\\cell j\\row k"));
    EXPECT_EQ(blockTexts(*doc),
              QStringList({"a", QString("b") + QChar::LineSeparator + "c\td\te", "f", "gh\u00a0\u00ad\u2011{}\\\u2014\u2022",
                           "i\tj", "k"}));
}

TEST(RtfReaderSyntax, BytesAreWindows1252AndFontCharsetsChooseTheirCodePage)
{
    const QByteArray doc = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}"
                           "{\\f2\\fcharset204 Cyr;}}\\f0 \\'80\\'e9\x80\xe9\\'81\\'9f \\f1 p\\'b0\\f2 \\'c0\\'e0}";
    EXPECT_EQ(text(*readRtf(doc)), QString::fromUtf8("€é€é\u0081Ÿ \uf070\uf0b0Аа"));
}

TEST(RtfReaderSyntax, UnicodeEscapesSkipTheirFallbackByUcCount)
{
    struct Case { const char *body; const char *expected; };
    const Case cases[] = {
        {"\\u233?x", "éx"},
        {"\\u233\\'e9x", "éx"},                           // a \'hh is one unit
        {"\\uc2 \\u8364\\'80\\'80 x\\uc0\\u8364 y", "€ x€y"}, // \uc0: nothing to skip
        {"\\uc1\\u-3972?", "\uf07c"},                     // negative: plus 65536
        {"\\u-10179?\\u-8704?", "\U0001F600"},           // a surrogate pair
        {"\\uc0 \\u55357\\uc1 \\u56832\\'3f", "\U0001F600"},
        {"a\\u-10179?b", "a\uFFFDb"},                     // a lone half is not a character
        {"a\\u56832?b", "a\uFFFDb"},
        {"{\\uc3 \\u233}xyz", "éxyz"},                    // group end stops the skip
        {"\\uc99 \\u233 ??????????d", "éd"},              // \uc is capped at 10
        {"\\u233 \\b ?x", "é?x"},                         // a control word counts as one
        {"a\\u0?\\u13?\\u10?\\u65532?b", "ab"},           // characters that would be structure
        {"a\\u8233?b", "a\nb"},                          // paragraph separator: a paragraph
    };
    for (const Case &c : cases)
        EXPECT_EQ(text(*readRtf(rtf(c.body))), QString::fromUtf8(c.expected)) << c.body;
}

TEST(RtfReaderSyntax, DestinationsWithoutVisibleTextAreSkipped)
{
    const QByteArray body = "{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}{\\*\\generator G;}"
                            "{\\*\\unknownthing x{y}z}{\\pict\\pngblip 89504e47}{\\header H}"
                            "{\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt R}}"
                            "{\\upr{ansi}{\\*\\ud{uni}}}{\\v hidden}{\\*\\bkmkstart m}"
                            "{\\listtext 1.\\tab}visible";
    EXPECT_EQ(text(*readRtf(rtf(body))), "Runi1.\tvisible");
}

TEST(RtfReaderSyntax, ParagraphAlignmentAndDefaultTab)
{
    const auto doc = readRtf("{\\rtf1\\deftab1440 \\qc a\\par b\\pard\\par \\qr c\\par \\qj d}");
    EXPECT_EQ(doc->findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(doc->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignLeft);
    EXPECT_EQ(doc->findBlockByNumber(2).blockFormat().alignment(), Qt::AlignRight);
    EXPECT_EQ(doc->findBlockByNumber(3).blockFormat().alignment(), Qt::AlignJustify);
    EXPECT_EQ(doc->defaultTextOption().tabStopDistance(), 96.0);
    EXPECT_EQ(readRtf("{\\rtf1 x}")->defaultTextOption().tabStopDistance(), 48.0);
}

// Damaged or hostile input: no crash, no hang, the text that can be read is kept.
TEST(RtfReaderRobustness, UnbalancedBracesKeepTheText)
{
    EXPECT_EQ(text(*readRtf("{\\rtf1 a}}}b}")), "ab");
    EXPECT_EQ(text(*readRtf("}}{\\rtf1 a}")), "a");
    EXPECT_EQ(text(*readRtf("{\\rtf1 {\\b a{\\i b")), "ab");
    // An unescaped "}" in a title of an old worksheet closes the document's
    // group too early: what follows must still be read, with its format.
    const auto doc = readRtf(kHeader + "\\fs20 Ref - \\b A}B\\b0 \\par C\\par \\f2 \\fs18 01/x}");
    EXPECT_EQ(blockTexts(*doc), QStringList({"Ref - AB", "C", "01/x"}));
    EXPECT_EQ(formatAt(*doc, 7).fontWeight(), QFont::Bold);
    EXPECT_EQ(family(formatAt(*doc, 12)), "Courier New");
    // An unescaped "{": the rest lies in a group that never closes.
    EXPECT_EQ(text(*readRtf(kHeader + "T{1\\par x}")), "T1\nx");
}

TEST(RtfReaderRobustness, TruncatedInputKeepsWhatWasRead)
{
    const QByteArray full = samples::markupToRtf(samples::answerHeader("Ref 042_917", "T1", "T2", "T3")
                                                 + samples::additionAnswerLine(1, kExample, 2));
    const QString whole = text(*readRtf(full));
    QString previous;
    for (qsizetype n = 0; n <= full.size(); n += 7) {
        const QString got = text(*readRtf(full.left(n)));
        // Each longer prefix reads at least as much, and never more than the whole.
        EXPECT_TRUE(got.startsWith(previous.left(previous.size() - 2))) << n;
        EXPECT_LE(got.size(), whole.size() + 1) << n;
        previous = got;
    }
    EXPECT_EQ(text(*readRtf("{\\rtf1 abc\\pa")), "abc");
    EXPECT_EQ(text(*readRtf("{\\rtf1 abc\\")), "abc");
    EXPECT_EQ(text(*readRtf("{\\rtf1 a\\'e")), "a");
    EXPECT_EQ(text(*readRtf("{\\rtf1 a\\u-")), "a-"); // "-" without digits ends the word
}

TEST(RtfReaderRobustness, BinaryDataIsSkippedByItsLength)
{
    EXPECT_EQ(text(*readRtf(rtf("a{\\*\\blip\\bin5 {}\\}\\}b"))), "ab");
    EXPECT_EQ(text(*readRtf(rtf("a\\bin3 }}}b"))), "ab");
    EXPECT_EQ(text(*readRtf(rtf("a\\bin-5 b"))), "ab");
    EXPECT_EQ(text(*readRtf("{\\rtf1 a\\bin99999999999999 xyz}")), "a"); // runs off the end
}

TEST(RtfReaderRobustness, HugeParametersAndLongWordsAreBounded)
{
    const auto doc = readRtf("{\\rtf1{\\colortbl;\\red999999999999\\green-5\\blue256;}"
                             "\\fs99999999999999 a\\fs-7 b\\cf4294967296 c\\cf1 d\\b-2147483649 e"
                             "\\uc2147483648 \\u233 ???????????f\\" + QByteArray(100, 'x') + "7 g\\deftab999999999}");
    EXPECT_EQ(text(*doc), QString::fromUtf8("abcdeé?fg"));
    EXPECT_EQ(formatAt(*doc, 0).fontPointSize(), 1638.0);
    EXPECT_EQ(formatAt(*doc, 1).fontPointSize(), 12.0);
    EXPECT_EQ(formatAt(*doc, 2).foreground().style(), Qt::NoBrush);
    EXPECT_EQ(formatAt(*doc, 3).foreground().color(), QColor(255, 0, 255));
    EXPECT_EQ(formatAt(*doc, 4).fontWeight(), QFont::Bold);
    EXPECT_LE(doc->defaultTextOption().tabStopDistance(), 32767 * 96 / 1440.0);
}

TEST(RtfReaderRobustness, DeepNestingIsCountedButNotStored)
{
    const int depth = 200000;
    QByteArray deep = "{\\rtf1 a" + QByteArray(depth, '{') + "\\b x\\par y" + QByteArray(depth, '}') + "z}";
    const auto doc = readRtf(deep);
    EXPECT_EQ(blockTexts(*doc), QStringList({"ax", "yz"}));
    // Formats cannot leak out of groups deeper than the stored limit...
    EXPECT_EQ(formatAt(*doc, 1).fontWeight(), QFont::Normal);
    // ...and within the limit they follow the groups as usual.
    QByteArray nested = "{\\rtf1 ";
    for (int i = 0; i < 900; ++i)
        nested += "{\\b ";
    nested += "x" + QByteArray(900, '}') + "y}";
    const auto doc2 = readRtf(nested);
    EXPECT_EQ(text(*doc2), "xy");
    EXPECT_EQ(formatAt(*doc2, 0).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(*doc2, 1).fontWeight(), QFont::Normal);
}

TEST(RtfReaderRobustness, LargeInputsReadInLinearTime)
{
    // 200,000 format changes and 100,000 paragraphs: a quadratic reader would take minutes.
    QByteArray big = kHeader;
    for (int i = 0; i < 100000; ++i)
        big += "\\b x\\b0 \\highlight12 y\\highlight0 \\par ";
    big += '}';
    QElapsedTimer timer;
    timer.start();
    const auto doc = readRtf(big);
    EXPECT_EQ(doc->blockCount(), 100001);
    EXPECT_LT(timer.elapsed(), 20000);
}

// Documents of other writers.
TEST(RtfReaderForeign, LibreOfficeDocumentReadsWithItsFormats)
{
    QFile file(QStringLiteral(OXELN_TEST_DATA "/libreoffice-7.4.rtf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto doc = readRtf(file.readAll());
    const QStringList blocks = blockTexts(*doc);
    ASSERT_EQ(blocks.size(), 4);
    EXPECT_EQ(blocks[0], QString::fromUtf8("01/(+3)+(-4)=(-1) Prénom : gras italique souligné barré x2 H2O"));
    EXPECT_EQ(blocks[1], QString::fromUtf8("Ça coûte 5 € — «guillemets» œuvre Ω αβγ 😀 ½"));
    EXPECT_EQ(blocks[2], QString::fromUtf8("Centré"));
    EXPECT_EQ(blocks[3], "");

    const int answer = blocks[0].indexOf("(-1)");
    EXPECT_EQ(formatAt(*doc, answer).background().color(), kYellow);
    EXPECT_EQ(formatAt(*doc, answer - 1).background().style(), Qt::NoBrush);
    EXPECT_EQ(family(formatAt(*doc, 0)), "Courier New");
    EXPECT_EQ(formatAt(*doc, 0).fontPointSize(), 9.0);
    EXPECT_EQ(formatAt(*doc, blocks[0].indexOf("gras")).fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatAt(*doc, blocks[0].indexOf("italique")).fontItalic());
    EXPECT_TRUE(formatAt(*doc, blocks[0].indexOf("souligné")).fontUnderline());
    EXPECT_TRUE(formatAt(*doc, blocks[0].indexOf("barré")).fontStrikeOut());
    EXPECT_EQ(formatAt(*doc, blocks[0].indexOf("x2") + 1).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatAt(*doc, blocks[0].indexOf("H2O") + 1).verticalAlignment(), QTextCharFormat::AlignSubScript);
    const int second = doc->findBlockByNumber(1).position();
    EXPECT_EQ(formatAt(*doc, second).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(family(formatAt(*doc, second)), "Arial");
    EXPECT_EQ(doc->findBlockByNumber(2).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_NEAR(doc->defaultTextOption().tabStopDistance(), 709 * 96 / 1440.0, 0.001);
}

TEST(RtfReaderForeign, WordProcessorDocumentWithTablesListsAndMetadata)
{
    const QByteArray doc =
        "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff31507\\deff0\\stshfdbch31505"
        "{\\fonttbl{\\f0\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}"
        "{\\f37\\fbidi \\fswiss\\fcharset0\\fprq2{\\*\\panose 020f0502020204030204}Calibri{\\*\\falt x};}}"
        "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue0;}"
        "{\\*\\defchp \\f31506\\fs22 }{\\stylesheet{\\ql \\li0\\ri0 \\f37\\fs22 \\snext0 Normal;}"
        "{\\*\\cs10 \\additive \\ssemihidden Default Paragraph Font;}}"
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}}}"
        "{\\*\\rsidtbl \\rsid123}{\\*\\generator Microsoft Word 16.0;}{\\info{\\title Fiche}"
        "{\\author Prof}{\\creatim\\yr2024\\mo1\\dy2}}{\\*\\xmlnstbl {\\xmlns1 http://x}}"
        "\\paperw11906\\paperh16838\\margl1417 {\\*\\themedata 504b0304}{\\*\\colorschememapping 3c3f}"
        "{\\*\\latentstyleslsdstimax376{\\lsdlockedexcept \\lsdqformat1 Normal;}}"
        "{\\*\\datastore 0105000002000000}\\sectd \\pard\\plain \\ltrpar\\f37\\fs22 "
        "{\\rtlch \\ltrch\\insrsid1 Bonjour }{\\b\\highlight2\\insrsid1 tout}{\\insrsid1  le monde}"
        "{\\insrsid1 \\par }{\\listtext\\pard\\plain \\f37 1.\\tab}\\ls1 Premier\\par "
        "\\trowd \\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell \\row "
        "\\pard {\\*\\shppict{\\pict\\pngblip 89504e}}{\\nonshppict{\\pict\\wmetafile8 0100}}Fin\\par }";
    const auto d = readRtf(doc);
    EXPECT_EQ(blockTexts(*d), QStringList({"Bonjour tout le monde", "1.\tPremier", "A\tB\t", "Fin", ""}));
    EXPECT_EQ(family(formatAt(*d, 0)), "Calibri");
    EXPECT_EQ(formatAt(*d, 0).fontPointSize(), 11.0);
    EXPECT_EQ(formatAt(*d, 8).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(*d, 8).background().color(), kYellow);
}

// A worksheet grows a drill at a time: reading the longer RTF by appending
// its new end must give what reading it from scratch gives.
TEST(RtfReaderResume, AppendingTheNextDrillsEqualsReadingFromScratch)
{
    QByteArray markup = samples::answerHeader("Ref 042_917", "T1", "T2", "T3");
    QTextDocument grown;
    std::unique_ptr<RtfReader> reader;
    for (int drill = 0; drill < 3; ++drill) {
        for (int line = 1; line <= 10; ++line) {
            const int n = drill * 10 + line;
            markup += samples::additionAnswerLine(n, {{{n, -n}, {2 * n, 7}, {-n, -1}, {50, -n}}}, 2);
        }
        const QByteArray rtf = samples::markupToRtf(markup);
        if (!reader) {
            reader = std::make_unique<RtfReader>(rtf, &grown);
        } else {
            ASSERT_TRUE(reader->canResume(rtf)) << drill;
            reader->resume(rtf);
        }
        const auto fresh = readRtf(rtf);
        ASSERT_EQ(blockTexts(grown), blockTexts(*fresh)) << drill;
        const QList<TextRun> a = runs(grown);
        const QList<TextRun> b = runs(*fresh);
        ASSERT_EQ(a.size(), b.size());
        for (qsizetype i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].text, b[i].text);
            EXPECT_EQ(a[i].format, b[i].format) << a[i].text.toStdString();
        }
        EXPECT_EQ(grown.lastBlock().charFormat(), fresh->lastBlock().charFormat());
    }
}

TEST(RtfReaderResume, OnlyAContinuationOfTheSameTextResumes)
{
    QTextDocument doc;
    const RtfReader reader("{\\rtf1 \\b a\\par }", &doc);
    EXPECT_TRUE(reader.canResume("{\\rtf1 \\b a\\par b}"));
    EXPECT_FALSE(reader.canResume("{\\rtf1 \\b x\\par b}"));  // differs before the end
    EXPECT_FALSE(reader.canResume("{\\rtf1 \\b a\\par "));     // not longer
    // The text read was cut short at its end: more input could change it.
    const auto cannot = [](const QByteArray &first, const QByteArray &longer) {
        QTextDocument d;
        return !RtfReader(first, &d).canResume(longer);
    };
    EXPECT_TRUE(cannot("{\\rtf1 a\\par}", "{\\rtf1 a\\pard b}"));         // a word without its space
    EXPECT_TRUE(cannot("{\\rtf1 a\\fs2}", "{\\rtf1 a\\fs24 b}"));
    EXPECT_TRUE(cannot("{\\rtf1 a\\'e}", "{\\rtf1 a\\'e9}"));
    EXPECT_TRUE(cannot("{\\rtf1 a\\u-10179?}", "{\\rtf1 a\\u-10179?\\u-8704?}")); // half a pair
    EXPECT_TRUE(cannot("{\\rtf1 a\\}", "{\\rtf1 a\\}b}"));               // no final "}"
    EXPECT_TRUE(cannot("{\\rtf1 a\\u-}", "{\\rtf1 a\\u-10179?\\u-8704?}")); // "-" could begin a parameter
    // Only blanks from the cut on: a stray "}" before it becomes the last one.
    EXPECT_TRUE(cannot(QByteArray("\xf0rb\\ }\t\0\0}", 10), QByteArray("\xf0rb\\ }\t\0\0\0", 10)));
    EXPECT_TRUE(cannot("{\\rtf1 a} }", "{\\rtf1 a} \r\n"));
    EXPECT_EQ(text(*readRtf("{\\rtf1 a} \r\n")), "a");
    // Fallback still to skip carries over: "?" after \u233 is skipped either way.
    QTextDocument d;
    RtfReader skip("{\\rtf1 a\\u233 }", &d);
    ASSERT_TRUE(skip.canResume("{\\rtf1 a\\u233 ?b}"));
    skip.resume("{\\rtf1 a\\u233 ?b}");
    EXPECT_EQ(text(d), QString::fromUtf8("aéb"));
}

TEST(RtfReaderResume, TextKeepsTheTablesItWasReadWith)
{
    // Text read before a table changes keeps its format, whether the reading
    // stops between the two or not.
    const QByteArray whole = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 a{\\colortbl;\\red0\\green0\\blue255;}b}";
    const auto once = readRtf(whole);
    EXPECT_EQ(formatAt(*once, 0).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(formatAt(*once, 1).foreground().color(), QColor(Qt::blue));
    QTextDocument twice;
    RtfReader reader(whole.left(whole.indexOf("{\\colortbl;\\red0")) + '}', &twice);
    ASSERT_TRUE(reader.canResume(whole));
    reader.resume(whole);
    EXPECT_EQ(formatAt(twice, 0).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(formatAt(twice, 1).foreground().color(), QColor(Qt::blue));
}

// The plain text read without a document is the text of the document read:
// the reader's own inputs (fuzzing corpus, another writer's file, a real
// worksheet) and the cases where the two could part (line breaks, hidden
// text, broken Unicode, input cut short).
TEST(RtfReaderPlainText, IsTheContentTextOfTheDocumentRead)
{
    QList<QByteArray> inputs;
    const QDir corpus(QStringLiteral(OXELN_FUZZ_CORPUS));
    for (const QString &name : corpus.entryList(QDir::Files)) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        inputs << file.readAll();
    }
    ASSERT_GT(inputs.size(), 50);
    QFile foreign(QStringLiteral(OXELN_TEST_DATA "/libreoffice-7.4.rtf"));
    ASSERT_TRUE(foreign.open(QIODevice::ReadOnly));
    inputs << foreign.readAll();
    const QByteArray sheet = QByteArray::fromStdString(
        MarkupToRtf(samples::answerHeader("Ref 042_917", "T1", "T2", "T3").toStdString()
                    + samples::additionAnswerLine(1, kExample, 2).toStdString()));
    inputs << sheet << sheet.left(sheet.size() / 2);
    inputs << rtf("a\\line b\\par\\par {\\v hidden}c\\par\\u-10179?\\u-8704?\\u55357?x\\'e9\\tab\\~\\par ")
           << rtf("{\\fonttbl{\\f1\\fcharset128 MS Mincho;}}\\f1 \\'82\\'a0\\'82") << "{\\rtf1 open\\par {{";
    for (const QByteArray &input : inputs)
        EXPECT_EQ(RtfReader::plainText(input), ContentText(*readRtf(input))) << input.left(80).toStdString();
}
