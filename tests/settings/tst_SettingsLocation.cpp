// Where the settings file lives, and writing it where its folder takes no
// new file. Permissions are checked as a user without privileges sees them:
// run as root (who ignores them), each test acts as "nobody".

#include "IniFile.h"
#include "SettingsError.h"
#include "SettingsLocation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using namespace oxeln;

namespace {

constexpr uid_t Nobody = 65534;

class SettingsLocation : public ::testing::Test
{
protected:
    // <tmp>/app holds the executable and is read-only for the user;
    // <tmp>/config is the user's configuration folder.
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("app"));
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("config"));
        give(m_dir.filePath("config"), 0755);
        give(app(), 0555);
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config")));
    }

    // From here on, as the user (the saved identity brings root back).
    void actAsUser()
    {
        if (::geteuid() == 0) {
            ASSERT_EQ(::setresgid(Nobody, Nobody, 0), 0);
            ASSERT_EQ(::setresuid(Nobody, Nobody, 0), 0);
            m_switched = true;
        }
    }

    void TearDown() override
    {
        if (m_switched) {
            EXPECT_EQ(::setresuid(0, 0, 0), 0);
            EXPECT_EQ(::setresgid(0, 0, 0), 0);
        }
        ::chmod(QFile::encodeName(app()).constData(), 0755);
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    }

    // Owned by the user the test acts as, with these permissions.
    static void give(const QString &path, mode_t mode)
    {
        const QByteArray name = QFile::encodeName(path);
        const uid_t user = ::geteuid() == 0 ? Nobody : ::geteuid();
        const gid_t group = ::geteuid() == 0 ? Nobody : ::getegid();
        ASSERT_EQ(::chown(name.constData(), user, group), 0);
        ASSERT_EQ(::chmod(name.constData(), mode), 0);
    }

    // A settings file beside the executable.
    void putBeside(const QByteArray &content, mode_t mode)
    {
        QFile file(besideIni());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        give(besideIni(), mode);
    }

    static QByteArray contentOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }

    QString app() const { return m_dir.filePath("app"); }
    QString executable() const { return m_dir.filePath("app/oxeln"); }
    QString besideIni() const { return m_dir.filePath("app/oxeln.ini"); }
    QString userIni() const { return m_dir.filePath("config/oxeln/oxeln.ini"); }

    QTemporaryDir m_dir;
    QByteArray m_oldConfig;
    bool m_switched = false;
};

} // namespace

TEST_F(SettingsLocation, InstalledProgramKeepsThemInTheUserFolder)
{
    actAsUser();
    // A folder of the system with no settings file: the user's own file.
    EXPECT_FALSE(canKeepSettingsAt(besideIni()));
    EXPECT_EQ(settingsFileForExecutable(executable()), userIni());
    EXPECT_EQ(userSettingsPath("oxeln.ini"), userIni());
}

TEST_F(SettingsLocation, WritableFileInAReadOnlyFolderIsWrittenInPlace)
{
    putBeside("; kept\r\n[TForm1]\r\nA=1\r\n", 0644);
    actAsUser();
    EXPECT_TRUE(canKeepSettingsAt(besideIni()));
    EXPECT_EQ(settingsFileForExecutable(executable()), besideIni());

    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(besideIni()).constData(), &before), 0);
    IniFilePass pass(besideIni());
    pass.writeString("TForm1", "A", "2");
    pass.writeString("TForm1", "B", "3");
    EXPECT_NO_THROW(pass.commit());
    EXPECT_EQ(contentOf(besideIni()), "; kept\r\n[TForm1]\r\nA=2\r\nB=3\r\n");
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(besideIni()).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(QDir(app()).entryList(QDir::Files | QDir::Hidden), QStringList{"oxeln.ini"});
    // Shorter content leaves nothing of the longer one.
    TIniFile(besideIni()).writeString("TForm1", "B", "");
    TIniFile(besideIni()).writeString("TForm1", "A", "");
    EXPECT_EQ(contentOf(besideIni()), "; kept\r\n[TForm1]\r\nA=\r\nB=\r\n");
}

TEST_F(SettingsLocation, ProtectedFileInAReadOnlyFolderIsReadThenLeftForTheUserFile)
{
    const QByteArray stick = "[TForm1]\r\nspMaxLigne_Value=12\r\n[Other]\r\nX=1\r\n";
    putBeside(stick, 0444);
    actAsUser();
    EXPECT_FALSE(canKeepSettingsAt(besideIni()));
    EXPECT_THROW(TIniFile(besideIni()).writeString("TForm1", "A", "1"), SettingsError);
    EXPECT_EQ(contentOf(besideIni()), stick);

    // Read from where they are until the user has a file of their own,
    // which starts as a copy.
    EXPECT_EQ(settingsFileForExecutable(executable()), besideIni());
    prepareUserSettingsFile(besideIni(), userIni());
    EXPECT_EQ(contentOf(userIni()), stick);
    EXPECT_EQ(settingsFileForExecutable(executable()), userIni());
    TIniFile(userIni()).writeString("TForm1", "spMaxLigne_Value", "20");
    EXPECT_EQ(TIniFile(userIni()).readString("Other", "X", ""), "1");
    // An existing user file is never overwritten by the copy.
    prepareUserSettingsFile(besideIni(), userIni());
    EXPECT_EQ(TIniFile(userIni()).readString("TForm1", "spMaxLigne_Value", ""), "20");
}

TEST_F(SettingsLocation, WritableFolderKeepsTheSettingsBesideTheExecutable)
{
    give(app(), 0755);
    actAsUser();
    EXPECT_TRUE(canKeepSettingsAt(besideIni()));
    EXPECT_EQ(settingsFileForExecutable(executable()), besideIni());
    EXPECT_FALSE(canKeepSettingsAt(app())) << "a folder in the file's place";
}
