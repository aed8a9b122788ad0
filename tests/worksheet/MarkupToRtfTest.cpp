#include "MarkupToRtf.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

using namespace oxeln;

namespace {

// The converted body, between the fixed header and the closing "}".
std::string body(std::string_view markup)
{
    const std::string rtf = MarkupToRtf(markup);
    EXPECT_EQ(rtf.substr(0, RtfHeader.size()), RtfHeader);
    EXPECT_EQ(rtf.back(), '}');
    return rtf.substr(RtfHeader.size(), rtf.size() - RtfHeader.size() - 1);
}

} // namespace

TEST(MarkupToRtf, HeaderAndEmptyInput)
{
    EXPECT_EQ(RtfHeader.size(), 643u);
    EXPECT_EQ(RtfHeader.substr(0, 23), "{\\rtf1\\ansi\\ansicpg1252");
    EXPECT_EQ(RtfHeader.back(), ' ');
    EXPECT_NE(RtfHeader.find("\\deftab2880\\deff0\\deflang1036"), std::string_view::npos);
    EXPECT_NE(RtfHeader.find("{\\f2\\fmodern\\fprq1\\fcharset0 Courier New;}"), std::string_view::npos);
    EXPECT_NE(RtfHeader.find("\\red255\\green255\\blue0;\\red0\\green0\\blue255;"), std::string_view::npos);
    EXPECT_EQ(MarkupToRtf(""), std::string(RtfHeader) + "}");
}

TEST(MarkupToRtf, EveryFixedTag)
{
    const std::pair<const char *, const char *> rows[] = {
        {"<b>", "\\b "},          {"</b>", "\\b0 "},        {"<i>", "\\i "},
        {"</i>", "\\i0 "},        {"<u>", "\\ul "},          {"</u>", "\\ul0 "},
        {"<s>", "\\strike "},     {"</s>", "\\strike0 "},    {"<sup>", "\\super "},
        {"</sup>", "\\nosupersub "}, {"<sub>", "\\sub "},   {"</sub>", "\\nosupersub "},
        {"<arial>", "\\f0 "},     {"<times>", "\\f1 "},      {"<courier>", "\\f2 "},
        {"<symbol>", "\\f3 "},    {"<br>", "\\par "},        {"<tab>", "\\tab "},
        {"<ce=auto>", "\\cf0 "},  {"<ce=automatique>", "\\cf0 "},
        {"<cf=auto>", "\\highlight0 "}, {"<cf=automatique>", "\\highlight0 "},
    };
    const std::string tail(20, 'z'); // tags far from the end are read another way
    for (const auto &[tag, rtf] : rows) {
        EXPECT_EQ(body(tag), rtf) << tag;
        EXPECT_EQ(body(tag + tail), rtf + tail) << tag;
        std::string longer = tag;
        longer.insert(longer.size() - 1, "\x01"); // a longer tag text matches nothing
        EXPECT_EQ(body(longer + tail), tail) << tag;
    }
    EXPECT_EQ(body("<B>x</B>"), "\\b x\\b0 ");
    EXPECT_EQ(body("<COURIER><Br><CF=AUTO>"), "\\f2 \\par \\highlight0 ");
}

TEST(MarkupToRtf, FontSizeTags)
{
    EXPECT_EQ(body("<te=20>"), "\\fs20 ");
    EXPECT_EQ(body("<te=18>"), "\\fs18 ");
    EXPECT_EQ(body("<te=>"), "\\fs ");
    EXPECT_EQ(body("<te=te=9>"), "\\fs9 ");
    EXPECT_EQ(body("<TE=2A>"), "\\fs2a ");       // folded, not validated
    EXPECT_EQ(body("<te=1te=2>"), "\\fs12 ");
    EXPECT_EQ(body("<te=tete==9>"), "\\fste=9 "); // one pass, no rescan
    EXPECT_EQ(body("<tete==9>"), "");
    EXPECT_EQ(body("<te=123456789012345678901234>"), "\\fs123456789012345678901234 ");
    EXPECT_EQ(body("<xte=20>"), "");
    EXPECT_EQ(body("<te20>"), "");
}

TEST(MarkupToRtf, ColourNames)
{
    const char *names[] = {"noir", "marron", "vert", "olive", "bleu fonc\xE9", "violet", "cyan", "gris fonc\xE9",
                           "gris clair", "rouge", "vert clair", "jaune", "bleu", "fuchsia", "bleu ciel", "blanc"};
    for (int i = 0; i < 16; ++i) {
        const std::string index = std::to_string(i + 1);
        EXPECT_EQ(body(std::string("<ce=") + names[i] + ">"), "\\cf" + index + " ") << names[i];
        EXPECT_EQ(body(std::string("<cf=") + names[i] + ">"), "\\highlight" + index + " ") << names[i];
        EXPECT_EQ(body(std::string("<CF=") + names[i] + ">" + std::string(16, '.')),
                  "\\highlight" + index + " " + std::string(16, '.')) << names[i];
    }
    EXPECT_EQ(body("<CE=Rouge>"), "\\cf10 ");
    EXPECT_EQ(body("<cf=JAUNE>"), "\\highlight12 ");
    EXPECT_EQ(body("<ce=bleu FONC\xC9>"), ""); // only A-Z are folded
    EXPECT_EQ(body("<ce=>"), "");
    EXPECT_EQ(body("<ce=jaune >"), "");
    EXPECT_EQ(body("<cx=jaune>"), "");
}

