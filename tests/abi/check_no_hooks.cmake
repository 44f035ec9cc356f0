# Fails if a shipped binary holds any of the test hooks (the failing heap,
# the live-block count, the fixed clock and country): they belong to test programs only.
#   cmake -DNM=nm "-DBINARIES=libm4k7db.so;m4k7db" -P check_no_hooks.cmake
cmake_policy(VERSION 3.20)

foreach(binary IN LISTS BINARIES)
  # The whole symbol table, not only the dynamic one: a hook compiled in
  # but hidden would still run.
  execute_process(COMMAND ${NM} -C ${binary} OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${binary}: ${errors}")
  endif()
  string(REGEX MATCHALL "[^\n]*(FailAllocationAt|AllocationMustFail|LiveBlocks|FixClock|ReadFixedClock|FixLocaleCountry|ReadFixedLocaleCountry)[^\n]*" hooks "${listing}")
  if(hooks)
    string(REPLACE ";" "\n  " hooks "${hooks}")
    message(FATAL_ERROR "${binary} holds test hooks:\n  ${hooks}")
  endif()
endforeach()
message(STATUS "no test hooks in: ${BINARIES}")
