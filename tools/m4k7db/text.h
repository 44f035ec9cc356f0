// Text helpers of the tool: hex, UTF-8/UTF-16, quoting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "describe.h"

namespace m4k7cli {

// "1b 28 70" (lower case, one blank between bytes).
inline std::string HexBytes(const uint8_t *bytes, size_t count) {
  return m4k7::imageview::HexBytes(bytes, count, m4k7::imageview::HexCase::Lower);
}
inline std::string HexBytes(const std::vector<uint8_t> &bytes) {
  return HexBytes(bytes.data(), bytes.size());
}
// "0x100C": four hex digits at least, upper case.
inline std::string HexKey(uint32_t key) { return m4k7::imageview::HexNumber(key, 4); }
// "0x800000" for any 32-bit value.
inline std::string Hex32(uint32_t value) { return m4k7::imageview::HexNumber(value, 1); }
// "0x0B00094C": a node word, all eight digits.
inline std::string HexWord(uint32_t word) { return m4k7::imageview::Hex32(word); }

// The length of the valid UTF-8 sequence at s[i], with its code point in
// *cp; 0 for a byte that starts none (overlong forms and surrogates
// included).
size_t Utf8Sequence(std::string_view s, size_t i, uint32_t *cp);
// Decodes UTF-8; false for invalid input.
bool Utf8ToUtf16(std::string_view utf8, std::u16string *out);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The text in double quotes, with \n, \t, \\, \" and \xNN for other bytes
// below 0x20 or from 0x7F (bytes, not characters: for command texts).
std::string QuoteBytes(std::string_view bytes);

// One column of a text table: as wide as its widest cell, but at least
// `min` and at most `max` (a longer cell overflows); `gap` blanks after the
// column before it.
struct TextColumn {
  size_t min = 0;
  size_t max = SIZE_MAX;
  bool right = false;
  size_t gap = 2;
};
// The rows as columns, each line after `indent` blanks and without
// trailing blanks. A row may have fewer cells than there are columns.
void WriteColumns(std::ostream &out, const std::vector<std::vector<std::string>> &rows,
                  const std::vector<TextColumn> &columns, size_t indent = 0);

// True when every byte is printable ASCII, a line feed or a tab.
bool IsPlainText(const uint8_t *bytes, size_t count);

} // namespace m4k7cli
