# The man page formats without a single groff warning.
execute_process(COMMAND "${GROFF}" -man -ww -z "${PAGE}" RESULT_VARIABLE code ERROR_VARIABLE err)
if(code OR NOT err STREQUAL "")
  message(FATAL_ERROR "groff: ${PAGE}:\n${err}")
endif()
