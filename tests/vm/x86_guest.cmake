# The windows-x86 build's programs in a QEMU guest with Debian's 32-bit Wine (this machine's
# kernel runs no 32-bit programs): vm.WindowsX86InGuest (labels vm and x86) boots one guest that
# runs every test program of this build, then Zelvane.exe on the gadget (the whole image written
# and verified, the ordinary disk getting INQUIRY only, a screenshot of its window), the window
# test of tests/windows_gui and the setup's test of tests/installer. Each program and script has
# its own CTest test, which reports what the guest kept of it (zelvane_add_guest_program in
# cmake/wine/wine_tests.cmake). The gadget, the probe and the kernel come from a Linux build,
# named by ZELVANE_LINUX_BUILD, which scripts/test.sh sets to build/debug.
set(ZELVANE_LINUX_BUILD "" CACHE PATH
    "A Linux build (preset debug) whose USB gadget and kernel the x86 guest uses")

set(manifest ${CMAKE_CURRENT_BINARY_DIR}/x86-build.sh)
set(suites ${CMAKE_CURRENT_BINARY_DIR}/x86-programs.list)
get_property(programs GLOBAL PROPERTY ZELVANE_GUEST_PROGRAMS)
set(lines "")
foreach(program IN LISTS programs)
    string(APPEND lines "${program} $<TARGET_FILE:${program}>\n")
endforeach()
file(GENERATE OUTPUT ${suites} CONTENT "${lines}")
get_property(setup GLOBAL PROPERTY ZELVANE_WINDOWS_SETUP)
get_property(product GLOBAL PROPERTY ZELVANE_WINDOWS_PRODUCT)
get_property(publisher GLOBAL PROPERTY ZELVANE_WINDOWS_PUBLISHER)
file(GENERATE OUTPUT ${manifest} CONTENT
"# Written by CMake: where the windows-x86 build's programs are, for tests/vm/run-vm-test.sh.
X86_EXE='$<TARGET_FILE:zelvane>'
X86_GUI_PROBE='$<TARGET_FILE:gui_probe>'
X86_SETUP='${setup}'
X86_PRODUCT='${product}'
X86_PUBLISHER='${publisher}'
X86_VERSION='${PROJECT_VERSION}'
X86_SUITES='${suites}'
")

set(linux_tools "")
if(ZELVANE_LINUX_BUILD)
    set(linux_tools ${ZELVANE_LINUX_BUILD}/tests/vm/vm-tools.sh)
endif()
add_test(NAME vm.WindowsX86InGuest
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/run-vm-test.sh
        --work ${CMAKE_CURRENT_BINARY_DIR}/work
        --linux-tools "${linux_tools}"
        --windows-x86 ${manifest})
# Alone: the emulated guest keeps one core busy, and the programs' tests wait for it.
set_tests_properties(vm.WindowsX86InGuest PROPERTIES
    LABELS "vm;x86" SKIP_RETURN_CODE 77 TIMEOUT 1800 RUN_SERIAL TRUE FIXTURES_SETUP x86_guest)
