# Cross build for 64-bit Windows with Debian's MinGW-w64 compiler (POSIX thread
# model). Programs are linked statically, so they need no DLL beside them, and
# run under Wine wherever CMake or CTest runs one (tests, test discovery).
#   cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELVANDOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELVANDOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVANDOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVANDOR_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KELVANDOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Without debug information the static test programs link several times
# faster; the Windows suite is about behaviour, not debugging.
set(CMAKE_C_FLAGS_DEBUG "-O1" CACHE STRING "")
set(CMAKE_CXX_FLAGS_DEBUG "-O1" CACHE STRING "")

# Debian's wine64 package installs the loader outside PATH.
find_program(KELVANDOR_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine REQUIRED)
# One Wine prefix per build folder, so that a build never touches ~/.wine.
set(KELVANDOR_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix the tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR
    env "WINEPREFIX=${KELVANDOR_WINEPREFIX}" WINEDEBUG=-all "${KELVANDOR_WINE}")

# The Qt window is not part of the Windows build.
set(KELVANDOR_BUILD_APP OFF CACHE BOOL "Build the Qt window program")
