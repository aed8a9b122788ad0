// libFuzzer target: any bytes through the RTF reader, then what the writer
// makes of the result through the reader again, and the input read in two
// steps (a prefix closed by "}", then the whole) when the reader says it
// can. Crashes, leaks, undefined behaviour and time-outs are found by the
// sanitizers; a round trip or a two-step reading that changes the text or a
// character format aborts.
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct Look
{
    QString text;
    qreal points;
    int weight;
    bool italic, underline, strike;
    int vertical;
    QRgb fore, back; // 0: none

    bool operator==(const Look &) const = default;
};

QList<Look> looks(const QTextDocument &doc)
{
    QList<Look> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QString text = it.fragment().text();
            // Compare character by character: fragments may split differently.
            for (const QChar c : text) {
                out.append({QString(c), f.fontPointSize(), f.fontWeight(), f.fontItalic(), f.fontUnderline(),
                            f.fontStrikeOut(), int(f.verticalAlignment()),
                            f.foreground().style() == Qt::NoBrush ? 0u : f.foreground().color().rgb(),
                            f.background().style() == Qt::NoBrush ? 0u : f.background().color().rgb()});
            }
        }
        // A paragraph mark's format shows only in an empty paragraph (its height).
        const qreal markSize = b.length() == 1 ? b.charFormat().fontPointSize() : 0;
        out.append({QStringLiteral("\n"), markSize, int(b.blockFormat().alignment()), false, false, false, 0, 0, 0});
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument first;
    oxeln::RtfReader::read(input, &first);

    const QByteArray written = oxeln::RtfWriter::write(&first);
    QTextDocument second;
    oxeln::RtfReader::read(written, &second);
    if (looks(first) != looks(second)) {
        std::fprintf(stderr, "round trip changed the document:\n%s\n", written.constData());
        std::abort();
    }

    if (size > 1) {
        const qsizetype cut = qsizetype(size) * data[0] / 256;
        QTextDocument twoSteps;
        oxeln::RtfReader reader(input.left(cut) + '}', &twoSteps);
        if (reader.canResume(input)) {
            reader.resume(input);
            if (looks(twoSteps) != looks(first)) {
                std::fprintf(stderr, "reading in two steps (cut at %lld) differs\n", static_cast<long long>(cut));
                std::abort();
            }
        }
    }
    return 0;
}
