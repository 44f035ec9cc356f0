// The table of list keys is the one place that says which driver keys the
// list services answer; the public header's list, the index that finds a
// key's entry and the dispatch must all agree with it.
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "drvlists/list_keys.h"

namespace m4k7 {
namespace {

// "keys 4108-4116, 4118, ... and 4186" from the header's outSize note.
std::set<uint16_t> HeaderListKeys() {
  std::ifstream header(M4K7DB_SOURCE_DIR "/include/m4k7db.h");
  std::stringstream text;
  text << header.rdbuf();
  std::string flat = std::regex_replace(text.str(), std::regex(R"(\s*\n\s*\*\s*)"), " ");
  std::smatch m;
  EXPECT_TRUE(
      std::regex_search(flat, m, std::regex(R"(item lists, keys ([0-9, \-and]+), leave it unwritten)")));
  std::set<uint16_t> keys;
  const std::string list = m[1];
  std::regex item(R"((\d+)(?:-(\d+))?)");
  for (auto it = std::sregex_iterator(list.begin(), list.end(), item); it != std::sregex_iterator(); ++it) {
    const int first = std::stoi((*it)[1]);
    const int last = (*it)[2].matched ? std::stoi((*it)[2]) : first;
    for (int k = first; k <= last; ++k) keys.insert(uint16_t(k));
  }
  return keys;
}

TEST(ListKeys, TheHeaderNamesExactlyTheItemListKeys) {
  std::set<uint16_t> table;
  for (const ItemListConfig &c : kItemLists) table.insert(c.key);
  EXPECT_EQ(HeaderListKeys(), table);
}

TEST(ListKeys, EveryKeyFindsItsOwnEntryAndNoOtherKeyFindsOne) {
  for (uint32_t k = 0; k <= 0xFFFF; ++k) {
    const ItemListConfig *expected = nullptr;
    for (const ItemListConfig &c : kItemLists)
      if (c.key == k && expected == nullptr) expected = &c;
    ASSERT_EQ(ItemListConfigOf(uint16_t(k)), expected) << k;
  }
}

TEST(ListKeys, NoKeyIsBothAListAndAnotherService) {
  for (const ItemListConfig &c : kItemLists) {
    EXPECT_FALSE(IsGroupedKey(c.key)) << c.key;
    EXPECT_NE(c.key, kPrintModeKey);
    // A per-item stage needs a slot, and a slot needs a question.
    const bool asks = c.perItem[0].key != kNoKey || c.perItem[1].key != kNoKey;
    EXPECT_EQ(c.slot != 0, asks) << c.key;
  }
}

} // namespace
} // namespace m4k7
