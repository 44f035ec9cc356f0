// The six databases and the access step they share, over any image.
#pragma once

#include <cstdint>

#include "engine/image.h"
#include "m4k7db.h"

namespace m4k7 {

enum class Database : uint8_t { Root, Driver, LanguageMonitor, Maintenance, PA, StatusMonitor };

struct KeyRange {
  uint16_t first;
  uint16_t last;
};

KeyRange RangeOf(Database db);

// One access call: request check, range test, private copy, open by name,
// answer, close what was opened. The exported functions pass CompiledImage().
AccessStatus AccessDatabase(const ImageDescriptor &image, Database db, uint32_t key,
                            const AccessRequest *request, uint32_t bufferSize, void *buffer,
                            uint32_t *outSize);

} // namespace m4k7
