#include "support/printer_data_file.h"

#if !defined(_WIN32)

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace m4k7::test {

PrinterDataFile::PrinterDataFile(const std::string &text) {
  static std::atomic<int> counter{0};
  const char *dir = std::getenv("TMPDIR");
  path_ = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/m4k7db_reliability_" +
          std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".txt";
  if (const char *old = std::getenv("M4K7DB_PRINTER_DATA")) {
    hadPrevious_ = true;
    previous_ = old;
  }
  Write(text);
  ::setenv("M4K7DB_PRINTER_DATA", path_.c_str(), 1);
}

PrinterDataFile::~PrinterDataFile() {
  if (hadPrevious_)
    ::setenv("M4K7DB_PRINTER_DATA", previous_.c_str(), 1);
  else
    ::unsetenv("M4K7DB_PRINTER_DATA");
  std::remove(path_.c_str());
}

void PrinterDataFile::Write(const std::string &text) const {
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out.write(text.data(), std::streamsize(text.size()));
}

} // namespace m4k7::test

#endif
