#include "engine/walk.h"

namespace m4k7 {

namespace detail {

AccessStatus FindValueNameTree(const ImageDescriptor &image, uint32_t *index) {
  if (image.nodes == nullptr) return kFailed;
  return FindKeyStart(image, kValueNameKey, index);
}

// Key 8's tree and a fresh walk over it, asked without a printer: where
// both reads below start.
template <class Read> AccessStatus FromValueNames(const ImageDescriptor &image, Read &&read) {
  uint32_t nameTree = 0;
  const AccessStatus status = FindValueNameTree(image, &nameTree);
  if (status != kOk) return status;
  const Walk<NoObserver> asking{image, kValueNameKey, nullptr, nullptr, kMaxWalkStepsLeft, {}};
  return read(asking, nameTree);
}

} // namespace detail

AccessStatus LookupValueName(const ImageDescriptor &image, int32_t number, LeafDescriptor *name) {
  return detail::FromValueNames(image, [&](const auto &asking, uint32_t nameTree) {
    LeafDescriptor leaf{};
    const AccessStatus status = detail::WalkValueName(asking, nameTree, number, 0, &leaf);
    if (status != kOk) return status;
    if (kindOf(leaf.word0) != NodeKind::NK_WIDE) return kFailed;
    *name = leaf;
    return kOk;
  });
}

AccessStatus ReadNamedPrinterValue(const ImageDescriptor &image, PrinterHandle printer, int32_t number,
                                   uint32_t *value) {
  return detail::FromValueNames(image, [&](const auto &asking, uint32_t nameTree) {
    return detail::ReadValueOfName(asking, printer, nameTree, number, 0, value);
  });
}

} // namespace m4k7
