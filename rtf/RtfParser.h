#pragma once

#include "RtfBuilder.h"
#include "RtfKeywords.h"
#include "RtfTokenizer.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QTextDocument;

namespace oxeln::rtf {

constexpr int kDefaultTabTwips = 720; // when the document names none

enum class Destination : std::uint8_t { Text, FontTable, ColorTable, Skip };

struct GroupState
{
    CharState chr;
    Destination dest = Destination::Text;
    Destination beforeUpr = Destination::Text; // restored by \ud inside \upr
    std::uint8_t uc = 1;
    Align align = Align::Left;
    bool starPending = false; // \* seen: the next word decides the group's fate
};

// Turns tokens into document content: the group stack, destinations, the
// font and colour tables and the \u skip count live here; the text goes to
// the builder.
class Parser
{
public:
    explicit Parser(Target &target) : m_builder(target)
    {
        m_stack.reserve(64);
        m_stack.emplace_back();
    }

    // Reads data from offset start to its end, or to its final "}", as one
    // edit of the document. data may be the end of a longer text that begins
    // base bytes earlier: offsets given out (stop()) count from there.
    void run(const QByteArray &data, qsizetype start, qsizetype base = 0);
    int defTabTwips() const { return m_defTabTwips; }
    // Offset of the final "}" where reading stopped, -1 when there was none.
    qsizetype stop() const { return m_stop; }
    // Whether more input could continue exactly where reading stopped.
    bool resumable() const { return m_stop > 0 && !m_openEnd; }

private:
    GroupState &top() { return m_stack.back(); }
    bool inText() const { return m_stack.back().dest == Destination::Text; }

    void openGroup();
    void closeGroup();
    void word(const Token &token);
    void textWord(rtf::KeywordInfo info, const Token &token);
    void symbol(char c);
    void byte(std::uint8_t b);
    void unicode(int value);
    void appendChar(char16_t c);
    void paragraph();
    void dropPendingHigh();
    void commitFont();
    void commitColor();

    rtf::Builder m_builder;
    std::vector<GroupState> m_stack;
    int m_overflow = 0; // groups opened past kMaxDepth, still to close
    int m_skip = 0;     // fallback units still to skip after \u
    char16_t m_pendingHigh = 0;
    int m_defTabTwips = kDefaultTabTwips;
    qsizetype m_stop = -1;
    bool m_openEnd = false; // the last token or character was cut short

    int m_fontId = -1;
    QString m_fontName;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;
};


} // namespace oxeln::rtf
