# The manual pages: the terminal programs' made by help2man from their
# --help, so they cannot drift from it; the window's written by hand.
set(man_outputs)
set(man_test_pages ${gen}/vexaro-updater.1.gz ${gen}/vexaro-updater-demo.1.gz)

# The window programs take no --help worth a page: theirs are written by hand.
vexaro_gzip(${CMAKE_CURRENT_SOURCE_DIR}/vexaro-updater.1 ${gen}/vexaro-updater.1.gz)
vexaro_gzip(${CMAKE_CURRENT_SOURCE_DIR}/vexaro-updater-demo.1 ${gen}/vexaro-updater-demo.1.gz)
list(APPEND man_outputs ${gen}/vexaro-updater.1.gz ${gen}/vexaro-updater-demo.1.gz)
install(FILES ${gen}/vexaro-updater.1.gz ${gen}/vexaro-updater-demo.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT window)

# help2man reads the program's --help through help_for_man.sh, which puts
# the program's layout (upper-case headings, indented entries, verbatim
# lines) into the one help2man understands. The stand-in carries the
# program's name, which help2man puts on the page.
find_program(VEXARO_HELP2MAN help2man)
function(vexaro_help_manual program summary)
  set(stand_in ${gen}/help/${program})
  file(GENERATE OUTPUT ${stand_in}
    CONTENT "#!/bin/sh\nexec sh ${CMAKE_CURRENT_SOURCE_DIR}/help_for_man.sh $<TARGET_FILE:${program}> \"$@\"\n"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  add_custom_command(OUTPUT ${gen}/${program}.1
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VEXARO_RELEASE_EPOCH}
            ${VEXARO_HELP2MAN} --no-info --no-discard-stderr --section=1
            --version-string=${VEXARO_VERSION} --name=${summary}
            --include=${CMAKE_CURRENT_SOURCE_DIR}/${program}.h2m
            --output=${gen}/${program}.1 ${stand_in}
    DEPENDS ${program} ${CMAKE_CURRENT_SOURCE_DIR}/${program}.h2m ${CMAKE_CURRENT_SOURCE_DIR}/help_for_man.sh
            ${CMAKE_CURRENT_SOURCE_DIR}/help_for_man.awk
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  vexaro_gzip(${gen}/${program}.1 ${gen}/${program}.1.gz)
  install(FILES ${gen}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT terminal)
  set(man_outputs ${man_outputs} ${gen}/${program}.1.gz PARENT_SCOPE)
  set(man_test_pages ${man_test_pages} ${gen}/${program}.1.gz=$<TARGET_FILE:${program}> PARENT_SCOPE)
endfunction()
if(VEXARO_HELP2MAN)
  vexaro_help_manual(vexaro-flash "install the keyboard firmware package from a terminal")
  vexaro_help_manual(vexaro-pack "make and inspect keyboard firmware packages")
else()
  message(WARNING "help2man not found: the package has no manual pages for vexaro-flash and vexaro-pack")
endif()

# Every page renders without a warning, shows no path of the trees and
# follows its program's --help (man_test.sh).
find_program(VEXARO_MAN man)
if(VEXARO_TESTS AND VEXARO_MAN)
  add_test(NAME packaging.manual_pages_render_cleanly
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/man_test.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR} ${man_test_pages})
endif()
