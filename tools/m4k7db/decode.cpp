#include "decode.h"

#include <algorithm>
#include <cstring>
#include <ostream>

#include "computed/compute.h"
#include "describe.h"
#include "engine/engine.h"
#include "engine/image.h"
#include "request.h"
#include "text.h"

namespace m4k7cli {

namespace {

constexpr uint8_t kEsc = 0x1B;

std::string pad(int indent) { return std::string(size_t(std::max(indent, 0)), ' '); }

// A value with its hex pattern where decimal hides it (flag words, 0x8000000x
// status numbers).
std::string valueText(int32_t v) {
  std::string text = std::to_string(v);
  if (v < -32768 || v > 65535) text += " (" + Hex32(uint32_t(v)) + ")";
  return text;
}

std::string commandName(const EscPiece &p) {
  auto printable = [](uint8_t b) {
    return b >= 0x21 && b < 0x7F ? std::string(1, char(b)) : "\\x" + HexBytes(&b, 1);
  };
  switch (p.type) {
  case EscPiece::Type::Command: return "ESC ( " + printable(p.letter);
  case EscPiece::Type::ControlBlock: return "ESC [ K";
  case EscPiece::Type::Reset: return "ESC @";
  case EscPiece::Type::Escape: return "ESC " + printable(p.letter);
  case EscPiece::Type::Truncated: return "ESC (cut short)";
  case EscPiece::Type::Text: return "text";
  }
  return "";
}

std::vector<std::string> splitLines(const uint8_t *bytes, size_t count, bool *openLine) {
  std::vector<std::string> lines;
  std::string_view rest(reinterpret_cast<const char *>(bytes), count);
  for (size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1))
    lines.emplace_back(rest.substr(0, end));
  *openLine = !rest.empty();
  if (*openLine) lines.emplace_back(rest);
  return lines;
}

uint16_t le16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }

void hexDump(std::ostream &out, const std::vector<uint8_t> &bytes, int indent) {
  for (size_t row = 0; row < bytes.size(); row += 16) {
    size_t n = std::min<size_t>(16, bytes.size() - row);
    char offset[24];
    std::snprintf(offset, sizeof offset, "%04zx", row);
    std::string hex = HexBytes(bytes.data() + row, n);
    hex.resize(47, ' ');
    std::string ascii;
    for (size_t i = 0; i < n; ++i) {
      uint8_t b = bytes[row + i];
      ascii += b >= 0x20 && b < 0x7F ? char(b) : '.';
    }
    out << pad(indent) << offset << "  " << hex << "  |" << ascii << "|\n";
  }
}

void writeValues(std::ostream &out, const std::vector<int32_t> &values, int indent) {
  if (values.size() <= 12) {
    out << pad(indent) << "values:";
    for (int32_t v : values) out << ' ' << valueText(v);
    out << '\n';
    return;
  }
  for (size_t row = 0; row < values.size(); row += 10) {
    std::string index = "[" + std::to_string(row) + "]";
    index.resize(6, ' ');
    out << pad(indent) << index;
    for (size_t i = row; i < std::min(values.size(), row + 10); ++i) out << ' ' << valueText(values[i]);
    out << '\n';
  }
}

// Right-aligned columns, the last left-aligned when it holds notes.
void writeTable(std::ostream &out, const std::vector<std::vector<std::string>> &rows, int indent,
                bool lastIsNote = false) {
  std::vector<TextColumn> columns(rows[0].size(), TextColumn{0, SIZE_MAX, true, 2});
  if (lastIsNote && columns.size() > 1) columns.back().right = false;
  WriteColumns(out, rows, columns, size_t(indent));
}

