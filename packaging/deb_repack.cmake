# Run by CPack after it made the packages (CPACK_POST_BUILD_SCRIPTS).
#
# CPack gives every package holding a shared library in /usr/lib a postinst
# and a postrm that call ldconfig, and has no switch against it. Debian does
# that with the ldconfig trigger the library package declares
# (debian/libvexaro-isp1/triggers); the scripts would run ldconfig a second
# time on every installation and removal (lintian: maintscript-calls-ldconfig).
# The library package is unpacked here and packed again without them.
find_program(dpkg_deb dpkg-deb)
if(NOT dpkg_deb)
  message(FATAL_ERROR "deb_repack.cmake: dpkg-deb not found; the library package would call ldconfig itself")
endif()
# The same time stamps in the package as in the rest of the build.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_VEXARO_RELEASE_EPOCH})

foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name ${deb} NAME)
  if(NOT name MATCHES "^libvexaro-isp1_.*\\.deb$")
    continue()
  endif()
  set(tree ${deb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND ${dpkg_deb} --raw-extract ${deb} ${tree} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb cannot unpack ${deb}")
  endif()
  foreach(script postinst postrm)
    file(READ ${tree}/DEBIAN/${script} text)
    # Only CPack's own ldconfig call goes; a script with more in it is a
    # change this file has not seen, and it stops.
    string(REGEX REPLACE "#[^\n]*\n|set -e\n|if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then\n[ \t]*ldconfig\n[ \t]*fi\n|[ \t\n]" "" rest "${text}")
    if(NOT rest STREQUAL "")
      message(FATAL_ERROR "${name}: its ${script} does more than call ldconfig:\n${text}")
    endif()
    file(REMOVE ${tree}/DEBIAN/${script})
  endforeach()
  execute_process(COMMAND ${dpkg_deb} --root-owner-group --build ${tree} ${deb}
    RESULT_VARIABLE status OUTPUT_QUIET)
  file(REMOVE_RECURSE ${tree})
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb cannot pack ${deb} again")
  endif()
  message(STATUS "${name}: CPack's ldconfig scripts taken out (the ldconfig trigger stays)")
endforeach()
