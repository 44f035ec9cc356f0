# Cross build of the 32-bit Windows DLL with MinGW-w64 (Debian's
# g++-mingw-w64-i686). Programs of this build run under Wine through
# wine-run.sh, so tests and the image compiler work as on a native build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(M4K7DB_MINGW_TRIPLE i686-w64-mingw32)
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

# The driver package runs on Windows 2000 and later.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")

# No run-time DLLs beside the module or the tests: the GCC, C++ and thread
# libraries are linked in, so the DLL imports only KERNEL32, msvcrt and
# WINSPOOL.DRV.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# One Wine prefix per build tree, created on first use.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine)
