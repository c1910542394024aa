# Writes a C++ file holding the given resource files as byte arrays and a
# table that registers them by numeric id (file names <id>-<name>.<ext>).
# Run as: cmake -DOUT=file.cpp -DFILES="a;b" -DSYMBOL=name -P embed_resources.cmake
set(body "")
set(entries "")
set(index 0)
foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME)
  get_filename_component(ext "${file}" LAST_EXT)
  string(TOLOWER "${ext}" ext)
  string(SUBSTRING "${ext}" 1 -1 kind)
  if(NOT name MATCHES "^([0-9]+)-")
    message(FATAL_ERROR "${file}: resource file names must start with their numeric id, like 131-background.bmp")
  endif()
  set(id ${CMAKE_MATCH_1})
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" hex_len)
  if(hex_len EQUAL 0)
    message(FATAL_ERROR "${file}: empty resource file")
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char r${index}[] = {${bytes}};\n")
  string(APPEND entries "    {${id}, \"${kind}\", r${index}, sizeof r${index}, \"${name}\"},\n")
  math(EXPR index "${index} + 1")
endforeach()
if(index EQUAL 0)
  set(table "const vexaro::gui::EmbeddedResource* const table = nullptr;\n")
else()
  set(table "const vexaro::gui::EmbeddedResource table[] = {\n${entries}};\n")
endif()
file(WRITE "${OUT}.tmp" "// Generated from resource files by embed_resources.cmake; do not edit.
#include \"platform/gui/resources.h\"

namespace {
${body}${table}
[[maybe_unused]] const bool registered = vexaro::gui::RegisterResources(table, ${index});
}  // namespace
")
file(RENAME "${OUT}.tmp" "${OUT}")
