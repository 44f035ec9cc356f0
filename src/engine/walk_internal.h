// The walk's recursion, shared by the node walk and the selectors. Depth
// counts the nodes entered on the way down from the walk's start, so that a
// corrupted image with a cycle fails instead of exhausting the stack.
#pragma once

#include "engine/engine.h"

namespace m4k7::detail {

// What every step of one walk shares: the key it looks for, the request
// the selectors read and the descriptor a matching leaf fills.
struct Walk {
  const ImageDescriptor &image;
  uint16_t key;
  const AccessRequest *request;
  LeafDescriptor *descriptor;
  uint32_t *steps; // nodes entered so far, shared with the walks nested in this one
};

// Walks the node whose words are given, `depth` nodes below the start.
AccessStatus WalkAt(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth);
// Walks node `index`, which the caller has checked against nodeCount.
AccessStatus WalkIndex(const Walk &walk, uint32_t index, uint32_t depth);

AccessStatus WalkGuardedSequence(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth);
AccessStatus WalkIntegerSelect(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth);
AccessStatus WalkStringSelect(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth);

} // namespace m4k7::detail
