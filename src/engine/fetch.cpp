#include <cstring>

#include "computed/compute.h"
#include "engine/engine.h"

namespace m4k7 {

namespace {

// Bytes one element of a leaf kind takes in the caller's buffer.
uint32_t DeliveredWidth(NodeKind kind) {
  switch (kind) {
  case NodeKind::NK_BYTES: return 1;
  case NodeKind::NK_WIDE: return 2;
  default: return 4;
  }
}

} // namespace

AccessStatus FetchLeaf(const ImageDescriptor &image, const AccessRequest *request, uint32_t bufferSize,
                       void *buffer, uint32_t *outSize, const LeafDescriptor &descriptor) {
  const NodeKind kind = kindOf(descriptor.word0);
  const uint32_t offset = operandOf(descriptor.word0);
  const uint32_t n = countOf(descriptor.word1);

  uint32_t required = 0;
  if (kind == NodeKind::NK_COMPUTED) {
    const AccessStatus probe = ComputeValue(image, uint16_t(n), request, 0, nullptr, &required);
    if (probe == kNotFound)
      required = 0;
    else if (probe != kOk && probe != kBufferTooSmall)
      return probe;
  } else if (kind >= NodeKind::NK_BYTES && kind <= NodeKind::NK_WIDE) {
    required = n * DeliveredWidth(kind);
  } else {
    return kFailed;
  }

  if (buffer == nullptr || bufferSize < required) {
    *outSize = required;
    return kBufferTooSmall;
  }

  if (kind == NodeKind::NK_COMPUTED) {
    const AccessStatus status = ComputeValue(image, uint16_t(n), request, bufferSize, buffer, &required);
    if (status != kOk) return status;
    *outSize = required;
    return kOk;
  }

  auto *out = static_cast<uint8_t *>(buffer);
  switch (kind) {
  case NodeKind::NK_BYTES:
  case NodeKind::NK_INT8:
  case NodeKind::NK_UINT8:
  case NodeKind::NK_WIDE:
    if (image.bytePool == nullptr || offset + n > image.byteSize) return kFailed;
    break;
  case NodeKind::NK_INT32:
    if (image.intPool == nullptr || offset + n > image.intCount) return kFailed;
    break;
  default:
    if (image.shortPool == nullptr || offset + n > image.shortCount) return kFailed;
    break;
  }
  for (uint32_t i = 0; i < n; ++i) {
    int32_t v = 0;
    switch (kind) {
    case NodeKind::NK_BYTES: out[i] = image.bytePool[offset + i]; continue;
    case NodeKind::NK_WIDE: {
      const uint16_t c = image.bytePool[offset + i];
      std::memcpy(out + 2 * i, &c, 2);
      continue;
    }
    case NodeKind::NK_INT32: v = image.intPool[offset + i]; break;
    case NodeKind::NK_INT8: v = int8_t(image.bytePool[offset + i]); break;
    case NodeKind::NK_UINT8: v = image.bytePool[offset + i]; break;
    case NodeKind::NK_INT16: v = int16_t(image.shortPool[offset + i]); break;
    default: v = image.shortPool[offset + i]; break; // NK_UINT16
    }
    std::memcpy(out + 4 * i, &v, 4);
  }
  *outSize = required;
  return kOk;
}

} // namespace m4k7
