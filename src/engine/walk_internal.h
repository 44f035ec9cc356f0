// The walk's recursion, shared by the node walk and the selectors. Depth
// counts the nodes entered on the way down from the walk's start.
#pragma once

#include "engine/engine.h"

namespace m4k7::detail {

struct Walk {
  const ImageDescriptor &image;
  uint16_t key;
  const AccessRequest *request;
  LeafDescriptor *descriptor;
};

AccessStatus WalkAt(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth);
AccessStatus WalkIndex(const Walk &walk, uint32_t index, uint32_t depth);

AccessStatus WalkGuardedSequence(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth);
AccessStatus WalkIntegerSelect(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth);
AccessStatus WalkStringSelect(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth);

} // namespace m4k7::detail
