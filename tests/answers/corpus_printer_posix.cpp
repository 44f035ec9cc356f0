// The corpus printer of POSIX builds: one section of a printer-data file
// that the test owns, rewritten before each request that needs a value.
#include "answers/corpus_printer.h"

#if !defined(_WIN32)

#include <cstdio>

#include "support/printer_data_file.h"

namespace m4k7::corpus {
namespace {

constexpr char kSection[] = "M4K7 Corpus";

class FilePrinter final : public CorpusPrinter {
public:
  FilePrinter() : file_(Text("", std::nullopt)) {}
  std::u16string Name() const override {
    std::string ascii = kSection;
    return std::u16string(ascii.begin(), ascii.end());
  }
  std::string Store(const std::string &valueName, const std::optional<std::vector<uint8_t>> &bytes) override {
    file_.Write(Text(valueName, bytes));
    return "";
  }

private:
  static std::string Text(const std::string &valueName, const std::optional<std::vector<uint8_t>> &bytes) {
    std::string text = std::string("[") + kSection + "]\n";
    if (bytes) {
      text += valueName + " = hex:";
      for (size_t i = 0; i < bytes->size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%s%02X", i == 0 ? "" : ",", unsigned((*bytes)[i]));
        text += hex;
      }
      text += "\n";
    }
    return text;
  }
  test::PrinterDataFile file_;
};

} // namespace

std::unique_ptr<CorpusPrinter> MakeCorpusPrinter(std::string *) { return std::make_unique<FilePrinter>(); }

} // namespace m4k7::corpus

#endif
