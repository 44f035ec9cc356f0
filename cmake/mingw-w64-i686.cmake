# The 32-bit Windows DLL (g++-mingw-w64-i686), for the spooler of Windows
# 2000 and later; tests run in a 32-bit Wine prefix.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(M4K7DB_MINGW_TRIPLE i686-w64-mingw32)
set(M4K7DB_WINNT 0x0500)
set(M4K7DB_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
