// The built oxeln-compose binary, run end to end in a scratch folder.
#include "Composer.h"
#include "MarkupToRtf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/wait.h>

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

    RunResult run(const std::vector<std::string> &args)
    {
        std::string command = quoted(OXELN_COMPOSE_BINARY);
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

    // The subject is written, then the answer file cannot be created.
    fs::create_directory(m_dir / "g_Cor.rtf");
    const RunResult answer = run({"--out", (m_dir / "g.rtf").string(), "-"});
    EXPECT_EQ(answer.exitCode, 1);
    EXPECT_EQ(answer.err, "Impossible de cr\xC3\xA9" "er le fichier " + (m_dir / "g_Cor.rtf").string() + "\n");
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
