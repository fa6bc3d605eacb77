# Tests are Windows programs run under Wine, in the project's own prefix.
enable_testing()

set(DAYBROOK_WINE_ENVIRONMENT
    "WINEPREFIX=${DAYBROOK_WINEPREFIX}"
    "WINEARCH=win64"
    "WINELOADER=/usr/lib/wine/wine64"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml=")

# daybrook_add_gtest(name source...): a GoogleTest program registered with CTest.
function(daybrook_add_gtest name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE gtest gtest_main)
    target_compile_definitions(${name} PRIVATE
        DAYBROOK_CALENDARS_DIR="${DAYBROOK_SHARED_DIR}/calendars/real-world")
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${DAYBROOK_WINE_ENVIRONMENT}"
        TIMEOUT 300)
endfunction()
