#include "Commune.h"
#include "NumberFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>

using namespace oxeln;

TEST(GroupDigits, GroupsByThreeFromTheRight)
{
    EXPECT_EQ(GroupDigits(""), "");
    EXPECT_EQ(GroupDigits("7"), "7");
    EXPECT_EQ(GroupDigits("999"), "999");
    EXPECT_EQ(GroupDigits("1000"), "1 000");
    EXPECT_EQ(GroupDigits("10000"), "10 000");
    EXPECT_EQ(GroupDigits("123456"), "123 456");
    EXPECT_EQ(GroupDigits("1234567"), "1 234 567");
    EXPECT_EQ(GroupDigits("2147483648"), "2 147 483 648");
}

TEST(FormatSigned, SignsAndGroups)
{
    EXPECT_EQ(FormatSigned(0), "0");
    EXPECT_EQ(FormatSigned(1), "+1");
    EXPECT_EQ(FormatSigned(-1), "-1");
    EXPECT_EQ(FormatSigned(7), "+7");
    EXPECT_EQ(FormatSigned(999), "+999");
    EXPECT_EQ(FormatSigned(1000), "+1 000");
    EXPECT_EQ(FormatSigned(1250), "+1 250");
    EXPECT_EQ(FormatSigned(-100), "-100");
    EXPECT_EQ(FormatSigned(-1000), "-1 000");
    EXPECT_EQ(FormatSigned(-45000), "-45 000");
    EXPECT_EQ(FormatSigned(INT_MAX), "+2 147 483 647");
    EXPECT_EQ(FormatSigned(INT_MIN), "-2 147 483 648");
}

TEST(FormatSigned, AgreesWithGroupDigitsOverManyValues)
{
    std::mt19937 gen(7);
    std::uniform_int_distribution<std::int32_t> any(INT_MIN, INT_MAX);
    for (int i = 0; i < 20000; ++i) {
        const std::int32_t n = i < 4000 ? i - 2000 : any(gen);
        const long long magnitude = std::llabs(static_cast<long long>(n));
        const std::string expected = n == 0 ? "0" : (n > 0 ? "+" : "-") + GroupDigits(std::to_string(magnitude));
        ASSERT_EQ(FormatSigned(n), expected) << n;
    }
}

TEST(PowerInt, ValuesAndSigns)
{
    EXPECT_EQ(PowerInt(0, 0), 1);
    EXPECT_EQ(PowerInt(7, 0), 1);
    EXPECT_EQ(PowerInt(5, -1), 1);
    EXPECT_EQ(PowerInt(-2, 3), -8);
    EXPECT_EQ(PowerInt(-2, 2), 4);
    EXPECT_EQ(PowerInt(0, 37), 0);
    EXPECT_EQ(PowerInt(-1, 47), -1);
    EXPECT_EQ(PowerInt(1, 58), 1);
    EXPECT_EQ(PowerInt(464, 3), 99897344);
    EXPECT_EQ(PowerInt(2, 26), 67108864);
    EXPECT_EQ(FormatSignedPower(-3, 2), "+9");
    EXPECT_EQ(FormatSignedPower(-464, 3), "-99 897 344");
    EXPECT_EQ(FormatSignedPower(0, 0), "+1");
}

TEST(Padding, WidensToTheColumnWidthAndNeverCuts)
{
    const std::string cell = "(+3) + (-4) = ";
    EXPECT_EQ(PadNarrow(cell), cell + std::string(12, ' '));
    const std::string thirty(30, 'x');
    EXPECT_EQ(PadNarrow(thirty), thirty);
    EXPECT_EQ(PadNarrowAnswer(std::string(44, 'x')), std::string(44, 'x') + " ");
    EXPECT_EQ(PadNarrowAnswer(std::string(45, 'x')), std::string(45, 'x'));
    EXPECT_EQ(PadWide("").size(), 38u);
    EXPECT_EQ(PadWideAnswer("ab"), "ab" + std::string(55, ' '));
    EXPECT_EQ(PadWideAnswer(std::string(60, 'y')).size(), 60u);
    EXPECT_EQ(PadNarrow(""), std::string(26, ' '));
}
