# Include folders. Headers are included by their path from the repository
# root ("isp/isp_api.h"), yet a target sees only its own folder and the
# folders of the targets it links (docs/platform.md). Each folder gets a
# directory in the build tree holding one link named after the folder
# (<build>/include/isp/isp -> <source>/isp); that directory, not the
# repository root, is what a target adds to its include path.

set(VEXARO_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/include)

# Makes link a symbolic link to source, replacing a link that points elsewhere
# (a source tree that moved).
function(vexaro_link_path source link)
  if(IS_SYMLINK ${link})
    file(READ_SYMLINK ${link} old)
    if(old STREQUAL source)
      return()
    endif()
    file(REMOVE ${link})
  endif()
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${source} ${link} SYMBOLIC)
endfunction()

# vexaro_include_folder(TARGET SCOPE FOLDER): TARGET (with PUBLIC or INTERFACE
# also whatever links it) may include the headers under FOLDER, a path from
# the repository root such as "platform/gui".
function(vexaro_include_folder target scope folder)
  string(REPLACE "/" "_" key "${folder}")
  vexaro_link_path(${PROJECT_SOURCE_DIR}/${folder} ${VEXARO_INCLUDE_ROOT}/${key}/${folder})
  target_include_directories(${target} ${scope} ${VEXARO_INCLUDE_ROOT}/${key})
endfunction()

# vexaro_include_folder_without(TARGET SCOPE FOLDER HIDDEN...): like
# vexaro_include_folder, but the subfolders named HIDDEN stay out of reach:
# the folder is a real directory with one link per header and subfolder.
# vexaro_library gives the library's own sources the whole folder, ahead of
# this directory, so that they reach every header by one path.
function(vexaro_include_folder_without target scope folder)
  string(REPLACE "/" "_" key "${folder}")
  set(dir ${VEXARO_INCLUDE_ROOT}/${key}_public/${folder})
  file(GLOB entries CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE ${PROJECT_SOURCE_DIR}/${folder}
       ${PROJECT_SOURCE_DIR}/${folder}/*)
  set(wanted "")
  foreach(entry IN LISTS entries)
    if(entry IN_LIST ARGN)
      continue()
    endif()
    if(entry MATCHES "\\.h$" OR IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/${entry})
      list(APPEND wanted ${entry})
      vexaro_link_path(${PROJECT_SOURCE_DIR}/${folder}/${entry} ${dir}/${entry})
    endif()
  endforeach()
  # Links of headers that are gone (or of a folder hidden since).
  file(GLOB present LIST_DIRECTORIES true RELATIVE ${dir} ${dir}/*)
  foreach(entry IN LISTS present)
    if(NOT entry IN_LIST wanted)
      file(REMOVE ${dir}/${entry})
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${VEXARO_INCLUDE_ROOT}/${key}_public)
endfunction()

# The folder of the CMakeLists.txt being read, from the repository root.
function(vexaro_current_folder out)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(${out} ${folder} PARENT_SCOPE)
endfunction()
