#include "engine/engine.h"

namespace m4k7 {

// A linear scan: the index is small, and it must not rely on the keys being
// sorted, only on the first match winning.
AccessStatus FindKeyStart(const ImageDescriptor &image, uint32_t key, uint32_t *index) {
  if (image.keys == nullptr || image.keyNodes == nullptr || image.keyCount == 0) return kFailed;
  const uint16_t wanted = uint16_t(key);
  uint32_t i = 0;
  while (i < image.keyCount && image.keys[i] != wanted) ++i;
  if (i == image.keyCount) return kUnknownKey;
  const uint32_t start = image.keyNodes[i];
  if (image.nodes == nullptr || start >= image.nodeCount) return kFailed;
  *index = start;
  return kOk;
}

AccessStatus LookupKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                       LeafDescriptor *descriptor) {
  uint32_t start = 0;
  const AccessStatus status = FindKeyStart(image, key, &start);
  if (status != kOk) return status;
  const DbNode &node = image.nodes[start];
  return WalkNode(image, uint16_t(key), request, node.word0, node.word1, descriptor);
}

} // namespace m4k7
