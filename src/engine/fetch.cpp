#include <cstring>

#include "computed/compute.h"
#include "engine/engine.h"

namespace m4k7 {

namespace {

// Writes n pool elements widened to 32 bits (or 16 for characters) in host
// order; the caller's buffer need not be aligned.
template <class Out, class In> void Widen(const In *from, uint32_t n, void *buffer) {
  auto *to = static_cast<unsigned char *>(buffer);
  for (uint32_t i = 0; i < n; ++i) {
    const Out v = Out(from[i]);
    std::memcpy(to + size_t(i) * sizeof(Out), &v, sizeof(Out));
  }
}

bool SliceFits(const void *pool, uint32_t poolCount, uint32_t offset, uint32_t n) {
  return pool != nullptr && uint64_t(offset) + n <= poolCount;
}

} // namespace

// The computed leaves' fetch, apart from FetchLeaf so that the pool kinds,
// which a list service fetches once per item, make no call that needs
// registers saved.
AccessStatus FetchComputed(const ImageDescriptor &image, const AccessRequest *request, uint32_t bufferSize,
                           void *buffer, uint32_t *outSize, uint16_t id);
AccessStatus FetchComputed(const ImageDescriptor &image, const AccessRequest *request, uint32_t bufferSize,
                           void *buffer, uint32_t *outSize, uint16_t id) {
  uint32_t required = 0;
  // With a buffer the value is made once: every computed value reports its
  // size and answers 2 before it writes a byte.
  if (buffer != nullptr) {
    const AccessStatus status = ComputeValue(image, id, request, bufferSize, buffer, &required);
    if (status == kOk || status == kBufferTooSmall) *outSize = required;
    return status;
  }
  // Without one, the size: a value that is not known counts 0 bytes.
  const AccessStatus probe = ComputeValue(image, id, request, 0, nullptr, &required);
  if (probe == kNotFound)
    required = 0;
  else if (probe != kOk && probe != kBufferTooSmall)
    return probe;
  *outSize = required;
  return kBufferTooSmall;
}

AccessStatus FetchLeaf(const ImageDescriptor &image, const AccessRequest *request, uint32_t bufferSize,
                       void *buffer, uint32_t *outSize, LeafDescriptor descriptor) {
  const NodeKind kind = kindOf(descriptor.word0);
  const uint32_t offset = operandOf(descriptor.word0);
  const uint32_t n = countOf(descriptor.word1);

  uint32_t required = 0;
  switch (kind) {
  case NodeKind::NK_BYTES: required = n; break;
  case NodeKind::NK_INT32:
  case NodeKind::NK_INT8:
  case NodeKind::NK_INT16:
  case NodeKind::NK_UINT8:
  case NodeKind::NK_UINT16: required = 4 * n; break;
  case NodeKind::NK_WIDE: required = 2 * n; break;
  case NodeKind::NK_COMPUTED: return FetchComputed(image, request, bufferSize, buffer, outSize, uint16_t(n));
  default: return kFailed;
  }

  if (buffer == nullptr || bufferSize < required) {
    *outSize = required;
    return kBufferTooSmall;
  }

  switch (kind) {
  case NodeKind::NK_BYTES:
    if (!SliceFits(image.bytePool, image.byteSize, offset, n)) return kFailed;
    if (n != 0) std::memcpy(buffer, image.bytePool + offset, n);
    break;
  case NodeKind::NK_INT32:
    if (!SliceFits(image.intPool, image.intCount, offset, n)) return kFailed;
    Widen<int32_t>(image.intPool + offset, n, buffer);
    break;
  case NodeKind::NK_INT8:
    if (!SliceFits(image.bytePool, image.byteSize, offset, n)) return kFailed;
    Widen<int32_t>(reinterpret_cast<const int8_t *>(image.bytePool + offset), n, buffer);
    break;
  case NodeKind::NK_INT16:
    if (!SliceFits(image.shortPool, image.shortCount, offset, n)) return kFailed;
    Widen<int32_t>(reinterpret_cast<const int16_t *>(image.shortPool + offset), n, buffer);
    break;
  case NodeKind::NK_UINT8:
    if (!SliceFits(image.bytePool, image.byteSize, offset, n)) return kFailed;
    Widen<uint32_t>(image.bytePool + offset, n, buffer);
    break;
  case NodeKind::NK_UINT16:
    if (!SliceFits(image.shortPool, image.shortCount, offset, n)) return kFailed;
    Widen<uint32_t>(image.shortPool + offset, n, buffer);
    break;
  default: // NK_WIDE
    if (!SliceFits(image.bytePool, image.byteSize, offset, n)) return kFailed;
    Widen<uint16_t>(image.bytePool + offset, n, buffer);
    break;
  }
  *outSize = required;
  return kOk;
}

} // namespace m4k7