bool allZero(const std::vector<uint8_t> &bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

const char *const kSection3Notes[7] = {
    "", "", "", "by I[8]", "paper width (0.01 mm)", "paper length (0.01 mm)", "I[4]",
};

void writeZeroOrHex(std::ostream &out, const char *title, const std::vector<uint8_t> &bytes, int indent) {
  out << pad(indent) << title;
  if (allZero(bytes)) {
    out << ": " << bytes.size() << " zero bytes\n";
  } else {
    out << ":\n";
    hexDump(out, bytes, indent + 2);
  }
}

// "type" in the JSON form, by EscPiece::Type.
const char *const kPieceTypes[] = {"command", "controlBlock", "reset", "escape", "text", "truncated"};

// Unsigned fields of a record, by the record's own layout.
template <class T, size_t N> std::vector<T> fields(const T (&values)[N]) {
  return std::vector<T>(values, values + N);
}

void printMode(const PrintModeView &v, int indent, std::ostream &out, Json *o) {
  out << pad(indent) << "print-mode record, 192 bytes\n";
  out << pad(indent) << "section 1 (bytes 0-47):\n";
  std::vector<std::vector<std::string>> rows = {{"byte", "value", ""}};
  for (size_t i = 0; i < std::size(v.section1); ++i)
    rows.push_back({std::to_string(i * 2), std::to_string(v.section1[i]), m4k7::kSection1Fields[i].what});
  rows.push_back({std::to_string(m4k7::kTableFileAt), QuoteBytes(v.tableFile), "table file name"});
  writeTable(out, rows, indent + 2, true);
  writeZeroOrHex(out, "section 2 (bytes 48-87)", v.section2, indent);
  out << pad(indent) << "section 3 (bytes 88-123):\n";
  rows = {{"byte", "value", ""}};
  for (int i = 0; i < 4; ++i)
    rows.push_back({std::to_string(i * 2), std::to_string(v.section3Short[i]), kSection3Notes[i]});
  for (int i = 0; i < 3; ++i)
    rows.push_back({std::to_string(8 + i * 4), valueText(v.section3Long[i]), kSection3Notes[4 + i]});
  writeTable(out, rows, indent + 2, true);
  writeZeroOrHex(out, "  bytes 20-35", v.section3Rest, indent);
  writeZeroOrHex(out, "section 4 (bytes 124-171)", v.section4, indent);
  writeZeroOrHex(out, "bytes 172-191", v.tail, indent);

  auto section = [](const std::vector<uint8_t> &b) {
    Json j = Json::object();
    j.set("hex", HexBytes(b));
    j.set("allZero", allZero(b));
    return j;
  };
  Json s1 = Json::object(), s3 = Json::object();
  s1.set("fields", Json::arrayOf(fields(v.section1)));
  s1.set("tableFile", v.tableFile);
  s3.set("fields16", Json::arrayOf(fields(v.section3Short)));
  s3.set("fields32", Json::arrayOf(fields(v.section3Long)));
  s3.set("rest", HexBytes(v.section3Rest));
  o->set("kind", "printMode");
  o->set("section1", std::move(s1));
  o->set("section2", section(v.section2));
  o->set("section3", std::move(s3));
  o->set("section4", section(v.section4));
  o->set("tail", HexBytes(v.tail));
}

void itemList(const std::vector<uint8_t> &bytes, int indent, std::ostream &out, Json *o) {
  const std::vector<ListItemView> items = ItemsOf(bytes);
  out << pad(indent) << "item list, " << items.size() << " item" << (items.size() == 1 ? "" : "s") << ":\n";
  std::vector<std::vector<std::string>> rows = {{"id", "attr1", "attr2", "attr3", "mark"}};
  Json list = Json::array();
  for (const ListItemView &i : items) {
    const int32_t values[] = {i.id, i.attr1, i.attr2, i.attr3, i.mark};
    Json item = Json::object();
    rows.emplace_back();
    for (size_t f = 0; f < 5; ++f) {
      rows.back().push_back(std::to_string(values[f]));
      item.set(rows[0][f], values[f]);
    }
    list.push(std::move(item));
  }
  writeTable(out, rows, indent + 2);
  if (bytes.size() % 20)
    out << pad(indent) << "(" << bytes.size() % 20 << " bytes after the last whole item)\n";
  o->set("kind", "itemList");
  o->set("items", std::move(list));
}

} // namespace

