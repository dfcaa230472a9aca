# Read by cpack before it stages a package (the project's CPack configuration
# file): every time stamp in the package is SOURCE_DATE_EPOCH, which CPack's
# archive writer and the strip of the Windows programs honour. As given,
# else the time of the source's latest commit, else (a source without its
# history) the date of the latest entry of packaging/debian/changelog.

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${CPACK_MARVOLT_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE marvolt_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE marvolt_failed ERROR_QUIET)
  if(marvolt_failed OR NOT marvolt_epoch MATCHES "^[0-9]+$")
    file(STRINGS ${CPACK_MARVOLT_SOURCE_DIR}/packaging/debian/changelog marvolt_signed
         REGEX "^ -- .*>  " LIMIT_COUNT 1)
    string(REGEX REPLACE "^ -- .*>  " "" marvolt_date "${marvolt_signed}")
    execute_process(COMMAND date -u -d "${marvolt_date}" +%s
                    OUTPUT_VARIABLE marvolt_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE marvolt_failed ERROR_QUIET)
  endif()
  if(marvolt_failed OR NOT marvolt_epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No time for the package's files: set SOURCE_DATE_EPOCH (seconds since 1970)")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${marvolt_epoch})
endif()
