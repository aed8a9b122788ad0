#include "FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace oxeln {

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

bool readAll(int fd, QByteArray *bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes->append(buffer, n);
    }
}

// The folder will not take a new file; the file itself may still be written.
bool folderRefuses(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Keeps errno across clean-up calls.
class ErrnoKeeper
{
public:
    ~ErrnoKeeper() { errno = m_saved; }

private:
    int m_saved = errno;
};

bool writeInPlace(const QByteArray &target, const QByteArray &bytes)
{
    const int fd = ::open(target.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    QByteArray old;
    bool ok = readAll(fd, &old) && writeAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0
        && ::fsync(fd) == 0;
    if (!ok) {
        const ErrnoKeeper keep;
        if (writeAll(fd, old) && ::ftruncate(fd, off_t(old.size())) == 0)
            ::fsync(fd);
    }
    if (::close(fd) != 0)
        ok = false;
    return ok;
}

enum class Outcome { Done, FolderRefuses, Failed };

// Writes bytes to a copy in folder and renames it over target. unnamed: the
// copy is made without a name (O_TMPFILE) and only linked to copyName once
// complete.
Outcome replaceThroughCopy(const QByteArray &folder, const QByteArray &target,
                           const QByteArray &copyName, const QByteArray &bytes, bool unnamed)
{
    int fd = -1;
    if (unnamed) {
        fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    } else {
        ::unlink(copyName.constData()); // a copy of an earlier process that had our number
        fd = ::open(copyName.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    }
    if (fd < 0)
        return folderRefuses(errno) ? Outcome::FolderRefuses : Outcome::Failed;

    struct stat old {};
    if (::stat(target.constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    bool named = !unnamed;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (ok && unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        ::unlink(copyName.constData());
        named = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, copyName.constData(), AT_SYMLINK_FOLLOW) == 0
            || ::linkat(fd, "", AT_FDCWD, copyName.constData(), AT_EMPTY_PATH) == 0;
        ok = named;
    }
    if (::close(fd) != 0)
        ok = false;
    if (ok && ::rename(copyName.constData(), target.constData()) == 0)
        return Outcome::Done;
    const ErrnoKeeper keep;
    if (named)
        ::unlink(copyName.constData());
    return Outcome::Failed;
}

// Copies named after a process that no longer runs: only a kill between
// naming a copy and renaming it leaves one.
void removeStaleCopies(const QString &path)
{
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    const QString prefix = info.fileName() + u'.';
    const QString suffix = QStringLiteral(".tmp");
    const QStringList names = folder.entryList({prefix + u'*' + suffix},
                                               QDir::Files | QDir::Hidden | QDir::System,
                                               QDir::NoSort);
    for (const QString &name : names) {
        if (!name.startsWith(prefix) || !name.endsWith(suffix))
            continue; // the filter ignores letter case
        const QStringView digits = QStringView(name).sliced(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (digits.isEmpty() || digits.size() > 10
            || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
            continue;
        const pid_t pid = pid_t(digits.toLongLong());
        if (pid != ::getpid() && (::kill(pid, 0) == 0 || errno == EPERM))
            continue; // its process runs: the copy may be on its way
        QFile::remove(folder.filePath(name));
    }
}

} // namespace

QString replacementCopyName(const QString &path, qint64 pid)
{
    return path + u'.' + QString::number(pid) + QStringLiteral(".tmp");
}

bool replaceFile(const QString &path, const QByteArray &bytes)
{
    // A settings file linked from elsewhere stays linked: its target is replaced.
    QString absolute = QFileInfo(path).canonicalFilePath();
    if (absolute.isEmpty())
        absolute = QFileInfo(path).absoluteFilePath();
    const QByteArray target = QFile::encodeName(absolute);
    const QByteArray folder = QFile::encodeName(QFileInfo(absolute).absolutePath());
    const QByteArray copyName = QFile::encodeName(replacementCopyName(absolute, ::getpid()));

    Outcome outcome = replaceThroughCopy(folder, target, copyName, bytes, true);
    // No unnamed files here (some file systems, such as those of USB
    // sticks, lack them): a named copy.
    if (outcome == Outcome::Failed && errno != ENOSPC && errno != EDQUOT && errno != EFBIG && errno != EIO)
        outcome = replaceThroughCopy(folder, target, copyName, bytes, false);
    if (outcome == Outcome::FolderRefuses) {
        struct stat info {};
        if (::stat(target.constData(), &info) == 0 && S_ISREG(info.st_mode))
            return writeInPlace(target, bytes);
        errno = EACCES;
        return false;
    }
    if (outcome == Outcome::Failed)
        return false;
    removeStaleCopies(absolute);
    return true;
}

} // namespace oxeln
