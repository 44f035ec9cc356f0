# The 64-bit Windows DLL (g++-mingw-w64-x86-64), for the 64-bit spooler of
# Windows XP x64 / Server 2003 and later; tests run in a 64-bit Wine prefix,
# which needs no 32-bit packages.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(M4K7DB_MINGW_TRIPLE x86_64-w64-mingw32)
set(M4K7DB_WINNT 0x0502)
set(M4K7DB_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
