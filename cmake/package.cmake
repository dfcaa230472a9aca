# The Debian package of the installed files: `cpack -G DEB` in a build folder
# makes marvolt_<version>_<architecture>.deb.
set(CPACK_PACKAGE_NAME marvolt)
set(CPACK_PACKAGE_VENDOR "marvolt developers")
set(MARVOLT_MAINTAINER "marvolt developers <marvolt@example.org>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${MARVOLT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "race reports from Grand Prix Legends replay files")
# The extended description as Debian has it: lines of under 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "marvolt reads a replay file (.rpy) saved by the racing simulation Grand Prix"
  "Legends and writes a race report: the entry list, the best laps of every"
  "practice session, the race classification with laps, race time, gap,"
  "interval and fastest laps, and on request every lap of every car. Team,"
  "chassis and engine names come from GEM+ carset files (.cst). The report is"
  "fixed-column text, key=value text, a JSON document or an HTML page with"
  "charts. marvolt-season makes the drivers' and teams' championship of a"
  "season of race replays.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# A static build depends on no shared library; a dynamic one gets its
# dependencies from dpkg-shlibdeps (package dpkg-dev).
if(MARVOLT_STATIC)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
else()
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

# The copyright file, the changelog, compressed manual pages and the lintian
# override of the static link (packaging/debian/); then, for every package,
# the time stamps of the source's commit and fixed permissions, so that one
# source makes one package, byte for byte.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian.cmake ${CMAKE_CURRENT_LIST_DIR}/reproducible.cmake)
list(APPEND CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/normalise-deb.cmake)
# The time of the source, before anything is staged (the zip's own
# configuration includes it).
if(NOT CPACK_PROJECT_CONFIG_FILE)
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/source-date.cmake)
endif()
set(CPACK_MARVOLT_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_MARVOLT_STATIC ${MARVOLT_STATIC})

include(CPack)
