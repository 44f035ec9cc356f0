#include "drvlists/drvlists.h"

#include "drvlists/list_keys.h"
#include "drvlists/services.h"
#include "engine/engine.h"

namespace m4k7 {

AccessStatus DispatchDriverKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                               uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  const uint16_t k = uint16_t(key);
  if (const ItemListConfig *list = ItemListConfigOf(k)) {
    if (list->idsList == kIdsFromLeaf)
      return drvlists::ItemsFromLeaf(image, k, request, bufferSize, buffer, outSize);
    return drvlists::ItemsFromTable(image, k, list->idsList, request, bufferSize, buffer, outSize);
  }
  if (IsGroupedKey(k)) return AnswerGroupedList(image, k, request, bufferSize, buffer, outSize);
  if (k == kPrintModeKey) return AnswerPrintMode(image, k, request, bufferSize, buffer, outSize);
  LeafDescriptor leaf{};
  const AccessStatus status = LookupKey(image, k, request, &leaf);
  if (status != kOk) return status;
  return FetchLeaf(image, request, bufferSize, buffer, outSize, leaf);
}

} // namespace m4k7
