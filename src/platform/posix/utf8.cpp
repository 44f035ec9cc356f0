#include "platform/posix/utf8.h"

namespace m4k7::platform::posix {

size_t Utf8Capacity(const uint16_t *text) {
  size_t units = 0;
  while (text[units] != 0) ++units;
  return 3 * units + 1;
}

bool ToUtf8(const uint16_t *text, char *out, size_t *length) {
  char *p = out;
  for (size_t i = 0; text[i] != 0; ++i) {
    uint32_t c = text[i];
    if (c >= 0xDC00 && c <= 0xDFFF) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      const uint32_t low = text[i + 1]; // the terminator when the text ends here
      if (low < 0xDC00 || low > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      *p++ = char(c);
    } else if (c < 0x800) {
      *p++ = char(0xC0 | (c >> 6));
      *p++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *p++ = char(0xE0 | (c >> 12));
      *p++ = char(0x80 | ((c >> 6) & 0x3F));
      *p++ = char(0x80 | (c & 0x3F));
    } else {
      *p++ = char(0xF0 | (c >> 18));
      *p++ = char(0x80 | ((c >> 12) & 0x3F));
      *p++ = char(0x80 | ((c >> 6) & 0x3F));
      *p++ = char(0x80 | (c & 0x3F));
    }
  }
  *p = '\0';
  *length = size_t(p - out);
  return true;
}

} // namespace m4k7::platform::posix
