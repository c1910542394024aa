# Build options shared by every target: warnings, sanitizers, test helpers.

include(VexaroIncludes)
include(VexaroLinkCheck)
include(VexaroInstalledBinary)

option(VEXARO_WERROR "Treat warnings in the project's own code as errors" ON)
set(VEXARO_SANITIZE "" CACHE STRING "Sanitizer build: empty, 'address' (address+undefined) or 'thread'")
option(VEXARO_TESTS "Build the tests" ON)
option(VEXARO_BENCH "Build the benchmarks" OFF)
option(VEXARO_FUZZ "Build the fuzz targets (clang only)" OFF)
# Compiling a test program's sources as a few combined units saves most of the
# test build's time (the test framework's headers dominate each unit). On by
# default so that two test files' private helpers of one name show at once;
# developers who rebuild one test file at a time may turn it off.
option(VEXARO_UNITY_TESTS "Build each test program from combined source units" ON)
# The libraries and programs as combined source units as well: CI compiles
# every library in five builds. Off by default, so that a source file that
# misses an include of its own still fails to compile on its own.
option(VEXARO_UNITY "Build the libraries and programs from combined source units too" OFF)
if(VEXARO_UNITY)
  set(CMAKE_UNITY_BUILD ON)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE 16)
endif()
# The test framework's header, compiled once per build directory and shared by
# every test program (tests/CMakeLists.txt). Off, and not yet used by CI: with
# it, GCC 12 -O2 reports a false out-of-bounds copy in
# tests/xml/expat_differential_test.cpp, and ccache caches such units only
# with CCACHE_SLOPPINESS=pch_defines,time_macros.
option(VEXARO_TEST_PCH "Share one precompiled GoogleTest header among the test programs" OFF)

# Every folder also builds with MinGW-w64 for Windows. The system backend
# folder (platform/linux or platform/windows) is named once here; an interface
# target links the backend target vexaro_${VEXARO_SYSTEM}_<interface>, and what
# sits above the platform seam is the same source on both systems.
if(WIN32)
  set(VEXARO_SYSTEM windows)
else()
  set(VEXARO_SYSTEM linux)
endif()

if(VEXARO_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(VEXARO_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT VEXARO_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VEXARO_SANITIZE must be empty, 'address' or 'thread'")
endif()

if(VEXARO_FUZZ)
  # Coverage instrumentation in every library, so libFuzzer sees the code it
  # explores and not only the harness.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

include(VexaroHardening)

if(MINGW)
  # Self-contained executables: no runtime DLLs to copy next to them under wine.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Release programs without symbols or debug sections: the zip ships them
  # (3 MB less), and vexaro-updater-demo.exe, a copy with the package appended,
  # cannot be stripped after the fact.
  add_link_options("$<$<CONFIG:Release,MinSizeRel>:-s>")
endif()

# Warnings for the project's own targets (never for third-party code).
function(vexaro_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
      -Wconversion -Wno-sign-conversion -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
      -Wunused -Woverloaded-virtual -Wnull-dereference -Wdouble-promotion -Wformat=2)
    if(VEXARO_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# vexaro_library(NAME SOURCES ... [DEPS ...] [HIDDEN subfolder...]): one
# library target per subsystem. Its folder's headers are public, included by
# their path from the repository root ("package/package.h"), except the
# HIDDEN subfolders, which only the library's own sources see.
function(vexaro_library name)
  cmake_parse_arguments(ARG "SHARED" "" "SOURCES;DEPS;PRIVATE_DEPS;HIDDEN" ${ARGN})
  if(ARG_SHARED)
    add_library(${name} SHARED ${ARG_SOURCES})
  else()
    add_library(${name} STATIC ${ARG_SOURCES})
  endif()
  vexaro_current_folder(folder)
  if(ARG_HIDDEN)
    vexaro_include_folder(${name} PRIVATE ${folder})
    vexaro_include_folder_without(${name} PUBLIC ${folder} ${ARG_HIDDEN})
  else()
    vexaro_include_folder(${name} PUBLIC ${folder})
  endif()
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  vexaro_warnings(${name})
endfunction()

# vexaro_test(NAME SOURCES ... DEPS ...): one GoogleTest executable registered
# with CTest, test by test.
function(vexaro_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  vexaro_current_folder(folder)
  vexaro_include_folder(${name} PRIVATE ${folder})
  vexaro_warnings(${name})
  if("threads" IN_LIST ARG_LABELS)
    add_dependencies(vexaro_threaded_tests ${name})
  endif()
  if(VEXARO_UNITY_TESTS)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 16)
  endif()
  if(VEXARO_TEST_PCH)
    target_precompile_headers(${name} REUSE_FROM vexaro_test_pch)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Listed at test time under the emulator (wine) rather than at build time.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      PROPERTIES LABELS "${ARG_LABELS}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# vexaro_fuzz_target(NAME SOURCES ... DEPS ... CORPUS dir): with VEXARO_FUZZ a
# libFuzzer binary; otherwise a replay program that feeds every corpus file to
# LLVMFuzzerTestOneInput, registered as a test.
function(vexaro_fuzz_target name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  vexaro_current_folder(folder)
  vexaro_include_folder(${name} PRIVATE ${folder})
  vexaro_warnings(${name})
  if(VEXARO_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    if(ARG_CORPUS AND NOT CMAKE_CROSSCOMPILING)
      add_test(NAME ${name}.corpus COMMAND ${name} ${ARG_CORPUS})
    endif()
  endif()
endfunction()

# Adds every subfolder of the current folder that holds a CMakeLists.txt, in
# name order (tests/, tools/, bench/ and fuzz/ grow one folder at a time).
function(vexaro_add_subfolders)
  file(GLOB folders LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT folders)
  foreach(folder IN LISTS folders)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      add_subdirectory(${folder})
    endif()
  endforeach()
endfunction()
