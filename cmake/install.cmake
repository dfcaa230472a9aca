# Installation: the programs, their manual pages and bash completions, and
# the README and JSON schemas as documentation, in the GNU directory layout.
include(GNUInstallDirs)

set(MARVOLT_COMPLETIONS_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
set(MARVOLT_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/marvolt)

# Installs a program with its manual page and its bash completion.
function(marvolt_install_program name)
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/man/${name}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/completion/${name}.bash DESTINATION ${MARVOLT_COMPLETIONS_DIR}
          RENAME ${name})
endfunction()

# marvolt-season is installed when the build has it, wherever in the tree its
# target is defined: the test is made once the whole tree has been read.
function(marvolt_install_season)
  if(TARGET marvolt-season)
    marvolt_install_program(marvolt-season)
  endif()
endfunction()

marvolt_install_program(marvolt)
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL marvolt_install_season)

file(GLOB MARVOLT_SCHEMAS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.schema.json)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${MARVOLT_SCHEMAS} DESTINATION ${MARVOLT_DOC_DIR})
