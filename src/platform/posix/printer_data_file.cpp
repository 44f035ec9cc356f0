// The printer-data file's grammar; the rules are in printer_data_file.h.
#include "platform/posix/printer_data_file.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace m4k7::platform::printer_data {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Line MalformedLine(const char *reason) {
  Line l;
  l.kind = LineKind::kMalformed;
  l.reason = reason;
  return l;
}

// Decimal or 0x hex, 32 bits unsigned, nothing else.
bool ParseDword(std::string_view s, uint32_t *out) {
  unsigned base = 10;
  if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  uint64_t v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0 || unsigned(d) >= base) return false;
    v = v * base + unsigned(d);
    if (v > 0xFFFFFFFFu) return false;
  }
  *out = uint32_t(v);
  return true;
}

// Counts the bytes of a hex payload, or returns false when it is not a
// comma-separated list of 1- or 2-digit hex bytes.
bool CountHex(std::string_view s, size_t *count) {
  *count = 0;
  if (s.empty()) return true;
  for (;;) {
    size_t comma = s.find(',');
    std::string_view item = Trim(s.substr(0, comma));
    if (item.empty() || item.size() > 2) return false;
    for (char c : item)
      if (HexDigit(c) < 0) return false;
    ++*count;
    if (comma == std::string_view::npos) return true;
    s.remove_prefix(comma + 1);
  }
}

} // namespace

Line ClassifyLine(std::string_view raw) {
  if (raw.find('\0') != std::string_view::npos) return MalformedLine("NUL byte in line");
  std::string_view s = Trim(raw);
  if (s.empty() || s.front() == ';' || s.front() == '#') return Line{};

  if (s.front() == '[') {
    if (s.back() != ']' || s.size() < 2) return MalformedLine("section line without closing ']'");
    std::string_view name = s.substr(1, s.size() - 2);
    if (name.empty()) return MalformedLine("empty printer name");
    Line l;
    l.kind = LineKind::kSection;
    l.name = name;
    return l;
  }

  size_t eq = s.find('=');
  if (eq == std::string_view::npos) return MalformedLine("neither a section nor a value");
  std::string_view name = Trim(s.substr(0, eq));
  if (name.empty()) return MalformedLine("empty value name");
  std::string_view rhs = Trim(s.substr(eq + 1));
  Line l;
  l.kind = LineKind::kValue;
  l.name = name;
  if (rhs.substr(0, 6) == "dword:") {
    l.valueKind = ValueKind::kDword;
    if (!ParseDword(Trim(rhs.substr(6)), &l.dword))
      return MalformedLine("dword is not a 32-bit unsigned number");
    l.byteCount = 4;
    return l;
  }
  if (rhs.substr(0, 4) == "hex:") {
    l.valueKind = ValueKind::kHex;
    l.hex = Trim(rhs.substr(4));
    if (!CountHex(l.hex, &l.byteCount)) return MalformedLine("hex is not a list of bytes like 01,02");
    return l;
  }
  return MalformedLine("value is neither dword: nor hex:");
}

size_t DecodeHex(std::string_view s, uint8_t *out, size_t room) {
  size_t n = 0;
  if (s.empty()) return 0;
  for (;;) {
    size_t comma = s.find(',');
    std::string_view item = Trim(s.substr(0, comma));
    unsigned v = 0;
    for (char c : item) v = v * 16 + unsigned(std::max(HexDigit(c), 0));
    if (n < room) out[n] = uint8_t(v);
    ++n;
    if (comma == std::string_view::npos) return n;
    s.remove_prefix(comma + 1);
  }
}

File ParseFile(std::string_view text) {
  File file;
  int current = -1;
  std::unordered_map<std::string, int> index; // printer name -> printers[]
  std::vector<std::unordered_set<std::string>> valueNames;
  auto bad = [&](size_t number, std::string reason) {
    file.malformed.push_back(Malformed{number, std::move(reason), current});
    if (current >= 0) file.printers[size_t(current)].opens = false;
  };
  ForEachLine(text, [&](size_t number, std::string_view raw) {
    Line l = ClassifyLine(raw);
    switch (l.kind) {
    case LineKind::kIgnored: return;
    case LineKind::kMalformed: bad(number, l.reason); return;
    case LineKind::kSection: {
      auto [it, added] = index.try_emplace(std::string(l.name), int(file.printers.size()));
      current = it->second;
      if (!added) {
        bad(number, "duplicate section for this printer");
        return;
      }
      Printer p;
      p.name = it->first;
      p.line = number;
      file.printers.push_back(std::move(p));
      valueNames.emplace_back();
      return;
    }
    case LineKind::kValue: {
      if (current < 0) {
        bad(number, "value before any section");
        return;
      }
      Printer &p = file.printers[size_t(current)];
      bool repeated = !valueNames[size_t(current)].emplace(l.name).second;
      Value v;
      v.name = std::string(l.name);
      v.kind = l.valueKind;
      v.line = number;
      if (l.valueKind == ValueKind::kDword) {
        for (int i = 0; i < 4; ++i) v.bytes.push_back(uint8_t(l.dword >> (8 * i)));
      } else {
        v.bytes.resize(l.byteCount);
        DecodeHex(l.hex, v.bytes.data(), v.bytes.size());
      }
      p.values.push_back(std::move(v));
      if (repeated) bad(number, "value name repeated in this printer");
      return;
    }
    }
  });
  return file;
}

} // namespace m4k7::platform::printer_data
