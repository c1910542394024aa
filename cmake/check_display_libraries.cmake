# cmake -DPROGRAM=file -DTOOL=ldd|readelf -DEXPECT=ABSENT|PRESENT -P this:
# the test of cmake/VexaroLinkCheck.cmake. Fails when PROGRAM loads a display,
# X11, Wayland, sound, font or PNG library (ABSENT), or loads none (PRESENT).
cmake_minimum_required(VERSION 3.25)

# SDL; X11 and its protocol libraries; Wayland and what SDL uses with it; the
# sound servers and drivers; fonts; PNG files.
set(banned "^(libSDL[0-9]*|libX[A-Za-z0-9]*|libxcb[a-z0-9-]*|libxkbcommon[a-z0-9-]*|libwayland-[a-z]+|libdecor[0-9-]*|libpulse[a-z0-9-]*|libasound|libpipewire[0-9.-]*|libjack|libsndio|libfreetype|libfontconfig|libharfbuzz|libpng[0-9]*)[.-]")

if(NOT EXISTS "${PROGRAM}")
  message(FATAL_ERROR "no program ${PROGRAM}")
endif()
get_filename_component(tool_name "${TOOL}" NAME)
if(tool_name MATCHES "readelf")
  execute_process(COMMAND ${TOOL} -d ${PROGRAM} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
else()
  execute_process(COMMAND ${TOOL} ${PROGRAM} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${TOOL} ${PROGRAM} failed (${status}):\n${out}${err}")
endif()

# ldd: "\tlibSDL2-2.0.so.0 => /usr/lib/... (0x...)"; readelf -d:
# "0x... (NEEDED)  Shared library: [libSDL2-2.0.so.0]".
string(REPLACE "\n" ";" lines "${out}")
set(libraries "")
set(found "")
foreach(line IN LISTS lines)
  if(line MATCHES "Shared library: \\[([^]]+)\\]")
    set(library "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^[ \t]*([^ \t]+\\.so[^ \t]*)")
    set(library "${CMAKE_MATCH_1}")
  else()
    continue()
  endif()
  get_filename_component(library "${library}" NAME)
  list(APPEND libraries "${library}")
  if(library MATCHES "${banned}")
    list(APPEND found "${library}")
  endif()
endforeach()

if(NOT libraries)
  message(FATAL_ERROR "${TOOL} listed no shared library of ${PROGRAM}:\n${out}")
endif()
list(JOIN found ", " found_text)
if(EXPECT STREQUAL "ABSENT")
  if(found)
    message(FATAL_ERROR "${PROGRAM} loads display, sound, font or PNG libraries: ${found_text}\n"
                        "(a program that shows no window links the window framework's core, vexaro_gui, "
                        "not vexaro_gui_system; docs/window-framework.md)\n${out}")
  endif()
  list(LENGTH libraries count)
  message(STATUS "${PROGRAM}: ${count} shared libraries, none for a display, sound, fonts or PNG files")
elseif(EXPECT STREQUAL "PRESENT")
  if(NOT found)
    message(FATAL_ERROR "${PROGRAM} loads no display library: the check would miss them\n${out}")
  endif()
  message(STATUS "${PROGRAM} loads ${found_text}: the check sees them")
else()
  message(FATAL_ERROR "EXPECT must be ABSENT or PRESENT")
endif()
