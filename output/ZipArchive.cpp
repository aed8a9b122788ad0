#include "ZipArchive.h"

#include <array>
#include <cstdint>

namespace oxeln {

namespace {

constexpr quint16 kVersionNeeded = 20;
constexpr quint16 kDosDate = (0 << 9) | (1 << 5) | 1; // 1980-01-01
constexpr quint16 kUtf8Names = 1 << 11;

quint32 crc32(const QByteArray &data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void put16(QByteArray &out, quint16 value)
{
    out.append(char(value & 0xFF)).append(char(value >> 8));
}

void put32(QByteArray &out, quint32 value)
{
    put16(out, quint16(value & 0xFFFF));
    put16(out, quint16(value >> 16));
}

// Raw deflate data: qCompress gives a 4-byte length, a 2-byte zlib header,
// the deflate stream and a 4-byte checksum.
QByteArray deflated(const QByteArray &data)
{
    const QByteArray zlib = qCompress(data, 6); // 9 takes three times as long for 8% less
    return zlib.mid(6, zlib.size() - 10);
}

} // namespace

void ZipArchive::addStored(const QString &name, const QByteArray &data)
{
    add(name, data, false);
}

void ZipArchive::addDeflated(const QString &name, const QByteArray &data)
{
    add(name, data, true);
}

void ZipArchive::add(const QString &name, const QByteArray &data, bool deflate)
{
    const QByteArray fileName = name.toUtf8();
    const QByteArray body = deflate ? deflated(data) : data;
    const quint32 crc = crc32(data);
    const quint16 method = deflate ? 8 : 0;
    const auto offset = quint32(m_entries.size());

    // Local header, then the data.
    put32(m_entries, 0x04034b50);
    put16(m_entries, kVersionNeeded);
    put16(m_entries, kUtf8Names);
    put16(m_entries, method);
    put16(m_entries, 0); // time
    put16(m_entries, kDosDate);
    put32(m_entries, crc);
    put32(m_entries, quint32(body.size()));
    put32(m_entries, quint32(data.size()));
    put16(m_entries, quint16(fileName.size()));
    put16(m_entries, 0); // no extra field
    m_entries.append(fileName).append(body);

    // Its central directory record.
    put32(m_directory, 0x02014b50);
    put16(m_directory, kVersionNeeded); // made by
    put16(m_directory, kVersionNeeded);
    put16(m_directory, kUtf8Names);
    put16(m_directory, method);
    put16(m_directory, 0);
    put16(m_directory, kDosDate);
    put32(m_directory, crc);
    put32(m_directory, quint32(body.size()));
    put32(m_directory, quint32(data.size()));
    put16(m_directory, quint16(fileName.size()));
    put16(m_directory, 0); // extra field
    put16(m_directory, 0); // comment
    put16(m_directory, 0); // disk
    put16(m_directory, 0); // internal attributes
    put32(m_directory, 0); // external attributes
    put32(m_directory, offset);
    m_directory.append(fileName);
    ++m_count;
}

QByteArray ZipArchive::finish()
{
    QByteArray out = m_entries + m_directory;
    put32(out, 0x06054b50);
    put16(out, 0); // this disk
    put16(out, 0); // disk of the directory
    put16(out, quint16(m_count));
    put16(out, quint16(m_count));
    put32(out, quint32(m_directory.size()));
    put32(out, quint32(m_entries.size()));
    put16(out, 0); // comment
    return out;
}

} // namespace oxeln
