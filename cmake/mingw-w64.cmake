# Cross-compiling marvolt for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix: the variant with POSIX threads, which
# GoogleTest needs). The built programs and tests run under Wine (packages
# wine and wine64) through cmake/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MARVOLT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MARVOLT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MARVOLT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MARVOLT_MINGW_TRIPLE}-windres)

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MARVOLT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
