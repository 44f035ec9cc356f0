// The database image: a table of decision nodes, a key index and four value
// pools, plus the tables of the driver list services. The engine only reads
// it; every reference may be absent (nullptr) and every operation that needs
// an absent table fails with -1. Counts are unsigned and every bound test
// against them is unsigned.
#pragma once

#include <cstdint>

namespace m4k7 {

// A decision node: two 32-bit words.
// Word 0: bits 31-24 kind, bits 23-0 operand (node index or pool offset).
// Word 1: bits 31-16 key or parameter index, bits 15-0 count;
//         a case, range or mask uses the whole word as its value.
struct DbNode {
  uint32_t word0;
  uint32_t word1;
};

enum class NodeKind : uint8_t {
#define M4K7_NODE_KIND(name, number, ...) name = number,
#include "engine/node_kinds.def"
#undef M4K7_NODE_KIND
};

constexpr NodeKind kindOf(uint32_t word0) { return NodeKind(word0 >> 24); }
constexpr uint32_t operandOf(uint32_t word0) { return word0 & 0xFFFFFFu; }
constexpr uint16_t countOf(uint32_t word1) { return uint16_t(word1 & 0xFFFFu); }
constexpr uint16_t fieldOf(uint32_t word1) { return uint16_t(word1 >> 16); }
constexpr NodeKind kindOf(DbNode n) { return kindOf(n.word0); }
constexpr uint32_t operandOf(DbNode n) { return operandOf(n.word0); }
constexpr uint16_t countOf(DbNode n) { return countOf(n.word1); }
constexpr uint16_t fieldOf(DbNode n) { return fieldOf(n.word1); }

constexpr uint32_t makeWord0(NodeKind kind, uint32_t operand) {
  return (uint32_t(kind) << 24) | (operand & 0xFFFFFFu);
}
constexpr uint32_t makeWord1(uint16_t field, uint16_t count) { return (uint32_t(field) << 16) | count; }

// The pool a leaf's values lie in.
enum class LeafPool : uint8_t { None, Byte, Short, Int };

// What a node's operand and count name.
enum class NodeOperand : uint8_t {
  None,        // nothing: a computed leaf's count is its id; a mask is read through its select
  Slice,       // a leaf's values: count elements of its pool from the operand
  Children,    // count nodes from the operand, walked in order
  Members,     // the same, where guards compare I[P]
  IntCases,    // count entries from the operand: cases, ranges and a default
  StringCases, // count entries from the operand: string cases and a default
  MaskedCases, // the mask node, whose operand starts count integer entries
  Target,      // the node a matching entry walks
  TargetText,  // the same, and word 1 names the string node it compares
};

// The selects whose entry lists take a kind.
enum class EntryOf : uint8_t { None, Int, String, Any };

// The columns of node_kinds.def as tables by kind number, so that one load
// answers each (the walk asks isLeafKind of every node it meets). An
// unknown kind is no leaf, lies in no pool and names nothing.
struct NodeKindColumns {
  bool leaf[256];
  LeafPool pool[256];
  uint8_t width[256];
  NodeOperand operand[256];
  EntryOf entry[256];
};
inline constexpr NodeKindColumns kNodeKindColumns = [] {
  NodeKindColumns c{};
#define M4K7_NODE_KIND(name, n, isLeaf, inPool, valueWidth, names, entryIn, what)                            \
  c.leaf[n] = isLeaf;                                                                                        \
  c.pool[n] = LeafPool::inPool;                                                                              \
  c.width[n] = valueWidth;                                                                                   \
  c.operand[n] = NodeOperand::names;                                                                         \
  c.entry[n] = EntryOf::entryIn;
#include "engine/node_kinds.def"
#undef M4K7_NODE_KIND
  return c;
}();

constexpr bool isLeafKind(NodeKind k) { return kNodeKindColumns.leaf[uint8_t(k)]; }
constexpr LeafPool poolOf(NodeKind k) { return kNodeKindColumns.pool[uint8_t(k)]; }
// Bytes of each value a leaf answers with (4 for every integer kind).
constexpr uint32_t valueWidthOf(NodeKind k) { return kNodeKindColumns.width[uint8_t(k)]; }
constexpr NodeOperand nodeOperandOf(NodeKind k) { return kNodeKindColumns.operand[uint8_t(k)]; }
constexpr EntryOf entryOf(NodeKind k) { return kNodeKindColumns.entry[uint8_t(k)]; }

// A select: its operand names a list of entries.
constexpr bool isSelectKind(NodeKind k) {
  const NodeOperand o = nodeOperandOf(k);
  return o == NodeOperand::IntCases || o == NodeOperand::StringCases || o == NodeOperand::MaskedCases;
}

// Whether a select whose operand names `list` takes an entry of kind `entry`.
constexpr bool takesEntry(NodeOperand list, NodeKind entry) {
  const EntryOf e = entryOf(entry);
  if (e == EntryOf::None) return false;
  return e == EntryOf::Any || (e == EntryOf::String) == (list == NodeOperand::StringCases);
}

// The tag an NK_SELECT_LOCALE node must carry.
inline constexpr uint16_t kLocaleSource = 0x500F;
// The key that names printer-data values.
inline constexpr uint16_t kValueNameKey = 8;

// Grouped lists of the driver keys 4120-4125: each key owns a contiguous run
// of entry nodes whose trees hold command fragments tagged 0x5008.
// Each struct's tables are those engine/image_tables.def lists for it.
struct GroupedListTable {
#define M4K7_GROUPED_LIST_TABLE(member, type, ...) const type *member;
#include "engine/image_tables.def"
  uint32_t groupCount;
  uint32_t entryCount;
};

// Full item lists of the driver settings: list id n is the setting I[n].
struct ItemListTable {
#define M4K7_ITEM_LIST_TABLE(member, type, ...) const type *member;
#include "engine/image_tables.def"
  uint32_t listCount;
  uint32_t itemPoolCount;
};

// One selection row of the print-mode record (20 bytes). The match values
// are compared, sign-extended, with I[4], I[9], I[5], I[8], I[6], I[81].
struct PrintModeRow {
  int16_t match[6];
  uint16_t section[4];
};
static_assert(sizeof(PrintModeRow) == 20);

inline constexpr uint32_t kSection1Size = 48;
inline constexpr uint32_t kSection2Size = 40;
inline constexpr uint32_t kSection3Size = 36;
inline constexpr uint32_t kSection4Size = 48;
inline constexpr uint32_t kPrintModeRecordSize = 192;

// Section table n holds sectionCounts[n-1] records of kSectionnSize bytes.
struct PrintModeTables {
#define M4K7_PRINT_MODE_TABLE(member, type, ...) const type *member;
#include "engine/image_tables.def"
  uint32_t modeRowCount;
  uint32_t sectionCounts[4]; // records per table: a row naming one beyond them fails the service (-1)
};

// The node table, the key index (keys and keyNodes side by side) and the
// pools, then the list services' tables.
struct ImageDescriptor {
#define M4K7_DESCRIPTOR_TABLE(member, type, ...) const type *member;
#include "engine/image_tables.def"
  GroupedListTable groups;
  ItemListTable items;
  PrintModeTables printModes;
  uint32_t nodeCount;
  uint32_t keyCount;
  uint32_t intCount;
  uint32_t shortCount;
  uint32_t byteSize;
  uint32_t stringSize;
  // Set by the image compiler after it has checked that `keys` ascends
  // with no key twice; lookups then bisect the index. An image without it
  // (every hand-made one) is scanned from the front and its first match
  // wins. Bisecting an index that is marked but not sorted may miss a key;
  // it never reads outside the index.
  bool keysSorted;
};

// The image compiled into the module.
const ImageDescriptor &CompiledImage();

} // namespace m4k7
