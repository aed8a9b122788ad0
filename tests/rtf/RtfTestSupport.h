#pragma once

#include "RtfReader.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>

#include <memory>

namespace oxeln::rtftest {

inline std::unique_ptr<QTextDocument> readRtf(const QByteArray &rtf)
{
    auto document = std::make_unique<QTextDocument>();
    RtfReader::read(rtf, document.get());
    return document;
}

inline QStringList blockTexts(const QTextDocument &document)
{
    QStringList texts;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        texts << b.text();
    return texts;
}

// All text, paragraphs joined by "\n".
inline QString text(const QTextDocument &document)
{
    return blockTexts(document).join(u'\n');
}

struct TextRun
{
    QString text;
    QTextCharFormat format;
};

inline QList<TextRun> runs(const QTextBlock &block)
{
    QList<TextRun> out;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        out.append({it.fragment().text(), it.fragment().charFormat()});
    return out;
}

inline QList<TextRun> runs(const QTextDocument &document)
{
    QList<TextRun> out;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        out += runs(b);
    return out;
}

inline QString family(const QTextCharFormat &format)
{
    return format.fontFamilies().toStringList().value(0);
}

inline QTextCharFormat formatAt(const QTextDocument &document, int position)
{
    const QTextBlock block = document.findBlock(position);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        if (it.fragment().contains(position))
            return it.fragment().charFormat();
    }
    return block.charFormat();
}

} // namespace oxeln::rtftest
