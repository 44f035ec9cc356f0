#include "api/access.h"

#include "drvlists/drvlists.h"
#include "engine/engine.h"
#include "platform/platform.h"

namespace m4k7 {

KeyRange RangeOf(Database db) {
  switch (db) {
  case Database::Root: return {0x0001, 0x0FFF};
  case Database::Driver: return {0x1001, 0x1FFF};
  case Database::LanguageMonitor: return {0x2001, 0x2FFF};
  case Database::Maintenance: return {0x3001, 0x3FFF};
  case Database::PA: return {0x4001, 0x4FFF};
  case Database::StatusMonitor: return {0x6001, 0x6FFF};
  }
  return {1, 0};
}

AccessStatus AccessDatabase(const ImageDescriptor &image, Database db, uint32_t key,
                            const AccessRequest *request, uint32_t bufferSize, void *buffer,
                            uint32_t *outSize) {
  if (request == nullptr) return kNoPrinter;
  const KeyRange range = RangeOf(db);
  const uint16_t k = uint16_t(key);
  if (k < range.first || k > range.last) return kNotFound;

  // The walk and the computations see the printer opened here; the caller's
  // request is never written.
  AccessRequest own = *request;
  const bool openByName = request->printerHandle == nullptr && request->printerName != nullptr;
  if (openByName) own.printerHandle = platform::OpenPrinter(request->printerName);

  AccessStatus status;
  if (db == Database::Driver) {
    status = DispatchDriverKey(image, key, &own, bufferSize, buffer, outSize);
  } else {
    LeafDescriptor leaf{};
    status = LookupKey(image, key, &own, &leaf);
    if (status == kOk) status = FetchLeaf(image, &own, bufferSize, buffer, outSize, leaf);
  }

  if (openByName && own.printerHandle != nullptr) platform::ClosePrinter(own.printerHandle);
  return status;
}

} // namespace m4k7
