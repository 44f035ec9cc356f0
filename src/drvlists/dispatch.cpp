#include "drvlists/drvlists.h"

#include "engine/engine.h"

namespace m4k7 {

// Until the list services land, every driver key is answered by lookup and fetch.
AccessStatus DispatchDriverKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                               uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  LeafDescriptor leaf{};
  AccessStatus status = LookupKey(image, key, request, &leaf);
  if (status != kOk) return status;
  return FetchLeaf(image, request, bufferSize, buffer, outSize, leaf);
}

} // namespace m4k7
