// The tools' key table against the compiled image: it names exactly the
// index's keys, and the slots it lists for a key are all a lookup reads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "key_info.h"

namespace {

using m4k7::imageview::CompiledKeyCatalogue;

TEST(KeyNames, NameExactlyTheIndexKeys) {
  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();
  const m4k7::imageview::KeyCatalogue &c = CompiledKeyCatalogue();
  std::vector<uint16_t> named;
  for (uint32_t i = 0; i < c.keyCount; ++i)
    if (c.keys[i].inIndex) named.push_back(c.keys[i].key);
  EXPECT_EQ(named, std::vector<uint16_t>(image.keys, image.keys + image.keyCount));
}

// The highest I[n] and S[n] a slot list names, plus one: the request size
// that holds every slot it lists.
void Counts(const std::string &slots, uint32_t *ints, uint32_t *strings) {
  *ints = *strings = 0;
  for (size_t at = slots.find('['); at != std::string::npos; at = slots.find('[', at + 1)) {
    const uint32_t n = uint32_t(std::strtoul(slots.c_str() + at + 1, nullptr, 10)) + 1;
    uint32_t *count = slots[at - 1] == 'S' ? strings : ints;
    if (n > *count) *count = n;
  }
}

TEST(KeyNames, ListedSlotsAreEnoughForEveryLookup) {
  // Settings that reach deep branches: none, a driver job on A4, the
  // user-defined size on a full-length page, and monitor-style values.
  const std::vector<std::vector<std::pair<uint32_t, int32_t>>> kSettings = {
      {},
      {{4, 4}, {5, 1}, {6, 1}, {7, 7}, {8, 4}, {28, 9}},
      {{4, 6}, {5, 275}, {6, 1}, {7, 7}, {8, 2}, {9, 1}, {28, 256}, {52, 5}},
      {{0, 2}, {1, 1}, {2, 5028}, {3, 5604}, {5, 30}, {6, 0x1601}, {7, 4}, {8, 3}, {9, 17}, {10, 2}},
  };
  const char *const kTexts[] = {"", "BK,VC", "1601"};
  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();
  const m4k7::imageview::KeyCatalogue &c = CompiledKeyCatalogue();
  for (uint32_t k = 0; k < c.keyCount; ++k) {
    const m4k7::imageview::KeyInfo &info = c.keys[k];
    if (!info.inIndex) continue;
    uint32_t intCount = 0, stringCount = 0;
    Counts(info.slots, &intCount, &stringCount);
    const bool readsPrinter = std::string(info.slots).find("printer data") != std::string::npos;
    for (const auto &settings : kSettings)
      for (const char *text : kTexts) {
        std::vector<int32_t> ints(intCount, 0);
        for (const auto &[slot, value] : settings)
          if (slot < intCount) ints[slot] = value;
        std::vector<const char *> strings(stringCount, text);
        AccessRequest request{};
        request.intParamCount = intCount;
        request.intParams = ints.data();
        request.stringParamCount = stringCount;
        request.stringParams = strings.data();
        m4k7::LeafDescriptor leaf{};
        const AccessStatus s = m4k7::LookupKey(image, info.key, &request, &leaf);
        EXPECT_TRUE(s == 0 || s == 1 || (s == -4 && readsPrinter))
            << "key " << info.key << " (slots \"" << info.slots << "\") answers " << s << " with " << intCount
            << " integer and " << stringCount << " string slots";
      }
  }
}

} // namespace
