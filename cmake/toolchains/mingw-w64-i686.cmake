# The 32-bit Windows program, cross-built with Debian's mingw-w64: the one whose request block has
# the 176-byte layout. No emulator: this machine's kernel cannot run 32-bit programs and a 32-bit
# Wine must not be installed beside the 64-bit one, so its test programs run in a QEMU guest with
# Debian's 32-bit Wine (tests/vm, vm.WindowsX86InGuest).
set(ZELVANE_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Floating point on SSE2, as in the x64 build: with the x87 unit GCC keeps intermediates in 80-bit
# precision, so the bar's fraction * 100.0 truncates to other percentages than double arithmetic
# gives (2 % for 3 %, 29 % for 30 %). Every processor that runs a supported 32-bit Windows has
# SSE2.
set(zelvane_i686_flags "-msse2 -mfpmath=sse")
# Windows calls window and dialog procedures (and any other callback) with the stack aligned to
# 4 bytes only, and GCC's i686 code assumes 16. With the incoming alignment stated as 4 bytes,
# every function that needs more (16-byte data on its stack, or calls into the runtime libraries,
# which were compiled assuming 16) realigns on entry, whoever called it: no entry point can be
# forgotten. -mstackrealign would realign only functions with aligned data of their own, and
# pass a misaligned stack on to the libraries.
string(APPEND zelvane_i686_flags " -mincoming-stack-boundary=2")
set(CMAKE_C_FLAGS_INIT "${zelvane_i686_flags}")
set(CMAKE_CXX_FLAGS_INIT "${zelvane_i686_flags}")
# The flags reach the cache only when a build tree is first configured: a tree made before they
# were added would build without them, and show the wrong percentages.
if(DEFINED CACHE{CMAKE_CXX_FLAGS} AND NOT "$CACHE{CMAKE_CXX_FLAGS}" MATCHES "-mfpmath=sse")
    message(FATAL_ERROR "This build tree's CMAKE_CXX_FLAGS lack \"${zelvane_i686_flags}\" "
        "(configured before the i686 toolchain set them): configure it afresh, e.g. "
        "cmake --preset windows-x86 --fresh")
endif()
