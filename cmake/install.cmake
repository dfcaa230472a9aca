# Installation: the programs, their manual pages and bash completions, and
# the README and JSON schemas as documentation, in the GNU directory layout.
include(GNUInstallDirs)

set(MARVOLT_COMPLETIONS_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Installs a manual page of man/ with @CMAKE_INSTALL_FULL_DOCDIR@ replaced by
# the documentation folder of the prefix the tree is installed under: that of
# `cmake --install --prefix`, or /usr in the Debian package. The page is made
# when it is installed, since the prefix may change after the build.
function(marvolt_install_manpage name)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${name}.1)
  install(CODE "
    set(CMAKE_INSTALL_FULL_DOCDIR [[${CMAKE_INSTALL_DOCDIR}]])
    if(NOT IS_ABSOLUTE \"\${CMAKE_INSTALL_FULL_DOCDIR}\")
      set(CMAKE_INSTALL_FULL_DOCDIR \"\${CMAKE_INSTALL_PREFIX}/\${CMAKE_INSTALL_FULL_DOCDIR}\")
    endif()
    # A path is text to roff: its backslashes and hyphens are escaped.
    string(REPLACE [[\\]] [[\\e]] CMAKE_INSTALL_FULL_DOCDIR \"\${CMAKE_INSTALL_FULL_DOCDIR}\")
    string(REPLACE [[-]] [[\\-]] CMAKE_INSTALL_FULL_DOCDIR \"\${CMAKE_INSTALL_FULL_DOCDIR}\")
    configure_file([[${PROJECT_SOURCE_DIR}/man/${name}.1]] [[${page}]] @ONLY)")
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# Installs a program with its manual page and its bash completion.
function(marvolt_install_program name)
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  marvolt_install_manpage(${name})
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
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${MARVOLT_SCHEMAS} DESTINATION ${CMAKE_INSTALL_DOCDIR})
