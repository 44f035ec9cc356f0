// Item lists: the values a driver setting may take, each with up to three
// attributes and the image's mark. The ids come first (from the key's leaf
// or the full list table); CompleteItemList then asks the image once per
// item, with the item's id in the setting's slot of a work copy, and once
// per list for the mark pair.
#include <algorithm>
#include <cstring>

#include "drvlists/list_keys.h"
#include "drvlists/services.h"
#include "engine/engine.h"
#include "engine/walk.h"
#include "engine/work_copy.h"
#include "platform/platform.h"

namespace m4k7 {

namespace {

// The list's place in the item-list table, or false when the table (any of
// its columns) or the list is missing.
bool FindItemList(const ItemListTable &t, uint16_t listId, uint32_t *index) {
  if (!t.listIds || !t.itemCounts || !t.itemStarts || !t.itemIds || !t.itemValues) return false;
  for (uint32_t i = 0; i < t.listCount; ++i)
    if (t.listIds[i] == listId) {
      *index = i;
      return true;
    }
  return false;
}

using ListConfig = ItemListConfig;
using Field = ItemField;

int32_t *FieldOf(ListItem &item, Field field) {
  switch (field) {
  case Field::Attr1: return &item.attr1;
  case Field::Attr2: return &item.attr2;
  case Field::Attr3: return &item.attr3;
  case Field::None: break;
  }
  return nullptr;
}

// The packed ids become the id fields of their items. Going downward keeps
// every value in place until it has moved; each record is cleared first so
// that no field a later stage leaves alone carries what the buffer held.
void SpreadIds(void *items, uint32_t count) {
  auto *bytes = static_cast<uint8_t *>(items);
  for (uint32_t i = count; i-- > 0;) {
    int32_t id;
    std::memcpy(&id, bytes + 4 * size_t(i), 4);
    ListItem item{};
    item.id = id;
    std::memcpy(bytes + sizeof(ListItem) * size_t(i), &item, sizeof item);
  }
}

AccessStatus FillAttr1(const ImageDescriptor &image, uint16_t listId, ListItem *items, uint32_t count) {
  const ItemListTable &t = image.items;
  uint32_t list = 0;
  if (!FindItemList(t, listId, &list)) return kNotFound;
  const uint32_t itemCount = t.itemCounts[list];
  if (count > itemCount) return kFailed;
  const uint64_t start = uint32_t(t.itemStarts[list]);
  // The list's entries that lie in the pool: an id found among them is
  // found before the list runs out of the pool; one that is not meets the
  // pool's end (-1) if the list runs past it, else the list's end (1).
  const uint32_t inPool =
      start >= t.itemPoolCount ? 0 : uint32_t(std::min<uint64_t>(itemCount, t.itemPoolCount - start));
  const uint16_t *ids = inPool == 0 ? t.itemIds : t.itemIds + start;
  // Each id takes the value of its first entry. The items mostly come in
  // the list's order, so the entries are read once, from a cursor: an id
  // that is not among the entries before the cursor (their low bytes are
  // kept in `before`) has its first entry at or after it. An id that may
  // be among them is searched from the front.
  uint32_t before[8] = {};
  uint32_t cursor = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t id = uint32_t(items[i].id);
    const uint32_t bit = uint32_t(1) << (id & 31);
    uint32_t j = 0;
    if ((before[(id >> 5) & 7] & bit) != 0) {
      while (j < inPool && uint32_t(ids[j]) != id) ++j;
    } else {
      for (j = cursor; j < inPool && uint32_t(ids[j]) != id; ++j)
        before[(ids[j] >> 5) & 7] |= 1u << (ids[j] & 31);
      cursor = j < inPool ? j + 1 : j;
      before[(id >> 5) & 7] |= bit;
    }
    if (j == inPool) return inPool < itemCount ? kFailed : kNotFound;
    items[i].attr1 = t.itemValues[start + j];
  }
  return kOk;
}

AccessStatus FillPerItem(const ImageDescriptor &image, const ListConfig &config, const AccessRequest *request,
                         ListItem *items, uint32_t count) {
  if (request == nullptr) return kFailed;
  const AccessWord ints = request->intParams ? request->intParamCount : 0;
  if (ints <= config.slot) return kMissingInt;
  WorkCopy copy(RequestTemplate::Driver, request);
  if (!copy) return kFailed;
  // Each per-item key's start node is found when the first item asks it,
  // where a lookup would fail, and then only walked: the lookup depends on
  // the image alone, so every later item would find the same node.
  uint32_t starts[2] = {0, 0};
  bool found[2] = {false, false};
  for (uint32_t i = 0; i < count; ++i) {
    copy.ints()[config.slot] = items[i].id;
    for (int k = 0; k < 2; ++k) {
      const PerItemKey &q = config.perItem[k];
      if (q.key == kNoKey) continue;
      AccessStatus status = kOk;
      if (!found[k]) {
        if ((status = FindKeyStart(image, q.key, &starts[k])) != kOk) return status;
        found[k] = true;
      }
      const DbNode &start = image.nodes[starts[k]];
      LeafDescriptor leaf{};
      status = WalkNode(image, q.key, copy.get(), start.word0, start.word1, &leaf);
      if (status != kOk) return status;
      uint32_t size = 0;
      status = FetchLeaf(image, copy.get(), 4, FieldOf(items[i], q.field), &size, leaf);
      if (status != kOk) return status;
    }
  }
  return kOk;
}

// attr3 of key 4113: 0 for the sizes key 4112 also lists (its answer is an
// ordered subsequence of 4113's that ends with 4113's last item), 1 for the
// others.
AccessStatus FillAvailability(const ImageDescriptor &image, const AccessRequest *request, ListItem *items,
                              uint32_t count) {
  LeafDescriptor leaf{};
  AccessStatus status = LookupKey(image, kAvailableList, request, &leaf);
  if (status != kOk) return status;
  const uint32_t m = countOf(leaf.word1);
  platform::ScratchBlock available(4 * size_t(m));
  if (!available) return kFailed;
  uint32_t size = 0;
  status = FetchLeaf(image, request, 4 * m, available.get(), &size, leaf);
  if (status != kOk) return status;
  if (size != 4 * m) return kFailed;
  const int32_t *ids = available.as<int32_t>();
  uint32_t j = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (j == m) return kFailed;
    if (items[i].id == ids[j]) {
      items[i].attr3 = 0;
      ++j;
    } else {
      items[i].attr3 = 1;
    }
  }
  return kOk;
}

