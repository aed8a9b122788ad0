#include "FileCommit.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace oxeln {

namespace {

bool writeAll(int fd, const std::string &bytes)
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

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path stands for once symbolic links are followed; the path
// itself when there is none yet.
std::string resolved(const std::string &path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

struct Staged
{
    const std::string *given = nullptr;
    const std::string *bytes = nullptr;
    std::string target;
    std::string copyName; // empty while the copy has no name
    int fd = -1;
    bool direct = false; // a device or pipe, written in place
};

class Commit
{
public:
    explicit Commit(const std::vector<PendingFile> &files)
    {
        m_staged.reserve(files.size());
        for (const PendingFile &file : files)
            m_staged.push_back(Staged{&file.path, &file.bytes, resolved(file.path), {}, -1, false});
    }

    ~Commit()
    {
        // Whatever was not committed goes: unnamed copies vanish when closed.
        for (Staged &s : m_staged) {
            if (s.fd >= 0)
                ::close(s.fd);
            if (!s.copyName.empty())
                ::unlink(s.copyName.c_str());
        }
    }

    std::optional<CommitFailure> run()
    {
        for (std::size_t i = 0; i < m_staged.size(); ++i) {
            if (auto failure = writeCopy(m_staged[i], i))
                return failure;
        }
        for (Staged &s : m_staged) {
            if (s.direct) {
                if (auto failure = writeDirect(s))
                    return failure;
            }
        }
        for (std::size_t i = 0; i < m_staged.size(); ++i) {
            if (auto failure = nameCopy(m_staged[i], i))
                return failure;
        }
        for (Staged &s : m_staged) {
            if (s.direct)
                continue;
            if (::rename(s.copyName.c_str(), s.target.c_str()) != 0)
                return fail(CommitFailure::Kind::Write, s);
            s.copyName.clear();
        }
        return std::nullopt;
    }

private:
    static CommitFailure fail(CommitFailure::Kind kind, const Staged &s)
    {
        return CommitFailure{kind, *s.given, errno};
    }

    static std::string copyNameFor(const Staged &s, std::size_t index)
    {
        return s.target + "." + std::to_string(::getpid()) + "-" + std::to_string(index) + ".tmp";
    }

    std::optional<CommitFailure> writeCopy(Staged &s, std::size_t index)
    {
        struct stat old {};
        const bool exists = ::stat(s.target.c_str(), &old) == 0;
        if (exists && S_ISDIR(old.st_mode)) {
            errno = EISDIR;
            return fail(CommitFailure::Kind::Create, s);
        }
        if (exists && !S_ISREG(old.st_mode)) {
            s.direct = true;
            return std::nullopt;
        }
        s.fd = ::open(folderOf(s.target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (s.fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            // No unnamed files on this file system (a USB stick's, say).
            s.copyName = copyNameFor(s, index);
            ::unlink(s.copyName.c_str()); // left by a process that had our number
            s.fd = ::open(s.copyName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (s.fd < 0)
                s.copyName.clear();
        }
        if (s.fd < 0)
            return fail(CommitFailure::Kind::Create, s);
        if (exists)
            ::fchmod(s.fd, old.st_mode & 07777);
        if (!writeAll(s.fd, *s.bytes) || ::fsync(s.fd) != 0)
            return fail(CommitFailure::Kind::Write, s);
        return std::nullopt;
    }

    static std::optional<CommitFailure> writeDirect(Staged &s)
    {
        // Not blocking on a pipe that nobody reads: that is a failure to open.
        s.fd = ::open(s.given->c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK);
        if (s.fd < 0)
            return fail(CommitFailure::Kind::Create, s);
        ::fcntl(s.fd, F_SETFL, ::fcntl(s.fd, F_GETFL) & ~O_NONBLOCK);
        const bool written = writeAll(s.fd, *s.bytes);
        const int writeError = errno;
        const int closed = ::close(s.fd);
        s.fd = -1;
        if (!written)
            errno = writeError;
        if (!written || closed != 0)
            return fail(CommitFailure::Kind::Write, s);
        return std::nullopt;
    }

    std::optional<CommitFailure> nameCopy(Staged &s, std::size_t index)
    {
        if (s.direct)
            return std::nullopt;
        if (s.copyName.empty()) {
            const std::string name = copyNameFor(s, index);
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

    std::vector<Staged> m_staged;
};

} // namespace

std::optional<CommitFailure> commitFiles(const std::vector<PendingFile> &files)
{
    return Commit(files).run();
}

} // namespace oxeln
