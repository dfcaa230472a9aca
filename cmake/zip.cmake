# The Windows zip: `cpack -G ZIP` in the windows build folder makes
# marvolt-<version>-win64.zip, one folder of that name holding both programs,
# the README, the licence, the manual pages as plain text and the JSON schemas.
find_program(MARVOLT_GROFF groff REQUIRED)
set(CPACK_PACKAGE_FILE_NAME marvolt-${PROJECT_VERSION}-win64)

set(MARVOLT_MANUAL_TEXTS)
foreach(program marvolt marvolt-season)
  set(page ${PROJECT_SOURCE_DIR}/man/${program}.1)
  set(text ${CMAKE_BINARY_DIR}/manual/${program}.txt)
  add_custom_command(OUTPUT ${text}
    COMMAND ${CMAKE_COMMAND} -DGROFF=${MARVOLT_GROFF} -DPAGE=${page} -DTEXT=${text} -DDOCDIR=${CPACK_PACKAGE_FILE_NAME}
            -P ${CMAKE_CURRENT_LIST_DIR}/mantext.cmake
    DEPENDS ${page} ${CMAKE_CURRENT_LIST_DIR}/mantext.cmake
    COMMENT "Manual page ${program}.1 as plain text")
  list(APPEND MARVOLT_MANUAL_TEXTS ${text})
endforeach()
add_custom_target(manual_texts ALL DEPENDS ${MARVOLT_MANUAL_TEXTS})

install(TARGETS marvolt marvolt-season RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
file(GLOB MARVOLT_SCHEMAS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.schema.json)
install(FILES ${MARVOLT_MANUAL_TEXTS} ${MARVOLT_SCHEMAS} DESTINATION .)

set(CPACK_GENERATOR ZIP)
# One source, one zip: the members sorted, dated by the source's commit,
# without owner (normalise-zip.cmake, with Python's zipfile).
find_program(MARVOLT_PYTHON python3 REQUIRED)
set(CPACK_MARVOLT_PYTHON ${MARVOLT_PYTHON})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/normalise-zip.cmake)
# The zip holds its folder alone, whatever install prefix another package uses.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/zip-config.cmake)
