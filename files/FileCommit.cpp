#include "FileCommit.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace oxeln {

bool writeWhole(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

namespace {

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path stands for once symbolic links are followed; the path
// itself when there is none yet.
std::string resolved(const std::string &path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

// The process number in a copy's name: "PID.tmp" or "PID-N.tmp" after the
// target's name and its dot; nothing when the rest is not of that form.
std::optional<long> copyOwner(std::string_view rest)
{
    constexpr std::string_view suffix = ".tmp";
    if (rest.size() <= suffix.size() || rest.substr(rest.size() - suffix.size()) != suffix)
        return std::nullopt;
    rest.remove_suffix(suffix.size());
    const std::size_t dash = rest.find('-');
    const std::string_view pid = rest.substr(0, dash);
    const auto digits = [](std::string_view text) {
        return !text.empty() && text.size() <= 10
            && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(pid) || (dash != std::string_view::npos && !digits(rest.substr(dash + 1))))
        return std::nullopt;
    return std::stol(std::string(pid));
}

} // namespace

struct FileBatch::Staged
{
    std::string given;
    std::string target;
    std::string copyName; // empty while the copy has no name
    std::string directBytes;
    int fd = -1;
    int index = 0;       // among the batch's copies for the same target
    bool direct = false; // a device or pipe, written in place by commit()
    bool placed = false;
};

std::string describeFailure(const CommitFailure &failure)
{
    if (failure.kind == CommitFailure::Kind::Create)
        return "Impossible de cr\xC3\xA9" "er le fichier " + failure.path;
    return "Erreur \xC3\xA0 l'enregistrement du flux : " + failure.path + " (" + std::strerror(failure.error) + ")";
}

std::string commitCopyName(const std::string &target, long pid, int index)
{
    return target + "." + std::to_string(pid) + (index > 0 ? "-" + std::to_string(index) : std::string()) + ".tmp";
}

FileBatch::FileBatch() = default;

FileBatch::~FileBatch()
{
    const ErrnoKeeper keep;
    // Whatever was not committed goes: unnamed copies vanish when closed.
    for (Staged &s : m_staged) {
        if (s.fd >= 0)
            ::close(s.fd);
        if (!s.copyName.empty() && !s.placed)
            ::unlink(s.copyName.c_str());
    }
}

std::optional<CommitFailure> FileBatch::fail(CommitFailure::Kind kind, const Staged &staged)
{
    m_failure = CommitFailure{kind, staged.given, errno};
    return m_failure;
}

std::optional<CommitFailure> FileBatch::add(const std::string &path, std::string_view bytes)
{
    if (m_failure)
        return m_failure;
    Staged &s = m_staged.emplace_back();
    s.given = path;
    s.target = resolved(path);
    s.index = int(std::count_if(m_staged.begin(), m_staged.end() - 1,
                                [&s](const Staged &other) { return other.target == s.target; }));

    struct stat old {};
    const bool exists = ::stat(s.target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        errno = EISDIR;
        return fail(CommitFailure::Kind::Create, s);
    }
    if (exists && !S_ISREG(old.st_mode)) {
        s.direct = true;
        s.directBytes = bytes;
        return std::nullopt;
    }
    s.fd = ::open(folderOf(s.target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (s.fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // No unnamed files on this file system (a USB stick's, say).
        s.copyName = commitCopyName(s.target, long(::getpid()), s.index);
        ::unlink(s.copyName.c_str()); // left by a process that had our number
        s.fd = ::open(s.copyName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (s.fd < 0)
            s.copyName.clear();
    }
    if (s.fd < 0)
        return fail(CommitFailure::Kind::Create, s);
    if (exists)
        ::fchmod(s.fd, old.st_mode & 07777);
    if (!writeWhole(s.fd, bytes) || ::fsync(s.fd) != 0)
        return fail(CommitFailure::Kind::Write, s);
    return std::nullopt;
}

std::optional<CommitFailure> FileBatch::writeDirect(Staged &s)
{
    // Not blocking on a pipe that nobody reads: that is a failure to open.
    s.fd = ::open(s.given.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
    if (s.fd < 0)
        return fail(CommitFailure::Kind::Create, s);
    ::fcntl(s.fd, F_SETFL, ::fcntl(s.fd, F_GETFL) & ~O_NONBLOCK);
    const bool written = writeWhole(s.fd, s.directBytes);
    const int writeError = errno;
    const int closed = ::close(s.fd);
    s.fd = -1;
    if (!written)
        errno = writeError;
    if (!written || closed != 0)
        return fail(CommitFailure::Kind::Write, s);
    return std::nullopt;
}

std::optional<CommitFailure> FileBatch::nameCopy(Staged &s)
{
    if (s.copyName.empty()) {
        const std::string name = commitCopyName(s.target, long(::getpid()), s.index);
        const std::string self = "/proc/self/fd/" + std::to_string(s.fd);
        ::unlink(name.c_str());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0
            && ::linkat(s.fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) != 0)
            return fail(CommitFailure::Kind::Write, s);
        s.copyName = name;
    }
    const int closed = ::close(s.fd);
    s.fd = -1;
    if (closed != 0)
        return fail(CommitFailure::Kind::Write, s);
    return std::nullopt;
}

std::optional<CommitFailure> FileBatch::commit()
{
    if (m_failure)
        return m_failure;
    for (Staged &s : m_staged) {
        if (s.direct) {
            if (auto failure = writeDirect(s))
                return failure;
        }
    }
    for (Staged &s : m_staged) {
        if (!s.direct) {
            if (auto failure = nameCopy(s))
                return failure;
        }
    }
    for (Staged &s : m_staged) {
        if (s.direct)
            continue;
        if (::rename(s.copyName.c_str(), s.target.c_str()) != 0)
            return fail(CommitFailure::Kind::Write, s);
        s.placed = true;
    }
    removeStaleCopies();
    m_staged.clear();
    return std::nullopt;
}

void FileBatch::removeStaleCopies() const
{
    const ErrnoKeeper keep;
    std::map<std::string, std::set<std::string>> namesByFolder;
    for (const Staged &s : m_staged) {
        if (!s.direct)
            namesByFolder[folderOf(s.target)].insert(fileNameOf(s.target) + ".");
    }
    const long self = long(::getpid());
    for (const auto &[folder, prefixes] : namesByFolder) {
        DIR *dir = ::opendir(folder.c_str());
        if (!dir)
            continue;
        std::vector<std::string> stale;
        while (const dirent *entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            for (const std::string &prefix : prefixes) {
                if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
                    continue;
                const std::optional<long> pid = copyOwner(name.substr(prefix.size()));
                if (!pid || *pid > INT_MAX)
                    continue;
                if (*pid != self && (::kill(pid_t(*pid), 0) == 0 || errno == EPERM))
                    continue; // its process runs: the copy may be on its way
                stale.emplace_back(name);
                break;
            }
        }
        ::closedir(dir);
        for (const std::string &name : stale)
            ::unlink((folder + "/" + name).c_str());
    }
}

} // namespace oxeln
