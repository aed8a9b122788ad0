#include "FormPlacement.h"
#include "IniFile.h"
#include "SettingsError.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

using namespace oxeln;

namespace {

class IniFile : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("oxeln.ini")); }

    void put(const QByteArray &bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray bytes() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString read(const QString &key, const QString &def = QStringLiteral("<default>")) const
    {
        return TIniFile(path()).readString(QStringLiteral("TForm1"), key, def);
    }

    void write(const QString &key, const QString &value) const
    {
        TIniFile(path()).writeString(QStringLiteral("TForm1"), key, value);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(IniFile, ReadsTheTrimmedTextAfterTheFirstEquals)
{
    put("[TForm1]\r\nA =  x=1;y  \r\nB=\t\r\nC=plain\r\n");
    EXPECT_EQ(read("A"), "x=1;y");
    EXPECT_EQ(read("B"), "") << "a present empty key is not the default";
    EXPECT_EQ(read("C"), "plain");
}

TEST_F(IniFile, AbsentFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ(read("A"), "<default>");
    put("[Other]\r\nA=1\r\n[TForm1]\r\nB=2\r\n");
    EXPECT_EQ(read("A"), "<default>") << "a key of another section";
    EXPECT_EQ(TIniFile(path()).readString("Missing", "B", "d"), "d");
    put("A=1\r\n; A=2\r\n[TForm1]\r\n;A=3\r\n");
    EXPECT_EQ(read("A"), "<default>") << "key lines outside the section and comments";
}

TEST_F(IniFile, SectionsAndKeysMatchInAnyLetterCase)
{
    put("  [ tform1 ]  \r\n  SPMAXLIGNE_value=12\r\n");
    EXPECT_EQ(read("spMaxLigne_Value"), "12");
    EXPECT_EQ(TIniFile(path()).readInteger("TFORM1", "spmaxligne_value", 0), 12);
    // Accented letters of Windows-1252 fold too.
    put("[TForm1]\r\n\xC9l\xE8ve=1\r\n");
    EXPECT_EQ(read(QStringLiteral("élÈVE")), "1");
}

TEST_F(IniFile, RemovesExactlyOnePairOfTheSameQuote)
{
    put("[TForm1]\r\n"
        "D=\"x\"\r\n"
        "S='x'\r\n"
        "DD=\"\"x\"\"\r\n"
        "Mixed=\"x'\r\n"
        "One=\"\r\n"
        "Two=''\r\n"
        "Inner=a\"b\"\r\n");
    EXPECT_EQ(read("D"), "x");
    EXPECT_EQ(read("S"), "x");
    EXPECT_EQ(read("DD"), "\"x\"");
    EXPECT_EQ(read("Mixed"), "\"x'");
    EXPECT_EQ(read("One"), "\"");
    EXPECT_EQ(read("Two"), "");
    EXPECT_EQ(read("Inner"), "a\"b\"");
}

TEST_F(IniFile, ReturnsAtMost2047Characters)
{
    put("[TForm1]\r\nLong=" + QByteArray(3000, 'a') + "\r\n");
    EXPECT_EQ(read("Long").size(), TIniFile::MaxValueLength);
}

TEST_F(IniFile, ReplacesAnExistingValueInPlaceKeepingEverythingElse)
{
    const QByteArray before = "; made by hand\r\n[Other]\r\nA=1\r\n\r\n[TForm1]\r\n"
                              "  Key = old value\r\nNext=2\r\n; end\r\n";
    put(before);
    write("KEY", "new");
    EXPECT_EQ(bytes(), "; made by hand\r\n[Other]\r\nA=1\r\n\r\n[TForm1]\r\n"
                       "  Key =new\r\nNext=2\r\n; end\r\n");
}

TEST_F(IniFile, AddsANewKeyAfterTheLastKeyLineOfItsSection)
{
    put("[TForm1]\nA=1\nB=2\n\n; about Other\n[Other]\nC=3\n");
    write("New", "v");
    EXPECT_EQ(bytes(), "[TForm1]\nA=1\nB=2\nNew=v\n\n; about Other\n[Other]\nC=3\n")
        << "LF endings stay LF";

    put("[TForm1]\r\n; nothing yet\r\n");
    write("First", "1");
    EXPECT_EQ(bytes(), "[TForm1]\r\nFirst=1\r\n; nothing yet\r\n");

    put("[TForm1]");
    write("A", "1");
    EXPECT_EQ(bytes(), "[TForm1]\r\nA=1\r\n") << "a header without line end";
}

TEST_F(IniFile, AddsAMissingSectionAtTheEndAndCreatesAMissingFile)
{
    write("A", "1");
    write("B", "2");
    EXPECT_EQ(bytes(), "[TForm1]\r\nA=1\r\nB=2\r\n");

    put("[Other]\nX=1");
    write("A", "1");
    EXPECT_EQ(bytes(), "[Other]\nX=1\n\n[TForm1]\nA=1\n");
}

TEST_F(IniFile, WritesAndReadsWindows1252)
{
    write("T", QStringLiteral("Élève à côté – œuvre 5 €"));
    EXPECT_TRUE(bytes().contains("T=\xC9l\xE8ve \xE0 c\xF4t\xE9 \x96 \x9C" "uvre 5 \x80\r\n"));
    EXPECT_EQ(read("T"), QStringLiteral("Élève à côté – œuvre 5 €"));

    // A decomposed accent is stored composed, without loss.
    write("T", QStringLiteral("e\u0301"));
    EXPECT_TRUE(bytes().contains("T=\xE9\r\n"));
    EXPECT_TRUE(TIniFile::canStore(QStringLiteral("e\u0301")));
}

TEST_F(IniFile, CharactersOutsideWindows1252BecomeQuestionMarks)
{
    const QString arrow = QStringLiteral("a \u2192 b \U0001F600 é");
    EXPECT_FALSE(TIniFile::canStore(arrow));
    write("T", arrow);
    EXPECT_TRUE(bytes().contains("T=a ? b ? \xE9\r\n"));
}

TEST_F(IniFile, LineBreaksInAValueCannotSplitTheLine)
{
    write("T", "one\r\ntwo\nthree");
    write("U", "u");
    EXPECT_EQ(read("T"), "one  two three");
    EXPECT_EQ(read("U"), "u");
}

TEST_F(IniFile, LeavesNoTemporaryFileBehind)
{
    for (int i = 0; i < 5; ++i)
        write(QStringLiteral("K%1").arg(i), "v");
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{"oxeln.ini"});
}

TEST_F(IniFile, AFailedWriteRaisesTheErrorAndLeavesTheFileAsItWas)
{
    const QString missingFolder = m_dir.filePath("nowhere/oxeln.ini");
    try {
        TIniFile(missingFolder).writeString("TForm1", "A", "1");
        FAIL() << "no error raised";
    } catch (const SettingsError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Impossible d'écrire dans ") + missingFolder);
        EXPECT_EQ(error.message()[13], QChar(0xE9));
    }

    const QString folder = m_dir.filePath("folder.ini");
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_THROW(TIniFile(folder).writeString("TForm1", "A", "1"), SettingsError);

    // A write-protected file is refused, even for root.
    const QByteArray before = "[TForm1]\r\nA=old\r\n";
    put(before);
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_THROW(write("A", "new"), SettingsError);
    EXPECT_THROW(write("B", "new"), SettingsError);
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"oxeln.ini"});
}

