// The module's only door to the operating system: the spooler's printers
// and their stored data, a heap of fixed blocks, the local clock and the
// user's locale. One backend per system (posix/, win32/); nothing else in
// the module calls the system.
#pragma once

#include <cstddef>
#include <cstdint>

#include "m4k7db.h"

namespace m4k7::platform {

// Opens a printer by its zero-terminated UTF-16 name with no defaults.
// nullptr when it does not open.
PrinterHandle OpenPrinter(const uint16_t *name);

// Closes a handle from OpenPrinter; nullptr is ignored.
void ClosePrinter(PrinterHandle printer);

// Reads the named printer-data value into a 4-byte buffer, as the spooler
// would with the type preset to REG_DWORD: 0 on success (a value shorter
// than 4 bytes fills only the low bytes of *value), otherwise a nonzero
// failure code (missing value, a value longer than 4 bytes, bad handle).
uint32_t ReadPrinterData(PrinterHandle printer, const uint16_t *valueName, uint32_t *value);

// A fixed block of scratch memory, or nullptr. Blocks of size 0 are valid.
void *Allocate(size_t bytes);
// Releases a block from Allocate; nullptr is ignored.
void Release(void *block);

struct LocalTime {
  uint16_t year, month, day, hour, minute, second;
};
// The local wall-clock time.
void GetLocalTime(LocalTime *now);

// The user's locale country code as text, the way the system reports it:
// with size 0 (or no buffer) the length needed, terminator included; else
// the characters copied, terminator included. 0 when it cannot be told.
uint32_t LocaleCountryText(char *buffer, uint32_t size);

// Frees a heap block on every path out of a scope.
class ScratchBlock {
public:
  explicit ScratchBlock(size_t bytes) : block_(Allocate(bytes)) {}
  ~ScratchBlock() { Release(block_); }
  ScratchBlock(const ScratchBlock &) = delete;
  ScratchBlock &operator=(const ScratchBlock &) = delete;
  explicit operator bool() const { return block_ != nullptr; }
  void *get() const { return block_; }
  template <class T> T *as() const { return static_cast<T *>(block_); }

private:
  void *block_;
};

} // namespace m4k7::platform
