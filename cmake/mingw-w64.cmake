# Cross build of the Windows DLL with MinGW-w64 (Debian's g++-mingw-w64-*),
# shared by the 32-bit and 64-bit toolchain files, which set first:
#   M4K7DB_MINGW_TRIPLE   i686-w64-mingw32 or x86_64-w64-mingw32
#   M4K7DB_WINNT          the oldest Windows the DLL must load on (_WIN32_WINNT)
#   M4K7DB_WINEARCH       win32 or win64: the Wine prefix its programs run in
# Programs of the build run under Wine through wine-run.sh, so tests and the
# image compiler work as on a native build.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GCC 12's win32 model has no std::thread, which the
# concurrency tests use. Its winpthread is linked statically below.
find_program(CMAKE_C_COMPILER NAMES ${M4K7DB_MINGW_TRIPLE}-gcc-posix ${M4K7DB_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${M4K7DB_MINGW_TRIPLE}-g++-posix ${M4K7DB_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${M4K7DB_MINGW_TRIPLE}-windres)
find_program(M4K7DB_DLLTOOL NAMES ${M4K7DB_MINGW_TRIPLE}-dlltool REQUIRED)
find_program(M4K7DB_OBJDUMP NAMES ${M4K7DB_MINGW_TRIPLE}-objdump REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${M4K7DB_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=${M4K7DB_WINNT} -DWINVER=${M4K7DB_WINNT}")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=${M4K7DB_WINNT} -DWINVER=${M4K7DB_WINNT}")

# No run-time DLLs beside the module or the tests: the GCC, C++ and thread
# libraries are linked in, so the DLL imports only KERNEL32, msvcrt and
# WINSPOOL.DRV.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# One Wine prefix per build tree, created on first use.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${M4K7DB_WINEARCH} ${CMAKE_BINARY_DIR}/wine)
