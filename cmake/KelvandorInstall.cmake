# What `cmake --install` puts where: the programs in bin/, and on Linux the
# desktop entry, icons, metainfo, manual pages and bash completion
# (packaging/CMakeLists.txt).
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The name of the desktop entry and the AppStream component.
set(KELVANDOR_APP_ID org.kelvandor.Kelvandor)
# The day this version was released, for the metainfo and the changelog.
set(KELVANDOR_RELEASE_DATE 2026-12-09)
set(KELVANDOR_RELEASE_DATE_RFC2822 "Wed, 09 Dec 2026 00:00:00 +0000")
set(KELVANDOR_SCREENSHOT_URL "https://kelvandor.example.org/screenshot-linux.png" CACHE STRING
    "Where the published copy of docs/screenshot-linux.png lies, for the AppStream metainfo")
set(KELVANDOR_PACKAGE_MAINTAINER "Kelvandor developers <kelvandor@example.org>" CACHE STRING
    "The maintainer named by the Debian package and its changelog")

install(TARGETS kelvandor-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kelvandor)
  install(TARGETS kelvandor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(UNIX AND NOT APPLE)
  add_subdirectory(packaging)
endif()
