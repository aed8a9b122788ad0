add_library(oxeln_view STATIC
    RichTextView.cpp
)
target_include_directories(oxeln_view PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(oxeln_view PUBLIC Qt6::Widgets Qt6::Gui)
