# The download for Windows: `cpack` in a MinGW-w64 build folder makes
# Kelvandor-<version>-win64.zip there, holding the static programs and a
# README for Windows users in one top folder. Only what is installed as the
# component below goes in, whatever other install rules the build has.
set(kelvandor_zip_component windows_zip)

install(TARGETS kelvandor-cli RUNTIME DESTINATION . COMPONENT ${kelvandor_zip_component})
# The native window, where the build has one.
if(TARGET kelvandor)
  install(TARGETS kelvandor RUNTIME DESTINATION . COMPONENT ${kelvandor_zip_component})
  set(KELVANDOR_ZIP_WINDOW_TEXT [=[
kelvandor.exe       the window. Drop a project folder, one of its project
                    files or a .zip archive holding the project folder onto
                    it (or give it on the command line), fill in the new
                    place and name, and press "Rename". "Clean-Only" and
                    "kelvandor.exe clean FOLDER" remove the build output only.
                    The settings are kept in Kelvandor.ini beside the program.

]=])
else()
  set(KELVANDOR_ZIP_WINDOW_TEXT "")
endif()
# Windows editors expect CR LF line ends in a text file.
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt
               ${CMAKE_BINARY_DIR}/packaging/windows/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/packaging/windows/README.txt
        DESTINATION . COMPONENT ${kelvandor_zip_component})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Kelvandor)
set(CPACK_PACKAGE_VENDOR Kelvandor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Kelvandor-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${kelvandor_zip_component})
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
