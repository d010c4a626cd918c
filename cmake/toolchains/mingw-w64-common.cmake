# What both mingw-w64 toolchains share. Included by mingw-w64-<arch>.cmake after it has set
# ZELVANE_MINGW_TRIPLE. The -posix compilers use winpthreads, so std::thread and std::mutex work.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZELVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELVANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthreads linked in, so that an .exe needs nothing beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
