#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace m4k7::fuzz {

namespace {

// The file outlives no fuzzing run.
std::string g_written;
void RemoveWritten() {
  if (!g_written.empty()) std::remove(g_written.c_str());
}

} // namespace

std::string WritePrinterDataFile(const char *stem, const std::string &text) {
  const char *dir = std::getenv("TMPDIR");
  std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + stem + "_" +
                     std::to_string(::getpid()) + ".txt";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), std::streamsize(text.size()));
  out.close();
  if (!out) Fail(__FILE__, __LINE__, "cannot write the printer-data file");
  ::setenv("M4K7DB_PRINTER_DATA", path.c_str(), 1);
  if (g_written.empty()) std::atexit(RemoveWritten);
  g_written = path;
  return path;
}

} // namespace m4k7::fuzz
