# The 64-bit Windows program, cross-built with Debian's mingw-w64. Its programs run here under
# wine64 through the wrapper below, which gives every build tree a Wine prefix of its own.
set(ZELVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine/wine-run.sh)
