// Key 4126: the print-mode record of the current settings, picked from the
// image's selection rows. The module never reads the record's fields; they
// go to the driver as the image holds them.
#include <cstring>

#include "drvlists/drvlists.h"

namespace m4k7 {

namespace {

constexpr uint32_t kSectionSizes[4] = {kSection1Size, kSection2Size, kSection3Size, kSection4Size};

} // namespace

const PrintModeRow *FindPrintModeRow(const PrintModeTables &tables, const int32_t *ints) {
  if (tables.modeRows == nullptr) return nullptr;
  for (uint32_t r = 0; r < tables.modeRowCount; ++r) {
    const PrintModeRow &row = tables.modeRows[r];
    bool all = true;
    for (int i = 0; i < 6 && all; ++i) all = int32_t(row.match[i]) == ints[kPrintModeSlots[i]];
    if (all) return &row;
  }
  return nullptr;
}

AccessStatus AnswerPrintMode(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                             uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  (void)key;
  const PrintModeTables &t = image.printModes;
  const uint8_t *sections[4] = {t.sectionTable1, t.sectionTable2, t.sectionTable3, t.sectionTable4};
  if (t.modeRows == nullptr || !sections[0] || !sections[1] || !sections[2] || !sections[3] ||
      request == nullptr)
    return kFailed;
  const AccessWord ints = request->intParams ? request->intParamCount : 0;
  if (ints < kPrintModeSlotsNeeded) return kMissingInt;
  if (bufferSize < kPrintModeRecordSize || buffer == nullptr) {
    *outSize = kPrintModeRecordSize;
    return kBufferTooSmall;
  }
  auto *out = static_cast<uint8_t *>(buffer);
  std::memset(out, 0, kPrintModeRecordSize);

  const PrintModeRow *chosen = FindPrintModeRow(t, request->intParams);
  if (chosen == nullptr) return kNotFound;

  // A row naming a record past its table would hand the driver bytes from
  // outside the image; the stored counts bound every index.
  for (int s = 0; s < 4; ++s)
    if (chosen->section[s] >= t.sectionCounts[s]) return kFailed;
  uint32_t at = 0;
  for (int s = 0; s < 4; ++s) {
    std::memcpy(out + at, sections[s] + size_t(chosen->section[s]) * kSectionSizes[s], kSectionSizes[s]);
    at += kSectionSizes[s];
  }
  *outSize = kPrintModeRecordSize;
  return kOk;
}

} // namespace m4k7