const char *NodeKindName(uint8_t kind) {
  const char *name = m4k7::imageview::NodeKindName(kind);
  return name ? name : "invalid kind";
}

KindInfo KindOfLeaf(uint32_t word0, uint32_t word1) {
  uint8_t kind = uint8_t(word0 >> 24);
  // A pool's leaf answers by the width of its values: bytes, 16-bit
  // characters or 32-bit integers.
  if (m4k7::poolOf(m4k7::NodeKind(kind)) != m4k7::LeafPool::None) {
    const uint32_t width = m4k7::valueWidthOf(m4k7::NodeKind(kind));
    return {width == 4   ? AnswerKind::Integers
            : width == 2 ? AnswerKind::Wide
                         : AnswerKind::Bytes,
            NodeKindName(kind)};
  }
  switch (m4k7::NodeKind(kind)) {
  case m4k7::NodeKind::NK_COMPUTED: {
    const uint16_t id = m4k7::countOf(word1);
    const char *name = m4k7::imageview::ComputedValueName(id);
    const std::string detail =
        "computed " + std::to_string(id) + (name ? std::string(" (") + name + ")" : "");
    switch (m4k7::ComputedValueId(id)) {
#define M4K7_COMPUTED_VALUE(value, number, shape, what)                                                      \
  case m4k7::ComputedValueId::value:                                                                         \
    return {AnswerKind::shape, detail};
#include "computed/computed_values.def"
#undef M4K7_COMPUTED_VALUE
    }
    return {AnswerKind::Unknown, detail};
  }
  default: return {AnswerKind::Unknown, NodeKindName(kind)};
  }
}

KindInfo KindOfKey(const DatabaseInfo &db, uint32_t key, const AccessRequest &engineRequest) {
  switch (db.db == m4k7::Database::Driver ? m4k7::ServiceOfDriverKey(uint16_t(key))
                                          : m4k7::DriverKeyService::Lookup) {
  case m4k7::DriverKeyService::ItemList: return {AnswerKind::ItemList, "item list"};
  case m4k7::DriverKeyService::GroupedList: return {AnswerKind::Commands, "grouped command fragments"};
  case m4k7::DriverKeyService::PrintMode: return {AnswerKind::PrintMode, "print-mode record"};
  case m4k7::DriverKeyService::Lookup: break;
  }
  m4k7::LeafDescriptor leaf{};
  AccessStatus s = m4k7::LookupKey(m4k7::CompiledImage(), key, &engineRequest, &leaf);
  if (s != M4K7DB_OK) return {AnswerKind::Unknown, "no leaf"};
  return KindOfLeaf(leaf.word0, leaf.word1);
}

