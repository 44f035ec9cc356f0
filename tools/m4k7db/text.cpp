#include "text.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "platform/utf8.h"

namespace m4k7cli {

size_t Utf8Sequence(std::string_view s, size_t i, uint32_t *cp) {
  const uint8_t b = uint8_t(s[i]);
  const size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  *cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
  for (size_t k = 1; k < n; ++k) {
    if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return 0;
    *cp = (*cp << 6) | (uint8_t(s[i + k]) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  return *cp < kMin[n] || (*cp >= 0xD800 && *cp <= 0xDFFF) || *cp > 0x10FFFF ? 0 : n;
}

bool Utf8ToUtf16(std::string_view utf8, std::u16string *out) {
  out->clear();
  for (size_t i = 0, n = 0; i < utf8.size(); i += n) {
    uint32_t cp = 0;
    if ((n = Utf8Sequence(utf8, i, &cp)) == 0) return false;
    if (cp >= 0x10000) {
      out->push_back(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
      out->push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out->push_back(char16_t(cp));
    }
  }
  return true;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  const char16_t *end = utf16.data() + utf16.size();
  for (const char16_t *at = utf16.data(); at < end;) {
    uint32_t cp = 0xFFFD;
    const size_t units = m4k7::platform::DecodeUtf16(at, end, &cp);
    at += units ? units : 1; // an unpaired surrogate shows as U+FFFD
    char bytes[4];
    out.append(bytes, m4k7::platform::EncodeUtf8(units ? cp : 0xFFFD, bytes));
  }
  return out;
}

std::string QuoteBytes(std::string_view bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    const uint8_t b = uint8_t(c);
    if (const char *e = c == '\n'   ? "\\n"
                        : c == '\t' ? "\\t"
                        : c == '\\' ? "\\\\"
                        : c == '"'  ? "\\\""
                                    : nullptr)
      out += e;
    else if (b < 0x20 || b >= 0x7F)
      out += "\\x" + HexBytes(&b, 1);
    else
      out += c;
  }
  out += '"';
  return out;
}

void WriteColumns(std::ostream &out, const std::vector<std::vector<std::string>> &rows,
                  const std::vector<TextColumn> &columns, size_t indent) {
  std::vector<size_t> widths;
  for (const TextColumn &c : columns) widths.push_back(c.min);
  for (const auto &row : rows)
    for (size_t c = 0; c < row.size() && c < columns.size(); ++c)
      widths[c] = std::max(widths[c], std::min(row[c].size(), columns[c].max));
  for (const auto &row : rows) {
    std::string line(indent, ' ');
    for (size_t c = 0; c < row.size() && c < columns.size(); ++c) {
      if (c) line.append(columns[c].gap, ' ');
      const std::string fill(widths[c] - std::min(widths[c], row[c].size()), ' ');
      line += columns[c].right ? fill + row[c] : row[c] + fill;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
  }
}

bool IsPlainText(const uint8_t *bytes, size_t count) {
  return std::all_of(bytes, bytes + count,
                     [](uint8_t b) { return b == '\n' || b == '\t' || (b >= 0x20 && b < 0x7F); });
}

} // namespace m4k7cli
