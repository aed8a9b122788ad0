#include "Platform.h"

#include <QFile>

#include <malloc.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace oxeln {

void TuneMemoryAllocator()
{
#ifdef __GLIBC__
    // The library's initial threshold, set explicitly: that turns its
    // adjustment off.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

int TracerPidIn(const QByteArray &status)
{
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith("TracerPid:")) {
            bool ok = false;
            const int pid = line.mid(10).trimmed().toInt(&ok);
            return ok ? pid : 0;
        }
    }
    return 0;
}

bool DebuggerAttached()
{
    // Files under /proc report a size of 0: read them to their end, never by
    // their size (atEnd() is true at once).
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    return TracerPidIn(status.readAll()) != 0;
}

bool OnRemovableDrive(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    // A partition has no "removable" of its own: its disk, one folder up, has.
    const QString device = QStringLiteral("/sys/dev/block/%1:%2").arg(major(info.st_dev)).arg(minor(info.st_dev));
    for (const QString &candidate : {device + QStringLiteral("/removable"), device + QStringLiteral("/../removable")}) {
        QFile flag(candidate);
        if (flag.open(QIODevice::ReadOnly))
            return flag.readAll().trimmed() == "1";
    }
    return false;
}

} // namespace oxeln
