# The main window, driven as a user would, without a display.
add_executable(tst_uoxeln tst_uoxeln.cpp)
target_link_libraries(tst_uoxeln PRIVATE oxeln_ui Qt6::Test)
add_test(NAME tst_uoxeln COMMAND tst_uoxeln)
set_tests_properties(tst_uoxeln PROPERTIES ENVIRONMENT "${OXELN_TEST_ENV}" TIMEOUT 300)
