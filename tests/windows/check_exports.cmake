# Checks the DLL's export and import tables with objdump -p:
#   cmake -DOBJDUMP=... -DDLL=m4k7db.dll [-DPROCESSOR=AMD64] -P check_exports.cmake
# Exactly the six access functions, undecorated; imports only from the
# system's KERNEL32, msvcrt and WINSPOOL.DRV (no run-time DLLs to ship), and
# from those only functions that the oldest supported Windows has (2000 for
# the 32-bit DLL, XP x64 / Server 2003 for the 64-bit one), so that the DLL
# loads on every system the driver package supports. A function missing
# there makes the loader refuse the whole DLL.
cmake_policy(SET CMP0057 NEW) # if(IN_LIST)
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

# Functions of Windows 2000 that the module and the C run-time's start-up
# code may import.
set(allowed_KERNEL32.DLL
    CloseHandle DeleteCriticalSection EnterCriticalSection ExitProcess FreeLibrary GetCurrentProcess
    GetCurrentProcessId GetCurrentThreadId GetLastError GetLocalTime GetLocaleInfoA GetModuleHandleA
    GetModuleHandleW GetProcAddress GetStartupInfoA GetSystemTimeAsFileTime GetTickCount GlobalAlloc
    GlobalFree InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection LoadLibraryA LoadLibraryW
    MultiByteToWideChar QueryPerformanceCounter SetLastError SetUnhandledExceptionFilter Sleep
    TerminateProcess TlsAlloc TlsFree TlsGetValue TlsSetValue UnhandledExceptionFilter VirtualProtect
    VirtualQuery WideCharToMultiByte)
set(allowed_MSVCRT.DLL
    __dllonexit __mb_cur_max _amsg_exit _errno _initterm _iob _lock _onexit _unlock abort atoi calloc
    fprintf fputc fputs free fwrite localeconv malloc memcmp memcpy memmove memset printf realloc
    setlocale sprintf strchr strcmp strerror strlen strncmp vfprintf wcslen)
set(allowed_WINSPOOL.DRV ClosePrinter GetPrinterDataW OpenPrinterW)
set(oldest "Windows 2000")
if(PROCESSOR STREQUAL "AMD64")
  # The 64-bit run-time's start-up code reads the code page, the multibyte
  # length and the standard streams through functions, which the msvcrt of
  # XP x64 and Server 2003 exports.
  list(APPEND allowed_MSVCRT.DLL ___lc_codepage_func ___mb_cur_max_func __iob_func)
  set(oldest "Windows XP x64 / Server 2003")
endif()

# Import blocks read "\tDLL Name: X" followed by "\t<vma>\t  <hint>  <name>"
# lines up to a blank line.
string(REGEX MATCHALL "DLL Name: [^\n]+\n[^\n]*\n([ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[^\n]+\n)*" blocks "${dump}")
set(dlls "")
set(count 0)
foreach(block ${blocks})
  string(REGEX MATCH "DLL Name: ([^\n]+)" line "${block}")
  string(STRIP "${CMAKE_MATCH_1}" dll)
  string(TOUPPER "${dll}" upper)
  if(NOT DEFINED allowed_${upper})
    message(FATAL_ERROR "${DLL} imports ${dll}; only KERNEL32.dll, msvcrt.dll and WINSPOOL.DRV are allowed")
  endif()
  string(REGEX MATCHALL "\n[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+[^\n]+" entries "${block}")
  foreach(entry ${entries})
    string(REGEX REPLACE "^\n[ \t]+[0-9a-f]+[ \t]+[0-9]+[ \t]+" "" function "${entry}")
    string(STRIP "${function}" function)
    if(NOT function IN_LIST allowed_${upper})
      message(FATAL_ERROR "${DLL} imports ${function} from ${dll}, which is not known to exist on ${oldest}")
    endif()
    math(EXPR count "${count} + 1")
  endforeach()
  list(APPEND dlls ${dll})
endforeach()
if(NOT "WINSPOOL.DRV" IN_LIST dlls OR count LESS 3)
  message(FATAL_ERROR "no spooler imports found in [${dlls}]: the import table was not read")
endif()
message(STATUS "exports: ${exports}; imports: ${count} functions of ${dlls}")
