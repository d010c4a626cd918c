# What makes two builds of one commit byte-identical, wherever the checkout lies and whenever it
# is built. Included once, from the top-level CMakeLists.txt, before any target.
#
# - Paths: the compilers write the source and build folders into debug information and into
#   __FILE__ (assertions, logging macros). Both folders are mapped to fixed names; the build folder
#   last, since GCC tries the mapping given last first, and the build folder usually lies inside
#   the source folder.
# - Time: a Windows program carries its link time in the PE header unless the linker is told not
#   to. Qt's resource compiler writes every file's time into the data of the Linux program
#   (format 2 and later), and the build would not write it anew when only SOURCE_DATE_EPOCH
#   changes: ZELVANE_RCC_OPTIONS asks for format 1, which has no times (nothing reads them).
#   Every other time a release writes (file times in the zip, the setup and the .deb) is
#   SOURCE_DATE_EPOCH, the commit's time; scripts/release.sh sets it.
#
# Sets ZELVANE_SOURCE_DATE_EPOCH: SOURCE_DATE_EPOCH when it is set, else the time of the commit
# checked out (a build outside scripts/release.sh), else 315532800 (1980-01-01, the first time a
# zip can hold) where the sources are no git checkout.

add_compile_options(
    "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
    "-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
if(WIN32)
    add_link_options(LINKER:--no-insert-timestamp)
endif()
set(ZELVANE_RCC_OPTIONS --format-version 1)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ZELVANE_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
        OUTPUT_VARIABLE ZELVANE_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE git_result ERROR_QUIET)
    if(NOT git_result EQUAL 0)
        set(ZELVANE_SOURCE_DATE_EPOCH 315532800)
    endif()
endif()
if(NOT ZELVANE_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is '${ZELVANE_SOURCE_DATE_EPOCH}', not seconds since 1970")
endif()
