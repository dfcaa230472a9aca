# Read by cpack for each package it makes: the zip's files lie directly in
# its top folder, and every time in it is the source's (source-date.cmake).
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/source-date.cmake)
