#pragma once

#include <QByteArray>
#include <QString>

namespace oxeln {

// A zip archive built in memory, as OpenDocument files are: entries in the
// order added, each stored as is or deflated. Dates are fixed (1 January
// 1980), so that the same entries always give the same bytes.
class ZipArchive
{
public:
    // An entry kept uncompressed (OpenDocument's "mimetype" must be).
    void addStored(const QString &name, const QByteArray &data);
    void addDeflated(const QString &name, const QByteArray &data);

    // The whole archive: entries, central directory and its end record.
    QByteArray finish();

private:
    void add(const QString &name, const QByteArray &data, bool deflate);

    QByteArray m_entries;
    QByteArray m_directory;
    int m_count = 0;
};

} // namespace oxeln
