// Bytes -> a printer-data file, parsed by the tools' parser and opened and
// read through the spooler's open path. The two must agree: a printer
// opens exactly when the parser says it does, and each value reads as the
// parser decoded it (up to 4 bytes) or as "more data" (longer); names that
// are not valid UTF-16 open and find nothing.
//
// Input layout: the printer name to open (a unit count and 16-bit units),
// up to 7 further value names to read, then the file's text.
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/platform.h"
#include "platform/posix/printer_data_file.h"

namespace m4k7::fuzz {
namespace {

namespace pd = platform::printer_data;

constexpr uint32_t kNotFound = 2, kMoreData = 234;

std::string g_path;

// UTF-8 of a UTF-16 string, or nothing for an unpaired surrogate.
std::optional<std::string> Utf8(const std::u16string &s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xDC00 && c <= 0xDFFF) return std::nullopt;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) return std::nullopt;
      c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | c >> 6);
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | c >> 12);
      out += char(0x80 | (c >> 6 & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | c >> 18);
      out += char(0x80 | (c >> 12 & 0x3F));
      out += char(0x80 | (c >> 6 & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// UTF-16 units read from the input, ended at the first zero unit.
std::u16string Units(Reader &in) {
  std::u16string s;
  for (size_t n = in.u8() % 24; n > 0; --n) {
    char16_t c = char16_t(in.u16());
    if (c == 0) break;
    s += c;
  }
  return s;
}

// Plain ASCII text as UTF-16, byte for byte (UTF-8 text that is not ASCII
// is widened wrongly on purpose: such a name must then find nothing).
std::u16string Widen(const std::string &s) {
  std::u16string w;
  for (char c : s) w += char16_t(uint8_t(c));
  return w;
}

void CheckRead(PrinterHandle handle, const std::u16string &name, const pd::Printer *printer) {
  uint32_t value = 0xA5A5A5A5;
  const uint32_t code =
      platform::ReadPrinterData(handle, reinterpret_cast<const uint16_t *>(name.c_str()), &value);
  const std::optional<std::string> utf8 = Utf8(name);
  const pd::Value *want = nullptr;
  if (utf8 && printer != nullptr)
    for (const pd::Value &v : printer->values)
      if (v.name == *utf8) want = &v;
  if (want == nullptr) {
    FUZZ_CHECK(code == kNotFound);
    FUZZ_CHECK(value == 0xA5A5A5A5);
  } else if (want->bytes.size() > 4) {
    FUZZ_CHECK(code == kMoreData);
    FUZZ_CHECK(value == 0xA5A5A5A5);
  } else {
    uint32_t expect = 0;
    for (size_t i = 0; i < want->bytes.size(); ++i) expect |= uint32_t(want->bytes[i]) << (8 * i);
    FUZZ_CHECK(code == 0);
    FUZZ_CHECK(value == expect);
  }
}

} // namespace
} // namespace m4k7::fuzz

using namespace m4k7;
using namespace m4k7::fuzz;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  g_path = WritePrinterDataFile("m4k7db_fuzz_printer_data", "");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Reader in(data, size);
  const std::u16string name = Units(in);
  std::vector<std::u16string> asked;
  for (size_t n = in.u8() % 8; n > 0; --n) asked.push_back(Units(in));
  const std::string text = in.rest();

  const pd::File file = pd::ParseFile(text);
  for (const pd::Malformed &m : file.malformed) {
    FUZZ_CHECK(m.line >= 1);
    FUZZ_CHECK(m.printer >= -1 && m.printer < int(file.printers.size()));
    FUZZ_CHECK(!m.reason.empty());
  }

  {
    std::ofstream out(g_path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
  }

  // The printer the input names, and each printer the parser found.
  std::vector<std::u16string> names{name};
  for (const pd::Printer &p : file.printers) names.push_back(Widen(p.name));
  for (const std::u16string &n : names) {
    const std::optional<std::string> utf8 = Utf8(n);
    const pd::Printer *printer = nullptr;
    if (utf8)
      for (const pd::Printer &p : file.printers)
        if (p.name == *utf8) printer = &p;
    PrinterHandle handle = platform::OpenPrinter(reinterpret_cast<const uint16_t *>(n.c_str()));
    FUZZ_CHECK((handle != nullptr) == (printer != nullptr && printer->opens));
    if (handle == nullptr) continue;
    for (const pd::Value &v : printer->values) CheckRead(handle, Widen(v.name), printer);
    for (const std::u16string &a : asked) CheckRead(handle, a, printer);
    platform::ClosePrinter(handle);
  }
  return 0;
}
