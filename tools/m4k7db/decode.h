// Answers decoded by kind: integers, UTF-16 names, command bytes split into
// their escape sequences, item lists and the print-mode record, as text and
// as JSON.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <string>
#include <vector>

#include "cli.h"
#include "drvlists/drvlists.h"
#include "json.h"

namespace m4k7cli {

enum class AnswerKind : uint8_t {
  Unknown,       // no leaf to tell: shown as bytes
  Bytes,         // NK_BYTES and byte-valued computed leaves
  Integers,      // NK_INT32, NK_INT8, NK_INT16, NK_UINT8, NK_UINT16
  Wide,          // NK_WIDE
  PrintableArea, // computed ids 2 and 3
  ItemList,      // the driver's list keys
  Commands,      // the grouped keys 4120-4125
  PrintMode,     // key 4126
};

struct KindInfo {
  AnswerKind kind = AnswerKind::Unknown;
  std::string detail; // "NK_INT8", "computed 1 (CV_PAGE_FORMAT_COMMAND)", "item list", ...
};

// The kind of a key's answer: list, grouped and print-mode keys by number,
// every other key by the leaf the engine's lookup reaches with the same
// request (on CompiledImage()).
KindInfo KindOfKey(const DatabaseInfo &db, uint32_t key, const AccessRequest &engineRequest);
// The kind a leaf's words name.
KindInfo KindOfLeaf(uint32_t word0, uint32_t word1);

const char *NodeKindName(uint8_t kind); // "NK_INT8"; "invalid kind" for a kind the format lacks

// One piece of a byte answer.
struct EscPiece {
  enum class Type : uint8_t {
    Command,      // ESC ( x, 16-bit little-endian length, data
    ControlBlock, // ESC [ K, 16-bit little-endian length, parameter bytes, then text lines
    Reset,        // ESC @
    Escape,       // ESC and one other byte
    Text,         // bytes outside any escape sequence
    Truncated,    // an escape sequence cut short by the end of the answer
  };
  Type type = Type::Text;
  uint8_t letter = 0;             // Command: x; Escape: the byte after ESC
  size_t offset = 0;              // where the piece starts in the answer
  std::vector<uint8_t> bytes;     // the whole piece
  std::vector<uint8_t> data;      // Command: data bytes; ControlBlock: parameter bytes
  std::vector<std::string> lines; // ControlBlock and Text: lines without their line feed
  bool openLine = false;          // the last line has no line feed
};
std::vector<EscPiece> SplitCommands(const uint8_t *bytes, size_t count);

// The fixed records: an item of a list (the list services' own record) and
// the print-mode record.
using ListItemView = m4k7::ListItem;
std::vector<ListItemView> ItemsOf(const std::vector<uint8_t> &bytes); // whole 20-byte records only

struct PrintModeView {
  uint16_t section1[std::size(m4k7::kSection1Fields)];
  std::string tableFile; // bytes 28-47 up to the first zero
  std::vector<uint8_t> section2, section4;
  uint16_t section3Short[4];
  int32_t section3Long[3];
  std::vector<uint8_t> section3Rest; // bytes 20-35
  std::vector<uint8_t> tail;         // bytes 172-191
};
bool PrintModeOf(const std::vector<uint8_t> &bytes, PrintModeView *view); // false unless 192 bytes

// A UTF-16 name: its text up to the first zero, its length in units, and
// whether its last unit is the terminating zero.
struct WideAnswer {
  std::string text; // UTF-8
  size_t units = 0;
  bool terminated = false;
};
WideAnswer WideOf(const std::vector<uint8_t> &bytes);

// The answer decoded by its kind, as text on out (every line prefixed by
// indent blanks) and as members of the JSON object *o: "detail", "kind"
// and the decoded fields.
void DecodeAnswer(const KindInfo &kind, const std::vector<uint8_t> &bytes, int indent, std::ostream &out,
                  Json *o);
// Command bytes split into their pieces, as text on out and as the JSON list
// returned.
Json DecodeCommands(const std::vector<uint8_t> &bytes, int indent, std::ostream &out);

} // namespace m4k7cli
