# The browser edition: Debian's Emscripten (3.1.6 and later) with the flags the page is built
# and measured with. cmake -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake (tools/build-web.sh).
set(MORVANE_EMSCRIPTEN_ROOT "$ENV{EMSCRIPTEN}")
if(NOT MORVANE_EMSCRIPTEN_ROOT)
  set(MORVANE_EMSCRIPTEN_ROOT /usr/share/emscripten)
endif()
if(NOT EXISTS "${MORVANE_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
  message(FATAL_ERROR "no Emscripten in ${MORVANE_EMSCRIPTEN_ROOT} (Debian's emscripten package, or set EMSCRIPTEN)")
endif()
include("${MORVANE_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")

# Native WebAssembly exceptions: the converter raises its errors as C++ exceptions, and every
# current Chromium, Firefox and Safari runs them without the size and time of emulating them
# in JavaScript. Release is -O3 for the compiler and for wasm-opt at the link; set as the cache
# values themselves, since CMake would append its own defaults to *_INIT flags.
set(CMAKE_CXX_FLAGS_INIT "-fwasm-exceptions")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fwasm-exceptions")
set(CMAKE_CXX_FLAGS_RELEASE "-O3 -DNDEBUG" CACHE STRING "")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-O3" CACHE STRING "")
