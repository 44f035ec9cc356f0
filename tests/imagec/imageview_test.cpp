// The image-view library on its own: the checks of tables the compiler
// never writes wrongly (so only a corrupted descriptor shows them), and the
// dump's shape.
#include <gtest/gtest.h>

#include "dump.h"
#include "imagec_test_util.h"
#include "validate.h"

namespace imagec {
namespace {

using m4k7::NodeKind;

ImageTables SmallImage() {
  ImageBuilder b;
  const NodeRef four = b.sequence({b.ints(0x1007, {24}), b.ints(0x103A, {4})});
  const NodeRef tree =
      b.select(4, {is(4, four), is(5, four), is(6, b.sequence({b.ints(0x1007, {24}), b.ints(0x103A, {6})}))});
  b.key(0x1007, tree);
  b.key(0x103A, tree);
  b.key(0x0012, b.selectString(0, {text("SSR", b.wide(0x0012, "TpxSLM_SSR"))}));
  const NodeRef fragment = b.bytes(0x5008, "\x1B(b\x01\x00\x01");
  b.hang(b.sequence({fragment}));
  b.groupedList(0x1019, {fragment});
  b.itemList(4, {{4, 15004}, {6, 15006}});
  PrintModeRowSource row{};
  row.match = {4, 0, 1, 2, 1, 0};
  b.printModeRow(row);
  b.keyOfAllRoots(0x5008);
  return MustCompile(b);
}

bool Mentions(const std::vector<std::string> &problems, const std::string &text) {
  for (const std::string &p : problems)
    if (p.find(text) != std::string::npos) return true;
  return false;
}

TEST(ImageChecks, CorruptedDescriptorsAreNamed) {
  struct Corruption {
    const char *what;
    void (*corrupt)(m4k7::ImageDescriptor &, ImageTables &);
    const char *problem;
  } cases[] = {
      {"absent node table", [](m4k7::ImageDescriptor &d, ImageTables &) { d.nodes = nullptr; },
       "image: node table absent but its count is"},
      {"no keys", [](m4k7::ImageDescriptor &d, ImageTables &) { d.keyCount = 0; },
       "image: the key index is empty"},
      {"keys out of order", [](m4k7::ImageDescriptor &, ImageTables &t) { std::swap(t.keys[0], t.keys[1]); },
       "key index not ascending"},
      {"start node past the table", [](m4k7::ImageDescriptor &, ImageTables &t) { t.keyNodes[0] = 9999; },
       "key 0x0012 (18): start node 9999 is not a node"},
      {"node 0 not the roots", [](m4k7::ImageDescriptor &, ImageTables &t) { t.nodes[0].word1 = 1; },
       "not reachable from node 0"},
      {"node 0 not a sequence",
       [](m4k7::ImageDescriptor &, ImageTables &t) {
         t.nodes[0].word0 = m4k7::makeWord0(NodeKind::NK_GUARD, 1);
       },
       "node 0: not a sequence of the roots 1..R"},
      {"grouped list past its entries",
       [](m4k7::ImageDescriptor &, ImageTables &t) { t.groupEntryStarts[0] = 1; },
       "grouped list key 0x1019 (4121): entries 1+1 lie outside the entry table (1)"},
      {"item list past its pool", [](m4k7::ImageDescriptor &, ImageTables &t) { t.itemStarts[0] = 1; },
       "item list 4: items 1+2 lie outside the item pool (2)"},
      {"print-mode row naming a missing record",
       [](m4k7::ImageDescriptor &, ImageTables &t) { t.modeRows[0].section[2] = 1; },
       "print-mode row 0: section 3 record 1 is not in its table (1 records)"},
  };
  for (const auto &c : cases) {
    ImageTables t = SmallImage();
    m4k7::ImageDescriptor d = t.descriptor();
    c.corrupt(d, t);
    const std::vector<std::string> problems = m4k7::imageview::ImageProblems(d);
    EXPECT_TRUE(Mentions(problems, c.problem)) << c.what << ":\n" << ::testing::PrintToString(problems);
  }
  EXPECT_TRUE(m4k7::imageview::ImageProblems(SmallImage().descriptor()).empty());
}

TEST(ImageChecks, TheCountsOfASmallImage) {
  const ImageTables t = SmallImage();
  const m4k7::imageview::ImageStats s = m4k7::imageview::MeasureImage(t.descriptor());
  EXPECT_EQ(s.nodes, t.nodes.size());
  EXPECT_EQ(s.keys, 4u);
  EXPECT_EQ(s.groupedEntries, 1u);
  EXPECT_EQ(s.items, 2u);
  EXPECT_EQ(s.sectionRecords[0], 1u);
  // Node 0 -> select -> (case) -> sequence -> leaf: the case is read, not walked.
  EXPECT_EQ(s.deepestPath, 4u);
  // The sequence that cases 4 and 5 share, and its run.
  EXPECT_EQ(s.sharedNodes, 1u);
}

TEST(ImageDump, KeysTreesAndTables) {
  const ImageTables t = SmallImage();
  const std::string dump = m4k7::imageview::DumpImage(t.descriptor());
  const char *const lines[] = {
      "nodes ",
      "key 0x1007 (4103) -> node 1\n  1 SELECT_PARAM on I[4], 3 cases @",
      "INT8 key 0x1007 (4103) x1 @bytes ",
      "key 0x103A (4154) -> node 1: shares node 1 with key 0x1007 (4103)",
      "STRING_CASE \"SSR\" (string node ",
      "WIDE key 0x0012 (18) x11 @bytes ",
      ": \"TpxSLM_SSR\"\n",
      "key 0x5008 (20488) -> node 0\n  0 SEQUENCE of the roots, 3 children @1:\n    1 2 3\n",
      "BYTES key 0x5008 (20488) x6 @bytes ",
      ": \"\\x1B(b\\x01\\x00\\x01\" = 1B 28 62 01 00 01\n",
      "grouped lists: 1 lists, 1 entries\n  key 0x1019 (4121): 1 entries from 0\n",
      "item lists: 1 lists, 2 items\n  list 4: 2 items from 0 (id=value)\n    4=15004 6=15006\n",
      "print-mode rows: 1 ",
      "   0: 4 0 1 2 1 0 -> 0 0 0 0\n",
  };
  for (const char *line : lines) EXPECT_NE(dump.find(line), std::string::npos) << line << "\n---\n" << dump;
  // The sequence two cases share is shown once; the second case points back.
  EXPECT_NE(dump.find("(shown above)"), std::string::npos) << dump;
}

TEST(ImageDump, OnlyTheKeysAsked) {
  const ImageTables t = SmallImage();
  const std::string dump = m4k7::imageview::DumpImage(t.descriptor(), {{0x0012, 0x0999}});
  EXPECT_EQ(dump.find("key 0x1007"), std::string::npos) << dump;
  EXPECT_EQ(dump.find("grouped lists"), std::string::npos) << dump;
  EXPECT_NE(dump.find("key 0x0012 (18) -> node "), std::string::npos) << dump;
  EXPECT_NE(dump.find("key 0x0999 (2457) is not in the key index"), std::string::npos) << dump;
}

TEST(ImageDump, BrokenReferencesArePrintedNotFollowed) {
  // A cycle through node 1 and a select whose entries lie past the table:
  // the dump must stop at both.
  ImageTables t;
  t.nodes = {{m4k7::makeWord0(NodeKind::NK_SEQUENCE, 1), 1},
             {m4k7::makeWord0(NodeKind::NK_SEQUENCE, 1), 2},
             {m4k7::makeWord0(NodeKind::NK_SELECT_PARAM, 77), m4k7::makeWord1(0, 1)}};
  t.keys = {7};
  t.keyNodes = {1};
  const std::string dump = m4k7::imageview::DumpImage(t.descriptor());
  EXPECT_NE(dump.find("1 SEQUENCE, 2 children @1 (shown above)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("77 (not a node)"), std::string::npos) << dump;
}

} // namespace
} // namespace imagec
