#pragma once

#include <QtGlobal>

#include <cstdint>
#include <string_view>

namespace oxeln::rtf {

struct Token
{
    enum class Kind : std::uint8_t {
        End,        // no more input
        GroupOpen,  // {
        GroupClose, // }
        Word,       // \name or \nameN
        Symbol,     // \ followed by one non-letter (\~ \* \{ ...); '\n' for \ + CR/LF
        Hex,        // \'hh: one byte in the current code page
        Text,       // a run of ordinary bytes
    };

    Kind kind = Kind::End;
    bool hasParam = false;
    bool nameTooLong = false; // the word had more letters than kept; never a known word
    // The token could have gone on had the input been longer: a word not
    // ended by its space, \' with fewer than two digits, \bin.
    bool open = false;
    char symbol = 0;
    std::uint8_t byte = 0;
    std::int32_t param = 0;
    std::string_view name;       // Word: valid until the next call of next()
    const char *text = nullptr; // Text
    qsizetype textSize = 0;
};

// Splits RTF bytes into tokens in one forward pass: no allocation, constant
// work per input byte. Parameters saturate to the int32 range however many
// digits they have; \binN skips its N data bytes; raw CR and LF are dropped.
class Tokenizer
{
public:
    static constexpr int kMaxNameLength = 32;

    // Tokens of data from offset start on.
    Tokenizer(const char *data, qsizetype size, qsizetype start = 0);

    Token next();
    // Offset of the next byte to read.
    qsizetype offset() const { return m_pos - m_begin; }
    // True when nothing but blanks (spaces, CR, LF, tabs, NULs) is left.
    bool atTail() const { return m_pos >= m_tail; }
    // True when data holds something other than blanks from offset start on.
    static bool hasContentFrom(const char *data, qsizetype size, qsizetype start);

private:
    void readWord(Token &token);

    const char *m_begin;
    const char *m_pos;
    const char *m_end;
    const char *m_tail; // start of the trailing blanks
    char m_name[kMaxNameLength] = {};
    bool m_wordBeforeMinus = false; // the last word stopped at a "-" that no digit followed
};

} // namespace oxeln::rtf
