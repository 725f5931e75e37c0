# Cross-compiles MORVANE for 64-bit Windows with MinGW-w64 on Linux:
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MORVANE_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Target triplet of the MinGW-w64 tools")

# Debian ships the compilers in two thread models; GoogleTest needs std::mutex, which the win32
# model of GCC 12 lacks. MORVANE itself is single-threaded and builds with either.
find_program(MORVANE_MINGW_CC NAMES ${MORVANE_MINGW_PREFIX}-gcc-posix ${MORVANE_MINGW_PREFIX}-gcc)
find_program(MORVANE_MINGW_CXX NAMES ${MORVANE_MINGW_PREFIX}-g++-posix ${MORVANE_MINGW_PREFIX}-g++)
if(NOT MORVANE_MINGW_CC OR NOT MORVANE_MINGW_CXX)
  message(FATAL_ERROR "No ${MORVANE_MINGW_PREFIX} compiler found (Debian: apt-get install g++-mingw-w64-x86-64)")
endif()
set(CMAKE_C_COMPILER ${MORVANE_MINGW_CC})
set(CMAKE_CXX_COMPILER ${MORVANE_MINGW_CXX})
set(CMAKE_RC_COMPILER ${MORVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MORVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
