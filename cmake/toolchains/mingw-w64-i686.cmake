# The 32-bit Windows program, cross-built with Debian's mingw-w64: the one whose request block has
# the 176-byte layout. No emulator: 64-bit Wine cannot run it, and a 32-bit Wine must not be
# installed beside it, so its tests are built (which proves the layout at compile time) but not
# run.
set(ZELVANE_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