TEST(IniInteger, ReadsDecimalAndHexadecimalForms)
{
    const std::pair<const char *, std::optional<qint32>> cases[] = {
        {"12", 12},
        {"  12", 12},
        {"\t+7", 7},
        {"-7", -7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<qint32>::min()},
        {"$1F", 31},
        {"x1f", 31},
        {"X1F", 31},
        {"0x10", 16},
        {"0X10", 16},
        {"$FFFFFFFF", -1},
        {"$0000000010", 16},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$100000000", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"12a", std::nullopt},
        {"12 ", std::nullopt},
        {"1 2", std::nullopt},
        {"+", std::nullopt},
        {"--1", std::nullopt},
        {"-$1", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"$1G", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(parseIniInteger(QString::fromLatin1(text)), expected) << "text: '" << text << "'";
}

TEST(IniInteger, ReadIntegerFallsBackToTheDefault)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    TIniFile ini(path);
    EXPECT_EQ(ini.readInteger("S", "N", 42), 42);
    ini.writeString("S", "N", "abc");
    EXPECT_EQ(ini.readInteger("S", "N", 42), 42);
    ini.writeInteger("S", "N", -15);
    EXPECT_EQ(ini.readInteger("S", "N", 42), -15);
    ini.writeString("S", "N", "\"$20\"");
    EXPECT_EQ(ini.readInteger("S", "N", 42), 32) << "quotes are removed before the number is read";
}

TEST(IniValueQuoting, AddsOnePairOnlyToValuesWrappedInTheSameQuote)
{
    EXPECT_EQ(quoteIniValue(""), "");
    EXPECT_EQ(quoteIniValue("abc"), "abc");
    EXPECT_EQ(quoteIniValue("\"x\""), "\"\"x\"\"");
    EXPECT_EQ(quoteIniValue("'x'"), "\"'x'\"");
    EXPECT_EQ(quoteIniValue("\""), "\"\"\"");
    EXPECT_EQ(quoteIniValue("'"), "\"'\"");
    EXPECT_EQ(quoteIniValue("\"x'"), "\"x'");
    EXPECT_EQ(quoteIniValue("a\"b\""), "a\"b\"");
}

TEST_F(IniFile, QuotedValuesComeBackUnchanged)
{
    for (const QString &value : {QStringLiteral("\"x\""), QStringLiteral("'x'"), QStringLiteral("\""),
                                QStringLiteral("'"), QStringLiteral("\"\""), QStringLiteral("'a' et 'b'")}) {
        write("T", quoteIniValue(value));
        EXPECT_EQ(read("T"), value);
    }
}

TEST(IniPath, ReplacesTheExtensionOfTheFileName)
{
    EXPECT_EQ(iniPathForExecutable("/opt/oxeln/Oxeln.exe"), "/opt/oxeln/Oxeln.ini");
    EXPECT_EQ(iniPathForExecutable("/opt/oxeln/oxeln"), "/opt/oxeln/oxeln.ini");
    EXPECT_EQ(iniPathForExecutable("/opt/my.app/oxeln"), "/opt/my.app/oxeln.ini");
    EXPECT_EQ(iniPathForExecutable("/opt/a/oxeln.v2.bin"), "/opt/a/oxeln.v2.ini");
}
