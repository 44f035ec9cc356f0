// Answers of NK_COMPUTED leaves: values built from the caller's settings,
// the clock and the printer's stored data.
#pragma once

#include <cstdint>

#include "engine/image.h"
#include "engine/status.h"

namespace m4k7 {

enum class ComputedValueId : uint16_t {
  CV_PAGE_FORMAT_COMMAND = 1,   // 13-byte ESC ( p from I[96], I[97], I[52]
  CV_PRINTABLE_AREA_CAPPED = 2, // PrintableArea from I[29], I[30], width capped at 8 inches
  CV_PRINTABLE_AREA = 3,        // PrintableArea from I[25], I[26]
  CV_PAGE_LENGTH = 4,           // 4-byte page length in 1/60 inch
  CV_SET_TIME_BLOCK = 5,        // 65-byte control block with the local time
  CV_OPTION_COMMAND = 6,        // 12-byte ESC ( $ from I[79], I[80]
  CV_SILENT_MODE_BLOCK = 7,     // 56-byte control block, on or off by the printer's window
};

// Left margin, printable width, top margin and printable length, 0.01 mm.
struct PrintableArea {
  int32_t left;
  int32_t width;
  int32_t top;
  int32_t length;
};
static_assert(sizeof(PrintableArea) == 16);

// Sets outSize before it looks at the buffer, so that a size probe (no
// buffer) answers 2 with the size. 1 for an unknown id, with nothing
// written. The image is the one the silent-mode block asks root key 8 of.
AccessStatus ComputeValue(const ImageDescriptor &image, uint16_t id, const AccessRequest *request,
                          uint32_t bufferSize, void *buffer, uint32_t *outSize);

} // namespace m4k7
