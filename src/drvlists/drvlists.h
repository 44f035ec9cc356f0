// Driver keys answered by code around the engine: item lists, grouped
// command sequences and the print-mode record.
#pragma once

#include <cstdint>

#include "engine/driver_slots.h"
#include "engine/image.h"
#include "engine/status.h"

namespace m4k7 {

// One item of an item list, 20 bytes in host order.
struct ListItem {
  int32_t id;    // the setting value the item stands for
  int32_t attr1; // the value paired with id in the item-list table, or 20486's answer (key 4118)
  int32_t attr2; // the first per-item key's answer
  int32_t attr3; // 20491's answer (4108, 4109); key 4113's availability flag
  int32_t mark;  // the mark pair's marker on the item whose id is the pair's first value
};
static_assert(sizeof(ListItem) == 20);

// Every driver key goes through here: list keys to the services below, the
// others to lookup and fetch.
AccessStatus DispatchDriverKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                               uint32_t bufferSize, void *buffer, uint32_t *outSize);

// Fills attributes and marks of count items whose ids stand packed as 32-bit
// values at the start of items (room for count ListItem records).
AccessStatus CompleteItemList(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                              uint32_t bufferSize, void *items, uint32_t count);

// The full list listId of the item-list table, read as the services read
// it (keys 4109, 4111, 4115): *count is its item count, and where ids has
// room for that many, its ids stand there packed as 32-bit values. 1 when
// the table (any of its columns) or the list is missing; 2 when ids is
// absent or room too small; -1 for an item past the item pool.
AccessStatus ReadTableIds(const ItemListTable &table, uint16_t listId, void *ids, uint32_t room,
                          uint32_t *count);

// Keys 4120-4125: the fragments of the key's entries, joined.
AccessStatus AnswerGroupedList(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                               uint32_t bufferSize, void *buffer, uint32_t *outSize);

// The settings a print-mode row matches, in the row's order: ink count I[4],
// I[9], media I[5], quality I[8], I[6] and I[81]. A request needs 82 slots.
inline constexpr uint32_t kPrintModeSlots[6] = {kSlotInkCount, kSlotSetting9,  kSlotMedia,
                                                kSlotQuality,  kSlotPrintMode, kSlotSetting81};
inline constexpr uint32_t kPrintModeSlotsNeeded = 82;

// Section 1 of the record: fourteen 16-bit fields (bytes 0-27), then the
// table file's name, zero-padded to 20 bytes. What each field holds; a field
// that repeats a value of the print-mode command key 4121 sends for the same
// settings also names that command (ESC ( c, d or t), the data byte where
// the value starts and its width (2: big-endian). The module hands the
// record on unread; the image compiler holds the image to these fields and
// the tool shows them.
struct Section1Field {
  const char *what;
  char command; // 'c', 'd', 't', or 0
  uint8_t dataAt, width;
};
inline constexpr Section1Field kSection1Fields[14] = {
    {"", 0, 0, 0},
    {"media code (by I[5])", 0, 0, 0},
    {"by I[4]", 0, 0, 0},
    {"by I[4]", 0, 0, 0},
    {"ESC ( t data byte 3", 't', 2, 1},
    {"ESC ( t data byte 2", 't', 1, 1},
    {"ESC ( c data byte 3 (quality code)", 'c', 2, 1},
    {"1 when I[6] is 1", 0, 0, 0},
    {"I[9]", 0, 0, 0},
    {"resolution (ESC ( d first value)", 'd', 0, 2},
    {"resolution", 0, 0, 0},
    {"ESC ( d second value", 'd', 2, 2},
    {"resolution", 0, 0, 0},
    {"", 0, 0, 0},
};
inline constexpr uint32_t kTableFileAt = 28;

// The first row whose six values equal the settings in `ints` (at least
// kPrintModeSlotsNeeded slots), or nullptr: what key 4126 answers from.
const PrintModeRow *FindPrintModeRow(const PrintModeTables &tables, const int32_t *ints);

// Key 4126: the 192-byte print-mode record for I[4], I[9], I[5], I[8], I[6], I[81].
AccessStatus AnswerPrintMode(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                             uint32_t bufferSize, void *buffer, uint32_t *outSize);

} // namespace m4k7
