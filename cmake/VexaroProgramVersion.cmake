# The release's version as a header the programs print with --version
# (program_version.h, target vexaro_version).
configure_file(${CMAKE_CURRENT_LIST_DIR}/program_version.h.in
               ${PROJECT_BINARY_DIR}/generated/program_version.h @ONLY)
add_library(vexaro_version INTERFACE)
target_include_directories(vexaro_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
