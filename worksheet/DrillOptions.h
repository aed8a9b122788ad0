#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace oxeln {

// How the numbers of a question are written, in the subject and the key.
enum class Writing : std::uint8_t {
    // Every number in brackets with its sign: "(-6) + (+5) = ", key "(-1)".
    Parentheses,
    // Only negatives in brackets: "(-6) + 5 = ", "4 x (-3) = ", key "-1", "1".
    Negatives,
    // Sums without brackets, each sign merged with its operator and no
    // leading "+": "-6 - 5 + 3 = ". Products, quotients and powers keep the
    // brackets of a negative after an operator and of a negative base
    // ("-6 x (-5)", "(-3)<sup>2</sup>"). Keys as Negatives.
    Simplified,
};

// Which operands may or must be negative.
enum class SignMix : std::uint8_t {
    Random,      // each sign at random (the draw of the seven first drills)
    OneNegative, // at least one negative operand in each question
    AllNegative, // every operand negative
};

// The options a drill reads once from its host, at its start. With every
// member at its default, a drill draws and writes exactly what it did before
// these options existed: no extra draw, no byte changed.
struct DrillOptions
{
    Writing writing = Writing::Parentheses;
    // Smallest absolute value of an operand, 1 to Max valeur; 0: not set.
    // Once set, every operand's absolute value lies between it and Max
    // valeur (unset, operands lie between -(V div 2) + 1 and V div 2).
    std::int32_t smallest = 0;
    SignMix signs = SignMix::Random;
    // No question twice on one worksheet: same drill, same operands in the
    // same order (and the same blank). When the range cannot give enough,
    // the drill is filled anyway and the host gets one notice.
    bool noDuplicates = false;
    // Every ":" quotient an integer (no "/" answers).
    bool exactDivisions = false;
    // Powers: largest exponent (1 to 58) and largest absolute value of the
    // base (1 to 999); 0: today's draw.
    std::int32_t largestExponent = 0;
    std::int32_t largestBase = 0;
    // Answer key without the interline blanks; the subject is unchanged.
    bool compactAnswer = false;

    bool operator==(const DrillOptions &) const = default;

    // The same with every number brought into its range for max value V
    // (a smallest value above V becomes V).
    DrillOptions normalized(std::int32_t maxValue) const;
};

// Accepted ranges of the numeric options.
inline constexpr std::int32_t SmallestLimit = 999;      // 1 .. Max valeur
inline constexpr std::int32_t LargestExponentLimit = 58; // 1 .. 58
inline constexpr std::int32_t LargestBaseLimit = 999;    // 1 .. 999

// The names of the values, as the composer takes them and the settings file
// stores them (plain ASCII): "parentheses", "negatifs", "simplifiee";
// "hasard", "un-negatif", "negatifs".
std::string_view WritingName(Writing writing);
std::string_view SignMixName(SignMix signs);
// What the window shows for each value, in Windows-1252 ("Seuls les
// négatifs entre parenthèses : (-6) + 5").
std::string_view WritingLabel(Writing writing);
std::string_view SignMixLabel(SignMix signs);

// A value read from a text: the value, or a French message (Windows-1252)
// that names the accepted values, such as "valeur inconnue « x » (valeurs
// acceptées : parentheses, negatifs, simplifiee)". The caller puts the
// option's name in front.
template <typename T>
struct OptionValue
{
    std::optional<T> value;
    std::string error;
};

OptionValue<Writing> ParseWriting(std::string_view text);
OptionValue<SignMix> ParseSignMix(std::string_view text);
// A whole decimal number from low to high; else "attend un nombre de 1 à
// 58, pas « 70 »".
OptionValue<std::int32_t> ParseOptionNumber(std::string_view text, std::int32_t low, std::int32_t high);

// The notice a drill gives its host when "sans doublon" could not find
// enough different questions (Windows-1252).
std::string_view NotEnoughQuestionsNotice();

} // namespace oxeln
