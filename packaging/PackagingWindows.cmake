# The Windows release zip, made by CPack (ZIP) in the MinGW build: the three
# programs, vexaro-isp.dll, the updater with the demo package appended, a
# README and the licence, all in the zip's top folder. The demo images come from the
# demo_package target (tools/demo-firmware); vexaro-pack appends them, run
# under the cross build's emulator (wine) or directly on Windows.
if(NOT TARGET vexaro-updater OR NOT TARGET vexaro-flash OR NOT TARGET vexaro-pack
   OR NOT TARGET vexaro_isp_shared OR NOT TARGET demo_package)
  return()
endif()
include(VexaroVersion)

set(demo_conf ${PROJECT_SOURCE_DIR}/res/demo/demo-package.conf)
set(demo_dir ${CMAKE_BINARY_DIR}/demo)
set(zip_dir ${CMAKE_CURRENT_BINARY_DIR}/windows)
set(demo_exe ${zip_dir}/vexaro-updater-demo.exe)
add_custom_command(
  OUTPUT ${demo_exe}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_dir}
  COMMAND vexaro-pack build --config ${demo_conf}
          --internal ${demo_dir}/demo-internal.bin --external ${demo_dir}/demo-external.bin
          --exe $<TARGET_FILE:vexaro-updater> --out ${demo_exe}
  DEPENDS vexaro-updater vexaro-pack demo_package ${demo_conf} ${demo_dir}/demo-internal.bin
  COMMENT "Appending the demo package to vexaro-updater.exe"
  VERBATIM)
add_custom_target(vexaro_updater_demo_windows ALL DEPENDS ${demo_exe})

set(component windows_zip)
install(FILES $<TARGET_FILE:vexaro-updater> $<TARGET_FILE:vexaro-flash> $<TARGET_FILE:vexaro-pack>
              $<TARGET_FILE:vexaro_isp_shared> ${demo_exe} ${CMAKE_CURRENT_SOURCE_DIR}/windows/README.txt
        DESTINATION . COMPONENT ${component} EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT ${component} EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vexaro-updater)
set(CPACK_PACKAGE_VENDOR Vexaro)
set(CPACK_PACKAGE_VERSION ${VEXARO_VERSION})
set(CPACK_PACKAGE_FILE_NAME vexaro-updater-${VEXARO_VERSION}-win64)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${component})
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_FILE_NAME vexaro-updater-${VEXARO_VERSION}-win64)
# The zip is checked as it is made (zip_check.cmake): its programs stripped,
# each with its version and copyright, and the licence beside them.
set(CPACK_VEXARO_VERSION ${VEXARO_VERSION})
set(CPACK_VEXARO_OBJDUMP ${CMAKE_OBJDUMP})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/zip_check.cmake)
include(CPack)
