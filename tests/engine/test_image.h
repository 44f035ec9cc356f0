// Small images assembled in memory, so that engine and access tests can
// walk exactly the shapes and the corruptions they mean.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/image.h"
#include "m4k7db.h"

namespace m4k7::test {

// Node words, one helper per kind of entry.
constexpr DbNode Node(NodeKind kind, uint32_t operand, uint32_t word1) {
  return {makeWord0(kind, operand), word1};
}
constexpr DbNode Leaf(NodeKind kind, uint32_t offset, uint16_t key, uint16_t count) {
  return Node(kind, offset, makeWord1(key, count));
}
constexpr DbNode List(NodeKind kind, uint32_t first, uint16_t field, uint16_t count) {
  return Node(kind, first, makeWord1(field, count));
}
constexpr DbNode Case(uint32_t value, uint32_t target) { return Node(NodeKind::NK_CASE, target, value); }
constexpr DbNode Default(uint32_t target) { return Node(NodeKind::NK_DEFAULT, target, 0); }
constexpr DbNode Range(uint32_t boundPair, uint32_t target) {
  return Node(NodeKind::NK_RANGE_CASE, target, boundPair);
}
constexpr DbNode StringCase(uint32_t stringNode, uint32_t target) {
  return Node(NodeKind::NK_STRING_CASE, target, stringNode);
}
constexpr DbNode Mask(uint32_t mask, uint32_t firstCase) { return Node(NodeKind::NK_MASK, firstCase, mask); }

class TestImage {
public:
  std::vector<DbNode> nodes;
  std::vector<uint16_t> keys;
  std::vector<uint32_t> keyNodes;
  std::vector<int32_t> ints;
  std::vector<uint16_t> shorts;
  std::vector<uint8_t> bytes;
  std::string strings;

  // Appends one node and returns its index.
  uint32_t add(DbNode n) {
    nodes.push_back(n);
    return uint32_t(nodes.size() - 1);
  }
  // Appends consecutive nodes (a list) and returns the first index.
  uint32_t list(std::initializer_list<DbNode> entries) {
    const uint32_t first = uint32_t(nodes.size());
    nodes.insert(nodes.end(), entries);
    return first;
  }
  void key(uint16_t k, uint32_t node) {
    keys.push_back(k);
    keyNodes.push_back(node);
  }

  // Leaves over freshly appended pool slices.
  uint32_t bytesLeaf(uint16_t k, std::vector<uint8_t> values, NodeKind kind = NodeKind::NK_BYTES) {
    const uint32_t at = uint32_t(bytes.size());
    bytes.insert(bytes.end(), values.begin(), values.end());
    return add(Leaf(kind, at, k, uint16_t(values.size())));
  }
  uint32_t intsLeaf(uint16_t k, std::vector<int32_t> values) {
    const uint32_t at = uint32_t(ints.size());
    ints.insert(ints.end(), values.begin(), values.end());
    return add(Leaf(NodeKind::NK_INT32, at, k, uint16_t(values.size())));
  }
  uint32_t shortsLeaf(uint16_t k, std::vector<uint16_t> values, NodeKind kind) {
    const uint32_t at = uint32_t(shorts.size());
    shorts.insert(shorts.end(), values.begin(), values.end());
    return add(Leaf(kind, at, k, uint16_t(values.size())));
  }
  // An NK_WIDE leaf over the text and its terminating zero, as key 8 holds
  // printer-data value names.
  uint32_t nameLeaf(uint16_t k, std::string_view text) {
    std::vector<uint8_t> b(text.begin(), text.end());
    b.push_back(0);
    return bytesLeaf(k, b, NodeKind::NK_WIDE);
  }
  // A one-int answer, the usual target in selector tests.
  uint32_t answer(uint16_t k, int32_t value) { return intsLeaf(k, {value}); }
  // An NK_BYTES string node over StringPool, no terminator.
  uint32_t stringNode(std::string_view text) {
    const uint32_t at = uint32_t(strings.size());
    strings.append(text);
    return add(Leaf(NodeKind::NK_BYTES, at, 0, uint16_t(text.size())));
  }
  // A bound pair in IntPool; returns j.
  uint32_t bounds(int32_t low, int32_t high) {
    ints.push_back(low);
    ints.push_back(high);
    return uint32_t(ints.size() - 2);
  }

  // The descriptor over the tables as they stand; every table is present
  // (even when empty) so that tests can remove exactly one.
  ImageDescriptor view() const {
    ImageDescriptor d{};
    d.nodes = nodes.empty() ? &kSentinelNode : nodes.data();
    d.keys = keys.empty() ? &kSentinelKey : keys.data();
    d.keyNodes = keyNodes.empty() ? &kSentinelIndex : keyNodes.data();
    d.intPool = ints.empty() ? &kSentinelInt : ints.data();
    d.shortPool = shorts.empty() ? &kSentinelKey : shorts.data();
    d.bytePool = bytes.empty() ? &kSentinelByte : bytes.data();
    d.stringPool = strings.c_str();
    d.nodeCount = uint32_t(nodes.size());
    d.keyCount = uint32_t(keys.size());
    d.intCount = uint32_t(ints.size());
    d.shortCount = uint32_t(shorts.size());
    d.byteSize = uint32_t(bytes.size());
    d.stringSize = uint32_t(strings.size());
    return d;
  }

private:
  static constexpr DbNode kSentinelNode{0, 0};
  static constexpr uint16_t kSentinelKey = 0;
  static constexpr uint32_t kSentinelIndex = 0;
  static constexpr int32_t kSentinelInt = 0;
  static constexpr uint8_t kSentinelByte = 0;
};

// A request over caller-owned arrays, for tests that need exact pointers
// (absent arrays with nonzero counts and the like).
inline AccessRequest RequestOf(const int32_t *ints, uint32_t intCount, const char *const *strings = nullptr,
                               uint32_t stringCount = 0, PrinterHandle printer = nullptr) {
  AccessRequest r{};
  r.printerHandle = printer;
  r.intParams = ints;
  r.intParamCount = intCount;
  r.stringParams = strings;
  r.stringParamCount = stringCount;
  return r;
}

} // namespace m4k7::test
