#include "FileReplace.h"

#include "FileCommit.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace oxeln {

namespace {

// The whole of bytes from the start of the file.
bool writeAll(int fd, const QByteArray &bytes)
{
    return ::lseek(fd, 0, SEEK_SET) == 0
        && writeWhole(fd, std::string_view(bytes.constData(), size_t(bytes.size())));
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

} // namespace

QString replacementCopyName(const QString &path, qint64 pid)
{
    return QFile::decodeName(QByteArray::fromStdString(commitCopyName(QFile::encodeName(path).toStdString(), long(pid))));
}

bool replaceFile(const QString &path, const QByteArray &bytes)
{
    const std::string given = QFile::encodeName(path).toStdString();
    FileBatch batch;
    std::optional<CommitFailure> failure = batch.add(given, std::string_view(bytes.constData(), size_t(bytes.size())));
    if (!failure)
        failure = batch.commit();
    if (!failure)
        return true;
    errno = failure->error;
    if (failure->kind == CommitFailure::Kind::Create && folderRefuses(failure->error)) {
        // A settings file linked from elsewhere stays linked: its target is written.
        QString absolute = QFileInfo(path).canonicalFilePath();
        if (absolute.isEmpty())
            absolute = QFileInfo(path).absoluteFilePath();
        const QByteArray target = QFile::encodeName(absolute);
        struct stat info {};
        if (::stat(target.constData(), &info) == 0 && S_ISREG(info.st_mode))
            return writeInPlace(target, bytes);
        errno = EACCES;
    }
    return false;
}

} // namespace oxeln
