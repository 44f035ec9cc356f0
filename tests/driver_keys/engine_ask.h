// Asking the compiled image through the engine directly: for the keys the
// list services post-process and the internal keys that no access function
// accepts, and for the entries of the grouped lists.
#pragma once

#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/walk.h"
#include "support/ask.h"

namespace m4k7::test {

inline constexpr uint32_t kFragmentKey = 0x5008;

// A driver request of the standard shape with the given settings.
inline Request Driver(std::initializer_list<std::pair<uint32_t, int32_t>> settings) {
  Request r = Request::Standard(Database::Driver);
  r.withSettings(settings);
  return r;
}

struct Leaf {
  AccessStatus status = 0;
  LeafDescriptor leaf{};
  std::vector<uint8_t> bytes;
  NodeKind kind() const { return kindOf(leaf.word0); }
  uint16_t computedId() const { return countOf(leaf.word1); }
  std::vector<int32_t> ints() const {
    std::vector<int32_t> out(bytes.size() / 4);
    if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * 4);
    return out;
  }
};

// Size query and fetch of a leaf a walk found; computed leaves are left
// unfetched (their values belong to the computed-value tests).
inline void FetchInto(Leaf &out, Request &r) {
  if (out.status != 0 || out.kind() == NodeKind::NK_COMPUTED) return;
  uint32_t size = 0;
  AccessStatus s = FetchLeaf(CompiledImage(), &r.view(), 0, nullptr, &size, out.leaf);
  if (s != 2) {
    out.status = s;
    return;
  }
  out.bytes.assign(size, 0);
  out.status = FetchLeaf(CompiledImage(), &r.view(), size, out.bytes.data(), &size, out.leaf);
}

inline Leaf Lookup(uint32_t key, Request &r) {
  Leaf out;
  out.status = LookupKey(CompiledImage(), key, &r.view(), &out.leaf);
  FetchInto(out, r);
  return out;
}

inline Leaf Lookup(uint32_t key, Request &&r) { return Lookup(key, r); }

// The node of entry `entry` (from 0) of a grouped key, or nullptr.
inline const DbNode *EntryNode(uint16_t groupKey, uint32_t entry) {
  const ImageDescriptor &image = CompiledImage();
  const GroupedListTable &g = image.groups;
  for (uint32_t i = 0; i < g.groupCount; ++i) {
    if (g.groupKeys[i] != groupKey) continue;
    if (entry >= g.groupEntryCounts[i]) return nullptr;
    uint32_t node = g.entryNodes[uint32_t(g.groupEntryStarts[i]) + entry];
    return node < image.nodeCount ? &image.nodes[node] : nullptr;
  }
  return nullptr;
}

// Walks one grouped-list entry with the fragment key, as the grouped-list
// service does, and fetches what it found.
inline Leaf WalkEntry(uint16_t groupKey, uint32_t entry, Request &r) {
  Leaf out;
  const DbNode *node = EntryNode(groupKey, entry);
  if (!node) {
    ADD_FAILURE() << "grouped key " << groupKey << " has no entry " << entry;
    out.status = -1;
    return out;
  }
  out.status = WalkNode(CompiledImage(), kFragmentKey, &r.view(), node->word0, node->word1, &out.leaf);
  FetchInto(out, r);
  return out;
}

inline Leaf WalkEntry(uint16_t groupKey, uint32_t entry, Request &&r) {
  return WalkEntry(groupKey, entry, r);
}

inline std::vector<uint8_t> Be16(std::initializer_list<uint16_t> values) {
  std::vector<uint8_t> out;
  for (uint16_t v : values) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v & 0xFF));
  }
  return out;
}

inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto &p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

} // namespace m4k7::test
