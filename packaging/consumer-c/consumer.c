/* The smallest client of the installed m4k7db: asks the root database for
 * its version text with the two-call pattern. Built with pkg-config:
 *
 *     cc consumer.c $(pkg-config --cflags --libs m4k7db) -o consumer
 */
#include <stdio.h>
#include <stdlib.h>

#include <m4k7db.h>

int main(void) {
  int32_t ints[1] = {0};
  const char *strings[1] = {""};
  AccessRequest request = {0};
  request.intParamCount = 1;
  request.intParams = ints;
  request.stringParamCount = 1;
  request.stringParams = strings;

  uint32_t size = 0;
  AccessStatus status = VRT_AccessRootDataBase(2, &request, 0, NULL, &size);
  if (status != M4K7DB_BUFFER_TOO_SMALL) {
    fprintf(stderr, "size query: status %d\n", (int)status);
    return 1;
  }
  uint16_t *text = malloc(size);
  if (!text) return 1;
  status = VRT_AccessRootDataBase(2, &request, size, text, &size);
  if (status != M4K7DB_OK) {
    fprintf(stderr, "root key 2: status %d\n", (int)status);
    free(text);
    return 1;
  }
  printf("m4k7db database version ");
  for (uint32_t i = 0; i < size / 2 && text[i] != 0; ++i) putchar(text[i] < 0x80 ? (int)text[i] : '?');
  putchar('\n');
  free(text);
  return 0;
}
