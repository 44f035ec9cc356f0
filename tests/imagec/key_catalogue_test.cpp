// The tools' key table: names as the content gives them, the slots a lookup
// of each key may read worked out from the content graph, and the refusals.
#include <gtest/gtest.h>

#include <string>

#include "key_catalogue.h"

namespace imagec {
namespace {

using m4k7::imageview::FindKeyInfo;
using m4k7::imageview::FindValueName;

// A paper-size tree shared by four keys, a guarded sequence with a member
// outside its guards, string and masked selects, and entries hung below
// node 0 that only the all-roots key reaches.
void SharedTrees(ImageBuilder &b) {
  const NodeRef bySize = b.guarded(
      28, {b.guard(9, {b.ints(0x1003, {21000, 29700}),
                       b.select(52, {is(5, b.sequence({b.ints(0x1001, {1}), b.ints(0x1033, {702})})),
                                     otherwise(b.ints(0x1001, {2}))})}),
           b.guard(256, {b.computed(0x1004, 2), b.computed(0x1033, 4)})});
  for (Key k : {0x1001, 0x1003, 0x1004, 0x1033}) b.key(k, "named", bySize);
  const NodeRef byInk = b.guarded(4, {b.ints(0x1005, {1}), b.guard(4, {b.ints(0x1006, {2})})});
  b.key(0x1005, "before the guards", byInk);
  b.key(0x1006, "under a guard", byInk);
  b.key(0x2001, "pair, then I[1]",
        b.selectString(
            1, {text("BK,VC", b.select(1, {is(1, b.ints(0x2001, {1}))})), anyText(b.ints(0x2001, {0}))}));
  b.key(0x2012, "masked", b.selectMasked(2, 0xFF, {is(0x31, b.ints(0x2012, {1}))}));
  b.key(0x0003, "a name", b.wide(0x0003, "tpxub1o.dll"));
  b.hang(b.selectPrinterData(2, {otherwise(b.bytes(0x5008, "\x1B@"))}));
  b.keyOfAllRoots(0x5008, "fragments");
  b.nameCodeKey(4121, "page start", "grouped list");
  b.nameValue(28, 9, "A4");
}

TEST(KeyCatalogue, SlotsAreThoseTheWalkMayRead) {
  ImageBuilder b;
  SharedTrees(b);
  KeyCatalogueTables t;
  std::string error;
  ASSERT_TRUE(BuildKeyCatalogue(b, &t, &error)) << error;
  const m4k7::imageview::KeyCatalogue c = t.view();
  struct Want {
    uint16_t key;
    const char *slots, *answer;
  };
  const Want kWant[] = {
      {0x1003, "I[28]", "integers"}, // answers before the select on I[52]
      {0x1001, "I[28] I[52]", "integers"},
      {0x1033, "I[28] I[52]", "integers or computed CV_PAGE_LENGTH"},
      {0x1004, "I[28] I[52]", "computed CV_PRINTABLE_AREA_CAPPED"}, // size 9's select is walked first
      {0x1005, "", "integers"}, // a member outside the guards reads no slot
      {0x1006, "I[4]", "integers"},
      {0x2001, "S[1] I[1]", "integers"},
      {0x2012, "I[2]&0xFF", "integers"},
      {0x0003, "", "name"},
      // Node 0 walks every root in the compiler's order, the hung node after
      // the roots of keys 0x1000-0x5FFF.
      {0x5008, "I[28] I[52] I[4] S[1] I[1] I[2]&0xFF printer data 2", "bytes"},
      {4121, "", "grouped list"},
  };
  for (const Want &w : kWant) {
    const m4k7::imageview::KeyInfo *info = FindKeyInfo(w.key, c);
    ASSERT_NE(info, nullptr) << w.key;
    EXPECT_STREQ(info->slots, w.slots) << w.key;
    EXPECT_STREQ(info->answer, w.answer) << w.key;
    EXPECT_EQ(info->inIndex, w.key != 4121) << w.key;
  }
  EXPECT_EQ(FindKeyInfo(0x1002, c), nullptr);
  EXPECT_STREQ(FindKeyInfo(0x5008, c)->name, "fragments");
  EXPECT_STREQ(FindValueName(28, 9, c), "A4");
  EXPECT_EQ(FindValueName(28, 8, c), nullptr);
  EXPECT_EQ(FindValueName(29, 9, c), nullptr);
}

TEST(KeyCatalogue, EmittedTableDeclaresEveryKey) {
  ImageBuilder b;
  SharedTrees(b);
  KeyCatalogueTables t;
  std::string error;
  ASSERT_TRUE(BuildKeyCatalogue(b, &t, &error)) << error;
  const std::string source = EmitKeyCatalogueSource(t);
  EXPECT_NE(source.find("{4099, \"named\", \"I[28]\", \"integers\", true},"), std::string::npos) << source;
  EXPECT_NE(source.find("{4121, \"page start\", \"\", \"grouped list\", false},"), std::string::npos);
  EXPECT_NE(source.find("{28, 9, \"A4\"},"), std::string::npos);
  EXPECT_NE(source.find("kCatalogue = {kKeys, 11, kValues, 1}"), std::string::npos);
}

TEST(KeyCatalogue, RefusesKeysWithoutNames) {
  struct Case {
    const char *what;
    void (*build)(ImageBuilder &);
    const char *message;
  };
  const Case kCases[] = {
      {"no name", [](ImageBuilder &b) { b.key(7, b.ints(7, {1})); }, "key 0x0007 (7): no name"},
      {"an empty name", [](ImageBuilder &b) { b.key(7, "", b.ints(7, {1})); }, "key 0x0007 (7): no name"},
      {"the all-roots key without one",
       [](ImageBuilder &b) {
         b.key(7, "seven", b.ints(7, {1}));
         b.keyOfAllRoots(0x5008);
       },
       "key 0x5008 (20488): no name"},
      {"a code-answered name for an index key",
       [](ImageBuilder &b) {
         b.key(7, "seven", b.ints(7, {1}));
         b.nameCodeKey(7, "by code", "item list");
       },
       "key 0x0007 (7): named as answered by code, but it is in the key index"},
  };
  for (const Case &c : kCases) {
    ImageBuilder b;
    c.build(b);
    KeyCatalogueTables t;
    std::string error;
    EXPECT_FALSE(BuildKeyCatalogue(b, &t, &error)) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
}

} // namespace
} // namespace imagec
