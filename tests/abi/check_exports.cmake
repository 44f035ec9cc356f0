# Lists the dynamic symbols the shared library defines and fails unless they
# are exactly the public functions of m4k7db.h.
#   cmake -DNM=nm -DLIBRARY=libm4k7db.so -P check_exports.cmake
cmake_policy(VERSION 3.20)

set(expected
  VRT_AccessDrvDataBase
  VRT_AccessLMDataBase
  VRT_AccessMntDataBase
  VRT_AccessPADataBase
  VRT_AccessRootDataBase
  VRT_AccessSMDataBase
  m4k7db_close_printer
  m4k7db_open_printer)
# Symbols some linkers add to every shared object.
set(linker_symbols _init _fini _edata _end __bss_start)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${errors}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(exported "")
foreach(line IN LISTS lines)
  # "<address> <type> <name>[@version]"
  if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ @]+)")
    set(name "${CMAKE_MATCH_1}")
    if(NOT name IN_LIST linker_symbols)
      list(APPEND exported "${name}")
    endif()
  endif()
endforeach()
list(SORT exported)
list(REMOVE_DUPLICATES exported)

if(NOT exported STREQUAL expected)
  set(extra ${exported})
  list(REMOVE_ITEM extra ${expected})
  set(missing ${expected})
  if(exported)
    list(REMOVE_ITEM missing ${exported})
  endif()
  message(FATAL_ERROR "${LIBRARY} exports the wrong symbols.\n  missing: ${missing}\n  unexpected: ${extra}")
endif()
message(STATUS "exported: ${exported}")
