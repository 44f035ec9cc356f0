# Renders the graph of a shared tree (the paper sizes, seven keys) and of
# the list tree with Graphviz: the DOT must be accepted and give a PNG.
file(MAKE_DIRECTORY "${WORK}")
foreach(case "paper;0x1003" "lists;4108;4110;0x5003")
  list(POP_FRONT case name)
  execute_process(COMMAND "${TOOL}" dump ${case} --format dot OUTPUT_FILE "${WORK}/${name}.dot" RESULT_VARIABLE code)
  if(code)
    message(FATAL_ERROR "m4k7db dump ${case} --format dot: exit ${code}")
  endif()
  execute_process(COMMAND "${DOT}" -Tpng -o "${WORK}/${name}.png" "${WORK}/${name}.dot"
    RESULT_VARIABLE code ERROR_VARIABLE err)
  if(code OR err MATCHES "[Ee]rror|[Ww]arning")
    message(FATAL_ERROR "dot refuses the graph of ${case}: ${err}")
  endif()
  file(READ "${WORK}/${name}.png" magic LIMIT 8 HEX)
  if(NOT magic STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "dot wrote no PNG for ${case}")
  endif()
endforeach()
