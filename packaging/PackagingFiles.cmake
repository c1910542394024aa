# What the packages hold besides the programs and the library: menu entry,
# AppStream metainfo, icons, manuals and the Debian documentation files.

# vexaro-updater-demo as installed: the package appended to a stripped copy
# of vexaro-updater. Stripping the program app/ builds would cut the package
# off its end, and the installed programs are stripped (CPACK_STRIP_FILES,
# cmake --install --strip) as Debian wants.
set(demo_dir ${CMAKE_BINARY_DIR}/demo)
set(stripped_updater ${gen}/stripped/vexaro-updater)
add_custom_command(OUTPUT ${gen}/vexaro-updater-demo
  COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}/stripped
  COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${stripped_updater} $<TARGET_FILE:vexaro-updater>
  COMMAND vexaro-pack build --config ${PROJECT_SOURCE_DIR}/res/demo/demo-package.conf
          --internal ${demo_dir}/demo-internal.bin --external ${demo_dir}/demo-external.bin
          --exe ${stripped_updater} --out ${gen}/vexaro-updater-demo
  DEPENDS vexaro-updater vexaro-pack demo_package ${PROJECT_SOURCE_DIR}/res/demo/demo-package.conf
  COMMENT "Appending the demo package to a stripped vexaro-updater"
  VERBATIM)
install(PROGRAMS ${gen}/vexaro-updater-demo DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)

install(FILES vexaro-updater.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT window)
# The metainfo carries the release's version and date.
configure_file(com.vexaro.Updater.metainfo.xml.in ${gen}/com.vexaro.Updater.metainfo.xml @ONLY)
install(FILES ${gen}/com.vexaro.Updater.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT window)

# The icon's images as PNGs in the hicolor theme, taken from the .ico the
# skin generator wrote, so there is one picture of the icon.
set(icon_ico ${PROJECT_SOURCE_DIR}/res/skin/129-application.ico)
set(icon_dir ${gen}/hicolor)
add_custom_command(OUTPUT ${gen}/hicolor.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${icon_dir}
  COMMAND icon-png ${icon_ico} ${icon_dir} vexaro-updater
  COMMAND ${CMAKE_COMMAND} -E touch ${gen}/hicolor.stamp
  DEPENDS icon-png ${icon_ico}
  COMMENT "Writing the application icon in the hicolor sizes"
  VERBATIM)
install(DIRECTORY ${icon_dir}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor COMPONENT window)

# gzip -n: no name or time stamp in the file (a reproducible package).
function(vexaro_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" gzip ${source} ${output}
    DEPENDS ${source} VERBATIM)
endfunction()

include(PackagingManuals.cmake)
include(PackagingCompletions.cmake)

# Every package carries the copyright file and its compressed changelog in
# /usr/share/doc/<package>.
vexaro_gzip(${debian}/changelog ${gen}/changelog.Debian.gz)
foreach(pair terminal:vexaro-flash window:vexaro-updater library:libvexaro-isp1 development:libvexaro-isp-dev)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${debian}/copyright ${gen}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

add_custom_target(vexaro_package_files ALL DEPENDS ${gen}/vexaro-updater-demo ${gen}/hicolor.stamp ${man_outputs}
  ${gen}/changelog.Debian.gz)
