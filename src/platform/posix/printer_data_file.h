// The printer-data file: where a POSIX build keeps the values that the
// spooler keeps for each printer on Windows. The file is named by the
// environment variable M4K7DB_PRINTER_DATA (read at every open; an empty
// value counts as unset).
//
//   ; comment            (also '#'; blank lines are ignored too)
//   [M4K7 Series]        starts the printer "M4K7 Series"
//   TpxUI_Mode = dword:2          a 32-bit value, decimal or 0x hex
//   TpxLM_Flags = hex:01,02,03    raw bytes, 1 or 2 hex digits each; "hex:"
//                                 alone is a value of no bytes
//
// Rules, line by line (lines end at '\n'; a '\r' before it is trimmed with
// the other surrounding blanks; a UTF-8 byte-order mark at the start of
// the file is skipped):
// - A section line is '[' name ']' after trimming; the name is everything
//   between the first '[' and the last ']', kept exactly (inner blanks
//   included) and compared byte for byte with the UTF-8 form of the name
//   the caller asks for. An empty name is malformed.
// - A value line is name '=' kind ':' payload; the name (trimmed, not
//   empty) runs up to the first '=', so it cannot hold one. The kinds are
//   "dword" and "hex", lower case. A dword is decimal digits or 0x/0X and
//   hex digits, at most 0xFFFFFFFF; a sign, a blank inside, or anything
//   after the number is malformed. There are no trailing comments.
// - Any other line, and any line holding a NUL byte, is malformed.
// - A malformed line before the first section belongs to no printer and is
//   ignored (it is still reported). A malformed line inside a section
//   keeps that printer from opening; other printers are not affected.
// - A section whose name was already used is a malformed duplicate: the
//   printer of that name does not open at all, since either copy might be
//   the one meant.
// - A value name repeated within a printer's sections is malformed for the
//   same reason: a silent override would hide an editing slip in data that
//   steers the printer.
// A printer opens exactly when its section exists and nothing above keeps
// it closed; the handle keeps a snapshot of its values from that moment.
// A missing or unreadable file, or one of 64 MiB or more, opens nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace m4k7::platform::printer_data {

enum class ValueKind { kDword, kHex };

// One line, classified without allocating (the open path and the tools
// share it).
enum class LineKind { kIgnored, kSection, kValue, kMalformed };
struct Line {
  LineKind kind = LineKind::kIgnored;
  std::string_view name; // section or value name
  ValueKind valueKind = ValueKind::kDword;
  uint32_t dword = 0;      // kDword: the number
  std::string_view hex;    // kHex: the payload after "hex:", trimmed
  size_t byteCount = 0;    // bytes the value holds (4 for a dword)
  const char *reason = ""; // kMalformed: why, in a few words
};
Line ClassifyLine(std::string_view line);

// Decodes a payload ClassifyLine accepted as hex: writes at most `room`
// bytes to `out` and returns how many the payload holds.
size_t DecodeHex(std::string_view payload, uint8_t *out, size_t room);

// Splits text into lines: calls visit(lineNumber, line) for each, numbered
// from 1, with the trailing '\n' removed and a leading byte-order mark
// dropped from line 1.
template <class Visit> void ForEachLine(std::string_view text, Visit &&visit) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  size_t number = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    visit(++number, line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

// The whole file, parsed for tools (the CLI's printer listing, the fuzzer).
struct Value {
  std::string name;
  ValueKind kind = ValueKind::kDword;
  std::vector<uint8_t> bytes; // a dword's 4 bytes little-endian
  size_t line = 0;
};
struct Printer {
  std::string name;
  std::vector<Value> values; // in file order, duplicates included
  size_t line = 0;           // of its first section line
  bool opens = true;         // false: a malformed line or duplicate keeps it shut
};
struct Malformed {
  size_t line = 0;
  std::string reason;
  int printer = -1; // index into printers, -1 before any section
};
struct File {
  std::vector<Printer> printers; // in order of first appearance
  std::vector<Malformed> malformed;
};
File ParseFile(std::string_view text);

} // namespace m4k7::platform::printer_data
