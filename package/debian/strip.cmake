# CPack pre-build script: strips what goes into the packages as Debian's
# own tools do. Programs lose their symbols and the compiler's notes; the
# static libraries keep the symbols a linker needs and lose the debug
# information, with deterministic archive headers.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file ${staged})
  if(file MATCHES "/usr/bin/[^/]+$")
    set(how --strip-unneeded)
  elseif(file MATCHES "\\.a$")
    set(how --strip-debug --enable-deterministic-archives)
  else()
    continue()
  endif()
  execute_process(COMMAND strip ${how} --remove-section=.comment --remove-section=.note ${file}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "strip failed on ${file}")
  endif()
endforeach()
