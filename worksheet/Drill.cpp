#include "Drill.h"

namespace oxeln {

namespace {

struct DrillText
{
    std::string_view name;
    std::string_view hint;
};

// In the order of the enumeration.
constexpr std::array<DrillText, AllDrills.size()> Texts{{
    {"+", "Additions"},
    {"-", "Soustractions"},
    {"x", "Multiplications"},
    {"^", "Puissances"},
    {":", "Divisions"},
    {"S1", "Suites d'additions"},
    {"S2", "Suites d'additions et de soustractions"},
    {"?+", "Terme manquant : additions"},
    {"?-", "Terme manquant : soustractions"},
    {"?x", "Terme manquant : multiplications"},
    {"?:", "Terme manquant : divisions"},
    {"P1", "Priorit\xE9s op\xE9ratoires, un niveau de parenth\xE8ses"},
    {"P2", "Priorit\xE9s op\xE9ratoires, crochets et parenth\xE8ses"},
    {"<", "Comparer : compl\xE9ter par <, > ou ="},
}};

} // namespace

std::string_view DrillName(Drill drill) { return Texts.at(static_cast<std::size_t>(drill)).name; }

std::string_view DrillHint(Drill drill) { return Texts.at(static_cast<std::size_t>(drill)).hint; }

std::optional<Drill> DrillFromName(std::string_view name)
{
    for (Drill drill : AllDrills) {
        if (DrillName(drill) == name)
            return drill;
    }
    return std::nullopt;
}

} // namespace oxeln
