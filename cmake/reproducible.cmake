# Run by CPack once the files of a package are staged, after the package's
# own additions (CPACK_PRE_BUILD_SCRIPTS): one source makes one package,
# byte for byte, whoever packs it, whenever and under whatever umask.
# - Every time stamp in the package is SOURCE_DATE_EPOCH, which CPack's
#   archive writer honours: as given, else the time of the source's latest
#   commit, else (a source without its history) the date of the latest
#   entry of packaging/debian/changelog.
# - Folders are rwxr-xr-x, programs rwxr-xr-x, every other file rw-r--r--,
#   whatever the umask of the checkout, the build and the packing.
# CPack itself sorts the files of a Debian package and makes root their
# owner; the zip's order and owners are fixed after it is made
# (zip-normalise.cmake).

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(source ${CPACK_MARVOLT_SOURCE_DIR})
  execute_process(COMMAND git -C ${source} log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    file(STRINGS ${source}/packaging/debian/changelog signed REGEX "^ -- .*>  " LIMIT_COUNT 1)
    string(REGEX REPLACE "^ -- .*>  " "" date "${signed}")
    execute_process(COMMAND date -u -d "${date}" +%s
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  endif()
  if(failed OR NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No time for the package's files: set SOURCE_DATE_EPOCH (seconds since 1970)")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()

set(staged ${CPACK_TEMPORARY_DIRECTORY})
file(GLOB_RECURSE entries LIST_DIRECTORIES true ${staged}/*)
foreach(entry IN LISTS entries)
  if(IS_SYMLINK ${entry})
    continue()
  elseif(IS_DIRECTORY ${entry})
    file(CHMOD ${entry} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
  else()
    # A program is executable by its owner: CPack installs it so.
    execute_process(COMMAND test -x ${entry} RESULT_VARIABLE plain)
    if(plain)
      file(CHMOD ${entry} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    else()
      file(CHMOD ${entry} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                      WORLD_READ WORLD_EXECUTE)
    endif()
  endif()
endforeach()
