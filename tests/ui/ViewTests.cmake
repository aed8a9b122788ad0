# The rich text view: RTF reader and writer (GoogleTest), the widget and its
# page layout (QtTest).
include(GoogleTest)

add_library(oxeln_rtf_samples STATIC ${CMAKE_CURRENT_LIST_DIR}/RtfSamples.cpp)
target_link_libraries(oxeln_rtf_samples PUBLIC Qt6::Core)
target_include_directories(oxeln_rtf_samples PUBLIC ${CMAKE_CURRENT_LIST_DIR})

add_executable(rtf_tests
    ${CMAKE_CURRENT_LIST_DIR}/RtfTestMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfReaderTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RtfWriterTest.cpp
)
target_link_libraries(rtf_tests PRIVATE oxeln_rtf oxeln_rtf_samples oxeln_worksheet GTest::gtest)
target_compile_definitions(rtf_tests PRIVATE OXELN_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data")
gtest_discover_tests(rtf_tests PROPERTIES ENVIRONMENT "${OXELN_TEST_ENV}" DISCOVERY_TIMEOUT 60)

function(oxeln_view_qtest name)
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp)
    target_link_libraries(${name} PRIVATE oxeln_view oxeln_rtf_samples Qt6::Test Qt6::Widgets ${ARGN})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${OXELN_TEST_ENV}")
endfunction()

oxeln_view_qtest(tst_richtextview)
oxeln_view_qtest(tst_richtextview_print Qt6::PrintSupport Qt6::Svg)
# LibreOffice as a third-party reader of the files the view writes (skips
# when soffice is absent; a conversion takes seconds).
oxeln_view_qtest(tst_richtextview_soffice)
set_tests_properties(tst_richtextview_soffice PROPERTIES TIMEOUT 600)
