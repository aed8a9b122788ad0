#include "DrillOptions.h"

#include <algorithm>
#include <array>

namespace oxeln {

namespace {

template <typename T>
struct Named
{
    T value;
    std::string_view name;
    std::string_view label;
};

constexpr std::array<Named<Writing>, 3> Writings{{
    {Writing::Parentheses, "parentheses", "Tous les nombres entre parenth\xE8ses : (-6) + (+5)"},
    {Writing::Negatives, "negatifs", "Seuls les n\xE9gatifs entre parenth\xE8ses : (-6) + 5"},
    {Writing::Simplified, "simplifiee", "\xC9" "criture simplifi\xE9" "e : -6 + 5"},
}};

constexpr std::array<Named<SignMix>, 3> SignMixes{{
    {SignMix::Random, "hasard", "Signes au hasard"},
    {SignMix::OneNegative, "un-negatif", "Au moins un nombre n\xE9gatif par question"},
    {SignMix::AllNegative, "negatifs", "Tous les nombres n\xE9gatifs"},
}};

template <typename T, std::size_t N>
const Named<T> &entry(const std::array<Named<T>, N> &table, T value)
{
    for (const Named<T> &e : table) {
        if (e.value == value)
            return e;
    }
    return table[0];
}

template <typename T, std::size_t N>
OptionValue<T> parse(const std::array<Named<T>, N> &table, std::string_view text)
{
    OptionValue<T> result;
    std::string names;
    for (const Named<T> &e : table) {
        if (e.name == text) {
            result.value = e.value;
            return result;
        }
        names += (names.empty() ? "" : ", ") + std::string(e.name);
    }
    result.error = "valeur inconnue \xAB " + std::string(text) + " \xBB (valeurs accept\xE9" "es : " + names + ")";
    return result;
}

} // namespace

DrillOptions DrillOptions::normalized(std::int32_t maxValue) const
{
    DrillOptions o = *this;
    const auto clampOrUnset = [](std::int32_t value, std::int32_t high) {
        return value <= 0 ? 0 : std::min(value, high);
    };
    o.smallest = clampOrUnset(smallest, std::max<std::int32_t>(maxValue, 1));
    o.largestExponent = clampOrUnset(largestExponent, LargestExponentLimit);
    o.largestBase = clampOrUnset(largestBase, LargestBaseLimit);
    return o;
}

std::string_view WritingName(Writing writing) { return entry(Writings, writing).name; }
std::string_view SignMixName(SignMix signs) { return entry(SignMixes, signs).name; }
std::string_view WritingLabel(Writing writing) { return entry(Writings, writing).label; }
std::string_view SignMixLabel(SignMix signs) { return entry(SignMixes, signs).label; }

OptionValue<Writing> ParseWriting(std::string_view text) { return parse(Writings, text); }
OptionValue<SignMix> ParseSignMix(std::string_view text) { return parse(SignMixes, text); }

OptionValue<std::int32_t> ParseOptionNumber(std::string_view text, std::int32_t low, std::int32_t high)
{
    OptionValue<std::int32_t> result;
    long long value = 0;
    bool digits = !text.empty();
    for (char c : text) {
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        value = std::min(value * 10 + (c - '0'), 1'000'000'000LL);
    }
    if (digits && value >= low && value <= high) {
        result.value = static_cast<std::int32_t>(value);
        return result;
    }
    result.error = "attend un nombre de " + std::to_string(low) + " \xE0 " + std::to_string(high) + ", pas \xAB " +
                   std::string(text) + " \xBB";
    return result;
}

std::string_view NotEnoughQuestionsNotice()
{
    return "Pas assez de questions diff\xE9rentes avec ces nombres : certaines questions reviennent "
           "deux fois. \xC9largir les nombres ou demander moins de lignes pour une fiche sans doublon.";
}

} // namespace oxeln
