# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#         -DTANMIRA_CORE_ONLY=ON -DTANMIRA_GTEST_SOURCE=/usr/src/googletest
# The programs are linked statically (C and C++ runtimes, threads), so they run without DLLs,
# under Wine as on Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TANMIRA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TANMIRA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TANMIRA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TANMIRA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TANMIRA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
