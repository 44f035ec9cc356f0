#include "engine/walk.h"

namespace m4k7 {

AccessStatus WalkNode(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                      uint32_t word0, uint32_t word1, LeafDescriptor *descriptor) {
  return WalkObserved(image, key, request, kNoNodeIndex, word0, word1, descriptor, NoObserver{});
}

} // namespace m4k7
