// The corpus printer of Windows builds: a printer in the spooler whose
// value is set with SetPrinterDataW (REG_BINARY, so that short and long
// values are stored as given) and removed with DeletePrinterDataW.
#include "answers/corpus_printer.h"

#if defined(_WIN32)

#include <set>

#include "windows/spooler_printer.h"

namespace m4k7::corpus {
namespace {

std::wstring Wide(const std::string &ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class SpoolerCorpusPrinter final : public CorpusPrinter {
public:
  SpoolerCorpusPrinter() : printer_(L"corpus") {}
  std::string Create() { return printer_.Create(); }
  std::u16string Name() const override { return printer_.name16(); }
  std::string Store(const std::string &valueName, const std::optional<std::vector<uint8_t>> &bytes) override {
    for (const std::string &name : stored_) {
      const DWORD rc = printer_.Remove(Wide(name).c_str());
      if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        return "DeletePrinterDataW " + name + " failed with error " + std::to_string(rc);
    }
    stored_.clear();
    if (!bytes) return "";
    const std::vector<BYTE> data(bytes->begin(), bytes->end());
    const DWORD rc = printer_.Set(Wide(valueName).c_str(), REG_BINARY, data);
    if (rc != ERROR_SUCCESS)
      return "SetPrinterDataW " + valueName + " failed with error " + std::to_string(rc);
    stored_.insert(valueName);
    return "";
  }

private:
  test::SpoolerPrinter printer_;
  std::set<std::string> stored_;
};

} // namespace

std::unique_ptr<CorpusPrinter> MakeCorpusPrinter(std::string *error) {
  auto printer = std::make_unique<SpoolerCorpusPrinter>();
  *error = printer->Create();
  if (!error->empty()) return nullptr;
  return printer;
}

} // namespace m4k7::corpus

#endif
