#include "computed/compute.h"

#include "computed/values.h"

namespace m4k7 {

AccessStatus ComputeValue(const ImageDescriptor &image, uint16_t id, const AccessRequest *request,
                          uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  using Id = ComputedValueId;
  switch (Id(id)) {
  case Id::CV_PAGE_FORMAT_COMMAND:
  case Id::CV_PAGE_LENGTH: return computed::PageFormat(id, request, bufferSize, buffer, outSize);
  case Id::CV_PRINTABLE_AREA_CAPPED:
  case Id::CV_PRINTABLE_AREA: return computed::PrintableAreaOf(id, request, bufferSize, buffer, outSize);
  case Id::CV_SET_TIME_BLOCK: return computed::SetTimeBlock(bufferSize, buffer, outSize);
  case Id::CV_OPTION_COMMAND: return computed::OptionCommand(request, bufferSize, buffer, outSize);
  case Id::CV_SILENT_MODE_BLOCK:
    return computed::SilentModeBlock(image, request, bufferSize, buffer, outSize);
  }
  return kNotFound;
}

} // namespace m4k7
