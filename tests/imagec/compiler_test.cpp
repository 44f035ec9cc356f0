// The image compiler's layout: node 0 and the root order, shared start
// nodes, identical answers stored once, narrowest integer kinds, and the
// list tables. Compiled images are walked with the engine itself.
#include <gtest/gtest.h>

#include <algorithm>

#include "compiler.h"
#include "emit.h"
#include "engine/engine.h"
#include "imagec_test_util.h"

namespace imagec {
namespace {

using m4k7::NodeKind;

TEST(ImageCompiler, NodeZeroWalksDriverRootsThenHungNodesThenTheRest) {
  ImageBuilder b;
  const NodeRef root12 = b.ints(0x0012, {12});
  const NodeRef driver = b.ints(0x1003, {3});
  const NodeRef internal = b.ints(0x5002, {2});
  const NodeRef lm = b.ints(0x2001, {1});
  const NodeRef hung = b.sequence({b.bytes(0x5008, "\x1B@")});
  const NodeRef sm = b.ints(0x6001, {6});
  b.key(0x6001, sm);
  b.key(0x0012, root12);
  b.key(0x5002, internal);
  b.key(0x2001, lm);
  b.key(0x1003, driver);
  b.hang(hung);
  b.keyOfAllRoots(0x5008);
  const ImageTables t = MustCompile(b);

  EXPECT_EQ(t.nodes[0].word0, m4k7::makeWord0(NodeKind::NK_SEQUENCE, 1));
  EXPECT_EQ(t.nodes[0].word1, 6u);
  // Keys 0x1000-0x5FFF in key order, the hung node, then the others in key order.
  const std::vector<uint16_t> wantKeys = {0x0012, 0x1003, 0x2001, 0x5002, 0x5008, 0x6001};
  const std::vector<uint32_t> wantNodes = {5, 1, 2, 3, 0, 6};
  EXPECT_EQ(t.keys, wantKeys);
  EXPECT_EQ(t.keyNodes, wantNodes);
  EXPECT_EQ(m4k7::kindOf(t.nodes[4]), NodeKind::NK_SEQUENCE)
      << "the hung node stands after the internal keys";
}

TEST(ImageCompiler, AllRootsLookupMeetsDriverFragmentsBeforeTheRootStringSelect) {
  // A driver request carries no string parameters: were the root database's
  // string select walked first, the all-roots key would answer -2.
  ImageBuilder b;
  b.key(0x0012, b.selectString(0, {text("SSR", b.wide(0x0012, "TpxSLM_SSR"))}));
  b.key(0x1003, b.sequence({b.ints(0x1003, {21000, 29700}), b.bytes(0x5008, "\x1B(p")}));
  b.keyOfAllRoots(0x5008);
  const ImageTables t = MustCompile(b);
  const m4k7::ImageDescriptor image = t.descriptor();

  const int32_t ints[1] = {0};
  AccessRequest driver{};
  driver.intParamCount = 1;
  driver.intParams = ints;
  m4k7::LeafDescriptor leaf{};
  ASSERT_EQ(m4k7::LookupKey(image, 0x5008, &driver, &leaf), m4k7::kOk);
  EXPECT_EQ(FetchBytes(image, leaf), "\x1B(p");
  EXPECT_EQ(m4k7::LookupKey(image, 0x0012, &driver, &leaf), m4k7::kMissingString);
}

TEST(ImageCompiler, KeysSharingARootShareOneStartNodeAndAnswerOnlyTheirLeaves) {
  ImageBuilder b;
  const NodeRef tree = b.select(4, {is(4, b.sequence({b.ints(0x1007, {24}), b.ints(0x103A, {4})})),
                                    is(6, b.sequence({b.ints(0x1007, {24}), b.ints(0x103A, {6})}))});
  b.key(0x1007, tree);
  b.key(0x103A, tree);
  const ImageTables t = MustCompile(b);
  ASSERT_EQ(t.keys.size(), 2u);
  EXPECT_EQ(t.keyNodes[0], t.keyNodes[1]);
  EXPECT_EQ(t.nodes[0].word1, 1u) << "one root in node 0";

  const m4k7::ImageDescriptor image = t.descriptor();
  struct Want {
    uint16_t key;
    int32_t inkCount;
    std::vector<int32_t> values;
  } wants[] = {{0x1007, 4, {24}}, {0x1007, 6, {24}}, {0x103A, 4, {4}}, {0x103A, 6, {6}}};
  for (const Want &w : wants) {
    std::vector<int32_t> ints(5, 0);
    ints[4] = w.inkCount;
    EXPECT_EQ(AskInts(image, w.key, ints), w.values) << std::hex << w.key << " I[4]=" << w.inkCount;
  }
}

TEST(ImageCompiler, IdenticalAnswersAreStoredOnce) {
  ImageBuilder b;
  b.key(7,
        b.select(0, {is(1, b.wide(7, "same")), is(2, b.wide(7, "same")), otherwise(b.ints(7, {300, 400}))}));
  b.key(8, b.ints(8, {300, 400}));
  b.key(9, b.wide(9, "same"));
  const ImageTables t = MustCompile(b);
  EXPECT_EQ(t.bytes.size(), 5u) << "one copy of \"same\" and its NUL";
  EXPECT_EQ(t.shorts.size(), 2u) << "one slice for both [300, 400] leaves";
  EXPECT_EQ(t.nodes[0].word1 & 0xFFFF, 3u) << "node 0 is the sequence of the three roots";

  // Both cases of key 7 lead to one target node.
  const m4k7::DbNode select = t.nodes[t.keyNodes[0]];
  const uint32_t first = m4k7::operandOf(select);
  EXPECT_EQ(m4k7::operandOf(t.nodes[first]), m4k7::operandOf(t.nodes[first + 1]));
}

TEST(ImageCompiler, IdenticalListsShareOneRunAndIdenticalTextsOneString) {
  ImageBuilder b;
  auto list = [&] { return b.sequence({b.ints(0x1001, {1}), b.ints(0x1002, {2}), b.ints(0x1003, {3})}); };
  // Two selects on different parameters over equal case lists: one run of
  // cases, one run of children, one StringPool text.
  b.key(0x1001, b.select(4, {is(4, list()), is(6, list())}));
  b.key(0x1002, b.select(9, {is(4, list()), is(6, list())}));
  b.key(0x1003, b.selectString(0, {text("SSR", list())}));
  b.key(0x1004, b.selectString(1, {text("SSR", b.ints(0x1004, {4}))}));
  const ImageTables t = MustCompile(b);
  const m4k7::DbNode a = t.nodes[t.keyNodes[0]], c = t.nodes[t.keyNodes[1]];
  EXPECT_EQ(m4k7::operandOf(a), m4k7::operandOf(c)) << "one run of cases";
  EXPECT_EQ(t.strings, "SSR");
  size_t sequences = 0, stringNodes = 0;
  for (const m4k7::DbNode &n : t.nodes) {
    sequences += m4k7::kindOf(n) == NodeKind::NK_SEQUENCE;
    stringNodes += m4k7::kindOf(n) == NodeKind::NK_BYTES && m4k7::fieldOf(n) == 0;
  }
  EXPECT_EQ(sequences, 2u) << "node 0 and one shared child list";
  EXPECT_EQ(stringNodes, 1u);
}

TEST(ImageCompiler, EqualValuesShareASliceWhateverOrderTheyCameIn) {
  // [1] first, then [1, 1]: the pair starts where the single value already
  // is, and a later [1, 1] and [1] find the same slices.
  ImageBuilder b;
  b.key(1, b.ints(1, {1}));
  b.key(2, b.ints(2, {1, 1}));
  b.key(3, b.ints(3, {1, 1}));
  b.key(4, b.bytes(4, std::string("\x01\x01\x02", 3)));
  b.key(5, b.ints(5, {2}));
  const ImageTables t = MustCompile(b);
  EXPECT_EQ(t.bytes, (std::vector<uint8_t>{1, 1, 2}));
  std::vector<uint32_t> offsets;
  for (uint32_t i = 0; i < 5; ++i) offsets.push_back(m4k7::operandOf(t.nodes[t.keyNodes[i]]));
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 0, 0, 0, 2}));
}

