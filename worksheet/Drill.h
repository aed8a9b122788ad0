#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace oxeln {

// The buttons that compose questions. The question list keeps a drill in one
// byte and stored lists may outlive a build: new drills go at the end.
enum class Drill {
    Plus, Minus, Mult, Power, Divide, S1, S2,
    // Missing term: "(-3) + ... = (+5)", the blank on one of the two operands.
    MissingPlus, MissingMinus, MissingMult, MissingDivide,
    // Order of operations on three to five numbers: P1 with one group in
    // round brackets at most, P2 with a round group inside a square one.
    P1, P2,
    // "(-7) ... (+3)", to complete with "<", ">" or "=".
    Compare,
};

inline constexpr std::array<Drill, 14> AllDrills = {
    Drill::Plus,        Drill::Minus,        Drill::Mult,       Drill::Power,         Drill::Divide,
    Drill::S1,          Drill::S2,           Drill::MissingPlus, Drill::MissingMinus, Drill::MissingMult,
    Drill::MissingDivide, Drill::P1,         Drill::P2,          Drill::Compare,
};

// The composer's name of a drill, also fit for a button's caption: "+", "-",
// "x", "^", ":", "S1", "S2", "?+", "?-", "?x", "?:", "P1", "P2", "<".
std::string_view DrillName(Drill drill);
std::optional<Drill> DrillFromName(std::string_view name);
// Its hint in French, Windows-1252: "Additions", "Terme manquant : additions"...
std::string_view DrillHint(Drill drill);

} // namespace oxeln
