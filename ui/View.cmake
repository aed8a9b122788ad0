# The rich text view. The RTF reader stands apart in oxeln_rtf, which needs
# QtGui only, so that the fuzz build can compile it without widgets.
add_library(oxeln_rtf STATIC
    ${CMAKE_CURRENT_LIST_DIR}/RtfCodePage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfTokenizer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfKeywords.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfBuilder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfParser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfWriter.cpp
)
target_include_directories(oxeln_rtf PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(oxeln_rtf PUBLIC Qt6::Gui)

add_library(oxeln_view STATIC
    ${CMAKE_CURRENT_LIST_DIR}/RichTextView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfPageLayout.cpp
)
target_include_directories(oxeln_view PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(oxeln_view PUBLIC oxeln_rtf Qt6::Widgets Qt6::Gui)
