// The content side of the image compiler: content sources describe the
// database in the catalogue's own terms (keys, leaves, sequences, guards,
// selects, cases, ranges, defaults, string cases) and the compiler turns
// that into node words and pools. Content never writes node words.
//
//   auto a5 = b.ints(0x1003, {14800, 21000});
//   b.key(0x1003, "paper [width, height] of the paper size",
//         b.guarded(28, {b.guard(11, {a5, ...}), ...}));
//
// Integer leaves take their narrowest kind and identical answers are stored
// once: both are the compiler's job, not the content's.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "computed/compute.h"

namespace imagec {

using Key = uint16_t;
using m4k7::NodeKind;

// A node of the content graph. Refs are made bottom-up, so the graph a
// builder describes is acyclic; the same ref may stand in several places.
struct NodeRef {
  uint32_t id = UINT32_MAX;
  bool valid() const { return id != UINT32_MAX; }
};

// One entry of an integer, printer-data or locale select.
struct Case {
  enum class Type : uint8_t { Value, Range, Default };
  Type type;
  int32_t value; // Value: the case value; Range: the lower bound
  int32_t upper; // Range: the upper bound
  NodeRef target;
};
inline Case is(int32_t value, NodeRef target) { return {Case::Type::Value, value, 0, target}; }
inline Case range(int32_t lower, int32_t upper, NodeRef target) {
  return {Case::Type::Range, lower, upper, target};
}
inline Case otherwise(NodeRef target) { return {Case::Type::Default, 0, 0, target}; }

// One entry of a string select: an exact text, or the default.
struct StringCase {
  bool isDefault;
  std::string text;
  NodeRef target;
};
inline StringCase text(std::string_view s, NodeRef target) { return {false, std::string(s), target}; }
inline StringCase anyText(NodeRef target) { return {true, std::string(), target}; }

// One print-mode selection row with its four section records; the compiler
// stores each distinct section record once, numbered in first-use order.
struct PrintModeRowSource {
  std::array<int16_t, 6> match; // I[4], I[9], I[5], I[8], I[6], I[81]
  std::array<uint8_t, 48> section1;
  std::array<uint8_t, 40> section2;
  std::array<uint8_t, 36> section3;
  std::array<uint8_t, 48> section4;
};

// What one content node is; the compiler's view of the graph.
struct ContentNode {
  // The kind of node it becomes; NK_INT32 for every integer leaf, whose
  // narrowest kind the compiler picks.
  NodeKind kind = NodeKind::NK_SEQUENCE;
  bool raw = false;                // words given as they are: only for compiler tests of broken input
  Key key = 0;                     // leaves: the key the leaf answers
  uint16_t param = 0;              // guard value, parameter index, value number or locale source
  uint32_t mask = 0;               // NK_SELECT_MASKED
  uint16_t computedId = 0;         // NK_COMPUTED
  std::vector<int64_t> ints{};     // NK_INT32
  std::string bytes{};             // NK_WIDE (without its NUL) and NK_BYTES
  std::vector<NodeRef> children{}; // sequences and guards
  std::vector<Case> cases{};       // the selects but NK_SELECT_STRING
  std::vector<StringCase> stringCases{};
  uint32_t rawWord0 = 0, rawWord1 = 0; // raw
};

class ImageBuilder {
public:
  // Leaves. ints: an integer array, stored in the narrowest kind that holds
  // every value (a value outside the 32-bit range is an error). wide: a name,
  // delivered as a zero-terminated 16-bit string (the NUL is counted).
  // bytes: command bytes, no terminator. computed: answered by code.
  NodeRef ints(Key key, std::vector<int64_t> values);
  NodeRef wide(Key key, std::string_view name);
  NodeRef bytes(Key key, std::string_view data);
  // A string literal's bytes up to its own terminator, embedded NULs
  // included: "\x1B(b\x01\x00\x01" is six bytes, where a plain conversion
  // to string_view would stop at the first \x00.
  template <size_t N> NodeRef bytes(Key key, const char (&literal)[N]) {
    return bytes(key, std::string_view(literal, N - 1));
  }
  NodeRef computed(Key key, uint16_t computedValueId);
  NodeRef computed(Key key, m4k7::ComputedValueId id) { return computed(key, uint16_t(id)); }

  // Structure. A sequence walks its children in order; the first that
  // answers the key wins. guarded() walks its members in order, but a
  // guard(value, ...) member only when I[param] equals value.
  NodeRef sequence(std::vector<NodeRef> children);
  NodeRef guard(uint16_t value, std::vector<NodeRef> children);
  NodeRef guarded(uint16_t param, std::vector<NodeRef> members);

