// Item lists of the driver's settings, asked through the driver function
// with the image's own trees and list table.
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "drvlists/drvlists.h"
#include "support/ask.h"

namespace m4k7 {

// Found by argument lookup, so they live beside ListItem.
inline bool operator==(const ListItem &a, const ListItem &b) { return std::memcmp(&a, &b, sizeof a) == 0; }
inline std::ostream &operator<<(std::ostream &os, const ListItem &i) {
  return os << "(" << i.id << ", " << i.attr1 << ", " << i.attr2 << ", " << i.attr3 << ", " << i.mark << ")";
}

namespace {

using test::Request;

constexpr uint32_t kNoSize = 0xDEADBEEF;

struct ListAnswer {
  AccessStatus status = 0;
  std::vector<ListItem> items;
};

// Size query, then a call with a buffer of exactly that size that holds
// 0xCD bytes, then one a byte short. Item lists leave outSize alone on
// success; the buffer is checked for writes past its end.
ListAnswer AskList(uint32_t key, Request &r) {
  ListAnswer a;
  uint32_t size = kNoSize;
  a.status = VRT_AccessDrvDataBase(key, &r.view(), 0, nullptr, &size);
  if (a.status != 2) {
    EXPECT_EQ(size, kNoSize) << "key " << key << ": size written with status " << a.status;
    return a;
  }
  EXPECT_EQ(size % sizeof(ListItem), 0u) << "key " << key;
  std::vector<uint8_t> buffer(size + 16, 0xCD);
  uint32_t out = kNoSize;
  a.status = VRT_AccessDrvDataBase(key, &r.view(), size, buffer.data(), &out);
  for (size_t i = size; i < buffer.size(); ++i)
    if (buffer[i] != 0xCD) ADD_FAILURE() << "key " << key << ": wrote past the list at " << i;
  if (a.status != 0) return a;
  EXPECT_EQ(out, kNoSize) << "key " << key << ": outSize written on success";
  a.items.resize(size / sizeof(ListItem));
  if (size) std::memcpy(a.items.data(), buffer.data(), size);

  if (size > 0) {
    std::vector<uint8_t> shorter(size - 1, 0xCD);
    uint32_t needed = kNoSize;
    EXPECT_EQ(VRT_AccessDrvDataBase(key, &r.view(), size - 1, shorter.data(), &needed), 2) << "key " << key;
    EXPECT_EQ(needed, size) << "key " << key;
    EXPECT_EQ(shorter, std::vector<uint8_t>(size - 1, 0xCD))
        << "key " << key << ": a short buffer was written";
  }
  return a;
}

Request Settings(int32_t ink, int32_t i9, int32_t media, int32_t quality = 0) {
  return Request::Standard(Database::Driver)
      .withSettings({{4, ink}, {9, i9}, {5, media}, {8, quality}, {81, 0}});
}

// The full lists of the image's item-list table: id → paired value.
const std::vector<std::pair<int32_t, int32_t>> kPaperSizes = {
    {11, 15762},  {78, 15763},  {9, 15760},   {13, 15767},  {1, 15751},   {5, 15755},  {43, 15776},
    {270, 15778}, {271, 15779}, {272, 15789}, {273, 15790}, {275, 15792}, {8, 15758},  {66, 15757},
    {12, 15765},  {257, 15764}, {3, 15769},   {24, 15793},  {274, 15791}, {256, 15744}};
const std::vector<std::pair<int32_t, int32_t>> kMedia = {
    {1, 15101},   {277, 15123}, {271, 15117}, {283, 15130}, {262, 15108}, {270, 15116}, {276, 15122},
    {279, 15125}, {259, 15105}, {273, 15119}, {258, 15104}, {2, 15102},   {263, 15109}, {275, 15121}};
const std::map<int32_t, int32_t> kSources = {{4, 15301}, {7, 15302}};
// Internal key 20494 for each paper size.
const std::map<int32_t, int32_t> kPaperCodes = {
    {11, 15712},  {78, 15713},  {9, 15710},   {13, 15717},  {1, 15701},   {5, 15705},  {43, 15726},
    {270, 15728}, {271, 15729}, {272, 15739}, {273, 15740}, {275, 15742}, {8, 15708},  {66, 15707},
    {12, 15715},  {257, 15714}, {3, 15719},   {24, 15743},  {274, 15741}, {256, 15744}};
const std::vector<int32_t> kPrintable = {11, 78, 9, 13, 1, 5, 43, 270, 271, 272, 273, 275, 256};

// Print qualities (key 4118) and the marked quality (20485), by media and ink.
struct Qualities {
  std::vector<int32_t> ink4;
  int32_t mark4;
  std::vector<int32_t> ink6;
  int32_t mark6;
};
const std::map<int32_t, Qualities> kQualities = {
    {1, {{2, 3, 4, 5}, 4, {1, 2, 4, 5}, 4}},
    {277, {{1, 2, 3}, 3, {1, 2}, 2}},
    {271, {{1, 2, 3, 4}, 3, {1, 2, 4}, 2}},
    {283, {{2, 3}, 3, {1, 2}, 2}},
    {262, {{2, 3, 4}, 3, {1, 2, 4}, 2}},
    {270, {{2, 3}, 3, {1, 2}, 2}},
    {276, {{2, 3}, 3, {1, 2}, 2}},
    {279, {{1, 2, 3}, 3, {1, 2}, 2}},
    {259, {{3}, 3, {3}, 3}},
    {273, {{3}, 3, {3}, 3}},
    {258, {{3}, 3, {3}, 3}},
    {2, {{3, 4}, 3, {3, 4}, 3}},
    {263, {{2, 3, 4}, 4, {1, 2, 4}, 4}},
    {275, {{2, 3, 4}, 2, {1, 2, 4}, 1}},
};

bool OneOf(int32_t v, std::initializer_list<int32_t> set) {
  for (int32_t s : set)
    if (v == s) return true;
  return false;
}

// Internal keys 20486 and 20487 for one quality of a media and ink count.
std::pair<int32_t, int32_t> QualityValues(int32_t ink, int32_t media, int32_t q) {
  const bool m1or275 = OneOf(media, {1, 275});
  const bool plain = OneOf(media, {2, 258, 259, 273});
  if (q == 4) return {OneOf(media, {2, 271}) ? 0 : 2, media == 271 ? -4 : -3};
  if (q == 5) return {3, -2};
  if (ink == 4) {
    if (q == 1) return {0, -4};
    if (q == 2) return {m1or275 ? 1 : 0, -4};
    return {m1or275 ? 0 : plain ? 2 : 1, plain ? -3 : -4};
  }
  if (q == 1) return {m1or275 ? 1 : 0, -4};
  if (q == 2) return {m1or275 ? 0 : 1, -4};
  return {2, -3};
}

// Key 4116's I[6] values for one quality.
std::vector<int32_t> I6Values(int32_t media, int32_t q) {
  if (q == 4) return media == 2 ? std::vector<int32_t>{3, 1} : std::vector<int32_t>{3, 2, 1};
  if (q == 5) return {3, 2};
  return {3, 1};
}

TEST(ItemLists, InkCounts) {
  const std::vector<ListItem> want = {{4, 15004, 20004, 1, 1}, {6, 15006, 20006, 1, 0}};
  for (int32_t ink : {0, 4, 6, 99}) {
    Request r = Request::Standard(Database::Driver).set(4, ink);
    ListAnswer fromTable = AskList(4109, r);
    ASSERT_EQ(fromTable.status, 0) << "I[4]=" << ink;
    EXPECT_EQ(fromTable.items, want) << "key 4109, I[4]=" << ink;
    ListAnswer fromLeaf = AskList(4108, r);
    ASSERT_EQ(fromLeaf.status, 0);
    EXPECT_EQ(fromLeaf.items, want) << "key 4108, I[4]=" << ink;
  }
}

// The per-item stage writes I[4] into a work copy, but the slot must be
// one the caller's request has.
TEST(ItemLists, InkCountSlots) {
  for (uint32_t key : {4108u, 4109u}) {
    Request four = Request::Ints(4);
    EXPECT_EQ(AskList(key, four).status, -3) << key;
    Request five = Request::Ints(5);
    ListAnswer a = AskList(key, five);
    EXPECT_EQ(a.status, 0) << key;
    EXPECT_EQ(a.items.size(), 2u) << key;
    Request none;
    EXPECT_EQ(AskList(key, none).status, -3) << key;
  }
}

TEST(ItemLists, MediaTypes) {
  std::vector<ListItem> want;
  for (auto [id, value] : kMedia) want.push_back({id, value, 0, 0, id == 1 ? 1 : 0});
  for (int32_t ink : {4, 6})
    for (int32_t i9 : {0, 1}) {
      Request r = Settings(ink, i9, 0);
      EXPECT_EQ(AskList(4110, r).items, want) << "key 4110, I[4]=" << ink << ", I[9]=" << i9;
      EXPECT_EQ(AskList(4111, r).items, want) << "key 4111, I[4]=" << ink << ", I[9]=" << i9;
    }
  // Without a branch for the settings, 4110 has no list and 4111 no mark.
  Request none = Settings(5, 0, 0);
  EXPECT_EQ(AskList(4110, none).status, 1);
  ListAnswer unmarked = AskList(4111, none);
  ASSERT_EQ(unmarked.status, 0);
  for (ListItem &i : want) i.mark = 0;
  EXPECT_EQ(unmarked.items, want);
}

TEST(ItemLists, PaperSizes) {
  std::vector<ListItem> all, printable;
  for (auto [id, value] : kPaperSizes) {
    const bool isPrintable = std::find(kPrintable.begin(), kPrintable.end(), id) != kPrintable.end();
    all.push_back({id, value, kPaperCodes.at(id), isPrintable ? 0 : 1, 0});
    if (isPrintable) printable.push_back({id, value, kPaperCodes.at(id), 0, 0});
  }
  for (int32_t size : {0, 9, 256}) {
    Request r = Request::Standard(Database::Driver).set(28, size).set(52, 5);
    ListAnswer a4112 = AskList(4112, r);
    ASSERT_EQ(a4112.status, 0);
    EXPECT_EQ(a4112.items, printable) << "I[28]=" << size;
    ListAnswer a4113 = AskList(4113, r);
    ASSERT_EQ(a4113.status, 0);
    EXPECT_EQ(a4113.items, all) << "I[28]=" << size;
  }
  Request few = Request::Ints(28);
  EXPECT_EQ(AskList(4112, few).status, -3);
  EXPECT_EQ(AskList(4113, few).status, -3);
  Request enough = Request::Ints(29);
  EXPECT_EQ(AskList(4113, enough).items, all);
}

TEST(ItemLists, PaperSources) {
  struct Case {
    int32_t marginMode, media;
    std::vector<ListItem> want;
  };
  const Case kCases[] = {
      {5, 1, {{7, 15302, 0, 0, 1}}},
      {5, 275, {{7, 15302, 0, 0, 1}}},
      {0, 275, {{4, 15301, 0, 0, 2}, {7, 15302, 0, 0, 0}}},
      {0, 1, {{4, 15301, 0, 0, 0}, {7, 15302, 0, 0, 2}}},
      {3, 283, {{4, 15301, 0, 0, 0}, {7, 15302, 0, 0, 2}}},
  };
  for (const Case &c : kCases) {
    Request r = Request::Standard(Database::Driver).set(52, c.marginMode).set(5, c.media);
    EXPECT_EQ(AskList(4114, r).items, c.want) << "key 4114, I[52]=" << c.marginMode << ", I[5]=" << c.media;
    // 4115 lists both sources whatever the settings, with 4114's mark.
    std::vector<ListItem> full = {{4, 15301, 0, 0, 0}, {7, 15302, 0, 0, 0}};
    for (ListItem &i : full)
      for (const ListItem &m : c.want)
        if (m.id == i.id) i.mark = m.mark;
    EXPECT_EQ(AskList(4115, r).items, full) << "key 4115, I[52]=" << c.marginMode << ", I[5]=" << c.media;
  }
}

// Per media and ink: the qualities with 20486/20487 and their mark, the
// I[6] values of every quality, and the single-item lists 4173 and 4174.
TEST(ItemLists, PrintSettings) {
  for (int32_t ink : {4, 6})
    for (int32_t i9 : {0, 1})
      for (auto [media, q] : kQualities) {
        const std::vector<int32_t> &qualities = ink == 4 ? q.ink4 : q.ink6;
        const int32_t marked = ink == 4 ? q.mark4 : q.mark6;
        Request r = Settings(ink, i9, media, 0);
        std::vector<ListItem> want;
        for (int32_t quality : qualities) {
          auto [a1, a2] = QualityValues(ink, media, quality);
          want.push_back({quality, a1, a2, 0, quality == marked ? 1 : 0});
        }
        EXPECT_EQ(AskList(4118, r).items, want) << "I[4]=" << ink << ", I[9]=" << i9 << ", I[5]=" << media;

        std::vector<ListItem> all;
        for (int32_t v = 1; v <= 5; ++v) all.push_back({v, 0, 0, 0, v == marked ? 1 : 0});
        EXPECT_EQ(AskList(4119, r).items, all) << "I[4]=" << ink << ", I[5]=" << media;

        const std::vector<ListItem> zero = {{0, 0, 0, 0, 1}};
        EXPECT_EQ(AskList(4173, r).items, zero) << "I[5]=" << media;
        EXPECT_EQ(AskList(4174, r).items, zero) << "I[5]=" << media;

        for (int32_t quality : qualities) {
          r.set(8, quality);
          std::vector<ListItem> i6;
          for (int32_t v : I6Values(media, quality)) i6.push_back({v, 0, 0, 0, v == 3 ? 1 : 0});
          EXPECT_EQ(AskList(4116, r).items, i6)
              << "I[4]=" << ink << ", I[5]=" << media << ", I[8]=" << quality;
        }
      }
}

TEST(ItemLists, StrictAndLooseMarks) {
  // 4119's five ids do not depend on I[81], but its mark key is strict.
  Request r = Settings(4, 0, 1);
  r.set(81, 1);
  EXPECT_EQ(AskList(4119, r).status, 1);
  EXPECT_EQ(AskList(4118, r).status, 1);
  // 4174's mark stands below the media select; outside the list it is
  // missing, which leaves the one item unmarked.
  Request other = Settings(4, 0, 999);
  ListAnswer a = AskList(4174, other);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.items, (std::vector<ListItem>{{0, 0, 0, 0, 0}}));
  EXPECT_EQ(AskList(4173, other).status, 1);
}

TEST(ItemLists, KeysWithoutAnswers) {
  for (uint32_t key : {4177u, 4180u, 4186u}) {
    Request r = Settings(4, 0, 1, 2);
    EXPECT_EQ(AskList(key, r).status, 3) << key;
  }
}

// Fields no stage fills are cleared, whatever the buffer held before.
TEST(ItemLists, UnfilledFieldsAreCleared) {
  struct Case {
    uint32_t key;
    int32_t ListItem::*field;
  };
  const Case kCases[] = {{4110, &ListItem::attr2}, {4110, &ListItem::attr3}, {4111, &ListItem::attr2},
                         {4112, &ListItem::attr3}, {4112, &ListItem::mark},  {4113, &ListItem::mark},
                         {4114, &ListItem::attr2}, {4116, &ListItem::attr1}, {4118, &ListItem::attr3},
                         {4119, &ListItem::attr1}, {4173, &ListItem::attr3}};
  for (const Case &c : kCases) {
    Request r = Settings(4, 0, 1, 4).set(28, 9);
    ListAnswer a = AskList(c.key, r);
    ASSERT_EQ(a.status, 0) << c.key;
    ASSERT_FALSE(a.items.empty()) << c.key;
    for (const ListItem &i : a.items) EXPECT_EQ(i.*c.field, 0) << "key " << c.key << ", item " << i.id;
  }
}

// The services take the ids packed at the start of the buffer; every
// record, item 0's included, is rebuilt around its id.
TEST(ItemLists, CompleteSpreadsInPlace) {
  Request r = Settings(4, 0, 1);
  std::vector<uint8_t> buffer(14 * sizeof(ListItem), 0xCD);
  for (size_t i = 0; i < kMedia.size(); ++i) std::memcpy(&buffer[4 * i], &kMedia[i].first, 4);
  ASSERT_EQ(CompleteItemList(CompiledImage(), 4111, &r.view(), uint32_t(buffer.size()), buffer.data(), 14),
            0);
  std::vector<ListItem> got(14);
  std::memcpy(got.data(), buffer.data(), buffer.size());
  for (size_t i = 0; i < kMedia.size(); ++i) {
    ListItem want{kMedia[i].first, kMedia[i].second, 0, 0, kMedia[i].first == 1 ? 1 : 0};
    EXPECT_EQ(got[i], want) << i;
  }
}

} // namespace
} // namespace m4k7