std::vector<EscPiece> SplitCommands(const uint8_t *bytes, size_t count) {
  std::vector<EscPiece> pieces;
  auto add = [&](EscPiece::Type type, size_t start, size_t end) -> EscPiece & {
    EscPiece p;
    p.type = type;
    p.offset = start;
    p.bytes.assign(bytes + start, bytes + end);
    pieces.push_back(std::move(p));
    return pieces.back();
  };
  size_t i = 0;
  while (i < count) {
    if (bytes[i] != kEsc) {
      size_t end = i;
      while (end < count && bytes[end] != kEsc) ++end;
      EscPiece &p = add(EscPiece::Type::Text, i, end);
      p.lines = splitLines(bytes + i, end - i, &p.openLine);
      i = end;
      continue;
    }
    if (i + 1 >= count) {
      add(EscPiece::Type::Truncated, i, count);
      break;
    }
    uint8_t second = bytes[i + 1];
    if (second == '@') {
      add(EscPiece::Type::Reset, i, i + 2);
      i += 2;
    } else if (second == '(' || (second == '[' && i + 2 < count && bytes[i + 2] == 'K')) {
      // ESC ( x and ESC [ K: a 16-bit little-endian length, then that many bytes.
      if (i + 5 > count || i + 5 + le16(bytes + i + 3) > count) {
        add(EscPiece::Type::Truncated, i, count);
        break;
      }
      size_t length = le16(bytes + i + 3);
      size_t end = i + 5 + length;
      if (second == '(') {
        EscPiece &p = add(EscPiece::Type::Command, i, end);
        p.letter = bytes[i + 2];
        p.data.assign(bytes + i + 5, bytes + end);
      } else {
        // The control block's text runs to the next escape sequence.
        size_t textEnd = end;
        while (textEnd < count && bytes[textEnd] != kEsc) ++textEnd;
        EscPiece &p = add(EscPiece::Type::ControlBlock, i, textEnd);
        p.letter = 'K';
        p.data.assign(bytes + i + 5, bytes + end);
        p.lines = splitLines(bytes + end, textEnd - end, &p.openLine);
        end = textEnd;
      }
      i = end;
    } else {
      EscPiece &p = add(EscPiece::Type::Escape, i, i + 2);
      p.letter = second;
      i += 2;
    }
  }
  return pieces;
}

WideAnswer WideOf(const std::vector<uint8_t> &bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), bytes.data(), units.size() * 2);
  const bool terminated = !units.empty() && units.back() == 0;
  return {Utf16ToUtf8(std::u16string_view(units).substr(0, units.find(u'\0'))), units.size(), terminated};
}

std::vector<ListItemView> ItemsOf(const std::vector<uint8_t> &bytes) {
  std::vector<ListItemView> items(bytes.size() / 20);
  if (!items.empty()) std::memcpy(items.data(), bytes.data(), items.size() * 20);
  return items;
}

bool PrintModeOf(const std::vector<uint8_t> &bytes, PrintModeView *v) {
  if (bytes.size() != m4k7::kPrintModeRecordSize) return false;
  const uint8_t *p = bytes.data();
  std::memcpy(v->section1, p, sizeof v->section1);
  const char *name = reinterpret_cast<const char *>(p + m4k7::kTableFileAt);
  v->tableFile.assign(name, strnlen(name, 20));
  v->section2.assign(p + 48, p + 88);
  std::memcpy(v->section3Short, p + 88, sizeof v->section3Short);
  std::memcpy(v->section3Long, p + 96, sizeof v->section3Long);
  v->section3Rest.assign(p + 108, p + 124);
  v->section4.assign(p + 124, p + 172);
  v->tail.assign(p + 172, p + 192);
  return true;
}

Json DecodeCommands(const std::vector<uint8_t> &bytes, int indent, std::ostream &out) {
  auto writeLines = [&](const EscPiece &p) {
    for (size_t l = 0; l < p.lines.size(); ++l)
      out << pad(indent + 8) << QuoteBytes(p.lines[l])
          << (l + 1 == p.lines.size() && p.openLine ? " (no line feed)" : "") << '\n';
  };
  Json list = Json::array();
  for (const EscPiece &p : SplitCommands(bytes.data(), bytes.size())) {
    std::string at = "@" + std::to_string(p.offset);
    at.resize(std::max<size_t>(at.size() + 1, 6), ' ');
    const std::string name = commandName(p);
    const bool plain = IsPlainText(p.bytes.data(), p.bytes.size());
    Json j = Json::object();
    j.set("offset", p.offset);
    j.set("type", kPieceTypes[int(p.type)]);
    if (p.type == EscPiece::Type::Text || p.type == EscPiece::Type::Truncated)
      j.set("hex", HexBytes(p.bytes));
    else
      j.set("name", name);
    switch (p.type) {
    case EscPiece::Type::Command:
      j.set("length", p.data.size());
      j.set("data", HexBytes(p.data));
      out << pad(indent) << at << name << "  length " << p.data.size() << ":  " << HexBytes(p.data);
      if (IsPlainText(p.data.data(), p.data.size()) && !p.data.empty())
        out << "  " << QuoteBytes(std::string(p.data.begin(), p.data.end()));
      out << '\n';
      break;
    case EscPiece::Type::ControlBlock:
      j.set("params", HexBytes(p.data));
      j.set("lines", Json::arrayOf(p.lines));
      out << pad(indent) << at << name << "  params " << HexBytes(p.data) << '\n';
      writeLines(p);
      break;
    case EscPiece::Type::Reset:
    case EscPiece::Type::Escape: out << pad(indent) << at << name << '\n'; break;
    case EscPiece::Type::Text:
      if (plain) {
        j.set("lines", Json::arrayOf(p.lines));
        out << pad(indent) << at << "text, " << p.bytes.size() << " bytes:\n";
        writeLines(p);
        if (p.lines.empty()) out << pad(indent + 8) << "(empty)\n";
      } else {
        out << pad(indent) << at << "bytes  " << HexBytes(p.bytes) << '\n';
      }
      break;
    case EscPiece::Type::Truncated:
      out << pad(indent) << at << name << "  " << HexBytes(p.bytes) << '\n';
      break;
    }
    list.push(std::move(j));
  }
  return list;
}

