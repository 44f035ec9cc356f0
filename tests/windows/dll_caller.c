/* A C caller of m4k7db.dll as the driver's components are: compiled against
 * m4k7db.h (so it refers to the __stdcall names), linked with the import
 * library, run beside the DLL. Exit status 0 when every check holds. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "m4k7db.h"

static int failures;

static void check(int ok, const char *what) {
  if (!ok) {
    printf("FAILED: %s\n", what);
    ++failures;
  }
}

typedef AccessStatus(M4K7DB_CALL *AccessFn)(uint32_t, const AccessRequest *, uint32_t, void *, uint32_t *);

int main(void) {
  static const char *const kExports[] = {"VRT_AccessRootDataBase", "VRT_AccessDrvDataBase",
                                         "VRT_AccessLMDataBase",   "VRT_AccessMntDataBase",
                                         "VRT_AccessPADataBase",   "VRT_AccessSMDataBase"};
  int32_t ints[1] = {0};
  const char *strings[1] = {""};
  AccessRequest request;
  uint32_t size = 0, again = 0, untouched = 0xDEADBEEFu;
  unsigned char buffer[512];
  HMODULE dll = GetModuleHandleA("m4k7db.dll");
  int i;

  memset(&request, 0, sizeof request);
  request.intParamCount = 1;
  request.intParams = ints;
  request.stringParamCount = 1;
  request.stringParams = strings;

  /* Through the import library: root key 3, size query then the answer. */
  check(VRT_AccessRootDataBase(3, &request, 0, NULL, &size) == M4K7DB_BUFFER_TOO_SMALL, "size query gives 2");
  check(size > 0 && size <= sizeof buffer && size % 2 == 0, "a UTF-16 answer size");
  check(VRT_AccessRootDataBase(3, &request, size, buffer, &again) == M4K7DB_OK, "answer gives 0");
  check(again == size, "same size twice");
  check(size >= 2 && buffer[size - 1] == 0 && buffer[size - 2] == 0, "zero-terminated");
  check(VRT_AccessRootDataBase(0x1001, &request, sizeof buffer, buffer, &untouched) == M4K7DB_NOT_FOUND,
        "a driver key is outside the root range");
  check(untouched == 0xDEADBEEFu, "outSize untouched out of range");
  check(VRT_AccessDrvDataBase(1, NULL, 0, NULL, &size) == M4K7DB_NO_PRINTER, "no request gives -4");

  /* By name, undecorated, as a loader that uses GetProcAddress finds them.
   * Many calls through a __stdcall pointer: a convention mismatch would
   * leave the stack unbalanced and crash. */
  check(dll != NULL, "m4k7db.dll is loaded");
  for (i = 0; dll != NULL && i < 6; ++i) {
    char decorated[64];
    AccessFn fn = (AccessFn)(void (*)(void))GetProcAddress(dll, kExports[i]);
    int n;
    check(fn != NULL, kExports[i]);
    snprintf(decorated, sizeof decorated, "%s@20", kExports[i]);
    check(GetProcAddress(dll, decorated) == NULL, "no decorated export");
    for (n = 0; fn != NULL && n < 1000; ++n)
      check(fn(0, &request, 0, NULL, &size) == M4K7DB_NOT_FOUND, "key 0");
  }

  if (failures == 0) printf("m4k7db.dll: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
