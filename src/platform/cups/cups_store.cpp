// CUPS destinations as the spooler's printers. Names reach the module in
// UTF-16, as on Windows, and CUPS takes UTF-8.
#include "platform/cups/cups_store.h"

#include <cups/cups.h>

#include "platform/platform.h"

namespace m4k7::platform::cups {

namespace {

// Bytes that the UTF-8 form of a zero-terminated UTF-16 name can take:
// every unit at most three (a surrogate pair four for its two units).
size_t Utf8Capacity(const uint16_t *name) {
  size_t units = 0;
  while (name[units] != 0) ++units;
  return 3 * units + 1;
}

// Writes the zero-terminated UTF-8 form; false for a lone surrogate.
bool ToUtf8(const uint16_t *name, unsigned char *p) {
  for (size_t i = 0; name[i] != 0; ++i) {
    uint32_t c = name[i];
    if (c >= 0xDC00 && c <= 0xDFFF) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      uint32_t low = name[i + 1];
      if (low < 0xDC00 || low > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      *p++ = static_cast<unsigned char>(c);
    } else if (c < 0x800) {
      *p++ = static_cast<unsigned char>(0xC0 | (c >> 6));
      *p++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *p++ = static_cast<unsigned char>(0xE0 | (c >> 12));
      *p++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
      *p++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else {
      *p++ = static_cast<unsigned char>(0xF0 | (c >> 18));
      *p++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
      *p++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
      *p++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
  }
  *p = 0;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

} // namespace

bool ParseOptionNumber(const char *text, uint32_t *value) {
  if (text == nullptr || value == nullptr) return false;
  const char *p = text;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    p += 2;
    uint64_t v = 0;
    if (*p == 0) return false;
    for (; *p != 0; ++p) {
      int d = HexDigit(*p);
      if (d < 0) return false;
      v = (v << 4) | uint64_t(d);
      if (v > 0xFFFFFFFFu) return false;
    }
    *value = uint32_t(v);
    return true;
  }
  uint64_t v = 0;
  if (*p == 0) return false;
  for (; *p != 0; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + uint64_t(*p - '0');
    if (v > 0xFFFFFFFFu) return false;
  }
  *value = uint32_t(v);
  return true;
}

void *Open(const uint16_t *name) {
  if (name == nullptr) return nullptr;
  ScratchBlock utf8(Utf8Capacity(name));
  if (!utf8 || !ToUtf8(name, utf8.as<unsigned char>())) return nullptr;
  // Also nullptr when no server answers: no destination, no printer.
  return cupsGetNamedDest(CUPS_HTTP_DEFAULT, utf8.as<char>(), nullptr);
}

void Close(void *printer) {
  if (printer != nullptr) cupsFreeDests(1, static_cast<cups_dest_t *>(printer));
}

uint32_t Read(void *printer, const uint16_t *valueName, uint32_t *value) {
  if (printer == nullptr) return kBadHandle;
  if (valueName == nullptr || value == nullptr) return kBadName;
  ScratchBlock utf8(Utf8Capacity(valueName));
  if (!utf8) return kNoMemory;
  if (!ToUtf8(valueName, utf8.as<unsigned char>())) return kBadName;
  const cups_dest_t *dest = static_cast<const cups_dest_t *>(printer);
  const char *text = cupsGetOption(utf8.as<char>(), dest->num_options, dest->options);
  if (text == nullptr) return kNoValue;
  uint32_t parsed = 0;
  if (!ParseOptionNumber(text, &parsed)) return kNotANumber;
  *value = parsed;
  return 0;
}

} // namespace m4k7::platform::cups
