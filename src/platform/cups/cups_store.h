// Printer data from CUPS destinations: a printer is a destination and its
// stored values are the destination's options. Built when libcups is found
// (M4K7DB_HAVE_CUPS); the POSIX backend falls back to it when no
// printer-data file is named.
#pragma once

#include <cstdint>

namespace m4k7::platform::cups {

// An opened destination, or nullptr when there is none of that name (or no
// server answers).
void *Open(const uint16_t *name);
void Close(void *printer);
// 0 with the option parsed as a 32-bit number (decimal or 0x hex); nonzero
// for a missing option or one that is not such a number.
uint32_t Read(void *printer, const uint16_t *valueName, uint32_t *value);

} // namespace m4k7::platform::cups
