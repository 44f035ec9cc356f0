#include "engine/walk.h"

namespace m4k7 {

namespace detail {

AccessStatus FindValueNameTree(const ImageDescriptor &image, uint32_t *index) {
  if (image.nodes == nullptr) return kFailed;
  return FindKeyStart(image, kValueNameKey, index);
}

} // namespace detail

AccessStatus LookupValueName(const ImageDescriptor &image, int32_t number, LeafDescriptor *name) {
  uint32_t nameTree = 0;
  AccessStatus status = detail::FindValueNameTree(image, &nameTree);
  if (status != kOk) return status;
  LeafDescriptor leaf{};
  const detail::Walk<NoObserver> asking{image, kValueNameKey, nullptr, nullptr, detail::kMaxWalkStepsLeft,
                                        {}};
  status = detail::WalkValueName(asking, nameTree, number, 0, &leaf);
  if (status != kOk) return status;
  if (kindOf(leaf.word0) != NodeKind::NK_WIDE) return kFailed;
  *name = leaf;
  return kOk;
}

AccessStatus ReadNamedPrinterValue(const ImageDescriptor &image, PrinterHandle printer, int32_t number,
                                   uint32_t *value) {
  uint32_t nameTree = 0;
  const AccessStatus status = detail::FindValueNameTree(image, &nameTree);
  if (status != kOk) return status;
  const detail::Walk<NoObserver> asking{image, kValueNameKey, nullptr, nullptr, detail::kMaxWalkStepsLeft,
                                        {}};
  return detail::ReadValueOfName(asking, printer, nameTree, number, 0, value);
}

} // namespace m4k7
