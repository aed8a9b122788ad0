# The main window, driven as a user would, without a display, on a machine
# without any printer: the output tests' scheduler that has no queue.
add_executable(tst_uoxeln tst_uoxeln.cpp)
target_link_libraries(tst_uoxeln PRIVATE oxeln_ui Qt6::Test)
add_test(NAME tst_uoxeln COMMAND tst_uoxeln)
set_tests_properties(tst_uoxeln PROPERTIES
    ENVIRONMENT "${OXELN_TEST_ENV};CUPS_SERVER=${CMAKE_BINARY_DIR}/tests/output/cups-empty/cups.sock"
    FIXTURES_REQUIRED OxelnCupsEmpty
    TIMEOUT 300)

# Questions asked of the system: the debugger check, also under a real gdb.
add_executable(tst_platform tst_platform.cpp)
target_link_libraries(tst_platform PRIVATE oxeln_ui Qt6::Test)
target_compile_definitions(tst_platform PRIVATE OXELN_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/data"
                                                OXELN_BINARY="$<TARGET_FILE:oxeln>")
add_dependencies(tst_platform oxeln)
add_test(NAME tst_platform COMMAND tst_platform)
set_tests_properties(tst_platform PROPERTIES ENVIRONMENT "${OXELN_TEST_ENV}" TIMEOUT 120)

# A private X display with openbox, for what only a real window manager
# shows (frames, activation, the close button); ctest starts and stops it as
# a fixture, on a display number Xvfb picks itself.
set(OXELN_DESKTOP_DIR ${CMAKE_CURRENT_BINARY_DIR}/desktop)
add_test(NAME ui.desktop.start COMMAND ${CMAKE_CURRENT_LIST_DIR}/desktop-harness.sh start ${OXELN_DESKTOP_DIR})
add_test(NAME ui.desktop.stop COMMAND ${CMAKE_CURRENT_LIST_DIR}/desktop-harness.sh stop ${OXELN_DESKTOP_DIR})
set_tests_properties(ui.desktop.start PROPERTIES FIXTURES_SETUP OxelnDesktop TIMEOUT 60)
set_tests_properties(ui.desktop.stop PROPERTIES FIXTURES_CLEANUP OxelnDesktop TIMEOUT 60)

# The real program restarted many times: its window keeps its place and size.
add_test(NAME ui.restart-placement
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/restart-placement.sh $<TARGET_FILE:oxeln> ${OXELN_DESKTOP_DIR})
set_tests_properties(ui.restart-placement PROPERTIES
    FIXTURES_REQUIRED OxelnDesktop RESOURCE_LOCK OxelnDesktop TIMEOUT 300)

# Both views' frames, as the screen shows them, at the scale factors of a
# desktop: 1, 1.5 and 2.
add_executable(tst_viewframes tst_viewframes.cpp)
target_link_libraries(tst_viewframes PRIVATE oxeln_ui Qt6::Test)
foreach(scale 1 1.5 2)
    add_test(NAME tst_viewframes_${scale} COMMAND tst_viewframes)
    set_tests_properties(tst_viewframes_${scale} PROPERTIES ENVIRONMENT "${OXELN_TEST_ENV};QT_SCALE_FACTOR=${scale}")
endforeach()

# "Exercices et réglages" and the versions, printing to the private
# scheduler's PDF queue.
add_executable(tst_exercises tst_exercises.cpp)
target_link_libraries(tst_exercises PRIVATE oxeln_ui oxeln_output_testsupport Qt6::Test)
add_test(NAME ui.exercises COMMAND tst_exercises)
set_tests_properties(ui.exercises PROPERTIES
    ENVIRONMENT "${OXELN_TEST_ENV};CUPS_SERVER=${CMAKE_BINARY_DIR}/tests/output/cups/cups.sock"
    FIXTURES_REQUIRED OxelnCups
    RESOURCE_LOCK OxelnCups
    TIMEOUT 300)
