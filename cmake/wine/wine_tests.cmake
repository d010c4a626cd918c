# Where the test programs run. Natively in a native build. In the windows-x64 build under Wine,
# through the toolchain's emulator (wine-run.sh), with one Wine server for the whole CTest run:
# a fixture starts it before the first test and stops it after the last, so that each program
# starts in about a second instead of twenty. The windows-x86 build has no emulator: 64-bit
# Wine cannot run its programs, so they are built (which proves them at compile time) and each
# is reported as a skipped test with the reason.
#
# Sets ZELVANE_TESTS_RUN, ZELVANE_TESTS_NOT_RUN (the reason when not), and
# ZELVANE_TEST_EXTRA_LABELS / ZELVANE_TEST_EXTRA_PROPERTIES for gtest_discover_tests.

set(ZELVANE_TESTS_RUN ON)
set(ZELVANE_TESTS_NOT_RUN "")
set(ZELVANE_TEST_EXTRA_LABELS "")
set(ZELVANE_TEST_EXTRA_PROPERTIES "")

# A test that only reports, with its reason, that something cannot run on this machine.
function(zelvane_add_skipped_test name reason labels)
    add_test(NAME ${name} COMMAND sh -c "echo 'SKIPPED: ${reason}'; exit 77")
    set_tests_properties(${name} PROPERTIES LABELS "${labels}" SKIP_RETURN_CODE 77)
endfunction()

if(NOT CMAKE_CROSSCOMPILING)
    return()
endif()
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(ZELVANE_TESTS_RUN OFF)
    set(ZELVANE_TESTS_NOT_RUN
        "the ${CMAKE_SYSTEM_PROCESSOR} ${CMAKE_SYSTEM_NAME} programs cannot run on this machine (64-bit Wine only); built, not run")
    return()
endif()

find_program(ZELVANE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CACHE)
if(NOT ZELVANE_WINE64)
    set(ZELVANE_TESTS_RUN OFF)
    set(ZELVANE_TESTS_NOT_RUN "wine64 is not installed (Debian package wine64); built, not run")
    return()
endif()

set(wine_scripts ${PROJECT_SOURCE_DIR}/cmake/wine)
add_test(NAME wine.ServerStart COMMAND ${wine_scripts}/wine-server.sh start ${CMAKE_BINARY_DIR})
add_test(NAME wine.ServerStop COMMAND ${wine_scripts}/wine-server.sh stop ${CMAKE_BINARY_DIR})
# The first start makes the prefix, which takes Wine some seconds.
set_tests_properties(wine.ServerStart PROPERTIES
    FIXTURES_SETUP wine_server LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 300)
set_tests_properties(wine.ServerStop PROPERTIES
    FIXTURES_CLEANUP wine_server LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 60)
set(ZELVANE_TEST_EXTRA_LABELS wine)
# 77: Wine or the virtual display missing when the test runs (wine-run.sh, run-with-display.sh).
set(ZELVANE_TEST_EXTRA_PROPERTIES FIXTURES_REQUIRED wine_server SKIP_RETURN_CODE 77)
