# Hardening for every target of every build: the program parses files and
# device reports it did not write, so an overflow should stop it rather than
# run on. The same flags Debian's dpkg-buildflags would give a package, so
# that lintian's hardening checks pass on the packages CPack makes.
include(CheckPIESupported)
check_pie_supported(LANGUAGES C CXX)

# Checked string and memory functions need the optimizer's object sizes, so
# only optimized builds get them (glibc warns otherwise, and warnings are
# errors). Sanitizer and fuzz builds leave them out: the sanitizers replace
# those functions with checks of their own. -U first: a build that already
# defines it (dpkg-buildflags in CFLAGS) gets no redefinition warning.
if(VEXARO_SANITIZE STREQUAL "" AND NOT VEXARO_FUZZ)
  add_compile_options("$<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<CONFIG:Release,RelWithDebInfo,MinSizeRel>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
endif()

if(MSVC)
  return()
endif()
# C and C++ only: the Windows resource compiler takes none of these.
set(c_like "$<COMPILE_LANGUAGE:C,CXX>")
add_compile_options("$<${c_like}:-fstack-protector-strong>")
if(WIN32)
  # Windows probes every page of a large stack frame itself (___chkstk), so
  # stack-clash protection has nothing to add. Address-space randomisation,
  # also above 4 GiB, and no execution of data pages; current binutils set
  # them by default, older ones do not.
  add_link_options(LINKER:--dynamicbase LINKER:--nxcompat LINKER:--high-entropy-va)
  # MinGW's guard checks live in libssp, which the driver links only when
  # the link itself names the option.
  add_link_options(-fstack-protector-strong)
else()
  add_compile_options("$<${c_like}:-fstack-clash-protection>")
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86)$")
    # Control-flow enforcement (shadow stack, indirect-branch targets) on the
    # processors that have it.
    add_compile_options("$<${c_like}:-fcf-protection>")
  endif()
  # Relocations resolved at start and then made read-only.
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
