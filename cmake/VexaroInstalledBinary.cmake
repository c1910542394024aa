# vexaro_installed_binary(TARGET): for programs and libraries the packages
# install. The linked file keeps no .comment section: the compiler's and the
# C runtime's version strings, which stripping leaves in and which only tell
# an attacker what built the file (Debian's packaging removes them too). Done
# as the file is linked rather than at installation, so that
# vexaro-updater-demo, a copy with a package appended behind the ELF data,
# never has to be rewritten.
function(vexaro_installed_binary target)
  if(CMAKE_OBJCOPY AND NOT WIN32 AND NOT APPLE)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