void DecodeAnswer(const KindInfo &kind, const std::vector<uint8_t> &bytes, int indent, std::ostream &out,
                  Json *o) {
  o->set("detail", kind.detail);
  const std::vector<int32_t> ints = IntsOf(bytes);
  PrintModeView record;
  switch (kind.kind) {
  case AnswerKind::Integers:
    o->set("kind", "integers");
    o->set("values", Json::arrayOf(ints));
    out << pad(indent) << ints.size() << " integer" << (ints.size() == 1 ? "" : "s") << " (" << kind.detail
        << ")\n";
    writeValues(out, ints, indent + 2);
    if (bytes.size() % 4) out << pad(indent) << "(" << bytes.size() % 4 << " bytes after the last integer)\n";
    return;
  case AnswerKind::Wide: {
    const WideAnswer w = WideOf(bytes);
    o->set("kind", "wide");
    o->set("text", w.text);
    o->set("units", w.units);
    o->set("terminated", w.terminated);
    out << pad(indent) << "name (" << kind.detail << "), " << w.units << " UTF-16 units"
        << (w.terminated ? " with the terminating zero" : ", not zero-terminated") << ":\n";
    out << pad(indent + 2) << QuoteBytes(w.text) << '\n';
    return;
  }
  case AnswerKind::PrintableArea:
    if (ints.size() != 4 || bytes.size() != 16) break;
    o->set("kind", "printableArea");
    o->set("left", ints[0]);
    o->set("width", ints[1]);
    o->set("top", ints[2]);
    o->set("length", ints[3]);
    out << pad(indent) << "printable area (" << kind.detail << "), 0.01 mm:\n";
    out << pad(indent + 2) << "left " << ints[0] << "  width " << ints[1] << "  top " << ints[2]
        << "  length " << ints[3] << '\n';
    return;
  case AnswerKind::ItemList: itemList(bytes, indent, out, o); return;
  case AnswerKind::PrintMode:
    if (PrintModeOf(bytes, &record)) return printMode(record, indent, out, o);
    out << pad(indent) << "(not the 192 bytes of a print-mode record)\n";
    break;
  default: break;
  }
  // Bytes, commands and anything that did not decode.
  o->set("kind", kind.kind == AnswerKind::Commands ? "commands" : "bytes");
  o->set("hex", HexBytes(bytes));
  out << pad(indent) << bytes.size() << " byte" << (bytes.size() == 1 ? "" : "s") << " (" << kind.detail
      << "):\n";
  hexDump(out, bytes, indent + 2);
  if (!bytes.empty()) out << pad(indent) << "as commands:\n";
  o->set("commands", DecodeCommands(bytes, indent + 2, out));
}

} // namespace m4k7cli
