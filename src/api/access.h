// The six databases and the access step they share, over any image.
#pragma once

#include <cstdint>

#include "drvlists/drvlists.h"
#include "engine/engine.h"
#include "engine/image.h"
#include "engine/status.h"
#include "engine/work_copy.h"
#include "m4k7db.h"

namespace m4k7 {

// The six databases, in the order of the access functions. Database n's
// callers send requests of template n's shape, so one enum names both.
using Database = RequestTemplate;

struct KeyRange {
  uint16_t first;
  uint16_t last;
};

// The keys each database's function answers, in the order of Database.
inline constexpr KeyRange kKeyRanges[] = {
    {0x0001, 0x0FFF}, {0x1001, 0x1FFF}, {0x2001, 0x2FFF},
    {0x3001, 0x3FFF}, {0x4001, 0x4FFF}, {0x6001, 0x6FFF},
};

inline KeyRange RangeOf(Database db) {
  return uint32_t(db) < 6 ? kKeyRanges[uint32_t(db)] : KeyRange{1, 0}; // no key lies in an empty range
}

// The calls AccessDatabase hands on whole: no size variable, or a printer
// named but not open.
AccessStatus AnswerCareful(const ImageDescriptor &image, Database db, uint16_t key,
                           const AccessRequest *request, uint32_t bufferSize, void *buffer,
                           uint32_t *outSize);

// One access call: request check, range test, then the answer, through
// AnswerCareful when a printer must be opened by name into a private copy.
// The exported functions pass CompiledImage(). Inline so that each export
// makes the common call (a present size variable, no printer to open by
// name) without a frame of its own: its arguments travel to the answer in
// registers.
inline AccessStatus AccessDatabase(const ImageDescriptor &image, Database db, uint32_t key,
                                   const AccessRequest *request, uint32_t bufferSize, void *buffer,
                                   uint32_t *outSize) {
  if (request == nullptr) return kNoPrinter;
  const uint16_t k = uint16_t(key);
  const KeyRange range = RangeOf(db);
  if (k < range.first || k > range.last) return kNotFound;
  if (outSize == nullptr || (request->printerHandle == nullptr && request->printerName != nullptr))
    return AnswerCareful(image, db, k, request, bufferSize, buffer, outSize);
  if (db == Database::Driver) return DispatchDriverKey(image, k, request, bufferSize, buffer, outSize);
  return AnswerKey(image, k, request, bufferSize, buffer, outSize);
}

} // namespace m4k7
