#pragma once

#include "DrillOptions.h"

#include <string_view>

namespace oxeln {

// The title lines a worksheet gets unless the teacher types others, as
// Windows-1252 bytes ("\xE9" is "é", "\xE8" is "è").
inline constexpr std::string_view DefaultTitle1 =
    "Nom :                       Pr\xE9nom :                             Classe :";
inline constexpr std::string_view DefaultTitle2 =
    "------------------------------------------------------------------------------------"
    "----------------------------------------------------------------------------------";
inline constexpr std::string_view DefaultTitle3 =
    "Compl\xE9ter en mettant un signe et des parenth\xE8ses autour de la r\xE9ponse ex : "
    "(+3)+(-4) = (-1). Ecrire / si elle n'existe pas";

// The instruction fit for the answers of each writing mode: only the first
// asks for the sign and brackets of every result.
inline constexpr std::string_view DefaultTitle3For(Writing writing)
{
    switch (writing) {
    case Writing::Negatives:
        return "Compl\xE9ter en \xE9" "crivant le signe - devant un r\xE9sultat n\xE9gatif ex : "
               "(-6)+5 = -1. Ecrire / si elle n'existe pas";
    case Writing::Simplified:
        return "Compl\xE9ter en \xE9" "crivant le signe - devant un r\xE9sultat n\xE9gatif ex : "
               "-6+5 = -1. Ecrire / si elle n'existe pas";
    default:
        return DefaultTitle3;
    }
}

} // namespace oxeln
