# The names' colours where LS_COLORS is not set: the database that dircolors prints, read here
# once as the LS_COLORS text it makes, so the program parses one format for both and runs
# nothing to get it. The Windows build, made on a machine that has dircolors, carries it too;
# where the build machine has none, the text is empty and LS_COLORS alone colours names.
find_program(QUOVREL_DIRCOLORS dircolors)
set(QUOVREL_DEFAULT_NAME_COLORS "")
if(QUOVREL_DIRCOLORS)
  # A terminal type the database names, so that dircolors gives its colours at all.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TERM=xterm-256color ${QUOVREL_DIRCOLORS} -b
    OUTPUT_VARIABLE dircolors_script RESULT_VARIABLE dircolors_status ERROR_QUIET)
  if(dircolors_status EQUAL 0 AND dircolors_script MATCHES "LS_COLORS='([^']*)'")
    set(QUOVREL_DEFAULT_NAME_COLORS "${CMAKE_MATCH_1}")
  endif()
endif()
string(REPLACE "\\" "\\\\" QUOVREL_DEFAULT_NAME_COLORS "${QUOVREL_DEFAULT_NAME_COLORS}")
string(REPLACE "\"" "\\\"" QUOVREL_DEFAULT_NAME_COLORS "${QUOVREL_DEFAULT_NAME_COLORS}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/default_name_colors.h.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/output/default_name_colors.h @ONLY)
