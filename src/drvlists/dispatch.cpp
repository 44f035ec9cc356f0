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
  return AnswerKey(image, k, request, bufferSize, buffer, outSize);
}

} // namespace m4k7
