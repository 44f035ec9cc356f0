# Checks the DLL's export and import tables with objdump -p:
#   cmake -DOBJDUMP=... -DDLL=m4k7db.dll -P check_exports.cmake
# Exactly the six access functions, undecorated, and imports only from the
# system's KERNEL32, msvcrt and WINSPOOL.DRV (no run-time DLLs to ship).
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\][^\n]*\n)*)" table "${dump}")
# Entry lines read "\t[   0] Name"; drop the indices (brackets would upset
# CMake's list splitting) and keep one name a line.
string(REGEX REPLACE "[ \t]*\\[[ 0-9]+\\][ \t]*" "" names "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "[^\n]+" exports "${names}")
list(SORT exports)
set(want VRT_AccessDrvDataBase VRT_AccessLMDataBase VRT_AccessMntDataBase VRT_AccessPADataBase
    VRT_AccessRootDataBase VRT_AccessSMDataBase)
if(NOT exports STREQUAL want)
  message(FATAL_ERROR "exports are [${exports}], want [${want}]")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(dlls "")
foreach(i ${imports})
  string(REGEX REPLACE "DLL Name: " "" name "${i}")
  string(STRIP "${name}" name)
  string(TOUPPER "${name}" upper)
  if(NOT upper MATCHES "^(KERNEL32\\.DLL|MSVCRT\\.DLL|WINSPOOL\\.DRV)$")
    message(FATAL_ERROR "${DLL} imports ${name}; only KERNEL32.dll, msvcrt.dll and WINSPOOL.DRV are allowed")
  endif()
  list(APPEND dlls ${name})
endforeach()
message(STATUS "exports: ${exports}; imports: ${dlls}")
