// The list services over small images built for one case each: the shapes
// and breakages that the M4K7's own image never has.
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compiler.h"
#include "drvlists/drvlists.h"
#include "platform/test_hooks.h"

namespace m4k7 {
namespace {

using imagec::ImageBuilder;
using imagec::is;
using imagec::otherwise;
using imagec::text;

constexpr uint32_t kNoSize = 0xDEADBEEF;
constexpr uint16_t kFragment = 0x5008;

struct SmallImage {
  imagec::ImageTables tables;
  ImageDescriptor image{};
  void refresh() { image = tables.descriptor(); }
};

// A content that does not compile ends the test: every case below needs
// its image.
std::unique_ptr<SmallImage> Build(const std::function<void(ImageBuilder &)> &content) {
  ImageBuilder b;
  content(b);
  auto out = std::make_unique<SmallImage>();
  std::string error;
  if (!imagec::Compile(b, &out->tables, &error)) throw std::runtime_error("small image: " + error);
  out->refresh();
  return out;
}

struct Call {
  AccessStatus status;
  uint32_t size;
  std::vector<uint8_t> bytes;
};

// One DispatchDriverKey call with a buffer of bufferSize 0xCD bytes (or
// none); the guard bytes past it must stay as they were.
Call Dispatch(const ImageDescriptor &image, uint32_t key, const AccessRequest &r, uint32_t bufferSize,
              bool withBuffer = true) {
  constexpr size_t kGuard = 16;
  Call c{0, kNoSize, std::vector<uint8_t>(bufferSize + kGuard, 0xCD)};
  c.status = DispatchDriverKey(image, key, &r, bufferSize, withBuffer ? c.bytes.data() : nullptr, &c.size);
  for (size_t i = bufferSize; i < c.bytes.size(); ++i)
    if (c.bytes[i] != 0xCD) ADD_FAILURE() << "key " << key << ": wrote past the buffer at " << i;
  c.bytes.resize(bufferSize);
  return c;
}

std::vector<ListItem> Items(const Call &c) {
  std::vector<ListItem> items(c.bytes.size() / sizeof(ListItem));
  if (!items.empty()) std::memcpy(items.data(), c.bytes.data(), items.size() * sizeof(ListItem));
  return items;
}

struct Ints {
  std::vector<int32_t> values;
  AccessRequest request{};
  explicit Ints(uint32_t count, std::initializer_list<std::pair<uint32_t, int32_t>> set = {})
      : values(count, 0) {
    for (auto [slot, v] : set) values.at(slot) = v;
    request.intParamCount = count;
    request.intParams = values.empty() ? nullptr : values.data();
  }
  Ints(const Ints &) = delete; // the request points into values
  Ints &operator=(const Ints &) = delete;
};

TEST(ItemLists, EmptyLeaf) {
  auto img = Build([](ImageBuilder &b) {
    b.key(4110, b.ints(4110, {}));
    b.itemList(5, {{1, 100}});
  });
  Ints r(106);
  Call query = Dispatch(img->image, 4110, r.request, 0, false);
  EXPECT_EQ(query.status, 2);
  EXPECT_EQ(query.size, 0u);
  Call call = Dispatch(img->image, 4110, r.request, 8);
  EXPECT_EQ(call.status, 0);
  EXPECT_EQ(call.bytes, std::vector<uint8_t>(8, 0xCD));
}

TEST(ItemLists, ListTableChecks) {
  struct Case {
    const char *what;
    std::vector<int64_t> ids;
    std::vector<std::pair<uint16_t, int32_t>> list5;
    AccessStatus want;
  };
  const Case kCases[] = {
      {"every id in the list", {2, 1}, {{1, 100}, {2, 200}}, 0},
      {"more ids than the list has", {1, 2, 1}, {{1, 100}, {2, 200}}, -1},
      {"an id the list lacks", {1, 9}, {{1, 100}, {2, 200}}, 1},
      {"no list 5", {1}, {}, 1},
  };
  for (const Case &c : kCases) {
    auto img = Build([&c](ImageBuilder &b) {
      b.key(4110, b.ints(4110, c.ids));
      if (!c.list5.empty()) b.itemList(5, c.list5);
      b.itemList(7, {{4, 1}});
    });
    Ints r(106);
    Call call = Dispatch(img->image, 4110, r.request, uint32_t(20 * c.ids.size()));
    EXPECT_EQ(call.status, c.want) << c.what;
    if (c.want == 0) {
      std::vector<ListItem> items = Items(call);
      EXPECT_EQ(items[0].attr1, 200);
      EXPECT_EQ(items[1].attr1, 100);
    }
  }
}

// attr1 is the value of the id's first entry in the list, whatever order
// the ids come in: the entries are read from a cursor, and an id that may
// stand before it (the same id again, or one that shares its low byte with
// an entry passed) is searched from the front.
TEST(ItemLists, Attr1IsTheFirstEntrysValueInAnyOrder) {
  struct Case {
    const char *what;
    std::vector<int64_t> ids;
    std::vector<std::pair<uint16_t, int32_t>> list5;
    std::pair<uint16_t, uint16_t> rename; // an entry's id changed after compiling, {0, 0}: none
    AccessStatus want;
    std::vector<int32_t> attr1;
  };
  const Case kCases[] = {
      {"the list's order", {1, 2, 3}, {{1, 10}, {2, 20}, {3, 30}}, {0, 0}, 0, {10, 20, 30}},
      {"reversed", {3, 2, 1}, {{1, 10}, {2, 20}, {3, 30}}, {0, 0}, 0, {30, 20, 10}},
      {"an id twice", {2, 2, 1}, {{1, 10}, {2, 20}, {3, 30}, {4, 40}}, {0, 0}, 0, {20, 20, 10}},
      {"an entry twice, after the cursor", {3, 1}, {{1, 10}, {2, 20}, {5, 11}, {3, 30}}, {5, 1}, 0, {30, 10}},
      {"an entry twice, from the front",
       {1, 3, 1},
       {{1, 10}, {2, 20}, {5, 11}, {3, 30}},
       {5, 1},
       0,
       {10, 30, 10}},
      {"low bytes shared", {1, 257, 2, 513}, {{257, 1}, {1, 2}, {513, 3}, {2, 4}}, {0, 0}, 0, {2, 1, 4, 3}},
      {"low bytes shared, skipped", {513, 1}, {{257, 1}, {1, 2}, {513, 3}, {2, 4}}, {0, 0}, 0, {3, 2}},
      {"an id past the cursor's end", {2, 1, 9}, {{1, 10}, {2, 20}, {3, 30}}, {0, 0}, 1, {}},
  };
  for (const Case &c : kCases) {
    auto img = Build([&c](ImageBuilder &b) {
      b.key(4110, b.ints(4110, c.ids));
      b.itemList(5, c.list5);
    });
    if (c.rename.first != 0) {
      for (uint16_t &id : img->tables.itemIds)
        if (id == c.rename.first) id = c.rename.second;
      img->refresh();
    }
    Ints r(106);
    Call call = Dispatch(img->image, 4110, r.request, uint32_t(20 * c.ids.size()));
    ASSERT_EQ(call.status, c.want) << c.what;
    std::vector<int32_t> got;
    if (c.want == 0)
      for (const ListItem &item : Items(call)) got.push_back(item.attr1);
    EXPECT_EQ(got, c.attr1) << c.what;
  }
}

TEST(ItemLists, TableKeys) {
  // Without the item-list table the table keys answer 1.
  Ints r(106);
  for (uint32_t key : {4109u, 4111u, 4115u}) {
    ImageDescriptor stripped = CompiledImage();
    ASSERT_EQ(Dispatch(stripped, key, r.request, 400).status, 0) << key;
    stripped.items.itemValues = nullptr;
    EXPECT_EQ(Dispatch(stripped, key, r.request, 400).status, 1) << key;
  }

  auto img = Build([](ImageBuilder &b) {
    b.key(4110, b.ints(4110, {1}));
    b.itemList(7, {{4, 15301}, {7, 15302}});
  });
  EXPECT_EQ(Dispatch(img->image, 4111, r.request, 100).status, 1); // no list 5
  Call sources = Dispatch(img->image, 4115, r.request, 40);
  ASSERT_EQ(sources.status, 0); // no mark key 20482: unmarked
  EXPECT_EQ(Items(sources)[1].id, 7);
  EXPECT_EQ(Items(sources)[1].attr1, 15302);
  EXPECT_EQ(Items(sources)[1].mark, 0);

  // A list whose start lies past the pool.
  img->tables.itemStarts[0] = 1;
  img->refresh();
  EXPECT_EQ(Dispatch(img->image, 4115, r.request, 40).status, -1);
  img->tables.itemStarts[0] = -1;
  img->refresh();
  EXPECT_EQ(Dispatch(img->image, 4115, r.request, 40).status, -1);
  // The reader of the table's ids, which `m4k7db explain` shows, fails alike.
  int32_t ids[2];
  uint32_t count = 0;
  EXPECT_EQ(ReadTableIds(img->image.items, 7, ids, 2, &count), -1);
}

TEST(ItemLists, PoolOutsideTableForAttr1) {
  auto img = Build([](ImageBuilder &b) {
    b.key(4114, b.ints(4114, {4}));
    b.itemList(7, {{4, 15301}, {7, 15302}});
  });
  img->tables.itemStarts[0] = 1; // the search for 4 runs past the pool
  img->refresh();
  Ints r(106);
  EXPECT_EQ(Dispatch(img->image, 4114, r.request, 20).status, -1);
}

// A mark pair is exactly two values; a key without one leaves the list
// unmarked unless the list's mark is strict (4118, 4119).
TEST(ItemLists, MarkPairs) {
  struct Case {
    const char *what;
    uint32_t key;
    std::vector<int64_t> pair; // empty: no mark key
    bool selectMisses;         // the mark key exists but has no leaf for the request
    AccessStatus want;
    int32_t mark2; // mark of item 2 on success
  };
  const Case kCases[] = {
      {"a pair", 4116, {2, 7}, false, 0, 7},
      {"a pair for an id not listed", 4116, {5, 7}, false, 0, 0},
      {"one value", 4116, {2}, false, -1, 0},
      {"three values", 4116, {2, 7, 9}, false, 2, 0},
      {"no mark key", 4116, {}, false, 0, 0},
      {"no leaf for the request", 4116, {2, 7}, true, 0, 0},
      {"strict: a pair", 4119, {2, 7}, false, 0, 7},
      {"strict: no mark key", 4119, {}, false, 3, 0},
      {"strict: no leaf for the request", 4119, {2, 7}, true, 1, 0},
  };
  for (const Case &c : kCases) {
    const uint16_t markKey = c.key == 4116 ? 20493 : 20485;
    auto img = Build([&](ImageBuilder &b) {
      b.key(uint16_t(c.key), b.ints(uint16_t(c.key), {1, 2}));
      if (c.pair.empty()) return;
      auto pair = b.ints(markKey, c.pair);
      b.key(markKey, c.selectMisses ? b.select(3, {is(1, pair)}) : pair);
    });
    Ints r(106);
    Call call = Dispatch(img->image, c.key, r.request, 40);
    EXPECT_EQ(call.status, c.want) << c.what;
    if (c.want == 0) {
      EXPECT_EQ(Items(call)[0].mark, 0) << c.what;
      EXPECT_EQ(Items(call)[1].mark, c.mark2) << c.what;
    }
    if (c.want != 0) {
      EXPECT_EQ(call.size, kNoSize) << c.what;
    }
  }
}

// The mark is the last stage: for 4118 (strict) a mark key without an
// answer fails a list whose ids and per-item keys all answered, where 4108
// (loose) gives the same list unmarked.
TEST(ItemLists, StrictMarkAfterThePerItemStage) {
  enum class Mark { Pair, NoLeaf, NoKey };
  struct Case {
    const char *what;
    uint16_t key;
    Mark mark;
    AccessStatus want;
    int32_t mark2; // mark of item 2 on success
  };
  const Case kCases[] = {
      {"strict: a pair", 4118, Mark::Pair, 0, 7},
      {"strict: no leaf for the request", 4118, Mark::NoLeaf, 1, 0},
      {"strict: no mark key", 4118, Mark::NoKey, 3, 0},
      {"loose: a pair", 4108, Mark::Pair, 0, 7},
      {"loose: no leaf for the request", 4108, Mark::NoLeaf, 0, 0},
      {"loose: no mark key", 4108, Mark::NoKey, 0, 0},
  };
  for (const Case &c : kCases) {
    const bool strict = c.key == 4118;
    const uint16_t attr2Key = strict ? 20487 : 20492;
    const uint16_t otherKey = strict ? 20486 : 20491; // attr1 of 4118, attr3 of 4108
    const uint16_t markKey = strict ? 20485 : 20483;
    auto img = Build([&](ImageBuilder &b) {
      b.key(c.key, b.ints(c.key, {1, 2}));
      b.key(attr2Key, b.ints(attr2Key, {40}));
      b.key(otherKey, b.ints(otherKey, {50}));
      if (!strict) b.itemList(4, {{1, 101}, {2, 102}});
      if (c.mark == Mark::NoKey) return;
      auto pair = b.ints(markKey, {2, 7});
      b.key(markKey, c.mark == Mark::NoLeaf ? b.select(3, {is(1, pair)}) : pair);
    });
    Ints r(106);
    Call call = Dispatch(img->image, c.key, r.request, 40);
    EXPECT_EQ(call.status, c.want) << c.what;
    if (c.want != 0) {
      EXPECT_EQ(call.size, kNoSize) << c.what;
      continue;
    }
    const std::vector<ListItem> items = Items(call);
    EXPECT_EQ(items[1].attr2, 40) << c.what; // the per-item stage ran
    EXPECT_EQ(items[0].mark, 0) << c.what;
    EXPECT_EQ(items[1].mark, c.mark2) << c.what;
  }
}

// Key 4113's availability flags walk key 4112's list alongside its own.
TEST(ItemLists, AvailabilityFlags) {
  struct Case {
    std::vector<int64_t> all, printable; // printable empty with present false: no key 4112
    bool present;
    AccessStatus want;
    std::vector<int32_t> flags;
  };
  const Case kCases[] = {
      {{1, 2, 3}, {1, 3}, true, 0, {0, 1, 0}},
      {{1, 2, 3}, {1, 2, 3}, true, 0, {0, 0, 0}},
      {{1, 2, 3}, {3}, true, 0, {1, 1, 0}},
      {{1, 2, 3}, {1, 3, 4}, true, 0, {0, 1, 0}}, // leftovers are not checked
      {{1, 2, 3}, {1, 2}, true, -1, {}},          // used up while items remain
      {{1, 2, 3}, {}, true, -1, {}},
      {{}, {}, true, 0, {}},
      {{1, 2, 3}, {}, false, 3, {}},
  };
  for (const Case &c : kCases) {
    auto img = Build([&](ImageBuilder &b) {
      b.key(4113, b.ints(4113, c.all));
      if (c.present) b.key(4112, b.ints(4112, c.printable));
      b.key(20494, b.ints(20494, {77}));
      b.itemList(28, {{1, 101}, {2, 102}, {3, 103}, {4, 104}});
    });
    Ints r(106);
    Call call = Dispatch(img->image, 4113, r.request, uint32_t(20 * c.all.size()));
    EXPECT_EQ(call.status, c.want) << c.all.size() << "/" << c.printable.size();
    if (c.want != 0) continue;
    std::vector<int32_t> flags;
    for (const ListItem &i : Items(call)) {
      flags.push_back(i.attr3);
      EXPECT_EQ(i.attr2, 77);
      EXPECT_EQ(i.attr1, 100 + i.id);
    }
    EXPECT_EQ(flags, c.flags);
  }
}

// The per-item keys see the item's id in the setting's slot of a work
// copy; the caller's request keeps its own value.
TEST(ItemLists, PerItemStage) {
  auto img = Build([](ImageBuilder &b) {
    b.key(4118, b.ints(4118, {1, 2}));
    b.key(20486, b.select(8, {is(1, b.ints(20486, {10})), is(2, b.ints(20486, {20}))}));
    b.key(20487, b.select(8, {is(1, b.ints(20487, {-4})), otherwise(b.ints(20487, {-3}))}));
    b.key(20485, b.ints(20485, {2, 1}));
  });
  Ints r(9, {{8, 5}});
  Call call = Dispatch(img->image, 4118, r.request, 40);
  ASSERT_EQ(call.status, 0);
  std::vector<ListItem> items = Items(call);
  EXPECT_EQ(items[0].attr1, 10);
  EXPECT_EQ(items[0].attr2, -4);
  EXPECT_EQ(items[1].attr1, 20);
  EXPECT_EQ(items[1].attr2, -3);
  EXPECT_EQ(items[1].mark, 1);
  EXPECT_EQ(r.values[8], 5);

  Ints eight(8);
  EXPECT_EQ(Dispatch(img->image, 4118, eight.request, 40).status, -3);
  AccessRequest noInts{};
  noInts.intParamCount = 20; // a count without its array counts as none
  EXPECT_EQ(Dispatch(img->image, 4118, noInts, 40).status, -3);
}

TEST(ItemLists, PerItemKeyFailures) {
  struct Case {
    const char *what;
    std::vector<int64_t> attr; // empty: key 20487 absent
    AccessStatus want;
  };
  const Case kCases[] = {{"absent per-item key", {}, 3}, {"two values in a 4-byte field", {1, 2}, 2}};
  for (const Case &c : kCases) {
    auto img = Build([&](ImageBuilder &b) {
      b.key(4118, b.ints(4118, {1}));
      b.key(20486, b.ints(20486, {0}));
      if (!c.attr.empty()) b.key(20487, b.ints(20487, c.attr));
      b.key(20485, b.ints(20485, {1, 1}));
    });
    Ints r(106);
    Call call = Dispatch(img->image, 4118, r.request, 20);
    EXPECT_EQ(call.status, c.want) << c.what;
    EXPECT_EQ(call.size, kNoSize) << c.what;
  }
}

// A per-item key's start node is found when the first item asks for it and
// walked for every item: the failures come where the lookups had them, on
// both of the index's searches.
TEST(ItemLists, PerItemKeysFailWhereTheFirstItemAsks) {
  struct Case {
    const char *what;
    std::vector<int64_t> ids;
    void (*content)(ImageBuilder &);
    uint16_t brokenStart; // a per-item key whose start node is moved past the table; 0: none
    AccessStatus want;
  };
  const Case kCases[] = {
      {"no items: no per-item key is asked", {}, [](ImageBuilder &) {}, 0, 0},
      {"first key missing", {1, 2}, [](ImageBuilder &b) { b.key(20487, b.ints(20487, {-4})); }, 0, 3},
      {"second key missing", {1, 2}, [](ImageBuilder &b) { b.key(20486, b.ints(20486, {0})); }, 0, 3},
      {"first key's walk fails before the second key is missed",
       {1, 2},
       [](ImageBuilder &b) {
         b.key(20486, b.selectString(0, {text("SSR", b.ints(20486, {1}))})); // a work copy has no strings
       },
       0,
       -2},
      {"second key's start past the node table",
       {1, 2},
       [](ImageBuilder &b) {
         b.key(20486, b.ints(20486, {0}));
         b.key(20487, b.ints(20487, {-4}));
       },
       20487,
       -1},
      {"the second item's walk finds no case",
       {1, 2},
       [](ImageBuilder &b) {
         b.key(20486, b.select(8, {is(1, b.ints(20486, {10}))}));
         b.key(20487, b.ints(20487, {-4}));
       },
       0,
       1},
      {"every item answered",
       {1, 2},
       [](ImageBuilder &b) {
         b.key(20486, b.select(8, {is(1, b.ints(20486, {10})), is(2, b.ints(20486, {20}))}));
         b.key(20487, b.ints(20487, {-4}));
       },
       0,
       0},
  };
  for (const Case &c : kCases) {
    auto img = Build([&c](ImageBuilder &b) {
      b.key(4118, b.ints(4118, c.ids));
      b.key(20485, b.ints(20485, {2, 1}));
      c.content(b);
    });
    if (c.brokenStart != 0) {
      for (size_t i = 0; i < img->tables.keys.size(); ++i)
        if (img->tables.keys[i] == c.brokenStart) img->tables.keyNodes[i] = 999999;
      img->refresh();
    }
    ASSERT_TRUE(img->image.keysSorted) << c.what;
    ImageDescriptor scanned = img->image;
    scanned.keysSorted = false;
    Ints r(106);
    const uint32_t size = uint32_t(20 * c.ids.size());
    const Call marked = Dispatch(img->image, 4118, r.request, size);
    const Call scan = Dispatch(scanned, 4118, r.request, size);
    EXPECT_EQ(marked.status, c.want) << c.what;
    EXPECT_EQ(scan.status, c.want) << c.what;
    EXPECT_EQ(marked.size, scan.size) << c.what;
    if (c.want == 0) {
      EXPECT_EQ(marked.bytes, scan.bytes) << c.what;
      if (!c.ids.empty()) {
        EXPECT_EQ(Items(marked)[1].attr1, 20) << c.what;
      }
    }
  }
}

// The driver keys of the compiled image, list services included, answer
// alike whether its key index is bisected or scanned: status, size and
// bytes, for the size query and the fetch, and for requests too short for
// the list services.
TEST(ItemLists, CompiledImageAnswersAlikeOnBothLookupPaths) {
  const ImageDescriptor &marked = CompiledImage();
  ASSERT_TRUE(marked.keysSorted);
  ImageDescriptor scanned = marked;
  scanned.keysSorted = false;
  const std::initializer_list<std::pair<uint32_t, int32_t>> kDriver = {
      {4, 4}, {5, 1}, {6, 1}, {7, 7}, {8, 2}, {28, 9}, {96, 14800}, {97, 21000}};
  struct Settings {
    const char *what;
    uint32_t count;
    std::vector<std::pair<uint32_t, int32_t>> changes;
  };
  const Settings kSettings[] = {
      {"standard", 106, {}},
      {"borderless", 106, {{52, 5}}},
      {"media 275", 106, {{5, 275}}},
      {"I[81] = 1", 106, {{81, 1}}},
      {"I[9] = 1, six inks", 106, {{9, 1}, {4, 6}}},
      {"a paper size without a page-format command", 106, {{28, 8}}},
      {"four ints", 4, {}},
      {"nine ints", 9, {}},
      {"no ints", 0, {}},
  };
  for (const Settings &s : kSettings) {
    std::vector<int32_t> values(s.count, 0);
    for (auto [slot, v] : kDriver)
      if (slot < s.count) values[slot] = v;
    for (auto [slot, v] : s.changes) values.at(slot) = v;
    AccessRequest r{};
    r.intParamCount = s.count;
    r.intParams = values.empty() ? nullptr : values.data();
    for (uint32_t key = 0x1001; key <= 0x10FF; ++key) {
      const Call sizeQuery = Dispatch(marked, key, r, 0, false);
      const Call sizeScanned = Dispatch(scanned, key, r, 0, false);
      ASSERT_EQ(sizeQuery.status, sizeScanned.status) << s.what << ", key " << key;
      ASSERT_EQ(sizeQuery.size, sizeScanned.size) << s.what << ", key " << key;
      if (sizeQuery.status != 2 || sizeQuery.size > 4096) continue;
      const Call answer = Dispatch(marked, key, r, sizeQuery.size);
      const Call answerScanned = Dispatch(scanned, key, r, sizeQuery.size);
      ASSERT_EQ(answer.status, answerScanned.status) << s.what << ", key " << key;
      EXPECT_EQ(answer.size, answerScanned.size) << s.what << ", key " << key;
      EXPECT_EQ(answer.bytes, answerScanned.bytes) << s.what << ", key " << key;
    }
  }
}

// Only an integer leaf gives packed ids.
TEST(ItemLists, NonIntegerLeaf) {
  auto img = Build([](ImageBuilder &b) {
    b.key(4116, b.bytes(4116, "\x01\x02"));
    b.key(4173, b.wide(4173, "ab"));
  });
  Ints r(106);
  EXPECT_EQ(Dispatch(img->image, 4116, r.request, 40).status, -1);
  EXPECT_EQ(Dispatch(img->image, 4173, r.request, 60).status, -1);
}

TEST(GroupedLists, Tables) {
  Ints r(106, {{4, 4}, {5, 1}, {8, 2}, {6, 1}, {28, 9}, {7, 7}});
  ImageDescriptor stripped = CompiledImage();
  ASSERT_EQ(Dispatch(stripped, 4121, r.request, 100).status, 0);
  stripped.groups.entryNodes = nullptr;
  EXPECT_EQ(Dispatch(stripped, 4121, r.request, 100).status, 1);
  stripped = CompiledImage();
  stripped.nodes = nullptr;
  EXPECT_EQ(Dispatch(stripped, 4121, r.request, 100).status, 1);

  auto img = Build([](ImageBuilder &b) {
    b.keyOfAllRoots(kFragment);
    auto f = b.bytes(kFragment, "\x1B@");
    b.key(4122, b.bytes(4122, "x"));
    b.hang(b.sequence({f}));
    b.groupedList(4123, {f});
  });
  EXPECT_EQ(Dispatch(img->image, 4121, r.request, 100).status, 1);
  Call ok = Dispatch(img->image, 4123, r.request, 2);
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.size, 2u);
  // A table that ends before the list's entry, with a valid node just past it.
  --img->image.groups.entryCount;
  EXPECT_EQ(Dispatch(img->image, 4123, r.request, 100).status, -1);

