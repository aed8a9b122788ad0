#include "FileReplace.h"
#include "FormPlacement.h"
#include "IniFile.h"
#include "SettingsError.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

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

TEST_F(IniFile, HandEditedFilesReadAsTheirEditorMeantThem)
{
    // A byte-order mark is no part of the first line; the text is UTF-8.
    put("\xEF\xBB\xBF[TForm1]\r\nETitre1_Text=Pr\xC3\xA9nom\r\n");
    EXPECT_EQ(read("ETitre1_Text"), QStringLiteral("Prénom"));
    write("Etitre2_Text", QStringLiteral("Élève → 5 €"));
    EXPECT_EQ(bytes(), "\xEF\xBB\xBF[TForm1]\r\nETitre1_Text=Pr\xC3\xA9nom\r\n"
                       "Etitre2_Text=\xC3\x89l\xC3\xA8ve \xE2\x86\x92 5 \xE2\x82\xAC\r\n");
    // The same mark before Windows-1252 bytes: they stay Windows-1252.
    put("\xEF\xBB\xBF[TForm1]\r\nETitre1_Text=Pr\xE9nom\r\n");
    EXPECT_EQ(read("ETitre1_Text"), QStringLiteral("Prénom"));
    write("Etitre2_Text", QStringLiteral("Élève 5 €"));
    EXPECT_EQ(bytes(), "\xEF\xBB\xBF[TForm1]\r\nETitre1_Text=Pr\xE9nom\r\nEtitre2_Text=\xC9l\xE8ve 5 \x80\r\n");

    // CR alone ends a line; new lines take the file's own ending.
    put("[TForm1]\rA=1\r[Other]\rB=2\r");
    EXPECT_EQ(read("A"), "1");
    EXPECT_EQ(read("B"), "<default>");
    write("A", "3");
    write("C", "4");
    EXPECT_EQ(bytes(), "[TForm1]\rA=3\rC=4\r[Other]\rB=2\r");

    // Endings mixed by hand stay as they were, line by line.
    put("[TForm1]\nA=1\r\nB=2\rC=3");
    write("B", "x");
    write("D", "y");
    EXPECT_EQ(bytes(), "[TForm1]\nA=1\r\nB=x\rC=3\nD=y\n");
}

// The twenty keys of a save, with values of every kind.
QList<std::pair<QString, QString>> twentyKeys(int round)
{
    const QString n = QString::number(round);
    return {{"FormVersion", "0"}, {"Flags", "0"}, {"ShowCmd", "1"}, {"PixelsPerInch", "96"},
            {"MinMaxPos(1024x768)", "-1,-1,-1,-1"}, {"MinMaxPos", "-1,-1,-1,-1"},
            {"NormPos(1024x768)", "10,20,770,440"}, {"NormPos", "10,20,770,44" + n},
            {"Visible", "0"}, {"spmaxvaleur_Value", "100"}, {"spMaxLigne_Value", n},
            {"spinterligne_Value", "2"}, {"CBCorrige_Checked", "True"},
            {"ETitre1_Text", QStringLiteral("Prénom : ") + n}, {"Etitre2_Text", quoteIniValue("\"x\"")},
            {"Etitre3_Text", QStringLiteral("a = b ; c € \u2192")}, {"spCorriges_Value", "1"},
            {"spSujets_Value", n}, {"SaveDialog1_InitialDir", ""}, {"ckbEdite_Checked", "False"}};
}

TEST_F(IniFile, OnePassGivesTheBytesOfOneUpdatePerKey)
{
    const QByteArray files[] = {
        "",
        "[TForm1]\r\nFormVersion=0\r\nFlags=0\r\n",
        "; by hand\n[Other]\nX=1\n\n[tform1]\n  SPMAXLIGNE_VALUE = 7 \nvisible=1\n\n[Third]\nY=2",
        "[TForm1]",
        "\xEF\xBB\xBF[TForm1]\rNormPos=1,2,3,4\r",
        "[TForm1]\nA=1\r\nB=2\rC=3",
        "[TForm1]\r\nFlags=1\r\n[TForm1]\r\nFlags=2\r\n",
        "garbage line\r\n=\r\n[\r\n[TForm1\r\n]\r\n",
        "[Projection]\r\nZoom=2\r\n\r\n",
        QByteArray("[TForm1]\r\nETitre1_Text=a\0b\r\n\r\n\r\n", 30),
    };
    int round = 0;
    for (const QByteArray &file : files) {
        ++round;
        const QString oneByOne = m_dir.filePath("one.ini");
        const QString onePass = m_dir.filePath("pass.ini");
        for (const QString &name : {oneByOne, onePass}) {
            QFile::remove(name);
            if (!file.isEmpty() || round > 1) {
                QFile out(name);
                ASSERT_TRUE(out.open(QIODevice::WriteOnly));
                out.write(file);
            }
        }
        IniFilePass pass(onePass);
        for (int save = 1; save <= 2; ++save) {
            for (const auto &[key, value] : twentyKeys(save)) {
                TIniFile(oneByOne).writeString("TForm1", key, value);
                pass.writeString("TForm1", key, value);
            }
        }
        pass.commit();
        QFile a(oneByOne), b(onePass);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        EXPECT_EQ(b.readAll(), a.readAll()) << "file " << round;
        EXPECT_EQ(pass.readString("TForm1", "ETitre1_Text", ""), QStringLiteral("Prénom : 2"));
    }
}

TEST_F(IniFile, ReplaceKeepsPermissionsAndRemovesOnlyCopiesOfEndedProcesses)
{
    put("[TForm1]\r\nA=1\r\n");
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner));

    // A process that has ended, and one that runs (this one's parent).
    QProcess ended;
    ended.start("true", {});
    ASSERT_TRUE(ended.waitForStarted(5000));
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished(5000));
    const QString stale = replacementCopyName(path(), endedPid);
    const QString running = replacementCopyName(path(), qint64(getppid()));
    const QStringList others{"oxeln.ini.backup", "oxeln.ini.12a.tmp", "oxeln.ini.tmp", "other.ini.1.tmp"};
    for (const QString &name : QStringList{stale, running} + others) {
        QFile f(m_dir.filePath(QFileInfo(name).fileName()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &before), 0);

    write("A", "2");
    EXPECT_EQ(read("A"), "2");
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced by a new file";
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    QStringList expected = others + QStringList{"oxeln.ini", QFileInfo(running).fileName()};
    expected.sort();
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
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
