# Run by CPack once the files of a package are staged (CPACK_PRE_BUILD_SCRIPTS):
# adds to a Debian package what Debian's policy asks of one. The manual pages
# are compressed; the programs lose the compilers' version strings (.comment), which
# CPack's strip keeps; the licence goes into a machine-readable copyright file
# (DEP-5) and the Debian changelog, compressed, beside it; a static build
# declares its static link to lintian. Everything is compressed with
# `gzip -9n`, without name or time stamp, so that one tree makes one package.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(source ${CPACK_MARVOLT_SOURCE_DIR}/packaging/debian)
set(usr ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(docdir ${usr}/share/doc/${CPACK_PACKAGE_NAME})

# Compresses FILE into FILE.gz and drops FILE.
function(marvolt_gzip file)
  execute_process(COMMAND gzip -9n -c ${file} OUTPUT_FILE ${file}.gz RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${file}: ${failed}")
  endif()
  file(REMOVE ${file})
  file(CHMOD ${file}.gz PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

file(GLOB programs ${usr}/bin/*)
foreach(program IN LISTS programs)
  execute_process(COMMAND strip --remove-section=.comment ${program} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "strip ${program}: ${failed}")
  endif()
endforeach()

file(GLOB pages ${usr}/share/man/man*/*)
foreach(page IN LISTS pages)
  if(NOT page MATCHES "\\.gz$")
    marvolt_gzip(${page})
  endif()
endforeach()

# The changelog's latest entry is the version being packaged.
file(STRINGS ${source}/changelog latest LIMIT_COUNT 1)
if(NOT latest MATCHES "^${CPACK_PACKAGE_NAME} \\(${CPACK_PACKAGE_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog: the latest entry is not version "
                      "${CPACK_PACKAGE_VERSION}: ${latest}")
endif()
file(COPY ${source}/changelog DESTINATION ${docdir} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
marvolt_gzip(${docdir}/changelog)

# The copyright file: the holder and terms of LICENSE, each paragraph of the
# terms indented by one space, with " ." for the empty line between two.
file(READ ${CPACK_MARVOLT_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)")
  message(FATAL_ERROR "LICENSE names no copyright holder")
endif()
set(MARVOLT_COPYRIGHT ${CMAKE_MATCH_1})
string(FIND "${licence}" "Permission is hereby granted" start)
string(SUBSTRING "${licence}" ${start} -1 terms)
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " MARVOLT_LICENSE_TERMS " ${terms}")
configure_file(${source}/copyright.in ${docdir}/copyright @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

if(CPACK_MARVOLT_STATIC)
  file(MAKE_DIRECTORY ${usr}/share/lintian/overrides)
  file(COPY_FILE ${source}/lintian-overrides ${usr}/share/lintian/overrides/${CPACK_PACKAGE_NAME})
endif()
