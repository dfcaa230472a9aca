# Run by CPack once it has made the zip (CPACK_POST_BUILD_SCRIPTS): CPack
# writes the members in the order the file system lists the staged folder,
# with the packer's user and group; normalise-zip.py sorts them, dates them
# SOURCE_DATE_EPOCH (source-date.cmake sets it) and drops the owners.
if(NOT CPACK_GENERATOR STREQUAL "ZIP")
  return()
endif()
foreach(zip IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${CPACK_MARVOLT_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/normalise-zip.py ${zip}
                          $ENV{SOURCE_DATE_EPOCH}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "normalise-zip.py ${zip}: ${failed}")
  endif()
endforeach()
