#include "key_info.h"

#include <algorithm>

namespace m4k7::imageview {

const KeyInfo *FindKeyInfo(uint16_t key, const KeyCatalogue &c) {
  const KeyInfo *end = c.keys + c.keyCount;
  const KeyInfo *at =
      std::lower_bound(c.keys, end, key, [](const KeyInfo &k, uint16_t v) { return k.key < v; });
  return at != end && at->key == key ? at : nullptr;
}

const char *FindValueName(uint16_t slot, int32_t value, const KeyCatalogue &c) {
  const ValueName *end = c.values + c.valueCount;
  const ValueName *at =
      std::lower_bound(c.values, end, std::pair(slot, value),
                       [](const ValueName &n, auto v) { return std::pair(n.slot, n.value) < v; });
  return at != end && at->slot == slot && at->value == value ? at->name : nullptr;
}

} // namespace m4k7::imageview
