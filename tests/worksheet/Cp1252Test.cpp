#include "Cp1252.h"
#include "DefaultTitles.h"

#include <gtest/gtest.h>

using namespace oxeln;

TEST(Cp1252, ConvertsLatinAndTheWindowsRange)
{
    EXPECT_EQ(Utf8ToCp1252("abc"), "abc");
    EXPECT_EQ(Utf8ToCp1252(""), "");
    EXPECT_EQ(Utf8ToCp1252("Pr\xC3\xA9nom"), "Pr\xE9nom");
    EXPECT_EQ(Utf8ToCp1252("\xC3\xBF\xC2\xA0"), "\xFF\xA0");
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");             // euro sign
    EXPECT_EQ(Utf8ToCp1252("\xC5\x93\xC5\x92"), "\x9C\x8C");     // oe ligatures
    EXPECT_EQ(Utf8ToCp1252("\xE2\x80\x99\xE2\x80\x94"), "\x92\x97");
    EXPECT_EQ(Utf8ToCp1252("\xC5\xB8"), "\x9F");
}

TEST(Cp1252, RefusesWhatItCannotWrite)
{
    EXPECT_FALSE(Utf8ToCp1252("\xE2\x88\x9A"));     // square root sign
    EXPECT_FALSE(Utf8ToCp1252("\xF0\x9F\x98\x80")); // emoji
    EXPECT_FALSE(Utf8ToCp1252("\xC2\x81"));         // C1 control, unassigned byte
    EXPECT_FALSE(Utf8ToCp1252("\xC2\x80"));         // C1 control, 0x80 is the euro
    EXPECT_FALSE(Utf8ToCp1252("\xE9t\xE9"));        // Latin-1 bytes, not UTF-8
    EXPECT_FALSE(Utf8ToCp1252("\xC3"));             // truncated
    EXPECT_FALSE(Utf8ToCp1252("\xC0\xAF"));         // overlong
    EXPECT_FALSE(Utf8ToCp1252("\xE0\x80\xAF"));     // overlong, three bytes
    EXPECT_FALSE(Utf8ToCp1252("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(Utf8ToCp1252("\x80"));             // stray continuation
}

TEST(Cp1252, ComposesAccentsTypedApart)
{
    EXPECT_EQ(Utf8ToCp1252("Pre\xCC\x81nom"), "Pr\xE9nom");                       // e + acute
    EXPECT_EQ(Utf8ToCp1252("C\xCC\xA7" "a, E\xCC\x80, y\xCC\x88, Z\xCC\x8C"), "\xC7" "a, \xC8, \xFF, \x8E");
    EXPECT_EQ(Utf8ToCp1252("\xE2\x84\xAB \xE2\x84\xAA"), "\xC5 K");                 // Angstrom and Kelvin signs
    // Nothing to compose with, or no such letter in Windows-1252.
    for (const char *text : {"\xCC\x81", "x\xCC\x81", "e\xCC\x81\xCC\x81", "\xC3\xA9\xCC\x81"})
        EXPECT_FALSE(Utf8ToCp1252(text)) << text;
}

TEST(Cp1252, TellsWhatItRefusesAndWhere)
{
    Cp1252Refusal why;
    EXPECT_FALSE(Utf8ToCp1252("5\xE1\xB5\x89", &why)); // "5" and a raised "e"
    EXPECT_EQ(why.kind, Cp1252Refusal::Kind::NotInCp1252);
    EXPECT_EQ(why.position, 2u);
    EXPECT_EQ(why.character, U'\u1D49');
    // Positions count characters as composed, not bytes.
    EXPECT_FALSE(Utf8ToCp1252("e\xCC\x81t\xC3\xA9 \xE2\x88\x92 1", &why));
    EXPECT_EQ(why.position, 5u);
    EXPECT_EQ(why.character, U'\u2212');
    EXPECT_EQ(CodePointToUtf8(why.character), "\xE2\x88\x92");
    EXPECT_FALSE(Utf8ToCp1252("ab\xE9t\xE9", &why));
    EXPECT_EQ(why.kind, Cp1252Refusal::Kind::InvalidUtf8);
    EXPECT_EQ(why.position, 3u);
    EXPECT_EQ(CodePointToUtf8(U'\U0001F600'), "\xF0\x9F\x98\x80");
}

TEST(Cp1252, RoundTripsEveryAssignedByte)
{
    for (int b = 1; b < 256; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
            continue;
        const std::string one(1, static_cast<char>(b));
        ASSERT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << b;
    }
}

TEST(DefaultTitles, ExactTexts)
{
    EXPECT_EQ(DefaultTitle1.size(), 73u);
    EXPECT_EQ(Cp1252ToUtf8(DefaultTitle1),
              "Nom :" + std::string(23, ' ') + "Pr\xC3\xA9nom :" + std::string(29, ' ') + "Classe :");
    EXPECT_EQ(DefaultTitle2, std::string(166, '-'));
    EXPECT_EQ(DefaultTitle3.size(), 122u);
    EXPECT_EQ(Cp1252ToUtf8(DefaultTitle3),
              "Compl\xC3\xA9ter en mettant un signe et des parenth\xC3\xA8ses autour de la r\xC3\xA9ponse ex : "
              "(+3)+(-4) = (-1). Ecrire / si elle n'existe pas");
}