TEST(MarkupToRtf, UnknownAndUnterminatedTags)
{
    EXPECT_EQ(body("<nothing>"), "");
    EXPECT_EQ(body("<>"), "");
    EXPECT_EQ(body("a<b"), "a\\b ");
    EXPECT_EQ(body("a<te=20"), "a\\fs20 ");
    EXPECT_EQ(body("a<"), "a");
    EXPECT_EQ(body("5 < 6 > 4"), "5  4");
    EXPECT_EQ(body("<<b>x"), "x"); // the tag text "<b" matches nothing
    EXPECT_EQ(body("a>b"), "a>b");
    EXPECT_EQ(body(std::string("<b\0>x", 5)), "x"); // a zero byte is part of the tag text
    EXPECT_EQ(body("<b>" + std::string(20, 'y')), "\\b " + std::string(20, 'y'));
    EXPECT_EQ(body("<cf=jaune" + std::string(30, ' ') + ">"), "");
}

TEST(MarkupToRtf, ControlBytesDropAndHighBytesStay)
{
    EXPECT_EQ(body("a\nb\r\tc\x01"), "abc");
    EXPECT_EQ(body("<tab>"), "\\tab ");
    EXPECT_EQ(body("Pr\xE9nom \x80 \x9C"), "Pr\xE9nom \x80 \x9C");
    EXPECT_EQ(body(std::string("a\0b", 3)), "ab");
}

TEST(MarkupToRtf, TextBracesAndBackslashesAreEscaped)
{
    EXPECT_EQ(body("{x}"), "\\{x\\}");
    EXPECT_EQ(body("a\\par b"), "a\\\\par b");
    EXPECT_EQ(body("}}}"), "\\}\\}\\}");
    EXPECT_EQ(body("<b>{</b>"), "\\b \\{\\b0 ");
}

// Whatever a title holds (short of a font size tag, whose text goes out as
// typed), the RTF keeps one group open until its final "}".
TEST(MarkupToRtf, RandomTextNeverClosesTheDocumentEarly)
{
    const std::string alphabet = "{}\\<>/bBrRiIuUsSpx \xE9\x01\n";
    std::mt19937 gen(11);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    for (int round = 0; round < 3000; ++round) {
        std::string markup;
        for (int i = length(gen); i > 0; --i)
            markup.push_back(alphabet[pick(gen)]);
        const std::string rtf = MarkupToRtf(markup);
        int depth = 0;
        for (std::size_t i = 0; i < rtf.size(); ++i) {
            if (rtf[i] == '\\') {
                ++i; // control symbol or first letter of a control word
                continue;
            }
            if (rtf[i] == '{') {
                ++depth;
            } else if (rtf[i] == '}' && --depth == 0) {
                ASSERT_EQ(i, rtf.size() - 1) << markup;
            }
        }
        ASSERT_EQ(depth, 0) << markup;
    }
}

namespace {

// Straightforward converter written from the rules, to check the fast one.
std::string referenceBody(const std::string &markup)
{
    static const std::map<std::string, std::string> fixed = {
        {"b", "\\b "}, {"/b", "\\b0 "}, {"i", "\\i "}, {"/i", "\\i0 "}, {"u", "\\ul "}, {"/u", "\\ul0 "},
        {"s", "\\strike "}, {"/s", "\\strike0 "}, {"sup", "\\super "}, {"/sup", "\\nosupersub "},
        {"sub", "\\sub "}, {"/sub", "\\nosupersub "}, {"arial", "\\f0 "}, {"times", "\\f1 "},
        {"courier", "\\f2 "}, {"symbol", "\\f3 "}, {"ce=auto", "\\cf0 "}, {"ce=automatique", "\\cf0 "},
        {"cf=auto", "\\highlight0 "}, {"cf=automatique", "\\highlight0 "}, {"br", "\\par "}, {"tab", "\\tab "}};
    static const std::vector<std::string> colours = {
        "noir", "marron", "vert", "olive", "bleu fonc\xE9", "violet", "cyan", "gris fonc\xE9",
        "gris clair", "rouge", "vert clair", "jaune", "bleu", "fuchsia", "bleu ciel", "blanc"};
    std::string out;
    std::size_t i = 0;
    while (i < markup.size()) {
        const unsigned char c = static_cast<unsigned char>(markup[i]);
        if (c != '<') {
            if (c == '\\' || c == '{' || c == '}')
                out += '\\';
            if (c >= 0x20)
                out += static_cast<char>(c);
            ++i;
            continue;
        }
        std::string tag;
        ++i;
        while (i < markup.size() && markup[i] != '>') {
            const char t = markup[i++];
            tag += (t >= 'A' && t <= 'Z') ? static_cast<char>(t + 32) : t;
        }
        ++i;
        if (tag.rfind("te=", 0) == 0) {
            std::string size;
            for (std::size_t k = 0; k < tag.size();) {
                if (tag.compare(k, 3, "te=") == 0) {
                    k += 3;
                } else {
                    size += tag[k++];
                }
            }
            out += "\\fs" + size + " ";
        } else if (fixed.count(tag)) {
            out += fixed.at(tag);
        } else {
            for (std::size_t k = 0; k < colours.size(); ++k) {
                if (tag == "ce=" + colours[k])
                    out += "\\cf" + std::to_string(k + 1) + " ";
                if (tag == "cf=" + colours[k])
                    out += "\\highlight" + std::to_string(k + 1) + " ";
            }
        }
    }
    return out;
}

} // namespace

