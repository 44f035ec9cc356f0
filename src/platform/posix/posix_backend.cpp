// POSIX backend: printers and their stored values come from the
// printer-data file named by M4K7DB_PRINTER_DATA, read at every open:
//
//   [Printer Name]
//   ValueName = dword:N          N decimal or 0x hex, 32-bit
//   ValueName = hex:01,02,03     any number of bytes, possibly none
//
// Blank lines and lines starting with ';' or '#' are ignored. A printer
// opens exactly when the file has its section and nothing in that section
// is malformed (a bad line, a repeated value, a repeated section); the
// handle keeps the values as they were at the open.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/test_hooks.h"

namespace m4k7::platform {

namespace {

struct Printer {
  std::map<std::string, std::vector<uint8_t>> values;
};

// The spooler's failure codes, so that callers see the same numbers.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorMoreData = 234;

std::string Trim(const std::string &s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

// UTF-16 to UTF-8; false for an unpaired surrogate.
bool ToUtf8(const uint16_t *in, std::string *out) {
  for (size_t i = 0; in[i] != 0; ++i) {
    uint32_t c = in[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (in[i + 1] < 0xDC00 || in[i + 1] > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (in[++i] - 0xDC00u);
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    if (c < 0x80) {
      *out += char(c);
    } else if (c < 0x800) {
      *out += char(0xC0 | (c >> 6));
      *out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *out += char(0xE0 | (c >> 12));
      *out += char(0x80 | ((c >> 6) & 0x3F));
      *out += char(0x80 | (c & 0x3F));
    } else {
      *out += char(0xF0 | (c >> 18));
      *out += char(0x80 | ((c >> 12) & 0x3F));
      *out += char(0x80 | ((c >> 6) & 0x3F));
      *out += char(0x80 | (c & 0x3F));
    }
  }
  return true;
}

bool ParseNumber(const std::string &text, uint32_t *value) {
  size_t i = 0;
  uint64_t base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) base = 16, i = 2;
  if (i == text.size()) return false;
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    uint64_t d;
    if (c >= '0' && c <= '9')
      d = uint64_t(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = uint64_t(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = uint64_t(c - 'A' + 10);
    else
      return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFu) return false;
  }
  *value = uint32_t(v);
  return true;
}

bool ParseHex(const std::string &text, std::vector<uint8_t> *bytes) {
  if (Trim(text).empty()) return true;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    const std::string cell =
        Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    uint32_t v = 0;
    if (cell.empty() || cell.size() > 2 || !ParseNumber("0x" + cell, &v)) return false;
    bytes->push_back(uint8_t(v));
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// One value line; false when it is malformed.
bool ParseValue(const std::string &line, std::string *name, std::vector<uint8_t> *bytes) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  *name = Trim(line.substr(0, eq));
  const std::string rest = Trim(line.substr(eq + 1));
  if (name->empty()) return false;
  if (rest.rfind("dword:", 0) == 0) {
    uint32_t v = 0;
    if (!ParseNumber(Trim(rest.substr(6)), &v)) return false;
    for (int i = 0; i < 4; ++i) bytes->push_back(uint8_t(v >> (8 * i)));
    return true;
  }
  if (rest.rfind("hex:", 0) == 0) return ParseHex(rest.substr(4), bytes);
  return false;
}

bool LoadPrinter(const std::string &wanted, Printer *printer) {
  const char *path = std::getenv("M4K7DB_PRINTER_DATA");
  if (path == nullptr || *path == '\0') return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::string line;
  bool inWanted = false, found = false, broken = false;
  while (std::getline(file, line)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t.front() == '[' && t.back() == ']' && t.size() > 2) {
      inWanted = t.substr(1, t.size() - 2) == wanted;
      if (inWanted && found) broken = true; // two sections: either might be the one meant
      found = found || inWanted;
      continue;
    }
    if (!inWanted) continue;
    std::string name;
    std::vector<uint8_t> bytes;
    if (line.find('\0') != std::string::npos || !ParseValue(t, &name, &bytes) || printer->values.count(name))
      broken = true;
    else
      printer->values[name] = std::move(bytes);
  }
  return found && !broken;
}

} // namespace

PrinterHandle OpenPrinter(const uint16_t *name) {
  if (name == nullptr) return nullptr;
  std::string utf8;
  if (!ToUtf8(name, &utf8)) return nullptr;
  // A printer handle is not scratch memory: it is not counted by the heap hooks.
  auto *printer = new (std::nothrow) Printer;
  if (printer == nullptr) return nullptr;
  if (!LoadPrinter(utf8, printer)) {
    delete printer;
    return nullptr;
  }
  return printer;
}

void ClosePrinter(PrinterHandle printer) { delete static_cast<Printer *>(printer); }

uint32_t ReadPrinterData(PrinterHandle handle, const uint16_t *valueName, uint32_t *value) {
  if (handle == nullptr || valueName == nullptr || value == nullptr) return kErrorInvalidHandle;
  std::string name;
  if (!ToUtf8(valueName, &name)) return kErrorFileNotFound;
  const auto &values = static_cast<Printer *>(handle)->values;
  const auto it = values.find(name);
  if (it == values.end()) return kErrorFileNotFound;
  if (it->second.size() > 4) return kErrorMoreData;
  uint8_t raw[4];
  std::memcpy(raw, value, 4);
  for (size_t i = 0; i < it->second.size(); ++i) raw[i] = it->second[i];
  std::memcpy(value, raw, 4);
  return 0;
}

void *Allocate(size_t bytes) {
#if defined(M4K7DB_TEST_HOOKS)
  if (testing::detail::AllocationMustFail()) return nullptr;
#endif
  void *block = std::malloc(bytes ? bytes : 1);
#if defined(M4K7DB_TEST_HOOKS)
  if (block) testing::detail::NoteBlockAllocated();
#endif
  return block;
}

void Release(void *block) {
  if (block == nullptr) return;
#if defined(M4K7DB_TEST_HOOKS)
  testing::detail::NoteBlockReleased();
#endif
  std::free(block);
}

void GetLocalTime(LocalTime *now) {
#if defined(M4K7DB_TEST_HOOKS)
  if (testing::detail::ReadFixedClock(now)) return;
#endif
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  *now = {uint16_t(tm.tm_year + 1900), uint16_t(tm.tm_mon + 1), uint16_t(tm.tm_mday),
          uint16_t(tm.tm_hour),        uint16_t(tm.tm_min),     uint16_t(tm.tm_sec)};
}

namespace {

struct Territory {
  char code[3];
  uint16_t dialling;
};

// ISO 3166 territories and their international dialling codes.
constexpr Territory kTerritories[] = {
    {"AE", 971}, {"AR", 54},  {"AT", 43},  {"AU", 61},  {"BE", 32},  {"BG", 359}, {"BR", 55},  {"CA", 1},
    {"CH", 41},  {"CL", 56},  {"CN", 86},  {"CO", 57},  {"CZ", 420}, {"DE", 49},  {"DK", 45},  {"EE", 372},
    {"EG", 20},  {"ES", 34},  {"FI", 358}, {"FR", 33},  {"GB", 44},  {"GR", 30},  {"HK", 852}, {"HR", 385},
    {"HU", 36},  {"ID", 62},  {"IE", 353}, {"IL", 972}, {"IN", 91},  {"IS", 354}, {"IT", 39},  {"JP", 81},
    {"KR", 82},  {"LT", 370}, {"LU", 352}, {"LV", 371}, {"MX", 52},  {"MY", 60},  {"NL", 31},  {"NO", 47},
    {"NZ", 64},  {"PE", 51},  {"PH", 63},  {"PK", 92},  {"PL", 48},  {"PT", 351}, {"RO", 40},  {"RS", 381},
    {"RU", 7},   {"SA", 966}, {"SE", 46},  {"SG", 65},  {"SI", 386}, {"SK", 421}, {"TH", 66},  {"TR", 90},
    {"TW", 886}, {"UA", 380}, {"US", 1},   {"VE", 58},  {"VN", 84},  {"ZA", 27},
};

// The territory of a locale name such as "de_DE.UTF-8@euro".
bool TerritoryOf(const char *locale, char code[3]) {
  const char *underscore = std::strchr(locale, '_');
  if (underscore == nullptr || std::strlen(underscore) < 3) return false;
  code[0] = underscore[1], code[1] = underscore[2], code[2] = '\0';
  const char after = underscore[3];
  return after == '\0' || after == '.' || after == '@';
}

} // namespace

uint32_t LocaleCountryText(char *buffer, uint32_t size) {
  const char *locale = nullptr;
  for (const char *var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char *v = std::getenv(var);
    if (v != nullptr && *v != '\0') {
      locale = v;
      break;
    }
  }
  char code[3];
  if (locale == nullptr || !TerritoryOf(locale, code)) return 0;
  for (const Territory &t : kTerritories) {
    if (std::strcmp(t.code, code) != 0) continue;
    char text[8];
    const int length = std::snprintf(text, sizeof text, "%u", unsigned(t.dialling));
    const uint32_t needed = uint32_t(length) + 1;
    if (buffer == nullptr || size == 0) return needed;
    if (size < needed) return 0;
    std::memcpy(buffer, text, needed);
    return needed;
  }
  return 0;
}

} // namespace m4k7::platform
