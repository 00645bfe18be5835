# Writes the seed inputs of the fuzz targets, one folder per target, from the
# sample projects and a few inputs made here:
#   cmake -DEXAMPLES=<examples folder> -DOUT=<seeds folder> -P make_seeds.cmake
# Inputs made of several pieces separate them by the marker of fuzz_support.h.
# file(READ) drops CRs, so sample files are only ever joined by `cmake -E cat`.
cmake_minimum_required(VERSION 3.25)
string(ASCII 26 ctrl_z)
file(REMOVE_RECURSE "${OUT}")
set(scratch "${OUT}/scratch")
set(marker "${scratch}/marker")
file(WRITE "${marker}" "\n--8<--\n")

# join_files(SEED FILE...): SEED holds the FILEs one after the other.
function(join_files seed)
  get_filename_component(dir "${seed}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${ARGN} OUTPUT_FILE "${seed}"
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(GLOB_RECURSE project_files RELATIVE "${EXAMPLES}"
     "${EXAMPLES}/*.wsp" "${EXAMPLES}/*.prj" "${EXAMPLES}/*.eww" "${EXAMPLES}/*.ewp"
     "${EXAMPLES}/*.ewd" "${EXAMPLES}/*.dep" "${EXAMPLES}/*.uvproj" "${EXAMPLES}/*.uvopt"
     "${EXAMPLES}/*.uvprojx" "${EXAMPLES}/*.uvoptx")
list(SORT project_files)
set(example_dirs "")
foreach(rel IN LISTS project_files)
  string(REPLACE "/" "_" flat "${rel}")
  join_files("${OUT}/text_lines_fuzz/${flat}" "${EXAMPLES}/${rel}")

  string(REGEX MATCH "^[^/]+" example "${rel}")
  list(APPEND example_dirs "${example}")
  get_filename_component(dir "${EXAMPLES}/${rel}" DIRECTORY)
  get_filename_component(base "${rel}" NAME_WLE)
  get_filename_component(ext "${rel}" LAST_EXT)
  set(target "")
  if(ext STREQUAL ".wsp")
    set(target wsp_rewriter_fuzz)
    set(kinds .wsp)
  elseif(ext STREQUAL ".prj")
    set(target prj_rewriter_fuzz)
    set(kinds .prj)
  elseif(ext STREQUAL ".eww")
    set(target iar_rewriter_fuzz)
    set(kinds .eww .ewp .ewd .dep)
  elseif(ext STREQUAL ".uvproj")
    set(target keil_rewriter_fuzz)
    set(kinds .uvproj .uvopt)
  elseif(ext STREQUAL ".uvprojx")
    set(target keil5_rewriter_fuzz)
    set(kinds .uvprojx .uvoptx)
  endif()
  if(target)
    set(parts "")
    # A workspace may be named otherwise than its projects: files of its own
    # name that are missing are left out (the last kinds, then missing).
    foreach(kind IN LISTS kinds)
      if(EXISTS "${dir}/${base}${kind}")
        list(APPEND parts "${marker}" "${dir}/${base}${kind}")
      endif()
    endforeach()
    # The old base name, new name, new path, new folder, old folder and
    # backup flag, as the rewriters take them.
    foreach(backup 0 1)
      set(header "${scratch}/header")
      file(WRITE "${header}" "${base}\npump\nD:\\new\\\npump\n${example}\n${backup}")
      join_files("${OUT}/${target}/${flat}_${backup}" "${header}" ${parts})
    endforeach()
  endif()
endforeach()

# The Eclipse samples: ".project", ".cproject" and the Debug launch file.
foreach(example beacon meter)
  file(GLOB launch "${EXAMPLES}/${example}/${example}*Debug.launch")
  foreach(backup 0 1)
    set(header "${scratch}/header")
    file(WRITE "${header}" "${example}\npump\nD:\\new\\\npump\n${example}\n${backup}")
    join_files("${OUT}/eclipse_rewriter_fuzz/${example}_${backup}" "${header}" "${marker}"
               "${EXAMPLES}/${example}/.project" "${marker}" "${EXAMPLES}/${example}/.cproject"
               "${marker}" ${launch})
  endforeach()
endforeach()

file(WRITE "${OUT}/text_lines_fuzz/mixed_line_ends"
     "one\r\ntwo\nthree\rfour\r\n\r\n${ctrl_z}after\r\n")
file(WRITE "${OUT}/text_lines_fuzz/inner_ctrl_z" "a${ctrl_z}b\r\nno line end")
file(WRITE "${OUT}/text_lines_fuzz/lone_crs" "\r\r\n\r")

file(WRITE "${OUT}/configuration_fuzz/saved"
     "\\\\PublicIni=\r\nNewPath=D:\\work\\\r\nRenameFolder=1\r\nCopyProject=0\r\nCleanUp=1\r\n")
# The main file, then the public files a.ini and b.ini.
file(WRITE "${OUT}/configuration_fuzz/chain"
     "PublicIni=a.ini\r\nNewPath=main\r\nCopyProject=1\r\n\n--8<--\n\
NewPath=public\r\nCleanUp=0\r\nPublicIni=b.ini\r\nRenameFolder=1\r\n\n--8<--\n\
CopyProject=0\r\nPublicIni=a.ini\r\nPublicIni=Kelvandor.ini\r\n")
file(WRITE "${OUT}/configuration_fuzz/odd_values"
     "RenameFolder=1 \nCopyProject=1\rCleanUp=yes\n${ctrl_z}NewPath=never read\r\n")

# Each sample's project files as the one folder of an archive, and a folder
# with links and an empty folder.
list(REMOVE_DUPLICATES example_dirs)
file(MAKE_DIRECTORY "${OUT}/unzip_fuzz")
foreach(example IN LISTS example_dirs)
  set(members "")
  foreach(rel IN LISTS project_files)
    if(rel MATCHES "^${example}/")
      list(APPEND members "${rel}")
    endif()
  endforeach()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf "${OUT}/unzip_fuzz/${example}.zip" --format=zip ${members}
    WORKING_DIRECTORY "${EXAMPLES}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(WRITE "${scratch}/linked/file.txt" "content\r\n")
file(MAKE_DIRECTORY "${scratch}/linked/empty")
file(CREATE_LINK file.txt "${scratch}/linked/link" SYMBOLIC)
file(CREATE_LINK empty "${scratch}/linked/folder_link" SYMBOLIC)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf "${OUT}/unzip_fuzz/linked.zip" --format=zip linked
  WORKING_DIRECTORY "${scratch}" COMMAND_ERROR_IS_FATAL ANY)

file(REMOVE_RECURSE "${scratch}")
file(WRITE "${OUT}/seeds.stamp" "")