TEST(MarkupToRtf, AgreesWithAPlainConverterOnRandomMarkup)
{
    const std::vector<std::string> pieces = {
        "<b>", "</B>", "<sup>", "</sup>", "<br>", "<BR>", "<te=20>", "<TE=te=1x>", "<cf=jaune>", "<cf=auto>",
        "<CE=Bleu Fonc\xE9>", "<cf=bleu ciel>", "<ce=automatique>", "<tab>", "<nothing>", "<>", "<", ">",
        "(+3) + (-4) = ", "          ", "{", "}", "\\", "\n", "\t", "\x80\x9C\xE9", "x", "<b", "<cf=jaune",
        std::string(1, '\0'), "<te=" + std::string(30, '9') + ">", std::string(40, 'a')};
    std::mt19937 gen(5);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> count(0, 40);
    for (int round = 0; round < 4000; ++round) {
        std::string markup;
        for (int i = count(gen); i > 0; --i)
            markup += pieces[pick(gen)];
        ASSERT_EQ(body(markup), referenceBody(markup)) << markup;
    }
    // Long documents are converted a piece at a time: tags across the
    // pieces' ends, and one tag longer than a piece.
    std::string longer;
    while (longer.size() < 700'000)
        longer += pieces[pick(gen)];
    EXPECT_EQ(body(longer), referenceBody(longer));
    const std::string hugeTag = "a<te=" + std::string(300'000, '7') + ">b";
    EXPECT_EQ(body(hugeTag + longer), referenceBody(hugeTag + longer));
}

// A document grown piece by piece, tags cut open at the end included:
// every conversion's tail is the end of the whole conversion, from no
// further than what the stream promised to keep.
TEST(GrowingRtf, ConvertsTheAppendedMarkupAsTheWholeWould)
{
    const std::vector<std::string> pieces = {
        "<b>", "</B>", "<br>", "<te=20>", "<cf=jaune>", "<cf=auto>", "(+3) + (-4) = ", "    ", "{", "}", "\\",
        "\n", "\xE9", "<b", "<cf=jau", "ne>", "<", ">", "<te=", "18>", "x"};
    std::mt19937 gen(17);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> count(0, 6);
    for (int round = 0; round < 300; ++round) {
        GrowingRtf growing;
        std::string markup;
        DocumentRtf last;
        for (int step = 0; step < 30; ++step) {
            for (int i = count(gen); i > 0; --i)
                markup += pieces[pick(gen)];
            const DocumentRtf rtf = growing.convert(markup);
            const std::string whole = MarkupToRtf(markup);
            ASSERT_EQ(rtf.markup, markup);
            ASSERT_EQ(rtf.tail, whole.substr(rtf.offset)) << markup;
            ASSERT_LT(rtf.stable, whole.size());
            if (step == 0) {
                ASSERT_EQ(rtf.offset, 0u);
            } else {
                ASSERT_EQ(rtf.stream, last.stream);
                ASSERT_LE(rtf.offset, last.stable);
                ASSERT_GE(rtf.stable, last.stable);
            }
            last = rtf;
        }
        // A copy goes on on a stream of its own, from the start; so does a
        // replaced document.
        GrowingRtf copy = growing;
        const DocumentRtf copied = copy.convert(markup + "<br>");
        EXPECT_NE(copied.stream, last.stream);
        EXPECT_EQ(copied.offset, 0u);
        EXPECT_EQ(WholeRtf(copied), MarkupToRtf(markup + "<br>"));
        growing.restart();
        const DocumentRtf fresh = growing.convert("<b>x");
        EXPECT_NE(fresh.stream, last.stream);
        EXPECT_EQ(fresh.tail, MarkupToRtf("<b>x"));
        EXPECT_NE(growing.convert("y").stream, fresh.stream); // shorter: not a continuation
    }
}
