// The entries of a grouped list (keys 4120-4125), found and visited the way
// the service answers them. The module, `m4k7db explain` and `job`, and the
// image compiler's print-mode check all go through here, so that they see
// the same entries in the same order with the same failures.
#pragma once

#include <cstdint>

#include "drvlists/list_keys.h"
#include "engine/image.h"
#include "engine/status.h"
#include "engine/walk.h"

namespace m4k7 {

// The key's run of entries: the entry table index of the first and their
// count. 1 when the image has no grouped-list tables, no node table, or no
// list for the key.
AccessStatus FindGroupedList(const ImageDescriptor &image, uint16_t key, uint32_t *first, uint32_t *count);

// Calls visit(m, node) for entries m = 0..count-1 in order, with each
// entry's node index, and stops at the first status visit returns that is
// neither 0 nor 1. -1 for an entry past the entry table or naming a node
// past the node table; the entries before it have been visited.
template <class Visit>
AccessStatus ForEachGroupedEntry(const ImageDescriptor &image, uint32_t first, uint32_t count, Visit visit) {
  const GroupedListTable &g = image.groups;
  for (uint32_t m = 0; m < count; ++m) {
    if (uint64_t(first) + m >= g.entryCount) return kFailed;
    const uint32_t node = g.entryNodes[first + m];
    if (node >= image.nodeCount) return kFailed;
    const AccessStatus status = visit(m, node);
    if (status != kOk && status != kNotFound) return status;
  }
  return kOk;
}

// One entry's fragment for the request: the walk of the entry's node for
// the fragment key, as the service walks it, into *leaf (cleared first, so
// that a walk that reaches no fragment leaves it zero).
inline AccessStatus WalkGroupedEntry(const ImageDescriptor &image, uint32_t node,
                                     const AccessRequest *request, LeafDescriptor *leaf) {
  *leaf = LeafDescriptor{};
  const DbNode &entry = image.nodes[node];
  return WalkNode(image, kFragmentKey, request, entry.word0, entry.word1, leaf);
}

} // namespace m4k7
