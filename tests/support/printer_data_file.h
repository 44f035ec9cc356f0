// A printer-data file of a test's own, named by M4K7DB_PRINTER_DATA for
// the test's lifetime: the POSIX build's store of printers and their values
// (the Windows build reads the spooler; see tests/windows).
#pragma once

#if !defined(_WIN32)

#include <string>

namespace m4k7::test {

class PrinterDataFile {
public:
  explicit PrinterDataFile(const std::string &text);
  ~PrinterDataFile(); // restores the variable as it was, removes the file
  PrinterDataFile(const PrinterDataFile &) = delete;
  PrinterDataFile &operator=(const PrinterDataFile &) = delete;
  void Write(const std::string &text) const;
  const std::string &path() const { return path_; }

private:
  std::string path_;
  std::string previous_;
  bool hadPrevious_ = false;
};

} // namespace m4k7::test

#endif