  img->tables.groupEntryStarts[0] = int32_t(img->tables.entryNodes.size());
  img->refresh();
  EXPECT_EQ(Dispatch(img->image, 4123, r.request, 100).status, -1);
  img->tables.groupEntryStarts[0] = 0;
  img->tables.entryNodes[0] = uint32_t(img->tables.nodes.size());
  img->refresh();
  EXPECT_EQ(Dispatch(img->image, 4123, r.request, 100).status, -1);
}

// The entries' fragments in entry order; an entry without one adds
// nothing, and leaves of other keys in an entry's tree are passed over.
TEST(GroupedLists, JoinsInEntryOrder) {
  auto img = Build([](ImageBuilder &b) {
    b.keyOfAllRoots(kFragment);
    auto a = b.bytes(kFragment, "AB");
    auto c = b.select(5, {is(1, b.bytes(kFragment, "C")), is(2, b.bytes(kFragment, "DD"))});
    auto e = b.sequence({b.bytes(4122, "zz"), b.bytes(kFragment, "E")});
    b.key(4122, e);
    for (auto n : {a, c}) b.hang(b.sequence({n}));
    b.groupedList(4121, {a, c, e, a});
  });
  struct Case {
    int32_t media;
    const char *want;
  };
  for (const Case &c : {Case{1, "ABCEAB"}, Case{2, "ABDDEAB"}, Case{3, "ABEAB"}}) {
    Ints r(106, {{5, c.media}});
    Call query = Dispatch(img->image, 4121, r.request, 0, false);
    EXPECT_EQ(query.status, 2);
    EXPECT_EQ(query.size, std::strlen(c.want));
    Call call = Dispatch(img->image, 4121, r.request, query.size + 4);
    ASSERT_EQ(call.status, 0);
    EXPECT_EQ(call.size, query.size);
    EXPECT_EQ(std::string(call.bytes.begin(), call.bytes.begin() + call.size), c.want);
    EXPECT_EQ(std::vector<uint8_t>(call.bytes.begin() + call.size, call.bytes.end()),
              std::vector<uint8_t>(4, 0xCD));
  }
}

TEST(GroupedLists, Statuses) {
  auto img = Build([](ImageBuilder &b) {
    b.keyOfAllRoots(kFragment);
    auto some = b.bytes(kFragment, "\x1B(q\x01\x00\x00");
    auto nothing = b.select(5, {is(1, b.bytes(kFragment, "x"))});
    auto needsSlot = b.select(90, {is(1, b.bytes(kFragment, "y"))});
    auto unknownValue = b.computed(kFragment, 6); // made unknown below
    for (auto n : {some, nothing, needsSlot, unknownValue}) b.hang(b.sequence({n}));
    b.groupedList(4120, {some, nothing});
    b.groupedList(4122, {nothing});
    b.groupedList(4124, {some, needsSlot});
    b.groupedList(4125, {unknownValue});
  });
  for (DbNode &n : img->tables.nodes)
    if (kindOf(n) == NodeKind::NK_COMPUTED) n.word1 = makeWord1(kFragment, 99);
  img->refresh();
  Ints r(50);
  // Without a buffer but with room enough, the first fetch answers 2 and
  // outSize is left as it was.
  Call absent = Dispatch(img->image, 4120, r.request, 100, false);
  EXPECT_EQ(absent.status, 2);
  EXPECT_EQ(absent.size, kNoSize);
  // Nothing to join: 0 and size 0, with or without a buffer.
  EXPECT_EQ(Dispatch(img->image, 4122, r.request, 0, false).status, 0);
  EXPECT_EQ(Dispatch(img->image, 4122, r.request, 0, false).size, 0u);
  EXPECT_EQ(Dispatch(img->image, 4122, r.request, 8).size, 0u);
  // A walk that fails ends the call.
  EXPECT_EQ(Dispatch(img->image, 4124, r.request, 100).status, -3);
  // A computed fragment without a value counts 0 bytes, then answers 1.
  EXPECT_EQ(Dispatch(img->image, 4125, r.request, 100).status, 1);
}

// A short list's fragment descriptors stay on the stack, a long one's take
// a heap block: both join alike, only the long one allocates, and that
// allocation failing answers -1 with nothing written.
TEST(GroupedLists, ShortAndLongListsJoinAlike) {
  struct Case {
    uint32_t entries;
    bool allocates;
  };
  for (const Case &c : {Case{1, false}, Case{16, false}, Case{17, true}, Case{40, true}}) {
    std::string want;
    auto img = Build([&](ImageBuilder &b) {
      b.keyOfAllRoots(kFragment);
      std::vector<imagec::NodeRef> entries;
      for (uint32_t i = 0; i < c.entries; ++i) {
        const std::string fragment(1 + i % 3, char('A' + i % 26));
        entries.push_back(b.bytes(kFragment, fragment));
        b.hang(b.sequence({entries.back()}));
        want += fragment;
      }
      b.groupedList(4121, entries);
    });
    Ints r(106);
    const uint64_t before = platform::testing::AllocationCount();
    Call query = Dispatch(img->image, 4121, r.request, 0, false);
    Call call = Dispatch(img->image, 4121, r.request, uint32_t(want.size()));
    EXPECT_EQ(platform::testing::AllocationCount() != before, c.allocates) << c.entries << " entries";
    EXPECT_EQ(query.status, 2) << c.entries << " entries";
    EXPECT_EQ(query.size, want.size()) << c.entries << " entries";
    ASSERT_EQ(call.status, 0) << c.entries << " entries";
    EXPECT_EQ(std::string(call.bytes.begin(), call.bytes.end()), want) << c.entries << " entries";

    platform::testing::HeapFailAt fail(1);
    Call failed = Dispatch(img->image, 4121, r.request, uint32_t(want.size()));
    EXPECT_EQ(failed.status, c.allocates ? -1 : 0) << c.entries << " entries";
    EXPECT_EQ(fail.fired(), c.allocates) << c.entries << " entries";
    if (c.allocates) {
      EXPECT_EQ(failed.bytes, std::vector<uint8_t>(want.size(), 0xCD)) << c.entries << " entries";
    }
  }
}

TEST(PrintMode, MechanismOnSmallTables) {
  auto rows = [](ImageBuilder &b) {
    b.key(4122, b.bytes(4122, "x"));
    imagec::PrintModeRowSource first{};
    first.match = {4, 0, 1, 2, 1, 0};
    first.section1.fill(0x11);
    first.section2.fill(0x22);
    first.section3.fill(0x33);
    first.section4.fill(0x44);
    b.printModeRow(first);
    imagec::PrintModeRowSource negative = first;
    negative.match = {-1, 0, 1, 2, 1, 0};
    negative.section1.fill(0x55);
    b.printModeRow(negative);
    imagec::PrintModeRowSource shadowed = first;
    shadowed.match[3] = 3;
    shadowed.section1.fill(0x66);
    b.printModeRow(shadowed);
  };
  auto img = Build(rows);
  // The compiler refuses a row that an earlier one shadows; the service
  // still takes the first match.
  img->tables.modeRows[2].match[3] = 2;
  img->refresh();
  auto settings = [](int32_t ink) { return Ints(82, {{4, ink}, {9, 0}, {5, 1}, {8, 2}, {6, 1}, {81, 0}}); };

  Ints match = settings(4);
  Call call = Dispatch(img->image, 4126, match.request, 200);
  ASSERT_EQ(call.status, 0);
  EXPECT_EQ(call.size, 192u);
  struct Span {
    uint8_t fill;
    size_t count;
  };
  std::vector<uint8_t> want;
  for (Span part :
       {Span{0x11, 48}, Span{0x22, 40}, Span{0x33, 36}, Span{0x44, 48}, Span{0x00, 20}, Span{0xCD, 8}})
    want.insert(want.end(), part.count, part.fill);
  EXPECT_EQ(call.bytes, want);

  Ints negative = settings(-1);
  EXPECT_EQ(Dispatch(img->image, 4126, negative.request, 192).bytes[0], 0x55);
  Ints wide = settings(4 + 65536); // a match value is 16 bits, sign-extended
  Call none = Dispatch(img->image, 4126, wide.request, 192);
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.size, kNoSize);
  EXPECT_EQ(none.bytes, std::vector<uint8_t>(192, 0));
  Ints unsignedView = settings(65535);
  EXPECT_EQ(Dispatch(img->image, 4126, unsignedView.request, 192).status, 1);

  // A row naming a record past its table is refused after the clear.
  img->tables.modeRows[0].section[2] = 7;
  img->refresh();
  Call bad = Dispatch(img->image, 4126, match.request, 192);
  EXPECT_EQ(bad.status, -1);
  EXPECT_EQ(bad.bytes, std::vector<uint8_t>(192, 0));
}

TEST(PrintMode, AbsentTablesAndRequest) {
  Ints r(106);
  ImageDescriptor stripped = CompiledImage();
  stripped.printModes = {};
  EXPECT_EQ(Dispatch(stripped, 4126, r.request, 192).status, -1);
  stripped = CompiledImage();
  stripped.printModes.sectionTable3 = nullptr;
  EXPECT_EQ(Dispatch(stripped, 4126, r.request, 192).status, -1);
  uint32_t size = kNoSize;
  std::vector<uint8_t> buffer(192);
  EXPECT_EQ(AnswerPrintMode(CompiledImage(), 4126, nullptr, 192, buffer.data(), &size), -1);
  EXPECT_EQ(size, kNoSize);
}

} // namespace
} // namespace m4k7
