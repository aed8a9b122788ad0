#pragma once

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oxeln {

struct CommitFailure
{
    enum class Kind { Create, Write };
    Kind kind = Kind::Write;
    std::string path; // as given
    int error = 0;    // errno
};

// What the user is told, in UTF-8: "Impossible de créer le fichier PATH", or
// "Erreur à l'enregistrement du flux : PATH (cause)" with the cause as the C
// library words it (in the user's language where it has it).
std::string describeFailure(const CommitFailure &failure);

// Files written all or none. add() writes a file whole beside its target
// (without a name while it is written, where the file system allows) and
// flushes it to disk; the target is not touched. commit() then puts every
// file in place, in the order added. A target that exists and is no regular
// file (a device, a pipe) cannot be replaced: it is written directly by
// commit(), after all the others are complete and before any of them
// replaces its target.
//
// On failure nothing written stays behind and every old file is as it was:
// Create when a file could not be made, Write when writing it failed. The
// one exception is a rename failing after an earlier one succeeded, which
// in one folder takes a broken file system. Symbolic links are followed:
// the file they point to is replaced, and keeps its permissions. After a
// failure the batch only gives that failure again; whatever was not
// committed goes with the batch.
//
// A copy is named commitCopyName(target, this process) only for the instant
// before its rename; such copies left by processes that no longer run
// (killed at that instant) are removed after each commit.
class FileBatch
{
public:
    FileBatch();
    ~FileBatch();
    FileBatch(const FileBatch &) = delete;
    FileBatch &operator=(const FileBatch &) = delete;

    std::optional<CommitFailure> add(const std::string &path, std::string_view bytes);
    std::optional<CommitFailure> commit();

private:
    struct Staged;

    std::optional<CommitFailure> fail(CommitFailure::Kind kind, const Staged &staged);
    std::optional<CommitFailure> writeDirect(Staged &staged);
    std::optional<CommitFailure> nameCopy(Staged &staged);
    void removeStaleCopies() const;

    std::vector<Staged> m_staged;
    std::optional<CommitFailure> m_failure;
};

// Keeps errno across clean-up calls.
class ErrnoKeeper
{
public:
    ~ErrnoKeeper() { errno = m_saved; }

private:
    int m_saved = errno;
};

// Writes all of bytes at fd's offset, again after an interruption; false
// with errno telling why (EIO for a write that takes nothing).
bool writeWhole(int fd, std::string_view bytes);

// target.PID.tmp; a second copy for the same target in one batch adds
// "-1", and so on.
std::string commitCopyName(const std::string &target, long pid, int index = 0);

} // namespace oxeln
