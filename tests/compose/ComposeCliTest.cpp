// The built oxeln-compose binary, run end to end in a scratch folder.
#include "Composer.h"
#include "GiftQuiz.h"
#include "MarkupToRtf.h"
#include "StudentPage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace oxeln;

namespace {

struct RunResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string quoted(const std::string &arg)
{
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class ComposeCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/oxeln-compose-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // limitBlocks: the largest file the run may write, in 512-byte blocks.
    RunResult run(const std::vector<std::string> &args, int limitBlocks = 0)
    {
        std::string command = limitBlocks > 0 ? "ulimit -f " + std::to_string(limitBlocks) + "; " : "";
        command += quoted(OXELN_COMPOSE_BINARY);
        for (const std::string &a : args)
            command += " " + quoted(a);
        command += " >" + quoted(m_dir / "stdout") + " 2>" + quoted(m_dir / "stderr");
        const int status = std::system(command.c_str());
        RunResult r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = readFile(m_dir / "stdout");
        r.err = readFile(m_dir / "stderr");
        fs::remove(m_dir / "stdout");
        fs::remove(m_dir / "stderr");
        return r;
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::recursive_directory_iterator(m_dir))
            if (entry.is_regular_file())
                names.push_back(fs::relative(entry.path(), m_dir).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_dir;
};

} // namespace

TEST_F(ComposeCli, SeedZeroAdditionsWriteBothRtfFiles)
{
    const std::string out = (m_dir / "fiche.rtf").string();
    const RunResult r = run({"--seed", "0", "--out", out, "+"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Ref 000_031\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(files(), (std::vector<std::string>{"fiche.rtf", "fiche_Cor.rtf"}));

    const compose::ComposedWorksheet sheet =
        compose::composeWorksheet(compose::parseArguments({"--seed", "0", "--out", out, "+"},
                                                          compose::standardFormats()).options);
    EXPECT_EQ(readFile(m_dir / "fiche.rtf"), MarkupToRtf(sheet.subject));
    EXPECT_EQ(readFile(m_dir / "fiche_Cor.rtf"), MarkupToRtf(sheet.answer));
}

TEST_F(ComposeCli, MarkupFormatAndFileNames)
{
    fs::create_directory(m_dir / "cours.2024");
    const std::string out = (m_dir / "cours.2024" / "fiche").string();
    const RunResult r = run({"S1", "--format=markup", "--lines", "2", "--out", out, "--seed=77", "--no-answer", "RAZ", "S2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(files(), (std::vector<std::string>{"cours.2024/fiche", "cours.2024/fiche_Cor"}));
    const std::string subject = readFile(m_dir / "cours.2024" / "fiche");
    EXPECT_EQ(subject.rfind("<arial><te=20>" + r.out.substr(0, 11) + " - <b>", 0), 0u);
    EXPECT_NE(subject.find("02/("), std::string::npos);
    EXPECT_EQ(subject.find("03/("), std::string::npos); // RAZ restarted the numbering
    EXPECT_EQ(readFile(m_dir / "cours.2024" / "fiche_Cor"), ""); // written, even empty
}

TEST_F(ComposeCli, RazAloneAndClockSeed)
{
    const RunResult raz = run({"--out", (m_dir / "vide.rtf").string(), "RAZ"});
    EXPECT_EQ(raz.exitCode, 0);
    EXPECT_EQ(raz.out, "\n");
    EXPECT_EQ(readFile(m_dir / "vide.rtf"), std::string(RtfHeader) + "}");
    EXPECT_EQ(readFile(m_dir / "vide_Cor.rtf"), std::string(RtfHeader) + "}");

    const RunResult clock = run({"--out", (m_dir / "h.rtf").string(), "x"});
    EXPECT_EQ(clock.exitCode, 0);
    EXPECT_TRUE(std::regex_match(clock.out, std::regex("Ref [0-9]{3}_[0-9]{3}\n"))) << clock.out;
}

TEST_F(ComposeCli, BadInputExitsTwoAndWritesNothing)
{
    const std::string out = (m_dir / "f.rtf").string();
    const std::vector<std::vector<std::string>> cases = {
        {"--out", out, "+", "--frobnicate"},
        {"--out", out, "plus"},
        {"--out", out, "--max", "cent", "+"},
        {"--out", out},
        {"+"},
        {"--out", out, "+", "--lines"},
        {"--out", out, "--seed", "99999999999", "+"},
        {"--out", out, "--title2", "\xE2\x88\x9E", "+"},
        {},
    };
    for (const auto &args : cases) {
        const RunResult r = run(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos);
    }
    EXPECT_TRUE(files().empty());
}

TEST_F(ComposeCli, UncreatableFileExitsOne)
{
    const std::string out = (m_dir / "absent" / "f.rtf").string();
    const RunResult r = run({"--out", out, "+"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Impossible de cr\xC3\xA9" "er le fichier " + out + "\n");

    // The answer file cannot be created: the subject, complete, is not kept
    // either.
    fs::create_directory(m_dir / "g_Cor.rtf");
    const RunResult answer = run({"--out", (m_dir / "g.rtf").string(), "-"});
    EXPECT_EQ(answer.exitCode, 1);
    EXPECT_EQ(answer.err, "Impossible de cr\xC3\xA9" "er le fichier " + (m_dir / "g_Cor.rtf").string() + "\n");
    EXPECT_EQ(files(), std::vector<std::string>{});
}

TEST_F(ComposeCli, VersionsAreWholeWorksheetsOfTheirOwn)
{
    const std::string out = (m_dir / "fiche.rtf").string();
    const RunResult r = run({"--versions", "3", "--seed", "7", "--lines", "3", "--out", out, "x", "S1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(files(), (std::vector<std::string>{"fiche-A.rtf", "fiche-A_Cor.rtf", "fiche-B.rtf", "fiche-B_Cor.rtf",
                                                 "fiche-C.rtf", "fiche-C_Cor.rtf"}));
    ASSERT_TRUE(std::regex_match(r.out, std::regex("(Ref [0-9]{3}_[0-9]{3}\n){3}"))) << r.out;

    // Each version is the worksheet its own seed gives, in both files.
    compose::ComposeOptions options =
        compose::parseArguments({"--seed", "7", "--lines", "3", "--out", out, "x", "S1"}, compose::standardFormats())
            .options;
    std::set<std::string> subjects;
    for (int version = 0; version < 3; ++version) {
        options.seed = compose::versionSeed(7, version, 0);
        const compose::ComposedWorksheet sheet = compose::composeWorksheet(options);
        const std::string name = std::string("fiche-") + char('A' + version);
        EXPECT_EQ(r.out.substr(std::size_t(version) * 12, 11), sheet.referenceCode);
        EXPECT_EQ(readFile(m_dir / (name + ".rtf")), MarkupToRtf(sheet.subject)) << name;
        EXPECT_EQ(readFile(m_dir / (name + "_Cor.rtf")), MarkupToRtf(sheet.answer)) << name;
        subjects.insert(sheet.subject);
    }
    EXPECT_EQ(subjects.size(), 3u);

    // One version is today's single sheet, under PATH itself.
    const RunResult one = run({"--versions=1", "--seed", "7", "--lines", "3", "--out", out, "x", "S1"});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(one.out, r.out.substr(0, 12));
    EXPECT_EQ(readFile(out), readFile(m_dir / "fiche-A.rtf"));
}

// The pupils' page and the Moodle quiz: one file per version, made from
// that version's questions and titles, no answer key beside it, all or none.
TEST_F(ComposeCli, PupilFormatsWriteOneFilePerVersion)
{
    const std::vector<std::string> drills = {"--seed", "11", "--lines", "2", "--title1", "Classe de 5\xC3\xA8me", ":", "S2"};
    for (const std::string format : {"html", "gift"}) {
        SCOPED_TRACE(format);
        std::vector<std::string> args = drills;
        args.insert(args.end(), {"--versions", "2", "--format", format, "--out", (m_dir / ("fiche." + format)).string()});
        const RunResult r = run(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(files(), (std::vector<std::string>{"fiche-A." + format, "fiche-B." + format}));
        compose::ComposeOptions options = compose::parseArguments(args, compose::standardFormats()).options;
        for (int version = 0; version < 2; ++version) {
            options.seed = compose::versionSeed(11, version, 0);
            const compose::ComposedWorksheet sheet = compose::composeWorksheet(options);
            const PupilSheet pupils{sheet.referenceCode, sheet.titles, sheet.questions};
            EXPECT_EQ(sheet.titles[0], "Classe de 5\xE8me");
            EXPECT_EQ(readFile(m_dir / (std::string("fiche-") + char('A' + version) + "." + format)),
                      format == "html" ? StudentPageHtml(pupils) : GiftQuiz(pupils));
        }
        for (const std::string &name : files())
            fs::remove(m_dir / name);
    }
    // Version B cannot be created: A is not kept.
    fs::create_directory(m_dir / "quiz-B.gift");
    const RunResult blocked = run({"--versions", "2", "--format", "gift", "--out", (m_dir / "quiz.gift").string(), "+"});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_EQ(blocked.err, "Impossible de cr\xC3\xA9" "er le fichier " + (m_dir / "quiz-B.gift").string() + "\n");
    EXPECT_EQ(files(), std::vector<std::string>{});
}

// A full disk, a file size limit, a device that takes nothing: exit 1 with
// what happened, every old file as it was and nothing new, in every format.
TEST_F(ComposeCli, FailedWritesLeaveEveryOldFile)
{
    const bool root = geteuid() == 0;
    const fs::path disk = m_dir / "disque";
    fs::create_directory(disk);
    const bool mounted = root && std::system(("mount -t tmpfs -o size=64k tmpfs " + quoted(disk.string())).c_str()) == 0;
    const std::string subject = (disk / "f.rtf").string();
    const std::string answer = (disk / "f_Cor.rtf").string();
    const RunResult first = run({"--seed", "7", "--out", subject, "+"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::string oldSubject = readFile(subject);
    const std::string oldAnswer = readFile(answer);
    if (mounted)
        std::ofstream(disk / "remplissage", std::ios::binary) << std::string(44 * 1024, '\0');

    // Each format under its own extension, which it must not contradict.
    for (const auto &[format, path] : {std::pair{"rtf", subject}, std::pair{"markup", subject},
                                       std::pair{"txt", (disk / "f.txt").string()}, std::pair{"pdf", (disk / "f.pdf").string()},
                                       std::pair{"odt", (disk / "f.odt").string()}}) {
        const std::vector<std::string> bigger = {"--seed", "8", "--format", format, "--out", path, "+", "S2", "x", "S1"};
        std::vector<std::pair<std::string, RunResult>> runs = {{"ulimit -f", run(bigger, 8)}};
        if (mounted)
            runs.emplace_back("full disk", run(bigger));
        for (const auto &[how, r] : runs) {
            SCOPED_TRACE(std::string(format) + ", " + how);
            EXPECT_EQ(r.exitCode, 1) << r.err;
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err.rfind("Erreur \xC3\xA0 l'enregistrement du flux : " + disk.string() + "/f", 0), 0u) << r.err;
            EXPECT_EQ(readFile(subject), oldSubject);
            EXPECT_EQ(readFile(answer), oldAnswer);
            std::vector<std::string> left;
            for (const auto &entry : fs::directory_iterator(disk))
                left.push_back(entry.path().filename().string());
            std::sort(left.begin(), left.end());
            EXPECT_EQ(left, (mounted ? std::vector<std::string>{"f.rtf", "f_Cor.rtf", "remplissage"}
                                     : std::vector<std::string>{"f.rtf", "f_Cor.rtf"}));
        }
    }
    if (mounted) {
        // Room for version A, not for B: A is not kept either.
        std::ofstream(disk / "remplissage", std::ios::binary | std::ios::trunc) << std::string(24 * 1024, '\0');
        const RunResult versions = run({"--seed", "8", "--versions", "3", "--out", subject, "+"});
        EXPECT_EQ(versions.exitCode, 1);
        EXPECT_EQ(versions.err.rfind("Erreur \xC3\xA0 l'enregistrement du flux : " + disk.string() + "/f-B", 0), 0u)
            << versions.err;
        EXPECT_EQ(readFile(subject), oldSubject);
        EXPECT_EQ(readFile(answer), oldAnswer);
        EXPECT_EQ(std::distance(fs::directory_iterator(disk), fs::directory_iterator()), 3);
        EXPECT_EQ(std::system(("umount " + quoted(disk.string())).c_str()), 0);
    }

    // A device that takes nothing: its answer file beside it is not made.
    const RunResult full = run({"--format", "pdf", "--out", "/dev/full", "+"});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "Erreur \xC3\xA0 l'enregistrement du flux : /dev/full (" + std::string(std::strerror(ENOSPC)) + ")\n");
    EXPECT_FALSE(fs::exists("/dev/full_Cor"));
}

TEST_F(ComposeCli, HelpExitsZero)
{
    const RunResult r = run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Usage : oxeln-compose"), std::string::npos);
    EXPECT_NE(r.out.find("--interline"), std::string::npos);
    const RunResult shortForm = run({"-h"});
    EXPECT_EQ(shortForm.exitCode, 0);
    EXPECT_EQ(shortForm.out, r.out);
    const RunResult version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("oxeln-compose [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
    EXPECT_TRUE(files().empty());
}
