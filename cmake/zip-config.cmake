# Read by cpack for each package it makes: the zip's files lie directly in
# its top folder.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
