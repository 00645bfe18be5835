# Interface targets for the header-only libraries Debian installs into
# /usr/include: Kelvandor::dtl (libdtl-dev) and Kelvandor::json
# (nlohmann-json3-dev). The MinGW-w64 compiler must never search
# /usr/include, whose C headers are glibc's, so the cross build gets a folder
# of its own in the build tree holding links to just these two header trees.
if(TARGET Kelvandor::dtl)
  return()
endif()

set(kelvandor_header_only_trees dtl nlohmann)
set(kelvandor_header_only_probe_dtl dtl/dtl.hpp)
set(kelvandor_header_only_probe_nlohmann nlohmann/json.hpp)

if(CMAKE_CROSSCOMPILING)
  set(KELVANDOR_HOST_INCLUDE_DIR /usr/include
      CACHE PATH "Where the host's header-only libraries lie (cross build)")
  set(kelvandor_header_only_dir "${CMAKE_BINARY_DIR}/header-only/include")
  file(MAKE_DIRECTORY "${kelvandor_header_only_dir}")
  foreach(tree IN LISTS kelvandor_header_only_trees)
    set(probe "${KELVANDOR_HOST_INCLUDE_DIR}/${kelvandor_header_only_probe_${tree}}")
    if(NOT EXISTS "${probe}")
      message(FATAL_ERROR "${probe} is missing: run scripts/deps.sh (./test.sh does)")
    endif()
    if(NOT EXISTS "${kelvandor_header_only_dir}/${tree}")
      file(CREATE_LINK "${KELVANDOR_HOST_INCLUDE_DIR}/${tree}" "${kelvandor_header_only_dir}/${tree}"
           SYMBOLIC COPY_ON_ERROR)
    endif()
  endforeach()
  set(kelvandor_dtl_dir "${kelvandor_header_only_dir}")
  set(kelvandor_json_dir "${kelvandor_header_only_dir}")
else()
  find_path(KELVANDOR_DTL_INCLUDE_DIR dtl/dtl.hpp REQUIRED)
  find_path(KELVANDOR_JSON_INCLUDE_DIR nlohmann/json.hpp REQUIRED)
  set(kelvandor_dtl_dir "${KELVANDOR_DTL_INCLUDE_DIR}")
  set(kelvandor_json_dir "${KELVANDOR_JSON_INCLUDE_DIR}")
endif()

add_library(kelvandor_dtl INTERFACE)
target_include_directories(kelvandor_dtl SYSTEM INTERFACE "${kelvandor_dtl_dir}")
add_library(Kelvandor::dtl ALIAS kelvandor_dtl)

add_library(kelvandor_json INTERFACE)
target_include_directories(kelvandor_json SYSTEM INTERFACE "${kelvandor_json_dir}")
add_library(Kelvandor::json ALIAS kelvandor_json)
