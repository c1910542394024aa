# Bash completions of the terminal programs, where bash-completion loads them
# on first use of the command (so no /etc/bash_completion.d file is needed).
install(FILES completions/vexaro-flash completions/vexaro-pack
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT terminal)

find_program(VEXARO_BASH bash)
if(VEXARO_TESTS AND VEXARO_BASH)
  add_test(NAME packaging.bash_completions
    COMMAND ${VEXARO_BASH} ${CMAKE_CURRENT_SOURCE_DIR}/completion_test.sh ${CMAKE_CURRENT_SOURCE_DIR}/completions
            $<TARGET_FILE:vexaro-flash> $<TARGET_FILE:vexaro-pack>)
endif()
