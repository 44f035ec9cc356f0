// The corpus printer of Windows builds: two printers in the spooler, one
// whose value is set with SetPrinterDataW (REG_BINARY, so that short and
// long values are stored as given) and one that never holds a value, for
// requests whose value is missing (Wine's spooler has no
// DeletePrinterDataW to take a value away again).
#include "answers/corpus_printer.h"

#if defined(_WIN32)

#include "windows/spooler_printer.h"

namespace m4k7::corpus {
namespace {

std::wstring Wide(const std::string &ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class SpoolerCorpusPrinter final : public CorpusPrinter {
public:
  SpoolerCorpusPrinter() : holding_(L"corpus"), empty_(L"corpus empty") {}
  std::string Create() {
    std::string why = holding_.Create();
    return why.empty() ? empty_.Create() : why;
  }
  std::u16string Name() const override { return current_->name16(); }
  std::string Store(const std::string &valueName, const std::optional<std::vector<uint8_t>> &bytes) override {
    if (!bytes) {
      current_ = &empty_;
      return "";
    }
    current_ = &holding_;
    const std::vector<BYTE> data(bytes->begin(), bytes->end());
    const DWORD rc = holding_.Set(Wide(valueName).c_str(), REG_BINARY, data);
    if (rc != ERROR_SUCCESS)
      return "SetPrinterDataW " + valueName + " failed with error " + std::to_string(rc);
    return "";
  }

private:
  test::SpoolerPrinter holding_;
  test::SpoolerPrinter empty_;
  const test::SpoolerPrinter *current_ = &empty_;
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