TEST(ImageCompiler, IntegerLeavesTakeTheNarrowestKind) {
  struct KindCase {
    std::vector<int64_t> values;
    NodeKind kind;
  } cases[] = {{{-2}, NodeKind::NK_INT8},
               {{-128, 127}, NodeKind::NK_INT8},
               {{33, 161}, NodeKind::NK_UINT8},
               {{0, 255}, NodeKind::NK_UINT8},
               {{256}, NodeKind::NK_INT16},
               {{-1, 200}, NodeKind::NK_INT16},
               {{-32768, 32767}, NodeKind::NK_INT16},
               {{24130, 58420}, NodeKind::NK_UINT16},
               {{0, 65535}, NodeKind::NK_UINT16},
               {{983295, 1, 2}, NodeKind::NK_INT32},
               {{-1, 40000}, NodeKind::NK_INT32},
               {{0x80000001LL}, NodeKind::NK_INT32},
               {{-2147483647LL - 1, 2147483647}, NodeKind::NK_INT32},
               {{}, NodeKind::NK_INT8}};
  for (const KindCase &c : cases) {
    ImageBuilder b;
    b.key(7, b.ints(7, c.values));
    const ImageTables t = MustCompile(b);
    const m4k7::ImageDescriptor image = t.descriptor();
    m4k7::LeafDescriptor leaf{};
    ASSERT_EQ(m4k7::LookupKey(image, 7, nullptr, &leaf), 0);
    EXPECT_EQ(m4k7::kindOf(leaf.word0), c.kind) << ::testing::PrintToString(c.values);
    std::vector<int32_t> want;
    for (int64_t v : c.values) want.push_back(int32_t(uint32_t(v)));
    EXPECT_EQ(AskInts(image, 7, {}), want);
  }
}

