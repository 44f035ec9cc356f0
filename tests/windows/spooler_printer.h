// A printer in the Windows spooler (Wine's under the cross build) for one
// test: named after the process so that tests can run side by side, on port
// FILE:, with a driver the spooler already has or the system's PostScript
// driver files, and deleted again at the end.
#pragma once

#if defined(_WIN32)

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

namespace m4k7::test {

class SpoolerPrinter {
public:
  explicit SpoolerPrinter(const std::wstring &suffix);
  ~SpoolerPrinter();
  SpoolerPrinter(const SpoolerPrinter &) = delete;
  SpoolerPrinter &operator=(const SpoolerPrinter &) = delete;

  // Empty when the printer exists; otherwise why it could not be made.
  std::string Create();

  // SetPrinterDataW through a handle with full access: 0 or the error.
  DWORD Set(const wchar_t *valueName, DWORD type, const std::vector<BYTE> &data);
  DWORD SetDword(const wchar_t *valueName, DWORD value);

  const std::wstring &name() const { return name_; }
  const std::u16string name16() const { return std::u16string(name_.begin(), name_.end()); }

private:
  std::wstring name_;
  bool created_ = false;
};

} // namespace m4k7::test

#endif
