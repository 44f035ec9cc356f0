/* The public header from strict C99: every function is declared, callable
 * and links against the shared library. */
#include <stdio.h>

#include "m4k7db.h"

typedef AccessStatus(M4K7DB_CALL *AccessFunction)(uint32_t, const AccessRequest *, uint32_t, void *,
                                                  uint32_t *);

int main(void) {
  static const AccessFunction functions[] = {VRT_AccessRootDataBase, VRT_AccessDrvDataBase,
                                             VRT_AccessLMDataBase,   VRT_AccessMntDataBase,
                                             VRT_AccessPADataBase,   VRT_AccessSMDataBase};
  static const char *const names[] = {"root", "driver", "LM", "Mnt", "PA", "SM"};
  static const uint16_t nowhere[] = {'n', 'o', ' ', 's', 'u', 'c', 'h', 0};
  AccessRequest request = {0};
  PrinterHandle printer = NULL;
  uint32_t size = 0xDEADBEEFu;
  int failures = 0;
  size_t i;

  for (i = 0; i < sizeof functions / sizeof functions[0]; ++i) {
    AccessStatus status = functions[i](0, &request, 0, NULL, &size);
    if (status != M4K7DB_NOT_FOUND || size != 0xDEADBEEFu) {
      fprintf(stderr, "%s: key 0 gave %ld\n", names[i], (long)status);
      ++failures;
    }
    status = functions[i](0, NULL, 0, NULL, &size);
    if (status != M4K7DB_NO_PRINTER) {
      fprintf(stderr, "%s: no request gave %ld\n", names[i], (long)status);
      ++failures;
    }
  }
  if (m4k7db_open_printer(nowhere, &printer) == 0) {
    fprintf(stderr, "a printer that does not exist opened\n");
    m4k7db_close_printer(printer);
    ++failures;
  }
  m4k7db_close_printer(NULL);
  return failures == 0 ? 0 : 1;
}
