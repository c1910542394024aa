# The programs' answers that need no keyboard and no window: each prints its
# name and the build's version on --version, and the updater window program
# prints its usage on --help (and -h) and ends with 0 without a message box.
# The demo program on the system's HID devices refuses its demo package with
# a message box before the first report (--auto-update answers the box and
# writes its text to standard error).
# -D PROGRAMS=name=path;... -D VERSION=x.y.z -D UPDATER=path -D DEMO=path
foreach(entry IN LISTS PROGRAMS)
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 name)
  list(GET pair 1 path)
  execute_process(COMMAND ${path} --version RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 30)
  if(NOT code EQUAL 0 OR NOT out STREQUAL "${name} ${VERSION}\n" OR NOT err STREQUAL "")
    message(FATAL_ERROR "${path} --version: exit ${code}, output \"${out}\", errors \"${err}\"")
  endif()
endforeach()
foreach(option --help -h)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env VEXARO_DISPLAY=headless ${UPDATER} -debug ${option}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
  if(NOT code EQUAL 0 OR NOT out MATCHES "^usage: vexaro-updater \\[-debug\\]" OR NOT err STREQUAL "")
    message(FATAL_ERROR "${UPDATER} ${option}: exit ${code}, output \"${out}\", errors \"${err}\"")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env VEXARO_DISPLAY=headless VEXARO_SIM=0 ${DEMO} --auto-update
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT code EQUAL 1 OR NOT err MATCHES "Demo Package: This is a demo package for the simulated keyboard; it is never")
  message(FATAL_ERROR "${DEMO} --auto-update on the system's devices: exit ${code}, errors \"${err}\"")
endif()
