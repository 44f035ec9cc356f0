// UTF-16 to UTF-8 one code point at a time, written once: the POSIX spooler
// and the CUPS store name printers and values in UTF-8, and the tool prints
// the module's UTF-16 names.
#pragma once

#include <cstddef>
#include <cstdint>

namespace m4k7::platform {

// The code point starting at `at` (before `end`) into *cp: the units it
// takes, 1 or 2, or 0 for an unpaired surrogate.
template <class Unit> constexpr size_t DecodeUtf16(const Unit *at, const Unit *end, uint32_t *cp) {
  const uint32_t c = at[0];
  if (c >= 0xDC00 && c <= 0xDFFF) return 0;
  if (c < 0xD800 || c > 0xDBFF) {
    *cp = c;
    return 1;
  }
  if (at + 1 == end || at[1] < 0xDC00 || at[1] > 0xDFFF) return 0;
  *cp = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(at[1]) - 0xDC00);
  return 2;
}

// Writes the UTF-8 bytes of cp (at most 4) to out; returns how many.
constexpr size_t EncodeUtf8(uint32_t cp, char *out) {
  const size_t n = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  constexpr uint8_t kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
  out[0] = char(n == 1 ? cp : kLead[n] | (cp >> (6 * (n - 1))));
  for (size_t k = 1; k < n; ++k) out[k] = char(0x80 | ((cp >> (6 * (n - 1 - k))) & 0x3F));
  return n;
}

} // namespace m4k7::platform
