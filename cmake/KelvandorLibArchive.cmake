# Defines LibArchive::LibArchive for the archive unit and the test zip writer.
# Natively Debian's libarchive-dev; in the MinGW-w64 cross build the static
# libarchive that scripts/mingw-libarchive.sh builds from Debian's source
# package, with the static MinGW zlib, so the programs need no DLL.
if(TARGET LibArchive::LibArchive)
  return()
endif()
if(NOT CMAKE_CROSSCOMPILING)
  find_package(LibArchive REQUIRED)
  return()
endif()

set(KELVANDOR_MINGW_LIBARCHIVE_DIR "${PROJECT_SOURCE_DIR}/build/deps/mingw-w64"
    CACHE PATH "Static libarchive for the MinGW-w64 build (made by scripts/mingw-libarchive.sh)")
set(libarchive_static "${KELVANDOR_MINGW_LIBARCHIVE_DIR}/lib/libarchive.a")
if(NOT EXISTS "${libarchive_static}")
  message(FATAL_ERROR "No libarchive for the cross build in ${KELVANDOR_MINGW_LIBARCHIVE_DIR}: "
                      "run scripts/mingw-libarchive.sh first (./test.sh does)")
endif()
# The DLL's import library sits beside the static one; only the latter will do.
find_library(KELVANDOR_MINGW_ZLIB NAMES libz.a REQUIRED)

add_library(LibArchive::LibArchive STATIC IMPORTED GLOBAL)
set_target_properties(LibArchive::LibArchive PROPERTIES
  IMPORTED_LOCATION "${libarchive_static}"
  INTERFACE_INCLUDE_DIRECTORIES "${KELVANDOR_MINGW_LIBARCHIVE_DIR}/include"
  # Without it archive.h declares every function as imported from a DLL.
  INTERFACE_COMPILE_DEFINITIONS LIBARCHIVE_STATIC
  INTERFACE_LINK_LIBRARIES "${KELVANDOR_MINGW_ZLIB}")
