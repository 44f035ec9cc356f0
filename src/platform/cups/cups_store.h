// Printer data from CUPS destinations: a printer is a destination and its
// stored values are the destination's options. Built when libcups is found
// (M4K7DB_HAVE_CUPS); the POSIX backend falls back to it when no
// printer-data file is named.
//
// An administrator stores a value with
//     lpadmin -p NAME -o TpxUI_CustomECPMode-default=1
// and CUPS reports it as the option "TpxUI_CustomECPMode".
#pragma once

#include <cstdint>

namespace m4k7::platform::cups {

// Failure codes of Read, numbered like the spooler's errors they stand for.
inline constexpr uint32_t kBadHandle = 6;   // no destination
inline constexpr uint32_t kNoValue = 2;     // no option of that name
inline constexpr uint32_t kNotANumber = 13; // the option is not a 32-bit number
inline constexpr uint32_t kBadName = 87;    // a name that is not valid UTF-16
inline constexpr uint32_t kNoMemory = 8;    // no scratch memory for the name

// An opened destination, or nullptr when there is none of that name (or no
// server answers). The destination's options are those of the moment it was
// opened.
void *Open(const uint16_t *name);
void Close(void *printer);
// 0 with the option parsed as a 32-bit number (decimal or 0x hex); nonzero
// for a missing option or one that is not such a number.
uint32_t Read(void *printer, const uint16_t *valueName, uint32_t *value);

// The option text as a stored 32-bit value, written as in the printer-data
// file: decimal digits up to 4294967295, or 0x (0X) and hex digits up to
// 0xFFFFFFFF. A sign, a blank or anything after the number is not a number.
bool ParseOptionNumber(const char *text, uint32_t *value);

} // namespace m4k7::platform::cups
