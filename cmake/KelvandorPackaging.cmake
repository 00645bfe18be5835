# Packages made by `cpack` in a build folder from the install rules. The
# generator follows the platform: a Debian package on Linux. Settings shared
# by every generator come first.
set(CPACK_PACKAGE_NAME kelvandor)
set(CPACK_PACKAGE_VENDOR "Kelvandor developers")
set(CPACK_PACKAGE_CONTACT "${KELVANDOR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy, rename and clean microcontroller IDE projects")
set(CPACK_STRIP_FILES ON)

if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR DEB)
  # kelvandor_<version>_<architecture>.deb
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KELVANDOR_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The extended description; the synopsis is the summary above.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kelvandor takes a microcontroller IDE project - a WSP/PRJ workspace, an
IAR Embedded Workbench project or a Keil uVision project, given as its
folder, one of its project files or a ZIP archive - and copies it to a new
place, renames its folder or works in place. It rewrites the project files
so that their names and the names and folders inside them follow the new
project name, and removes the build output.
.
The package holds the window, kelvandor, and kelvandor-cli for scripts.")
  # The libraries come from the programs; the window also needs Qt's
  # platform plugins, which no program links.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  if(KELVANDOR_BUILD_APP)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  endif()
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
