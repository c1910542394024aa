# The manual pages: the terminal programs' made by help2man from their
# --help, so they cannot drift from it; the window's written by hand.
set(man_outputs)

# vexaro-updater-demo, the same program, points to vexaro-updater's page.
vexaro_gzip(${CMAKE_CURRENT_SOURCE_DIR}/vexaro-updater.1 ${gen}/vexaro-updater.1.gz)
vexaro_gzip(${CMAKE_CURRENT_SOURCE_DIR}/vexaro-updater-demo.1 ${gen}/vexaro-updater-demo.1.gz)
list(APPEND man_outputs ${gen}/vexaro-updater.1.gz ${gen}/vexaro-updater-demo.1.gz)
install(FILES ${gen}/vexaro-updater.1.gz ${gen}/vexaro-updater-demo.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT window)

find_program(VEXARO_HELP2MAN help2man)
function(vexaro_help_manual program summary)
  add_custom_command(OUTPUT ${gen}/${program}.1
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VEXARO_RELEASE_EPOCH}
            ${VEXARO_HELP2MAN} --no-info --no-discard-stderr --section=1
            --version-string=${VEXARO_VERSION} --name=${summary}
            --include=${CMAKE_CURRENT_SOURCE_DIR}/${program}.h2m
            --output=${gen}/${program}.1 $<TARGET_FILE:${program}>
    DEPENDS ${program} ${CMAKE_CURRENT_SOURCE_DIR}/${program}.h2m
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  vexaro_gzip(${gen}/${program}.1 ${gen}/${program}.1.gz)
  install(FILES ${gen}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT terminal)
  set(man_outputs ${man_outputs} ${gen}/${program}.1.gz PARENT_SCOPE)
endfunction()
if(VEXARO_HELP2MAN)
  vexaro_help_manual(vexaro-flash "install the keyboard firmware package from a terminal")
  vexaro_help_manual(vexaro-pack "make and inspect keyboard firmware packages")
else()
  message(WARNING "help2man not found: the package has no manual pages for vexaro-flash and vexaro-pack")
endif()
