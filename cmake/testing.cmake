# Tests are Windows programs run under Wine, in the project's own prefix.
enable_testing()

set(DAYBROOK_WINE_ENVIRONMENT
    "WINEPREFIX=${DAYBROOK_WINEPREFIX}"
    "WINEARCH=win64"
    "WINELOADER=/usr/lib/wine/wine64"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml=")

# The tests' files beside the programs (bin/testdata): a built test finds them without knowing
# where the sources were.
set(DAYBROOK_TEST_DATA_DIR ${CMAKE_BINARY_DIR}/bin/testdata)
add_custom_target(daybrook_test_data ALL
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${DAYBROOK_SHARED_DIR}/calendars/real-world
            ${DAYBROOK_TEST_DATA_DIR}/calendars
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus
            ${DAYBROOK_TEST_DATA_DIR}/fuzz/corpus
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/tests/fuzz/regressions
            ${DAYBROOK_TEST_DATA_DIR}/fuzz/regressions)

# daybrook_add_gtest(name source...): a GoogleTest program registered with CTest.
function(daybrook_add_gtest name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE gtest gtest_main)
    add_dependencies(${name} daybrook_test_data)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${DAYBROOK_WINE_ENVIRONMENT}"
        TIMEOUT 300)
endfunction()
