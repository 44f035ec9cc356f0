// CUPS destinations as the spooler's printers. Names reach the module in
// UTF-16, as on Windows, and CUPS takes UTF-8.
#include "platform/cups/cups_store.h"

#include <cups/cups.h>

#include "platform/platform.h"
#include "platform/posix/utf8.h"

namespace m4k7::platform::cups {

namespace {

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
  ScratchBlock utf8(posix::Utf8Capacity(name));
  size_t length = 0;
  if (!utf8 || !posix::ToUtf8(name, utf8.as<char>(), &length)) return nullptr;
  // Also nullptr when no server answers: no destination, no printer.
  return cupsGetNamedDest(CUPS_HTTP_DEFAULT, utf8.as<char>(), nullptr);
}

void Close(void *printer) {
  if (printer != nullptr) cupsFreeDests(1, static_cast<cups_dest_t *>(printer));
}

uint32_t Read(void *printer, const uint16_t *valueName, uint32_t *value) {
  if (printer == nullptr) return kBadHandle;
  if (valueName == nullptr || value == nullptr) return kBadName;
  ScratchBlock utf8(posix::Utf8Capacity(valueName));
  if (!utf8) return kNoMemory;
  size_t length = 0;
  if (!posix::ToUtf8(valueName, utf8.as<char>(), &length)) return kBadName;
  const cups_dest_t *dest = static_cast<const cups_dest_t *>(printer);
  const char *text = cupsGetOption(utf8.as<char>(), dest->num_options, dest->options);
  if (text == nullptr) return kNoValue;
  uint32_t parsed = 0;
  if (!ParseOptionNumber(text, &parsed)) return kNotANumber;
  *value = parsed;
  return 0;
}

} // namespace m4k7::platform::cups