TEST(ImageCompiler, RangesMaskedSelectsAndGuardsWalkAsWritten) {
  ImageBuilder b;
  b.key(0x1001, b.select(0, {range(-2147483647 - 1, -1, b.ints(0x1001, {-1})),
                             range(1, 2147483647, b.ints(0x1001, {1}))}));
  b.key(0x1002, b.selectMasked(1, 0x800000, {is(0x800000, b.ints(0x1002, {8}))}));
  b.key(0x1003, b.guarded(2, {b.guard(5, {b.ints(0x1003, {5})}), b.ints(0x1003, {0})}));
  b.key(0x1004, b.guarded(2, {b.guard(5, {b.ints(0x1004, {5})}), b.guard(6, {b.ints(0x1004, {6})})}));
  const ImageTables t = MustCompile(b);
  const m4k7::ImageDescriptor image = t.descriptor();
  struct Ask {
    uint16_t key;
    std::vector<int32_t> ints;
    std::vector<int32_t> want; // empty: not found
  } asks[] = {
      {0x1001, {-2147483647 - 1, 0, 0}, {-1}},
      {0x1001, {-1, 0, 0}, {-1}},
      {0x1001, {0, 0, 0}, {}},
      {0x1001, {2147483647, 0, 0}, {1}},
      {0x1002, {0, 0x7F800005, 0}, {8}},
      {0x1002, {0, 0x7F7FFFFF, 0}, {}},
      {0x1003, {0, 0, 5}, {5}},
      {0x1003, {0, 0, 9}, {0}},
      {0x1004, {0, 0, 6}, {6}},
      {0x1004, {0, 0, 7}, {}},
  };
  for (const Ask &a : asks) EXPECT_EQ(AskInts(image, a.key, a.ints), a.want) << std::hex << a.key;
  const int32_t pair[2] = {1, 2147483647};
  EXPECT_NE(std::search(t.ints.begin(), t.ints.end(), pair, pair + 2), t.ints.end());
  EXPECT_EQ(t.ints.size(), 4u) << "the two bound pairs, nothing else";
}

