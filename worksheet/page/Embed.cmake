# Writes OUTPUT, a C++ file holding the page's style sheet and script as
# string constants, from CSS and JS (run by the build when either changes).
file(READ ${CSS} css)
file(READ ${JS} js)
foreach(text IN ITEMS "${css}" "${js}")
    string(FIND "${text}" ")oxeln_page\"" clash)
    if(NOT clash EQUAL -1)
        message(FATAL_ERROR "${CSS} or ${JS} holds the raw string's closing delimiter")
    endif()
endforeach()
file(WRITE ${OUTPUT}
    "// Made by page/Embed.cmake from StudentPage.css and StudentPage.js: edit those.\n"
    "#include <string_view>\n\n"
    "namespace oxeln::page {\n\n"
    "extern const std::string_view StudentPageCss;\n"
    "extern const std::string_view StudentPageScript;\n\n"
    "const std::string_view StudentPageCss = R\"oxeln_page(${css})oxeln_page\";\n\n"
    "const std::string_view StudentPageScript = R\"oxeln_page(${js})oxeln_page\";\n\n"
    "} // namespace oxeln::page\n")
