# Run by CPack once it has made a Debian package (CPACK_POST_BUILD_SCRIPTS).
# CPack gives the package's three members (debian-binary, control.tar.gz,
# data.tar.gz) the modes of its own temporary files, which follow the
# packer's umask: each becomes rw-r--r--, as dpkg-deb makes them, by
# rewriting the mode field of its header in place (coreutils' dd).
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(mode ${CPACK_TOPLEVEL_DIRECTORY}/ar-member-mode)
file(WRITE ${mode} "100644  ")
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  file(SIZE ${deb} length)
  # An ar archive: "!<arch>\n", then each member's 60-byte header (the mode
  # in octal at 40, the data size in decimal at 48) and its data, padded to
  # an even length.
  set(header 8)
  while(header LESS length)
    file(READ ${deb} fields OFFSET ${header} LIMIT 60)
    string(SUBSTRING "${fields}" 48 10 size)
    string(STRIP "${size}" size)
    if(NOT size MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${deb}: no ar member header at ${header}")
    endif()
    math(EXPR field "${header} + 40")
    execute_process(COMMAND dd if=${mode} of=${deb} bs=1 seek=${field} conv=notrunc status=none
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dd on ${deb}: ${failed}")
    endif()
    math(EXPR header "${header} + 60 + ${size} + ${size} % 2")
  endwhile()
endforeach()
file(REMOVE ${mode})
