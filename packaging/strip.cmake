# Strips the staged programs as Debian's own packages are stripped (dh_strip), before CPack packs them.
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/*")
if(NOT programs)
  message(FATAL_ERROR "no programs staged under ${CPACK_TEMPORARY_DIRECTORY}/usr/bin")
endif()
foreach(program ${programs})
  execute_process(COMMAND strip --remove-section=.comment --remove-section=.note --strip-unneeded
                          ${program}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "strip failed on ${program}")
  endif()
endforeach()
