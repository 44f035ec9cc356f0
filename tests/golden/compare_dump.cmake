# cmake -DGENERATED=<build>/generated/image_dump.txt -DGOLDEN=<src>/tests/golden/image_dump.txt -P compare_dump.cmake
#   compares the build's dump with the committed one;
# add -DUPDATE=ON to copy the build's dump over the committed one.
if(NOT EXISTS "${GENERATED}")
  message(FATAL_ERROR "no generated dump at ${GENERATED}: build the image first (cmake --build <dir> --target image)")
endif()
set(update_command "cmake -DGENERATED=${GENERATED} -DGOLDEN=${GOLDEN} -DUPDATE=ON -P ${CMAKE_CURRENT_LIST_FILE}")
if(UPDATE)
  configure_file("${GENERATED}" "${GOLDEN}" COPYONLY)
  message(STATUS "updated ${GOLDEN}; review the diff before committing it")
  return()
endif()
if(NOT EXISTS "${GOLDEN}")
  message(FATAL_ERROR "golden dump is stale: ${GOLDEN} is missing: run ${update_command} to update")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${GENERATED}" "${GOLDEN}" RESULT_VARIABLE differ)
if(differ EQUAL 0)
  return()
endif()
# Show the start of the difference, so that the failure says what changed.
set(difference "")
find_program(DIFF_PROGRAM diff)
if(DIFF_PROGRAM)
  execute_process(COMMAND ${DIFF_PROGRAM} -u "${GOLDEN}" "${GENERATED}" COMMAND head -n 40
    OUTPUT_VARIABLE difference ERROR_QUIET)
endif()
message(FATAL_ERROR "golden dump is stale: run ${update_command} to update\n${difference}")
