/* The public header from plain C99: every function is callable. */
#include <stdio.h>

#include "m4k7db.h"

int main(void) {
  AccessRequest request = {0};
  uint32_t size = 0;
  if (VRT_AccessRootDataBase(0, &request, 0, NULL, &size) != M4K7DB_NOT_FOUND) return 1;
  if (VRT_AccessDrvDataBase(0x5008, &request, 0, NULL, &size) != M4K7DB_NOT_FOUND) return 1;
  if (VRT_AccessLMDataBase(0, NULL, 0, NULL, &size) != M4K7DB_NO_PRINTER) return 1;
  if (VRT_AccessMntDataBase(0, &request, 0, NULL, &size) != M4K7DB_NOT_FOUND) return 1;
  if (VRT_AccessPADataBase(0, &request, 0, NULL, &size) != M4K7DB_NOT_FOUND) return 1;
  if (VRT_AccessSMDataBase(0, &request, 0, NULL, &size) != M4K7DB_NOT_FOUND) return 1;
  if (VRT_AccessRootDataBase(3, &request, 0, NULL, &size) != M4K7DB_BUFFER_TOO_SMALL || size != 24) return 1;
  {
    PrinterHandle handle = NULL;
    static const uint16_t name[] = {'n', 'o', 'n', 'e', 0};
    if (m4k7db_open_printer(name, &handle) == 0) return 1;
    m4k7db_close_printer(handle);
  }
  puts("ok");
  return 0;
}
