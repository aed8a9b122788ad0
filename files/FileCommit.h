#pragma once

#include <optional>
#include <string>
#include <vector>

namespace oxeln {

struct PendingFile
{
    std::string path;
    std::string bytes;
};

struct CommitFailure
{
    enum class Kind { Create, Write };
    Kind kind = Kind::Write;
    std::string path; // as given
    int error = 0;    // errno
};

// Writes every file or none. Each file is first written whole beside its
// target (without a name while it is written, where the file system allows)
// and flushed to disk; only once all of them are complete do they replace
// their targets, in order. A target that exists and is no regular file (a
// device, a pipe) cannot be replaced: it is written directly, after all the
// others are complete and before any of them replaces its target.
//
// On failure nothing written stays behind and every old file is as it was:
// Create when a file could not be made, Write when writing it failed. The
// one exception is a rename failing after an earlier one succeeded, which
// in one folder takes a broken file system. Symbolic links are followed:
// the file they point to is replaced, and keeps its permissions.
std::optional<CommitFailure> commitFiles(const std::vector<PendingFile> &files);

} // namespace oxeln
