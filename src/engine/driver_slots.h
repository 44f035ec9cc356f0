// The driver's settings by name: the integer slots of a driver request that
// the database reads. The computed values, the list services, the content,
// the tool's options and the tests name a slot through these, never by its
// bare number.
#pragma once

#include <cstdint>

namespace m4k7 {

enum DriverSlot : uint32_t {
  kSlotDirection = 0,    // keys 0x1021/0x1022: 1 media to sizes, 0 sizes to media
  kSlotInkCount = 4,     // the ids of key 4108
  kSlotMedia = 5,        // the ids of key 4110
  kSlotPrintMode = 6,    // the ids of key 4116
  kSlotSource = 7,       // the ids of key 4114
  kSlotQuality = 8,      // the ids of key 4118
  kSlotSetting9 = 9,     // 0 or 1; chooses among the print-mode commands
  kSlotAreaWidth = 25,   // paper width in 0.01 mm for the printable area
  kSlotAreaLength = 26,  // paper length in 0.01 mm for the printable area
  kSlotPaperSize = 28,   // the ids of keys 4112 and 4113
  kSlotCappedWidth = 29, // paper width in 0.01 mm for the capped printable area
  kSlotCappedLength = 30,
  kSlotMarginMode = 52,   // kMarginModeFullPage or another mode
  kSlotOptions = 79,      // option flags; bit 0x800000 sends the option command
  kSlotOptionValue = 80,  // the option command's 16-bit value
  kSlotSetting81 = 81,    // matched by the print-mode rows
  kSlotCommandWidth = 96, // paper width in 0.01 mm for the page-format command
  kSlotCommandLength = 97,
};

// I[52] for a full-length page: no top margin, and fewer paper sources.
inline constexpr int32_t kMarginModeFullPage = 5;

// The slots of a driver request.
inline constexpr uint32_t kDriverSlotCount = 106;

} // namespace m4k7
