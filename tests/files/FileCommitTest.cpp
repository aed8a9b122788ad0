// Files written all or none, as the composer and the window's save use them.
#include "FileCommit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace oxeln;

namespace {

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class FileBatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/oxeln-files-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::vector<std::string> names() const
    {
        std::vector<std::string> all;
        for (const auto &entry : fs::directory_iterator(m_dir))
            all.push_back(entry.path().filename().string());
        std::sort(all.begin(), all.end());
        return all;
    }

    fs::path m_dir;
};

// A pid that no process has any more.
long endedPid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return long(child);
}

} // namespace

TEST_F(FileBatchTest, NothingIsReplacedBeforeTheCommitNorWithoutIt)
{
    const std::string a = (m_dir / "a.rtf").string();
    const std::string b = (m_dir / "a_Cor.rtf").string();
    writeFile(a, "vieux a");
    writeFile(b, "vieux b");
    {
        FileBatch batch;
        ASSERT_FALSE(batch.add(a, "nouveau a"));
        ASSERT_FALSE(batch.add(b, "nouveau b"));
        // Both complete on disk, neither in place, no name to be seen.
        EXPECT_EQ(readFile(a), "vieux a");
        EXPECT_EQ(names(), (std::vector<std::string>{"a.rtf", "a_Cor.rtf"}));
    } // given up
    EXPECT_EQ(readFile(a), "vieux a");
    EXPECT_EQ(readFile(b), "vieux b");
    EXPECT_EQ(names(), (std::vector<std::string>{"a.rtf", "a_Cor.rtf"}));

    FileBatch batch;
    ASSERT_FALSE(batch.add(a, "nouveau a"));
    ASSERT_FALSE(batch.add(b, "nouveau b"));
    ASSERT_FALSE(batch.commit());
    EXPECT_EQ(readFile(a), "nouveau a");
    EXPECT_EQ(readFile(b), "nouveau b");
}

TEST_F(FileBatchTest, AFailureIsKeptAndNamedInTheMessage)
{
    const std::string a = (m_dir / "a.rtf").string();
    const std::string missing = (m_dir / "absent" / "b.rtf").string();
    FileBatch batch;
    ASSERT_FALSE(batch.add(a, "a"));
    const std::optional<CommitFailure> failure = batch.add(missing, "b");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, CommitFailure::Kind::Create);
    EXPECT_EQ(failure->error, ENOENT);
    EXPECT_EQ(describeFailure(*failure), "Impossible de cr\xC3\xA9" "er le fichier " + missing);
    // The batch stays failed: a later commit puts nothing in place.
    ASSERT_TRUE(batch.commit());
    EXPECT_EQ(names(), std::vector<std::string>{});

    const CommitFailure full{CommitFailure::Kind::Write, "old.pdf", ENOSPC};
    EXPECT_EQ(describeFailure(full), "Erreur \xC3\xA0 l'enregistrement du flux : old.pdf (" + std::string(std::strerror(ENOSPC)) + ")");
}

TEST_F(FileBatchTest, CopiesLeftByEndedProcessesGoAtTheNextCommit)
{
    const std::string target = (m_dir / "fiche.pdf").string();
    const long ended = endedPid();
    const std::string stale = commitCopyName(target, ended);
    const std::string staleSecond = commitCopyName(target, ended, 1);
    const std::string running = commitCopyName(target, long(getppid()));
    for (const std::string &name : {stale, staleSecond, running, target + ".tmp", target + ".12a.tmp"})
        writeFile(name, "copie");
    // The same target twice in one batch: the last one wins.
    FileBatch batch;
    ASSERT_FALSE(batch.add(target, "premier"));
    ASSERT_FALSE(batch.add(target, "second"));
    ASSERT_FALSE(batch.commit());
    EXPECT_EQ(readFile(target), "second");
    std::vector<std::string> kept{"fiche.pdf", "fiche.pdf." + std::to_string(getppid()) + ".tmp", "fiche.pdf.12a.tmp",
                                  "fiche.pdf.tmp"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(names(), kept);
}
