# Run by CPack once the files of a package are staged, after the package's
# own additions (CPACK_PRE_BUILD_SCRIPTS): folders are rwxr-xr-x, programs
# rwxr-xr-x, every other file rw-r--r--, whatever the umask of the
# checkout, the build and the packing. With the time of source-date.cmake,
# one source makes one package, byte for byte: CPack itself sorts the files
# of a Debian package and makes root their owner; the zip's order and
# owners are fixed after it is made (normalise-zip.cmake).

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
