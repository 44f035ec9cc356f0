#include "computed/compute.h"

namespace m4k7 {

// Placeholder until the computed values land: no id is known yet.
AccessStatus ComputeValue(const ImageDescriptor &image, uint16_t id, const AccessRequest *request,
                          uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  (void)image, (void)id, (void)request, (void)bufferSize, (void)buffer, (void)outSize;
  return kNotFound;
}

} // namespace m4k7
