# The libraries of the Windows build: {fmt} header-only, RapidJSON and
# toml++, all from the build machine's Debian headers (packages libfmt-dev,
# rapidjson-dev and libtomlplusplus-dev), copied into the build folder so
# that the cross compiler sees them and no other header of the build machine.
set(MARVOLT_HOST_INCLUDE /usr/include CACHE PATH "Folder of the build machine's {fmt}, RapidJSON and toml++ headers")
set(MARVOLT_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
foreach(library fmt rapidjson toml++)
  if(NOT EXISTS ${MARVOLT_HOST_INCLUDE}/${library})
    message(FATAL_ERROR
      "${MARVOLT_HOST_INCLUDE}/${library} not found: install libfmt-dev, rapidjson-dev and libtomlplusplus-dev")
  endif()
  file(COPY ${MARVOLT_HOST_INCLUDE}/${library} DESTINATION ${MARVOLT_HEADERS})
endforeach()

add_library(fmt::fmt-header-only INTERFACE IMPORTED)
set_target_properties(fmt::fmt-header-only PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${MARVOLT_HEADERS}
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${MARVOLT_HEADERS}
  INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)
set(RAPIDJSON_INCLUDE_DIRS ${MARVOLT_HEADERS})
set(MARVOLT_TOML_INCLUDE ${MARVOLT_HEADERS})

if(NOT MARVOLT_STATIC)
  message(FATAL_ERROR "The Windows build is static (MARVOLT_STATIC=ON): {fmt} is header-only there")
endif()
# Every program of the build, the tests too, needs no DLL beside it: the C++
# runtime and the threads library are linked in.
add_link_options(-static)
# The programs carry no time of their own (a PE header's time stamp is the
# link's time by default): the same source links to the same bytes.
add_link_options(-Wl,--no-insert-timestamp)
