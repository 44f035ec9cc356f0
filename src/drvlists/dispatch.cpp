#include "drvlists/drvlists.h"

#include "drvlists/services.h"
#include "engine/engine.h"

namespace m4k7 {

AccessStatus DispatchDriverKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                               uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  const uint16_t k = uint16_t(key);
  switch (k) {
  // Lists whose ids the tree chooses by the current settings; 4118 and 4119
  // are the per-setting lists, whose mark key is strict.
  case 4108:
  case 4110:
  case 4112:
  case 4113:
  case 4114:
  case 4116:
  case 4118:
  case 4119:
  case 4173:
  case 4174:
  case 4177:
  case 4180:
  case 4186: return drvlists::ItemsFromLeaf(image, k, request, bufferSize, buffer, outSize);
  // Full lists, whatever the settings.
  case 4109: return drvlists::ItemsFromTable(image, k, 4, request, bufferSize, buffer, outSize);
  case 4111: return drvlists::ItemsFromTable(image, k, 5, request, bufferSize, buffer, outSize);
  case 4115: return drvlists::ItemsFromTable(image, k, 7, request, bufferSize, buffer, outSize);
  case 4120:
  case 4121:
  case 4122:
  case 4123:
  case 4124:
  case 4125: return AnswerGroupedList(image, k, request, bufferSize, buffer, outSize);
  case 4126: return AnswerPrintMode(image, k, request, bufferSize, buffer, outSize);
  default: break;
  }
  LeafDescriptor leaf{};
  const AccessStatus status = LookupKey(image, k, request, &leaf);
  if (status != kOk) return status;
  return FetchLeaf(image, request, bufferSize, buffer, outSize, leaf);
}

} // namespace m4k7
