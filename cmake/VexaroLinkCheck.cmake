# vexaro_test_display_libraries(NAME TARGET ABSENT|PRESENT): a test NAME that
# lists the shared libraries the program TARGET loads (ldd: the whole tree, not
# only what the program names itself; readelf -d where ldd is missing) and
# fails when one of a display, X11, Wayland, sound, font or PNG library is
# among them (ABSENT), or when none is (PRESENT, the check's own check against
# a program that must have them). Only for programs built for this Linux
# machine: registered nowhere else.
set(VEXARO_LINK_CHECK_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/check_display_libraries.cmake)

function(vexaro_test_display_libraries name target expect)
  if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR CMAKE_CROSSCOMPILING OR NOT VEXARO_TESTS)
    return()
  endif()
  find_program(VEXARO_LDD ldd)
  find_program(VEXARO_READELF readelf)
  if(VEXARO_LDD)
    set(tool ${VEXARO_LDD})
  elseif(VEXARO_READELF)
    set(tool ${VEXARO_READELF})
  else()
    message(WARNING "Neither ldd nor readelf: test ${name} is not registered")
    return()
  endif()
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DTOOL=${tool} -DEXPECT=${expect}
            -P ${VEXARO_LINK_CHECK_SCRIPT})
endfunction()
