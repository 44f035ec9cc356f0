// The engine's walk, recorded: `m4k7db explain` runs the module's own walk
// with an observer that keeps every event as a tree of the nodes entered,
// with the value each selector compared and where it came from, the case
// that matched, the guards and leaves skipped, and why a node stopped.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/walk_observer.h"
#include "json.h"

namespace m4k7cli {

struct TraceNode {
  uint32_t index = m4k7::kNoNodeIndex; // node table index, when known
  uint32_t word0 = 0, word1 = 0;
  std::string what;               // the node as the image view describes it
  std::vector<std::string> notes; // values compared, cases matched, why it stopped
  std::vector<TraceNode> children;
  AccessStatus result = 0;
  bool answers = false;   // a leaf that carries the key
  bool otherKey = false;  // a leaf of another key, skipped
  bool notWalked = false; // a guard whose value did not match
  bool valueName = false; // the root of key 8's walk for a printer-data select
};

// LookupKey, recorded: the index entry found (in notes), then the walk from
// its node into *root. Returns the engine's status.
AccessStatus RecordLookup(const m4k7::ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                          TraceNode *root, m4k7::LeafDescriptor *leaf, std::vector<std::string> *notes);

// WalkNode, recorded, from node `index` (which must be in the node table).
AccessStatus RecordWalk(const m4k7::ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                        uint32_t index, TraceNode *root, m4k7::LeafDescriptor *leaf);

// Full: every node walked. Brief: only the nodes on the way to the result,
// with a count of the siblings that gave no answer.
void WriteTrace(std::ostream &out, const TraceNode &node, int indent, bool brief);
Json TraceJson(const TraceNode &node);

} // namespace m4k7cli
