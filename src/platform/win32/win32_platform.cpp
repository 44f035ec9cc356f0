// The Windows backend: the print spooler, the global heap, the local clock
// and the user's locale, called as the driver package's other components
// call them.
#include <windows.h>
#include <winspool.h>
// winspool.h maps OpenPrinter to OpenPrinterA/W; ours is the platform call.
#undef OpenPrinter

#include "platform/platform.h"
#include "platform/test_hooks.h"

namespace m4k7::platform {

namespace {

LPWSTR WideName(const uint16_t *name) {
  // The spooler's prototypes take non-const names that it only reads; a
  // UTF-16 unit is a wchar_t on Windows.
  static_assert(sizeof(wchar_t) == sizeof(uint16_t));
  return const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(name));
}

} // namespace

PrinterHandle OpenPrinter(const uint16_t *name) {
  if (name == nullptr) return nullptr;
  HANDLE printer = nullptr;
  // No defaults record: the module only reads printer data, which any
  // handle may.
  if (!::OpenPrinterW(WideName(name), &printer, nullptr)) return nullptr;
  return printer;
}

void ClosePrinter(PrinterHandle printer) {
  if (printer != nullptr) ::ClosePrinter(printer);
}

uint32_t ReadPrinterData(PrinterHandle printer, const uint16_t *valueName, uint32_t *value) {
  if (printer == nullptr) return ERROR_INVALID_HANDLE;
  if (valueName == nullptr || value == nullptr) return ERROR_INVALID_PARAMETER;
  // The type is preset to REG_DWORD and not looked at afterwards; a value
  // longer than 4 bytes fails with ERROR_MORE_DATA.
  DWORD type = REG_DWORD;
  DWORD needed = 0;
  return ::GetPrinterDataW(printer, WideName(valueName), &type, reinterpret_cast<LPBYTE>(value),
                           sizeof(*value), &needed);
}

void *Allocate(size_t bytes) {
#if defined(M4K7DB_TEST_HOOKS)
  if (testing::detail::AllocationMustFail()) return nullptr;
#endif
  // A zero-byte request still gets a distinct block to release.
  void *block = ::GlobalAlloc(GMEM_FIXED, bytes == 0 ? 1 : bytes);
#if defined(M4K7DB_TEST_HOOKS)
  if (block != nullptr) testing::detail::NoteBlockAllocated();
#endif
  return block;
}

void Release(void *block) {
  if (block == nullptr) return;
  ::GlobalFree(block);
#if defined(M4K7DB_TEST_HOOKS)
  testing::detail::NoteBlockReleased();
#endif
}

void GetLocalTime(LocalTime *now) {
  if (now == nullptr) return;
#if defined(M4K7DB_TEST_HOOKS)
  if (testing::detail::ReadFixedClock(now)) return;
#endif
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  *now = LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

uint32_t LocaleCountryText(char *buffer, uint32_t size) {
#if defined(M4K7DB_TEST_HOOKS)
  uint32_t fixed = 0;
  if (testing::detail::ReadFixedLocaleCountry(buffer, size, &fixed)) return fixed;
#endif
  if (buffer == nullptr) size = 0;
  int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, size == 0 ? nullptr : buffer, int(size));
  return n > 0 ? uint32_t(n) : 0;
}

} // namespace m4k7::platform