TEST(ImageCompiler, ListTablesNameTheEntryNodesAndStoreSectionRecordsOnce) {
  ImageBuilder b;
  const NodeRef inner = b.bytes(0x5008, "\x1B(b\x01\x00\x01");
  const NodeRef hung = b.sequence({inner});
  const NodeRef keyed = b.select(7, {is(4, b.bytes(0x5008, "\x1B(l\x02\x00"
                                                           "1"))});
  b.key(0x1012, keyed);
  b.hang(hung);
  b.keyOfAllRoots(0x5008);
  b.groupedList(0x1019, {inner, keyed});
  b.groupedList(0x1018, {hung});
  b.itemList(7, {{4, 15301}, {7, 15302}});
  b.itemList(4, {{4, 15004}});
  PrintModeRowSource row{};
  row.match = {4, 0, 1, 2, 1, 0};
  row.section1[0] = 1;
  b.printModeRow(row);
  row.match[3] = 3;
  row.section1[0] = 2;
  b.printModeRow(row);
  row.match[3] = 4;
  row.section1[0] = 1;
  b.printModeRow(row);
  const ImageTables t = MustCompile(b);

  EXPECT_EQ(t.groupKeys, (std::vector<uint16_t>{0x1019, 0x1018}));
  EXPECT_EQ(t.groupEntryCounts, (std::vector<uint16_t>{2, 1}));
  EXPECT_EQ(t.groupEntryStarts, (std::vector<int32_t>{0, 2}));
  ASSERT_EQ(t.entryNodes.size(), 3u);
  EXPECT_EQ(t.entryNodes[1], 1u) << "a keyed root enters by its root slot";
  EXPECT_EQ(t.entryNodes[2], 2u) << "a hung node enters by its root slot";
  EXPECT_EQ(m4k7::operandOf(t.nodes[2]), t.entryNodes[0]) << "a child enters where its words stand";

  EXPECT_EQ(t.listIds, (std::vector<uint16_t>{7, 4}));
  EXPECT_EQ(t.itemStarts, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(t.itemIds, (std::vector<uint16_t>{4, 7, 4}));
  EXPECT_EQ(t.itemValues, (std::vector<int32_t>{15301, 15302, 15004}));

  ASSERT_EQ(t.modeRows.size(), 3u);
  EXPECT_EQ(t.section1.size(), 2 * m4k7::kSection1Size) << "two distinct section 1 records";
  EXPECT_EQ(t.section2.size(), m4k7::kSection2Size);
  const uint16_t sections[3] = {t.modeRows[0].section[0], t.modeRows[1].section[0], t.modeRows[2].section[0]};
  EXPECT_EQ(sections[0], 0);
  EXPECT_EQ(sections[1], 1);
  EXPECT_EQ(sections[2], 0) << "records numbered in first-use order";
  EXPECT_EQ(t.descriptor().printModes.sectionCounts[0], 2u);
}

TEST(ImageCompiler, EmptyTablesArePresent) {
  // An absent table fails every lookup with -1; an empty one finds nothing.
  ImageBuilder b;
  b.key(7, b.ints(7, {}));
  const ImageTables t = MustCompile(b);
  const m4k7::ImageDescriptor d = t.descriptor();
  EXPECT_NE(d.intPool, nullptr);
  EXPECT_NE(d.shortPool, nullptr);
  EXPECT_NE(d.stringPool, nullptr);
  EXPECT_NE(d.groups.groupKeys, nullptr);
  EXPECT_NE(d.printModes.sectionTable4, nullptr);
  EXPECT_EQ(AskInts(d, 7, {}), std::vector<int32_t>{});
}

TEST(ImageCompiler, GeneratedSourceAnnouncesItselfAndItsCounts) {
  ImageBuilder b;
  b.key(2, b.wide(2, "1.62"));
  b.key(0x1011, b.ints(0x1011, {-2147483647LL - 1}));
  const ImageTables t = MustCompile(b);
  const std::string source = EmitImageSource(t);
  EXPECT_EQ(source.rfind("// Generated by m4k7-imagec from src/image/content/*.cpp; do not edit.\n"
                         "// Rebuild: cmake --build --preset default --target image\n"
                         "// nodes 3, keys 2,",
                         0),
            0u)
      << source.substr(0, 300);
  EXPECT_NE(source.find("-2147483647 - 1"), std::string::npos) << "INT32_MIN is not an int literal";
  EXPECT_NE(source.find("const m4k7::ImageDescriptor &m4k7::CompiledImage()"), std::string::npos);
  EXPECT_NE(source.find(".keysSorted = true,"), std::string::npos) << "the module would scan its keys";
  EXPECT_EQ(source.find("new "), std::string::npos);
}

} // namespace
} // namespace imagec
