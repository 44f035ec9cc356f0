#include "platform/posix/utf8.h"

#include "platform/utf8.h"

namespace m4k7::platform::posix {

size_t Utf8Capacity(const uint16_t *text) {
  size_t units = 0;
  while (text[units] != 0) ++units;
  return 3 * units + 1;
}

bool ToUtf8(const uint16_t *text, char *out, size_t *length) {
  const uint16_t *end = text;
  while (*end != 0) ++end;
  char *p = out;
  for (const uint16_t *at = text; at < end;) {
    uint32_t c = 0;
    const size_t units = DecodeUtf16(at, end, &c);
    if (units == 0) return false;
    at += units;
    p += EncodeUtf8(c, p);
  }
  *p = '\0';
  *length = size_t(p - out);
  return true;
}

} // namespace m4k7::platform::posix
