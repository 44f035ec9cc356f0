#include "spooler_printer.h"

#if defined(_WIN32)

namespace m4k7::test {

namespace {

wchar_t *Mutable(const wchar_t *s) { return const_cast<wchar_t *>(s); }

// A driver for the test printers: the first one installed, or one made of
// Wine's PostScript driver files.
std::wstring DriverName(std::string *why) {
  DWORD needed = 0, count = 0;
  EnumPrinterDriversW(nullptr, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed > 0) {
    std::vector<BYTE> buffer(needed);
    if (EnumPrinterDriversW(nullptr, nullptr, 2, buffer.data(), needed, &needed, &count) && count > 0)
      return reinterpret_cast<DRIVER_INFO_2W *>(buffer.data())[0].pName;
  }
  static const wchar_t kName[] = L"M4K7 Test Driver";
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = Mutable(kName);
  driver.pDriverPath = Mutable(L"wineps.drv");
  driver.pDataFile = Mutable(L"wineps.drv");
  driver.pConfigFile = Mutable(L"wineps.drv");
  if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE *>(&driver), APD_COPY_NEW_FILES) &&
      GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
    *why =
        "no printer driver installed and none could be added (error " + std::to_string(GetLastError()) + ")";
    return L"";
  }
  return kName;
}

HANDLE OpenFull(const std::wstring &name) {
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE h = nullptr;
  return OpenPrinterW(Mutable(name.c_str()), &h, &defaults) ? h : nullptr;
}

void Delete(const std::wstring &name) {
  if (HANDLE h = OpenFull(name)) {
    DeletePrinter(h);
    ClosePrinter(h);
  }
}

} // namespace

SpoolerPrinter::SpoolerPrinter(const std::wstring &suffix)
    : name_(L"M4K7 Test " + std::to_wstring(GetCurrentProcessId()) + L" " + suffix) {}

SpoolerPrinter::~SpoolerPrinter() {
  if (created_) Delete(name_);
}

std::string SpoolerPrinter::Create() {
  std::string why;
  std::wstring driver = DriverName(&why);
  if (driver.empty()) return why;
  PRINTER_INFO_2W info{};
  info.pPrinterName = Mutable(name_.c_str());
  info.pPortName = Mutable(L"FILE:");
  info.pDriverName = Mutable(driver.c_str());
  info.pPrintProcessor = Mutable(L"WinPrint");
  info.pDatatype = Mutable(L"RAW");
  for (int attempt = 0; attempt < 2; ++attempt) {
    HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE *>(&info));
    if (h != nullptr) {
      ClosePrinter(h);
      created_ = true;
      return "";
    }
    // Left over from a run of a process with the same id.
    if (GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) break;
    Delete(name_);
  }
  return "AddPrinterW failed with error " + std::to_string(GetLastError());
}

DWORD SpoolerPrinter::Set(const wchar_t *valueName, DWORD type, const std::vector<BYTE> &data) {
  HANDLE h = OpenFull(name_);
  if (h == nullptr) return GetLastError();
  DWORD rc =
      SetPrinterDataW(h, Mutable(valueName), type, const_cast<BYTE *>(data.data()), DWORD(data.size()));
  ClosePrinter(h);
  return rc;
}

DWORD SpoolerPrinter::SetDword(const wchar_t *valueName, DWORD value) {
  std::vector<BYTE> data(4);
  for (int i = 0; i < 4; ++i) data[i] = BYTE(value >> (8 * i));
  return Set(valueName, REG_DWORD, data);
}

} // namespace m4k7::test

#endif
