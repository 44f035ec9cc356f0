// Printer and value names reach the module in UTF-16, as on Windows; the
// printer-data file and CUPS name them in UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>

namespace m4k7::platform::posix {

// Bytes the UTF-8 form of a zero-terminated UTF-16 text can take, with its
// terminator: every unit at most three (a surrogate pair four for two).
size_t Utf8Capacity(const uint16_t *text);

// Writes the zero-terminated UTF-8 form into out, which holds
// Utf8Capacity(text) bytes, and its length without the terminator into
// *length. False for an unpaired surrogate, which names nothing.
bool ToUtf8(const uint16_t *text, char *out, size_t *length);

} // namespace m4k7::platform::posix
