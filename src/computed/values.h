// The routines behind the computed-value ids, one per family; the
// dispatcher in compute.cpp routes to them.
#pragma once

#include <cstdint>

#include "computed/compute.h"

namespace m4k7::computed {

// Ids 1 and 4: the ESC ( p page-format command and the page length, from
// I[96], I[97] and I[52].
AccessStatus PageFormat(uint16_t id, const AccessRequest *request, uint32_t bufferSize, void *buffer,
                        uint32_t *outSize);

// Ids 2 and 3: the printable area of the paper in I[29]/I[30] (capped) or
// I[25]/I[26].
AccessStatus PrintableAreaOf(uint16_t id, const AccessRequest *request, uint32_t bufferSize, void *buffer,
                             uint32_t *outSize);

// Id 5: the control block that sets the printer's clock.
AccessStatus SetTimeBlock(uint32_t bufferSize, void *buffer, uint32_t *outSize);

// Id 6: the ESC ( $ option command from I[79] and I[80].
AccessStatus OptionCommand(const AccessRequest *request, uint32_t bufferSize, void *buffer,
                           uint32_t *outSize);

// Id 7: silent mode on or off by the window kept in the printer's data.
AccessStatus SilentModeBlock(const ImageDescriptor &image, const AccessRequest *request, uint32_t bufferSize,
                             void *buffer, uint32_t *outSize);

} // namespace m4k7::computed
