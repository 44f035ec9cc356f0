// The driver keys answered by code around the engine, written once: for
// each item-list key where the ids come from, the per-item questions, the
// availability stage and the mark pair; the grouped lists; the print-mode
// record. The module's dispatch and list services, `m4k7db explain`, the
// tool's request helpers, the fuzzers and the header's list of keys that
// leave outSize unwritten all read this table.
#pragma once

#include <cstdint>

#include "engine/driver_slots.h"

namespace m4k7 {

inline constexpr uint16_t kNoKey = 0;
inline constexpr uint16_t kNoList = 0xFFFF;
// The ids come from the key's own leaf rather than a list of the table.
inline constexpr uint16_t kIdsFromLeaf = 0xFFFF;

enum class ItemField : uint8_t { None, Attr1, Attr2, Attr3 };

// One per-item question: an internal key asked with the item's id in the
// setting's slot, and the field its answer fills.
struct PerItemKey {
  uint16_t key;
  ItemField field;
};

struct ItemListConfig {
  uint16_t key;
  uint16_t idsList;   // ItemListTable list (a setting's slot) whose full list gives the ids, or kIdsFromLeaf
  uint16_t attr1List; // ItemListTable list that pairs each id with attr1, or kNoList
  uint32_t slot;      // the setting's slot the per-item stage sets; 0: no per-item stage
  PerItemKey perItem[2]; // asked in this order for every item
  bool availability;     // attr3 from the ids key 4112 lists (key 4113)
  uint16_t markKey;      // kNoKey: none
  bool strictMark;       // a mark key without an answer fails the call
  uint32_t chooses;      // the driver slot an item's id is a value for, or kNoSlot
};

inline constexpr PerItemKey kNoQuestion{kNoKey, ItemField::None};
inline constexpr PerItemKey kInkAttr2{20492, ItemField::Attr2};
inline constexpr PerItemKey kInkAttr3{20491, ItemField::Attr3};
inline constexpr PerItemKey kPaperAttr2{20494, ItemField::Attr2};
inline constexpr PerItemKey kQualityAttr1{20486, ItemField::Attr1};
inline constexpr PerItemKey kQualityAttr2{20487, ItemField::Attr2};

// A list whose ids are no value of a driver setting.
inline constexpr uint32_t kNoSlot = 0xFFFFFFFF;

// The key whose answer lists the ids that key 4113 marks as available.
inline constexpr uint16_t kAvailableList = 4112;

// Keys 4118 and 4119 are the per-setting lists, whose mark key is strict.
// The last column is the setting a dialog sets to the chosen item's id.
// clang-format off
inline constexpr ItemListConfig kItemLists[] = {
//   key    ids from        attr1 list       per-item slot    per-item questions               avail   mark     strict  chooses
    {4108,  kIdsFromLeaf,   kSlotInkCount,   kSlotInkCount,   {kInkAttr2, kInkAttr3},          false,  20483,   false,  kSlotInkCount},
    {4109,  kSlotInkCount,  kSlotInkCount,   kSlotInkCount,   {kInkAttr2, kInkAttr3},          false,  20483,   false,  kSlotInkCount},
    {4110,  kIdsFromLeaf,   kSlotMedia,      0,               {kNoQuestion, kNoQuestion},      false,  20484,   false,  kSlotMedia},
    {4111,  kSlotMedia,     kSlotMedia,      0,               {kNoQuestion, kNoQuestion},      false,  20484,   false,  kSlotMedia},
    {4112,  kIdsFromLeaf,   kSlotPaperSize,  kSlotPaperSize,  {kPaperAttr2, kNoQuestion},      false,  kNoKey,  false,  kSlotPaperSize},
    {4113,  kIdsFromLeaf,   kSlotPaperSize,  kSlotPaperSize,  {kPaperAttr2, kNoQuestion},      true,   kNoKey,  false,  kSlotPaperSize},
    {4114,  kIdsFromLeaf,   kSlotSource,     0,               {kNoQuestion, kNoQuestion},      false,  20482,   false,  kSlotSource},
    {4115,  kSlotSource,    kSlotSource,     0,               {kNoQuestion, kNoQuestion},      false,  20482,   false,  kSlotSource},
    {4116,  kIdsFromLeaf,   kNoList,         0,               {kNoQuestion, kNoQuestion},      false,  20493,   false,  kSlotPrintMode},
    {4118,  kIdsFromLeaf,   kNoList,         kSlotQuality,    {kQualityAttr1, kQualityAttr2},  false,  20485,   true,   kSlotQuality},
    {4119,  kIdsFromLeaf,   kNoList,         0,               {kNoQuestion, kNoQuestion},      false,  20485,   true,   kSlotQuality},
    {4173,  kIdsFromLeaf,   kNoList,         0,               {kNoQuestion, kNoQuestion},      false,  20496,   false,  kNoSlot},
    {4174,  kIdsFromLeaf,   kNoList,         0,               {kNoQuestion, kNoQuestion},      false,  20496,   false,  kNoSlot},
    {4177,  kIdsFromLeaf,   kSlotMedia,      0,               {kNoQuestion, kNoQuestion},      false,  kNoKey,  false,  kSlotMedia},
    {4180,  kIdsFromLeaf,   kSlotPaperSize,  kSlotPaperSize,  {kPaperAttr2, kNoQuestion},      false,  20497,   false,  kSlotPaperSize},
    {4186,  kIdsFromLeaf,   kSlotMedia,      0,               {kNoQuestion, kNoQuestion},      false,  kNoKey,  false,  kSlotMedia},
};
// clang-format on

namespace detail {

// kItemLists' keys lie in a short range; a table over it finds a key's
// entry in two steps, since the driver asks through here for every key.
inline constexpr uint16_t kFirstListKey = 4108;
inline constexpr uint16_t kListKeySpan = 4186 - kFirstListKey + 1;

struct ListKeyIndex {
  uint8_t entry[kListKeySpan]; // 1 + the key's place in kItemLists, or 0
};

constexpr ListKeyIndex MakeListKeyIndex() {
  ListKeyIndex index{};
  for (uint32_t i = 0; i < sizeof kItemLists / sizeof kItemLists[0]; ++i)
    index.entry[kItemLists[i].key - kFirstListKey] = uint8_t(i + 1);
  return index;
}

inline constexpr ListKeyIndex kListKeyIndex = MakeListKeyIndex();

} // namespace detail

// Whether the key is an item list. No pointer is compared, so that it stays
// a constant expression in the sanitizer builds too.
constexpr bool IsItemListKey(uint16_t key) {
  const uint32_t at = uint32_t(key) - detail::kFirstListKey;
  return at < detail::kListKeySpan && detail::kListKeyIndex.entry[at] != 0;
}

// The key's configuration, or nullptr for a key that is no item list.
constexpr const ItemListConfig *ItemListConfigOf(uint16_t key) {
  const uint32_t at = uint32_t(key) - detail::kFirstListKey;
  if (at >= detail::kListKeySpan || detail::kListKeyIndex.entry[at] == 0) return nullptr;
  return &kItemLists[detail::kListKeyIndex.entry[at] - 1];
}

// The lists a print dialog offers, one per setting: the setting each sets
// is its configuration's `chooses`. Paper sizes come from key 4113, which
// also marks the sizes key 4112 lists as printable.
inline constexpr uint16_t kDialogLists[] = {4108, 4110, 4114, 4118, 4116, 4113};

// The dialog's list for a driver slot, or kNoKey.
constexpr uint16_t DialogListOf(uint32_t slot) {
  for (uint16_t key : kDialogLists)
    if (ItemListConfigOf(key)->chooses == slot) return key;
  return kNoKey;
}

// The grouped command lists: the driver keys 4120 to 4125, whose entries
// hold fragments tagged with the fragment key.
inline constexpr uint16_t kFirstGroupedKey = 4120;
inline constexpr uint16_t kLastGroupedKey = 4125;
inline constexpr uint16_t kFragmentKey = 0x5008;
// Widened first: the dispatch tests the key where it already stands as 32
// bits, which spares an instruction on every driver call.
constexpr bool IsGroupedKey(uint32_t key) {
  return key - kFirstGroupedKey <= kLastGroupedKey - kFirstGroupedKey;
}

// Key 4126: the print-mode record.
inline constexpr uint16_t kPrintModeKey = 4126;

// Which service answers a driver key: an item list, a grouped list, the
// print-mode record, or the plain lookup and fetch. The dispatch routes by
// it; whatever shows or checks a key the way the module answers it asks
// here too.
enum class DriverKeyService : uint8_t { Lookup, ItemList, GroupedList, PrintMode };

constexpr DriverKeyService ServiceOfDriverKey(uint16_t key) {
  const uint32_t k = key;
  if (IsItemListKey(key)) return DriverKeyService::ItemList;
  if (IsGroupedKey(k)) return DriverKeyService::GroupedList;
  return k == kPrintModeKey ? DriverKeyService::PrintMode : DriverKeyService::Lookup;
}

} // namespace m4k7
