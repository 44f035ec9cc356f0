#include "drvlists/drvlists.h"

#include "drvlists/list_keys.h"
#include "drvlists/services.h"
#include "engine/engine.h"

namespace m4k7 {

AccessStatus DispatchDriverKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                               uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  const uint16_t k = uint16_t(key);
  switch (ServiceOfDriverKey(k)) {
  case DriverKeyService::ItemList: {
    const ItemListConfig &list = *ItemListConfigOf(k);
    if (list.idsList == kIdsFromLeaf)
      return drvlists::ItemsFromLeaf(image, k, request, bufferSize, buffer, outSize);
    return drvlists::ItemsFromTable(image, k, list.idsList, request, bufferSize, buffer, outSize);
  }
  case DriverKeyService::GroupedList:
    return AnswerGroupedList(image, k, request, bufferSize, buffer, outSize);
  case DriverKeyService::PrintMode: return AnswerPrintMode(image, k, request, bufferSize, buffer, outSize);
  case DriverKeyService::Lookup: break;
  }
  return AnswerKey(image, k, request, bufferSize, buffer, outSize);
}

} // namespace m4k7
