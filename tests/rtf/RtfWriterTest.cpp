#include "RtfCodePage.h"
#include "RtfReader.h"
#include "RtfSamples.h"
#include "RtfTestSupport.h"
#include "RtfWriter.h"
#include "ViewDocument.h"

#include <QTextCursor>

#include <gtest/gtest.h>

using namespace oxeln;
using namespace oxeln::rtftest;

namespace {

// What a reader of the file sees of one run's characters.
struct Look
{
    QString text;
    QString family;
    qreal points = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int vertical = 0;
    QString fore; // colour name, or empty for automatic
    QString back;

    bool operator==(const Look &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Look &l)
{
    return os << '"' << l.text.toStdString() << "\" " << l.family.toStdString() << ' ' << l.points
              << (l.bold ? " b" : "") << (l.italic ? " i" : "") << (l.underline ? " u" : "")
              << (l.strike ? " s" : "") << " v" << l.vertical << " fg" << l.fore.toStdString() << " bg"
              << l.back.toStdString();
}

QList<Look> looks(const QTextDocument &doc)
{
    QList<Look> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (const TextRun &r : runs(b)) {
            const QFont f = r.format.font().resolve(doc.defaultFont());
            out.append({r.text, f.families().value(0, f.family()), f.pointSizeF(), f.bold(), f.italic(),
                         f.underline(), f.strikeOut(), int(r.format.verticalAlignment()),
                         r.format.foreground().style() == Qt::NoBrush ? QString() : r.format.foreground().color().name(),
                         r.format.background().style() == Qt::NoBrush ? QString() : r.format.background().color().name()});
        }
        Look mark;
        mark.text = QStringLiteral("<par>");
        out.append(mark);
    }
    return out;
}

// A document holding every character format and character class the writer handles.
std::unique_ptr<QTextDocument> richDocument()
{
    auto doc = std::make_unique<QTextDocument>();
    QTextCursor c(doc.get());
    QTextCharFormat base;
    base.setFontFamilies({QStringLiteral("Courier New")});
    base.setFontPointSize(9);
    const auto put = [&](const QString &text, const std::function<void(QTextCharFormat &)> &change) {
        QTextCharFormat f = base;
        change(f);
        c.insertText(text, f);
    };
    put(QStringLiteral("plain {braces} \\back\\slash "), [](QTextCharFormat &) {});
    put(QStringLiteral("bold"), [](QTextCharFormat &f) { f.setFontWeight(QFont::Bold); });
    put(QStringLiteral("italic"), [](QTextCharFormat &f) { f.setFontItalic(true); });
    put(QStringLiteral("under"), [](QTextCharFormat &f) { f.setFontUnderline(true); });
    put(QStringLiteral("strike"), [](QTextCharFormat &f) { f.setFontStrikeOut(true); });
    put(QStringLiteral("sup"), [](QTextCharFormat &f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
    put(QStringLiteral("sub"), [](QTextCharFormat &f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); });
    put(QStringLiteral("red"), [](QTextCharFormat &f) { f.setForeground(QColor(200, 10, 20)); });
    put(QStringLiteral("(+12)"), [](QTextCharFormat &f) { f.setBackground(QColor(255, 255, 0)); });
    put(QStringLiteral("arial14"), [](QTextCharFormat &f) {
        f.setFontFamilies({QStringLiteral("Arial")});
        f.setFontPointSize(14.5);
    });
    c.insertBlock(QTextBlockFormat(), base);
    put(QString::fromUtf8("é€Œ‰ ΩЖ😀\u00a0\u00ad\u2011\tend") + QChar::LineSeparator + "next", [](QTextCharFormat &) {});
    QTextCharFormat big = base;
    big.setFontPointSize(20);
    c.insertBlock(QTextBlockFormat(), big); // an empty paragraph: its height comes from its mark
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.insertBlock(centred, base);
    put(QStringLiteral("centred"), [](QTextCharFormat &f) {
        f.setFontWeight(QFont::Bold);
        f.setBackground(QColor(255, 255, 0));
        f.setForeground(QColor(200, 10, 20));
    });
    QTextOption option = doc->defaultTextOption();
    option.setTabStopDistance(192);
    doc->setDefaultTextOption(option);
    return doc;
}

} // namespace

TEST(RtfWriter, RoundTripKeepsTextFormatsAndParagraphs)
{
    const auto doc = richDocument();
    const QByteArray rtf = RtfWriter::write(doc.get());
    const auto back = readRtf(rtf);
    EXPECT_EQ(blockTexts(*back), blockTexts(*doc));
    const QList<Look> want = looks(*doc);
    const QList<Look> got = looks(*back);
    ASSERT_EQ(got.size(), want.size()) << rtf.toStdString();
    for (qsizetype i = 0; i < want.size(); ++i)
        EXPECT_EQ(got[i], want[i]) << i;
    EXPECT_EQ(back->findBlockByNumber(2).charFormat().fontPointSize(), 20.0);
    EXPECT_EQ(back->findBlockByNumber(3).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(back->defaultTextOption().tabStopDistance(), 192.0);
}

TEST(RtfWriter, RoundTripOfAWorksheetAnswerKey)
{
    const samples::Worksheet sheet = samples::additions(12);
    const auto doc = readRtf(samples::markupToRtf(sheet.answer));
    const auto back = readRtf(RtfWriter::write(doc.get()));
    EXPECT_EQ(blockTexts(*back), blockTexts(*doc));
    EXPECT_EQ(looks(*back), looks(*doc));
}

TEST(RtfWriter, WritesSevenBitRtfWithEscapesAndNoLostCharacter)
{
    const auto doc = richDocument();
    const QByteArray rtf = RtfWriter::write(doc.get());
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab2880{\\fonttbl")) << rtf.left(60).toStdString();
    EXPECT_TRUE(rtf.contains("{\\colortbl ;"));
    EXPECT_TRUE(rtf.endsWith("}\r\n"));
    for (const char ch : rtf)
        ASSERT_LT(static_cast<unsigned char>(ch), 0x80) << "raw byte in the output";
    EXPECT_TRUE(rtf.contains("plain \\{braces\\} \\\\back\\\\slash "));
    EXPECT_TRUE(rtf.contains("\\'e9\\'80\\'8c\\'89 \\u937?\\u1046?\\u-10179?\\u-8704?\\~\\-\\_\\tab end\\line next"))
        << rtf.toStdString();
    // Paragraphs are separated, not terminated: no extra paragraph on reading.
    EXPECT_EQ(rtf.count("\\par\r\n"), 3);
    EXPECT_FALSE(rtf.contains("centred\\par"));
}

TEST(RtfWriter, WritesOnlyWhatChangesBetweenRuns)
{
    const auto doc = readRtf(samples::markupToRtf(samples::additions(40).answer));
    const QByteArray rtf = RtfWriter::write(doc.get());
    // The question font is set once, not on every line or cell.
    EXPECT_EQ(rtf.count("\\fs18"), 1);
    EXPECT_EQ(rtf.count("\\f1\\fs18 "), 1);
    // Each of the 160 answers switches the highlight on and off once.
    const int yellow = [&] {
        const QList<QByteArray> entries = rtf.mid(rtf.indexOf("{\\colortbl ;") + 12).split(';');
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i] == "\\red255\\green255\\blue0")
                return i + 1;
        }
        return -1;
    }();
    ASSERT_GT(yellow, 0);
    EXPECT_EQ(rtf.count("\\highlight" + QByteArray::number(yellow) + ' '), 160);
    EXPECT_EQ(rtf.count("\\highlight0 "), 160);
}

