#pragma once

#include <QByteArray>
#include <QString>

namespace oxeln {

// Gives the file at path the content bytes, for files that must never be
// left half written.
//
// Where the folder accepts a new file, the content goes to a copy that is
// flushed to disk and then renamed over path: a crash, a kill or a full disk
// leaves the old file or the new one, never a mix. The copy has no name
// while it is written where the file system allows it; it is named
// replacementCopyName(path, this process) for the instant before the rename.
// Copies of that name left by processes that no longer run (killed at that
// instant) are removed after each replace, so they never pile up. The old
// file's permissions carry over.
//
// Where the folder refuses new files but the file itself may be written, the
// file is overwritten in place; if that fails, its old content is put back
// as far as possible.
//
// Returns false when neither worked, with errno telling why.
bool replaceFile(const QString &path, const QByteArray &bytes);

QString replacementCopyName(const QString &path, qint64 pid);

} // namespace oxeln
