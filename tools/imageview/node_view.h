// What a node of the image is, described once for every view: `dump`
// prints it as a tree, `dot` as a graph and `explain` beside each step of
// the engine's walk. Nothing here walks; it only reads one node (and the
// mask, string or pool slice it names).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/image.h"

namespace m4k7::imageview {

struct NodeView {
  // "SELECT_PARAM on I[5], 14 cases @2380", "GUARD =11, 3 children @95",
  // "INT16 key 0x1003 (4099) x2 @shorts 12: [14800, 21000]".
  std::string text;
  // Lines that follow the text: the rows of a byte leaf longer than 32.
  std::vector<std::string> more;
  // What the node points to: children walked in order, or a select's cases.
  enum class List : uint8_t { None, Children, Cases } list = List::None;
  uint32_t first = 0; // the list's first node (behind the mask, for a masked select)
  uint32_t count = 0;
  bool leaf = false;
};

NodeView DescribeNode(const ImageDescriptor &image, DbNode node);

// A select's entry without its target: "CASE =5", "DEFAULT",
// "RANGE_CASE 1..9 (IntPool 3)", "STRING_CASE \"SSR\" (string node 12)".
// False for a node that is no entry (then the text names its kind and words).
bool DescribeEntry(const ImageDescriptor &image, DbNode entry, std::string *text);

// Where a pool leaf's values lie (any kind but NK_COMPUTED).
struct LeafSlice {
  const char *pool;    // "BytePool", "ShortPool" or "IntPool"
  const char *unit;    // "bytes", "shorts" or "ints": how a description names the pool
  uint64_t size;       // the pool's elements
  bool fits;           // the slice lies within the pool's size
  const uint8_t *data; // its stored bytes; nullptr unless it fits a present pool
  size_t bytes;        // how many there are
};
LeafSlice SliceOf(const ImageDescriptor &image, DbNode leaf);

// An integer leaf's values as the engine fetches them (widened to 32 bits),
// and how every view prints them: "[14800, 21000]".
std::vector<int32_t> LeafInts(const ImageDescriptor &image, DbNode leaf);
// A leaf's answer for the request as the engine fetches it (the size, then
// the bytes): 0 with *bytes, or the fetch's status with *bytes empty.
AccessStatus FetchLeafBytes(const ImageDescriptor &image, const AccessRequest *request, LeafDescriptor leaf,
                            std::vector<uint8_t> *bytes);
std::string IntList(const std::vector<int32_t> &values);

// Byte text with quotes and \xNN escapes.
std::string Escaped(const uint8_t *p, uint32_t n);

} // namespace m4k7::imageview
