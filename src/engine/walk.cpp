#include "engine/walk_internal.h"

namespace m4k7 {

namespace detail {

AccessStatus WalkIndex(const Walk &walk, uint32_t index, uint32_t depth) {
  const DbNode &node = walk.image.nodes[index];
  return WalkAt(walk, node.word0, node.word1, depth);
}

namespace {

// Sequences, guards, cases and defaults walk their list in order; the first
// child that answers anything but "not mine" decides, failures included.
AccessStatus WalkSequence(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  if (walk.image.nodes == nullptr) return kFailed;
  const uint32_t start = operandOf(word0);
  const uint32_t count = countOf(word1);
  if (count == 0) return kNotFound;
  for (uint32_t i = 0; i < count; ++i) {
    if (start + i >= walk.image.nodeCount) return kFailed;
    const AccessStatus status = WalkIndex(walk, start + i, depth + 1);
    if (status != kNotFound) return status;
  }
  return kNotFound;
}

} // namespace

AccessStatus WalkAt(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  if (depth >= kMaxWalkDepth || ++*walk.steps > kMaxWalkSteps) return kFailed;
  const NodeKind kind = kindOf(word0);
  if (isLeafKind(kind)) {
    // Several keys may share a start node; a leaf answers only its own key.
    if (fieldOf(word1) != walk.key) return kNotFound;
    walk.descriptor->word0 = word0;
    walk.descriptor->word1 = word1;
    return kOk;
  }
  switch (kind) {
  case NodeKind::NK_SEQUENCE:
  case NodeKind::NK_GUARD:
  case NodeKind::NK_CASE:
  case NodeKind::NK_DEFAULT: return WalkSequence(walk, word0, word1, depth);
  case NodeKind::NK_GUARDED_SEQUENCE: return WalkGuardedSequence(walk, word0, word1, depth);
  case NodeKind::NK_SELECT_PARAM:
  case NodeKind::NK_SELECT_PRINTER_DATA:
  case NodeKind::NK_SELECT_LOCALE:
  case NodeKind::NK_SELECT_MASKED: return WalkIntegerSelect(walk, word0, word1, depth);
  case NodeKind::NK_SELECT_STRING: return WalkStringSelect(walk, word0, word1, depth);
  default: return kFailed; // string cases, masks, range cases and unknown kinds only stand in lists
  }
}

} // namespace detail

AccessStatus WalkNode(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                      uint32_t word0, uint32_t word1, LeafDescriptor *descriptor) {
  if (descriptor == nullptr) return kFailed;
  uint32_t steps = 0;
  const detail::Walk walk{image, uint16_t(key), request, descriptor, &steps};
  return detail::WalkAt(walk, word0, word1, 0);
}

} // namespace m4k7