TEST(RtfWriter, StatesThePageOnlyWhenAsked)
{
    const auto doc = readRtf(samples::markupToRtf(samples::additions(3).answer));
    const QByteArray bare = RtfWriter::write(doc.get());
    EXPECT_FALSE(bare.contains("\\paperw"));
    EXPECT_FALSE(bare.contains("\\stylesheet"));
    // A4 with 5 mm at the sides (283 twips) and 10 mm above and below (567),
    // lines at 95 %, between the tables and the text; the text is as before.
    const QByteArray paged = RtfWriter::write(doc.get(), 96.0, RtfWriter::Page{SavedPageLayout(), 95});
    const QByteArray page = "{\\stylesheet{\\sl228\\slmult1 Normal;}}\r\n"
                            "\\paperw11906\\paperh16838\\margl283\\margr283\\margt567\\margb567\r\n";
    const qsizetype body = bare.indexOf("\\viewkind4");
    ASSERT_GT(body, 0);
    EXPECT_EQ(paged, bare.left(body) + page + bare.mid(body));
    EXPECT_EQ(blockTexts(*readRtf(paged)), blockTexts(*doc));
    EXPECT_EQ(looks(*readRtf(paged)), looks(*doc));
}

TEST(RtfWriter, EmptyDocumentIsValidRtf)
{
    QTextDocument empty;
    const QByteArray rtf = RtfWriter::write(&empty);
    EXPECT_TRUE(RtfReader::isRtf(rtf));
    EXPECT_EQ(rtf.count('{'), rtf.count('}'));
    const auto back = readRtf(rtf);
    EXPECT_EQ(back->characterCount(), 1);
}

TEST(RtfCodePage, DecodesEveryByteAndEncodesItBack)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = cp1252::decode(all);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));
    EXPECT_EQ(text.at(0x9F), QChar(0x0178));
    EXPECT_EQ(text.at(0x81), QChar(0x0081)); // undefined: the C1 control
    EXPECT_EQ(text.at(0xE9), QChar(0x00E9));
    EXPECT_EQ(cp1252::encode(text), all);
}

TEST(RtfCodePage, UnmappableCharactersBecomeOneReplacementEach)
{
    EXPECT_EQ(cp1252::encode(QString::fromUtf8("aΩ😀b€")), QByteArray("a??b\x80"));
    EXPECT_EQ(cp1252::fromUnicode(0x2126), -1);
}
