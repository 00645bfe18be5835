# Warnings for every target of the project, linked privately.
add_library(kelvandor_warnings INTERFACE)
target_compile_options(kelvandor_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
if(KELVANDOR_WERROR)
  target_compile_options(kelvandor_warnings INTERFACE -Werror)
endif()

# kelvandor_library(NAME SOURCES... [DEPS ...]) declares one of the Qt-free core libraries.
function(kelvandor_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE kelvandor_warnings)
endfunction()
