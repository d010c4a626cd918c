# Where the test programs run. Natively in a native build. In the windows-x64 build under Wine,
# through the toolchain's emulator (wine-run.sh), with one Wine server for the whole CTest run:
# a fixture starts it before the first test and stops it after the last, so that each program
# starts in about a second instead of twenty. The windows-x86 build has no emulator: this
# machine runs no 32-bit programs, so they run in a QEMU guest with Debian's 32-bit Wine
# (tests/vm, vm.WindowsX86InGuest), and each program's CTest test reports what it did there.
#
# Sets ZELVANE_TESTS_RUN, ZELVANE_TESTS_IN_GUEST, ZELVANE_TESTS_NOT_RUN (the reason when
# neither), and ZELVANE_TEST_EXTRA_LABELS / ZELVANE_TEST_EXTRA_PROPERTIES for
# gtest_discover_tests.

set(ZELVANE_TESTS_RUN ON)
set(ZELVANE_TESTS_IN_GUEST OFF)
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
# The test program `target`, run whole in the x86 guest (on a display, as any may make
# windows), reported by the CTest test `test_name` from the output and exit status the guest
# kept. The list goes to the guest's manifest (tests/vm/x86_guest.cmake).
function(zelvane_add_guest_program test_name target labels)
    set_property(GLOBAL APPEND PROPERTY ZELVANE_GUEST_PROGRAMS ${target})
    zelvane_add_guest_result(${test_name} ${target} "${labels}")
endfunction()

# The CTest test `test_name` reports the guest's result `result` (a program, or a test script
# the guest runs): passed, failed, or skipped with the guest's reason.
function(zelvane_add_guest_result test_name result labels)
    add_test(NAME ${test_name}
        COMMAND ${PROJECT_SOURCE_DIR}/tests/vm/x86-result.sh
                ${PROJECT_BINARY_DIR}/tests/vm/work/x86-results ${result})
    set_tests_properties(${test_name} PROPERTIES
        LABELS "${labels};x86" FIXTURES_REQUIRED x86_guest SKIP_RETURN_CODE 77)
endfunction()

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(ZELVANE_TESTS_RUN OFF)
    set(ZELVANE_TESTS_IN_GUEST ON)
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
