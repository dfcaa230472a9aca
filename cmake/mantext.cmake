# Formats the manual page PAGE as plain UTF-8 text into TEXT with GROFF: no
# terminal escapes, no overstriking, no hyphenation. The documentation folder
# the page names is DOCDIR (the zip's folder).
get_filename_component(folder ${TEXT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
set(CMAKE_INSTALL_FULL_DOCDIR ${DOCDIR})
configure_file(${PAGE} ${TEXT}.roff @ONLY)
execute_process(COMMAND ${GROFF} -man -rHY=0 -Tutf8 -P-cbou ${TEXT}.roff
  OUTPUT_FILE ${TEXT} RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "groff could not format ${PAGE}: ${errors}")
endif()
