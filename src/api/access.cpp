#include "api/access.h"

#include "engine/engine.h"
#include "platform/platform.h"

namespace m4k7 {

AccessStatus AnswerCareful(const ImageDescriptor &image, Database db, uint16_t key,
                           const AccessRequest *request, uint32_t bufferSize, void *buffer,
                           uint32_t *outSize) {
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
  const AccessStatus status = db == Database::Driver
                                  ? DispatchDriverKey(image, key, request, bufferSize, buffer, outSize)
                                  : AnswerKey(image, key, request, bufferSize, buffer, outSize);
  if (opensByName && copy.printerHandle != nullptr) platform::ClosePrinter(copy.printerHandle);
  return status;
}

} // namespace m4k7
