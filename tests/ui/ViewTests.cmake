# The rich text view: the widget and its page layout (QtTest).
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
