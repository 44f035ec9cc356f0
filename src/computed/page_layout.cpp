// The page layout values of the user-defined paper size: the driver knows
// the paper's dimensions only at run time, so the printable area, the page
// length and the ESC ( p command are computed from its settings.
#include <cstring>

#include "computed/values.h"
#include "engine/driver_slots.h"

namespace m4k7::computed {

namespace {

constexpr int32_t kLeftMargin = 340; // 0.01 mm, on both sides
constexpr int32_t kTopMargin = 300;
constexpr int32_t kMarginsLength = 1000; // top and bottom margins together
constexpr int32_t kCappedWidthAbove = 21000;
constexpr int32_t kCappedWidth = 20320;    // 8 inches
constexpr uint32_t kMaxCommandWidth = 480; // 8 inches in 1/60 inch

// Slots each family reads; the highest decides the count a request needs.

bool HasSlots(const AccessRequest *request, uint32_t count) {
  return request != nullptr && request->intParams != nullptr && request->intParamCount >= count;
}

// Hundredths of a millimetre to sixtieths of an inch, rounding up, in the
// unsigned 32-bit arithmetic the printer's firmware expects: a negative
// intermediate wraps, and the result keeps its low 16 bits.
uint16_t SixtiethsRoundedUp(uint32_t sixTimesLength) {
  uint32_t q = sixTimesLength / 254u;
  if (sixTimesLength % 254u != 0) ++q;
  return uint16_t(q);
}

} // namespace

AccessStatus PageFormat(uint16_t id, const AccessRequest *request, uint32_t bufferSize, void *buffer,
                        uint32_t *outSize) {
  if (!HasSlots(request, kSlotCommandLength + 1)) return kMissingInt;
  const bool command = id == uint16_t(ComputedValueId::CV_PAGE_FORMAT_COMMAND);
  const uint32_t size = command ? 13 : 4;
  *outSize = size;
  if (bufferSize < size || buffer == nullptr) return kBufferTooSmall;

  const int32_t *in = request->intParams;
  const bool fullPage = in[kSlotMarginMode] == kMarginModeFullPage;
  const uint16_t length =
      SixtiethsRoundedUp(6u * uint32_t(in[kSlotCommandLength]) - (fullPage ? 0u : 6u * kMarginsLength));
  if (!command) {
    const uint32_t value = length;
    std::memcpy(buffer, &value, 4);
    return kOk;
  }
  uint16_t width = SixtiethsRoundedUp(6u * uint32_t(in[kSlotCommandWidth]) - 6u * 2u * kLeftMargin);
  if (width > kMaxCommandWidth) width = kMaxCommandWidth;
  const uint8_t bytes[13] = {0x1B,
                             '(',
                             'p',
                             0x08,
                             0x00,
                             uint8_t(length >> 8),
                             uint8_t(length),
                             0x00,
                             0x00,
                             uint8_t(width >> 8),
                             uint8_t(width),
                             0x00,
                             0x00};
  std::memcpy(buffer, bytes, sizeof bytes);
  return kOk;
}

AccessStatus PrintableAreaOf(uint16_t id, const AccessRequest *request, uint32_t bufferSize, void *buffer,
                             uint32_t *outSize) {
  if (!HasSlots(request, kSlotMarginMode + 1)) return kMissingInt;
  *outSize = sizeof(PrintableArea);
  if (bufferSize < sizeof(PrintableArea) || buffer == nullptr) return kBufferTooSmall;

  const bool capped = id == uint16_t(ComputedValueId::CV_PRINTABLE_AREA_CAPPED);
  const int32_t *in = request->intParams;
  const int32_t width = capped ? in[kSlotCappedWidth] : in[kSlotAreaWidth];
  const int32_t length = capped ? in[kSlotCappedLength] : in[kSlotAreaLength];
  const bool fullPage = in[kSlotMarginMode] == kMarginModeFullPage;
  // Differences wrap like the firmware's arithmetic instead of overflowing.
  auto minus = [](int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); };

  PrintableArea area;
  area.left = kLeftMargin;
  area.width = capped && width > kCappedWidthAbove ? kCappedWidth : minus(width, 2 * kLeftMargin);
  area.top = fullPage ? 0 : kTopMargin;
  area.length = fullPage ? length : minus(length, kMarginsLength);
  std::memcpy(buffer, &area, sizeof area);
  return kOk;
}

} // namespace m4k7::computed
