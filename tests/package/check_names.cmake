# Names in the package code say what a thing is: the producer's input is the
# package's contents, not a document describing it. Fails when a type,
# function, variable or file of the package code, vexaro-pack or their tests
# carries the old word. Run: cmake -DROOT=<source folder> -P check_names.cmake
set(old "([S][p]ec|(^|[^A-Za-z])[s][p]ec([^A-Za-z]|$)|_[s][p]ec|[s][p]ec_)")
file(GLOB_RECURSE files RELATIVE ${ROOT}
     ${ROOT}/package/* ${ROOT}/tools/vexaro-pack/* ${ROOT}/tests/package/* ${ROOT}/fuzz/package/*)
list(APPEND files docs/package-format.md)
set(found "")
foreach(file IN LISTS files)
  if(file MATCHES "${old}")
    string(APPEND found "  file name ${file}\n")
  endif()
  file(STRINGS ${ROOT}/${file} lines REGEX "${old}")
  foreach(line IN LISTS lines)
    string(APPEND found "  ${file}: ${line}\n")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "old names left:\n${found}")
endif()
