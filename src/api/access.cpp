#include "api/access.h"

#include "drvlists/drvlists.h"
#include "engine/engine.h"
#include "platform/platform.h"

namespace m4k7 {

AccessStatus AccessDatabase(const ImageDescriptor &image, Database db, uint32_t key,
                            const AccessRequest *request, uint32_t bufferSize, void *buffer,
                            uint32_t *outSize) {
  if (request == nullptr) return kNoPrinter;
  const uint16_t k = uint16_t(key);
  const KeyRange range = RangeOf(db);
  if (k < range.first || k > range.last) return kNotFound;

  // A caller that forgets the size variable still gets its status rather
  // than a write through a null pointer.
  uint32_t unreported = 0;
  if (outSize == nullptr) outSize = &unreported;

  // The walk and the computed values read the handle from the request, so
  // a printer opened by name goes into a private copy; the caller's record
  // is never written.
  const bool opensByName = request->printerHandle == nullptr && request->printerName != nullptr;
  AccessRequest copy{};
  if (opensByName) {
    copy = *request;
    copy.printerHandle = platform::OpenPrinter(request->printerName);
    request = &copy;
  }

  AccessStatus status;
  if (db == Database::Driver) {
    status = DispatchDriverKey(image, k, request, bufferSize, buffer, outSize);
  } else {
    LeafDescriptor leaf{};
    status = LookupKey(image, k, request, &leaf);
    if (status == kOk) status = FetchLeaf(image, request, bufferSize, buffer, outSize, leaf);
  }

  if (opensByName && copy.printerHandle != nullptr) platform::ClosePrinter(copy.printerHandle);
  return status;
}

} // namespace m4k7
