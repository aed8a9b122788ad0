// libFuzzer target: any bytes through the RTF reader, then what the writer
// makes of the result through the reader again, and the input read in two
// steps (a prefix closed by "}", then the whole) when the reader says it
// can. The same bytes are also a worksheet document in markup, growing in
// a few steps as drills grow it: each step's conversion must equal the
// whole one's, and reading only what each step appended must give what
// reading it whole gives. Crashes, leaks, undefined behaviour and
// time-outs are found by the sanitizers; a round trip, a two-step reading
// or a growing document that changes the text or a character format aborts.
#include "MarkupToRtf.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <algorithm>

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

    if (size > 3) {
        // The markup grown in three steps, cut where the first bytes say.
        const std::string_view markup(reinterpret_cast<const char *>(data), size);
        oxeln::GrowingRtf growing;
        QTextDocument grown;
        std::unique_ptr<oxeln::RtfReader> reader;
        std::size_t stable = 0;
        std::uint64_t stream = 0;
        for (std::size_t step = 1; step <= 3; ++step) {
            const std::size_t length = step == 3 ? size : std::size_t(size) * data[step] / 256;
            const std::string_view part = markup.substr(0, std::max(length, std::size_t(1)));
            const oxeln::DocumentRtf rtf = growing.convert(part);
            const std::string whole = oxeln::MarkupToRtf(part);
            if (rtf.offset > whole.size() || rtf.tail != std::string_view(whole).substr(rtf.offset)) {
                std::fprintf(stderr, "growing conversion differs at step %zu\n", step);
                std::abort();
            }
            // As the views do: go on from the last stop when the stream
            // promised to keep everything before it, else read it whole.
            const QByteArray tail = QByteArray::fromRawData(rtf.tail.data(), qsizetype(rtf.tail.size()));
            if (reader && rtf.stream == stream && reader->resumeOffset() >= 0
                && std::size_t(reader->resumeOffset()) <= stable && reader->canResumeKnown(tail, qsizetype(rtf.offset))) {
                reader->resumeKnown(tail, qsizetype(rtf.offset));
            } else {
                reader = std::make_unique<oxeln::RtfReader>(QByteArray::fromStdString(whole), &grown);
            }
            stream = rtf.stream;
            stable = rtf.stable;
            QTextDocument fresh;
            oxeln::RtfReader::read(QByteArray::fromStdString(whole), &fresh);
            if (looks(grown) != looks(fresh)) {
                std::fprintf(stderr, "reading the growing document differs at step %zu\n", step);
                std::abort();
            }
        }
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
