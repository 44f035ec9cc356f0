// The module's entry point does no work: loading and unloading need nothing
// beyond the run-time's own.
#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