AccessStatus FillMarks(const ImageDescriptor &image, const ListConfig &config, const AccessRequest *request,
                       ListItem *items, uint32_t count) {
  if (config.markKey == kNoKey) return kOk; // the records are cleared: nothing marked
  LeafDescriptor leaf{};
  AccessStatus status = LookupKey(image, config.markKey, request, &leaf);
  if (!config.strictMark && (status == kNotFound || status == kUnknownKey)) return kOk;
  if (status != kOk) return status;
  int32_t pair[2] = {0, 0};
  uint32_t size = 0;
  status = FetchLeaf(image, request, sizeof pair, pair, &size, leaf);
  if (status != kOk) return status;
  if (size != sizeof pair) return kFailed;
  for (uint32_t i = 0; i < count; ++i)
    if (items[i].id == pair[0]) items[i].mark = pair[1];
  return kOk;
}

} // namespace

AccessStatus CompleteItemList(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                              uint32_t bufferSize, void *items, uint32_t count) {
  (void)bufferSize; // the caller sized the buffer for count records
  const ListConfig *config = ItemListConfigOf(uint16_t(key));
  if (config == nullptr) return kNotFound;
  SpreadIds(items, count);
  auto *list = static_cast<ListItem *>(items);

  AccessStatus status = kOk;
  if (config->attr1List != kNoList && (status = FillAttr1(image, config->attr1List, list, count)) != kOk)
    return status;
  if (config->slot != 0 && (status = FillPerItem(image, *config, request, list, count)) != kOk) return status;
  if (config->availability && (status = FillAvailability(image, request, list, count)) != kOk) return status;
  return FillMarks(image, *config, request, list, count);
}

AccessStatus ReadTableIds(const ItemListTable &t, uint16_t listId, void *ids, uint32_t room,
                          uint32_t *count) {
  uint32_t list = 0;
  if (!FindItemList(t, listId, &list)) return kNotFound;
  const uint32_t c = *count = t.itemCounts[list];
  if (c > room || ids == nullptr) return kBufferTooSmall;
  const uint64_t start = uint32_t(t.itemStarts[list]);
  for (uint32_t m = 0; m < c; ++m) {
    const uint64_t pool = start + m;
    if (pool >= t.itemPoolCount) return kFailed;
    const int32_t id = t.itemIds[pool];
    std::memcpy(static_cast<uint8_t *>(ids) + 4 * size_t(m), &id, 4);
  }
  return kOk;
}

namespace drvlists {

AccessStatus ItemsFromLeaf(const ImageDescriptor &image, uint16_t key, const AccessRequest *request,
                           uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  LeafDescriptor leaf{};
  AccessStatus status = LookupKey(image, key, request, &leaf);
  if (status != kOk) return status;
  const uint32_t n = countOf(leaf.word1);
  const uint32_t needed = n * uint32_t(sizeof(ListItem));
  if (bufferSize < needed || buffer == nullptr) {
    *outSize = needed;
    return kBufferTooSmall;
  }
  uint32_t size = 0;
  status = FetchLeaf(image, request, needed, buffer, &size, leaf);
  if (status != kOk) return status;
  // Only an integer leaf leaves n packed 32-bit ids; anything else would
  // make items of whatever the buffer held.
  if (size != 4 * n) return kFailed;
  return CompleteItemList(image, key, request, bufferSize, buffer, n);
}

AccessStatus ItemsFromTable(const ImageDescriptor &image, uint16_t key, uint16_t listId,
                            const AccessRequest *request, uint32_t bufferSize, void *buffer,
                            uint32_t *outSize) {
  uint32_t c = 0;
  const AccessStatus status =
      ReadTableIds(image.items, listId, buffer, uint32_t(bufferSize / sizeof(ListItem)), &c);
  if (status == kBufferTooSmall) *outSize = c * uint32_t(sizeof(ListItem));
  if (status != kOk) return status;
  return CompleteItemList(image, key, request, bufferSize, buffer, c);
}

} // namespace drvlists

} // namespace m4k7