  // Selects: the first matching case's target is walked.
  NodeRef select(uint16_t param, std::vector<Case> cases);                      // on I[param]
  NodeRef selectMasked(uint16_t param, uint32_t mask, std::vector<Case> cases); // on I[param] & mask
  NodeRef selectString(uint16_t param, std::vector<StringCase> cases);          // on S[param]
  NodeRef selectPrinterData(uint16_t valueNumber, std::vector<Case> cases);     // on value named by key 8
  NodeRef selectLocale(std::vector<Case> cases);                                // on the country code

  // A node given as raw words, for tests that feed the compiler broken input.
  NodeRef raw(uint32_t word0, uint32_t word1);

  // The key index. Several keys may share one root; every root joins node 0.
  // The name says in a few words what the key answers ("paper [width,
  // height] of the paper size"); the tools show it, the module never sees
  // it. The image build refuses a key without one: the nameless form is for
  // the compiler's tests of small images.
  void key(Key key, std::string_view name, NodeRef root);
  void key(Key key, NodeRef root);
  // A name for a key that the module answers by code from its own tables
  // (grouped lists, item lists, the print-mode record): not in the index.
  // answer: what the caller receives ("item list").
  void nameCodeKey(Key key, std::string_view name, std::string_view answer);
  // A name for one value of integer slot I[slot] ("A4" for I[28] = 9), for
  // the tools to show beside the number.
  void nameValue(uint16_t slot, int32_t value, std::string_view name);
  // A node that joins node 0 without a key of its own (grouped-list entries).
  void hang(NodeRef node);
  // The key whose start node is node 0, the sequence of every root: a plain
  // lookup of it answers the first of its leaves that the request reaches.
  void keyOfAllRoots(Key key, std::string_view name = {}) {
    allRootsKey_ = key;
    hasAllRootsKey_ = true;
    if (!name.empty()) keyNames_[key] = std::string(name);
  }

  // The roots node 0 walks, in order, each once, with the label a message
  // about it starts with ("key 0x1001 (4097): ", "hung node 2: "). The
  // driver's and the internal keys' (0x1000-0x5FFF) come first, so that a
  // plain lookup of the all-roots key (0x5008) with a driver request meets
  // the paper-size tree's page-format fragment before the root database's
  // string select on S[0], which would answer a driver request (no string
  // parameters) with -2; then the hung nodes, then the other keys'. A key
  // given twice stands here with its first root.
  std::vector<std::pair<NodeRef, std::string>> rootOrder() const;

  // Driver list tables.
  void groupedList(Key key, std::vector<NodeRef> entries);
  void itemList(uint16_t listId, std::vector<std::pair<uint16_t, int32_t>> items);
  void printModeRow(const PrintModeRowSource &row);

  // The compiler's view.
  const std::vector<ContentNode> &nodes() const { return nodes_; }
  const ContentNode &node(NodeRef ref) const { return nodes_.at(ref.id); }
  const std::vector<std::pair<Key, NodeRef>> &keys() const { return keys_; }
  const std::vector<NodeRef> &hung() const { return hung_; }
  const std::map<Key, std::string> &keyNames() const { return keyNames_; }
  const std::map<Key, std::pair<std::string, std::string>> &codeKeyNames() const { return codeKeyNames_; }
  const std::map<std::pair<uint16_t, int32_t>, std::string> &valueNames() const { return valueNames_; }
  bool hasAllRootsKey() const { return hasAllRootsKey_; }
  Key allRootsKey() const { return allRootsKey_; }
  const std::vector<std::pair<Key, std::vector<NodeRef>>> &groupedLists() const { return groupedLists_; }
  const std::vector<std::pair<uint16_t, std::vector<std::pair<uint16_t, int32_t>>>> &itemLists() const {
    return itemLists_;
  }
  const std::vector<PrintModeRowSource> &printModeRows() const { return printModeRows_; }

private:
  NodeRef add(ContentNode node);

  std::vector<ContentNode> nodes_;
  std::vector<std::pair<Key, NodeRef>> keys_;
  std::vector<NodeRef> hung_;
  std::map<Key, std::string> keyNames_;
  std::map<Key, std::pair<std::string, std::string>> codeKeyNames_; // name, answer
  std::map<std::pair<uint16_t, int32_t>, std::string> valueNames_;
  Key allRootsKey_ = 0;
  bool hasAllRootsKey_ = false;
  std::vector<std::pair<Key, std::vector<NodeRef>>> groupedLists_;
  std::vector<std::pair<uint16_t, std::vector<std::pair<uint16_t, int32_t>>>> itemLists_;
  std::vector<PrintModeRowSource> printModeRows_;
};

} // namespace imagec
