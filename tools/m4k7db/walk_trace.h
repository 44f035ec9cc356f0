// The walk, node by node: a re-walk of the image's tables that follows the
// engine's rules step for step and records what each node did (the value a
// selector compared and where it came from, the case that matched, the
// leaves skipped because they answer another key, the leaf reached and its
// pool slice). `m4k7db explain` prints it and checks that it ends where the
// engine's own lookup ends.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/image.h"
#include "json.h"

namespace m4k7cli {

inline constexpr uint32_t kNoNodeIndex = UINT32_MAX;

struct TraceNode {
  uint32_t index = kNoNodeIndex; // node table index, when known
  uint32_t word0 = 0, word1 = 0;
  std::string what;               // "NK_SELECT_PARAM on I[0], 87 cases from node 2380"
  std::vector<std::string> notes; // values compared, cases matched, failures
  std::vector<TraceNode> children;
  AccessStatus result = 0;
  bool answers = false;   // a leaf that carries the key
  bool otherKey = false;  // a leaf of another key, skipped
  bool notWalked = false; // a guard whose value did not match
};

// LookupKey, traced: the index entry, then the walk from its node. notes
// receives what the index search found.
AccessStatus TraceLookup(const m4k7::ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                         TraceNode *root, m4k7::LeafDescriptor *leaf, std::vector<std::string> *notes);

// WalkNode, traced, for a node whose index is known.
AccessStatus TraceWalk(const m4k7::ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                       uint32_t index, TraceNode *node, m4k7::LeafDescriptor *leaf);

// The pool slice a leaf names, as text ("ShortPool[12..13]: 14800 21000"),
// or why it cannot be read.
std::string LeafSliceText(const m4k7::ImageDescriptor &image, uint32_t word0, uint32_t word1);

// Full: every node walked. Brief: only the nodes on the way to the result,
// with a count of the siblings that gave no answer.
void WriteTrace(std::ostream &out, const TraceNode &node, int indent, bool brief);
Json TraceJson(const TraceNode &node);

} // namespace m4k7cli
