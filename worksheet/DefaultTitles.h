#pragma once

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

} // namespace oxeln
