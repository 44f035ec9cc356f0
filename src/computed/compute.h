// Answers of NK_COMPUTED leaves: values built from the caller's settings,
// the clock and the printer's stored data.
#pragma once

#include <cstdint>

#include "engine/image.h"
#include "engine/status.h"

namespace m4k7 {

enum class ComputedValueId : uint16_t {
#define M4K7_COMPUTED_VALUE(name, id, shape, what) name = id,
#include "computed/computed_values.def"
#undef M4K7_COMPUTED_VALUE
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
