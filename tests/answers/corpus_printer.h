// The one printer the answers corpus asks about, with exactly the stored
// value a request needs. The module opens it by name on every call, so the
// corpus lines name only the value, never where the platform keeps it: the
// printer-data file on POSIX, the spooler's printer data on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace m4k7::corpus {

class CorpusPrinter {
public:
  virtual ~CorpusPrinter() = default;
  // The name the module is given to open the printer.
  virtual std::u16string Name() const = 0;
  // Leaves the printer holding exactly one value under valueName (ASCII):
  // those bytes, or no value at all. Empty when done, else why not.
  virtual std::string Store(const std::string &valueName,
                            const std::optional<std::vector<uint8_t>> &bytes) = 0;
};

// The platform's printer, or nullptr with *error saying why.
std::unique_ptr<CorpusPrinter> MakeCorpusPrinter(std::string *error);

} // namespace m4k7::corpus
