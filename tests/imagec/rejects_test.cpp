// Broken content the compiler must refuse, each with a message that names
// the key (and the node, once there is one). Node numbers follow the
// layout: node 0, the roots from node 1, then each root's lists in the order
// they are finished (a root's children after its grandchildren).
#include <gtest/gtest.h>

#include "compiler.h"
#include "imagec_test_util.h"

namespace imagec {
namespace {

using m4k7::makeWord0;
using m4k7::makeWord1;
using m4k7::NodeKind;

struct Broken {
  const char *what;
  void (*build)(ImageBuilder &);
  const char *message;
};

const Broken kBroken[] = {
    // Rules of the walk.
    {"guard outside a guarded sequence",
     [](ImageBuilder &b) { b.key(0x1016, b.sequence({b.guard(4, {b.ints(0x1016, {1})})})); },
     "key 0x1016 (4118): node 3: guard outside a guarded sequence"},
    {"string case on a non-bytes node",
     [](ImageBuilder &b) {
       b.key(0x0012, b.sequence({b.raw(makeWord0(NodeKind::NK_SELECT_STRING, 3), makeWord1(0, 1)),
                                 b.raw(makeWord0(NodeKind::NK_STRING_CASE, 4), 1), b.ints(0x0012, {1})}));
     },
     "key 0x0012 (18): node 3: string case on a non-bytes node 1 (SEQUENCE)"},
    {"case target that is not a node",
     [](ImageBuilder &b) {
       b.key(0x1012, b.sequence({b.raw(makeWord0(NodeKind::NK_SELECT_PARAM, 3), makeWord1(0, 1)),
                                 b.raw(makeWord0(NodeKind::NK_CASE, 4301), 1)}));
     },
     "key 0x1012 (4114): node 3: case target 4301 is not a node"},
    {"select entries past the node table",
     [](ImageBuilder &b) { b.key(7, b.raw(makeWord0(NodeKind::NK_SELECT_PARAM, 900), makeWord1(0, 1))); },
     "key 0x0007 (7): node 1: entry 900 is not a node"},
    {"an entry kind where a node is walked",
     [](ImageBuilder &b) { b.key(7, b.raw(makeWord0(NodeKind::NK_CASE, 0), 1)); },
     "key 0x0007 (7): node 1: CASE where a node is walked"},
    {"kind 0", [](ImageBuilder &b) { b.key(7, b.raw(0, 0)); }, "key 0x0007 (7): node 1: invalid kind 0"},
    {"kind 22", [](ImageBuilder &b) { b.key(7, b.raw(22u << 24, 0)); },
     "key 0x0007 (7): node 1: invalid kind 22"},
    {"a masked select without its mask",
     [](ImageBuilder &b) {
       b.key(7,
             b.sequence({b.raw(makeWord0(NodeKind::NK_SELECT_MASKED, 3), makeWord1(0, 0)), b.ints(7, {1})}));
     },
     "key 0x0007 (7): node 3: named as the mask of a masked select but is INT8"},
    {"range bounds outside IntPool",
     [](ImageBuilder &b) {
       b.key(7, b.sequence({b.raw(makeWord0(NodeKind::NK_SELECT_PARAM, 3), makeWord1(0, 1)),
                            b.raw(makeWord0(NodeKind::NK_RANGE_CASE, 4), 50), b.ints(7, {1})}));
     },
     "key 0x0007 (7): node 3: range bounds at IntPool 50 lie outside IntPool (0 values)"},
    {"cycle", [](ImageBuilder &b) { b.key(7, b.raw(makeWord0(NodeKind::NK_SEQUENCE, 1), 1)); },
     "key 0x0007 (7): node 1: cycle 1 -> 1"},
    {"locale select without the locale tag",
     [](ImageBuilder &b) { b.key(7, b.raw(makeWord0(NodeKind::NK_SELECT_LOCALE, 0), makeWord1(0x1234, 0))); },
     "key 0x0007 (7): node 1: locale select carries 0x1234, not 0x500F"},
    {"string node reached by a walk",
     [](ImageBuilder &b) {
       b.key(0x0012, b.sequence({b.selectString(0, {text("SSR", b.ints(0x0012, {1}))}),
                                 b.raw(makeWord0(NodeKind::NK_SEQUENCE, 3), 1)}));
     },
     "key 0x0012 (18): node 3: string node reached by a walk"},

    // Leaves and their keys.
    {"leaf whose key is not in the index", [](ImageBuilder &b) { b.key(7, b.ints(9, {1})); },
     "key 0x0007 (7): node 1: leaf for key 0x0009 (9), which is not in the key index"},
    {"leaf its own key cannot reach",
     [](ImageBuilder &b) {
       b.key(7, b.sequence({b.ints(9, {1}), b.ints(7, {1})}));
       b.key(9, b.ints(9, {2}));
     },
     "key 0x0007 (7): node 3: leaf for key 0x0009 (9) is not reachable from that key's start node 2"},
    {"leaf past its pool",
     [](ImageBuilder &b) { b.key(7, b.raw(makeWord0(NodeKind::NK_INT32, 0), makeWord1(7, 1))); },
     "key 0x0007 (7): node 1: INT32 leaf's slice 0+1 lies outside IntPool (0)"},
    {"integer leaf wider than it needs",
     [](ImageBuilder &b) {
       b.key(7, b.ints(7, {300, 5}));
       b.key(8, b.raw(makeWord0(NodeKind::NK_INT16, 1), makeWord1(8, 1)));
     },
     "key 0x0008 (8): node 2: INT16 leaf [5] is not in its narrowest kind INT8"},
    {"equal values in two slices",
     [](ImageBuilder &b) {
       b.key(7, b.ints(7, {300, 400}));
       b.key(8, b.raw(makeWord0(NodeKind::NK_INT16, 2), makeWord1(8, 2)));
       b.key(9, b.ints(9, {300, 400, 300, 400}));
     },
     "key 0x0008 (8): node 2: holds the same values as node 1 in another slice (2, not 0)"},
    {"name without its NUL",
     [](ImageBuilder &b) {
       b.key(7, b.raw(makeWord0(NodeKind::NK_WIDE, 0), makeWord1(7, 3)));
       b.key(9, b.bytes(9, "abc"));
     },
     "key 0x0007 (7): node 1: WIDE leaf without its terminating NUL"},
    {"computed leaf of an unknown id", [](ImageBuilder &b) { b.key(7, b.computed(7, 9)); },
     "key 0x0007 (7): node 1: COMPUTED leaf with unknown id 9"},

    // Select lists.
    {"default before the last case",
     [](ImageBuilder &b) {
       b.key(7, b.select(0, {otherwise(b.ints(7, {1})), is(1, b.ints(7, {2}))}));
     },
     "key 0x0007 (7): node 1: default is entry 1 of 2; only the last entry may be one"},
    {"repeated case value",
     [](ImageBuilder &b) {
       b.key(7, b.select(0, {is(1, b.ints(7, {1})), is(1, b.ints(7, {2}))}));
     },
     "key 0x0007 (7): node 1: case value 1 appears twice"},
    {"repeated string case",
     [](ImageBuilder &b) {
       b.key(0x12, b.selectString(0, {text("SSR", b.ints(0x12, {1})), text("SSR", b.ints(0x12, {2}))}));
     },
     "key 0x0012 (18): node 1: text \"SSR\" appears twice"},
    {"printer-data select without key 8",
     [](ImageBuilder &b) { b.key(0x1001, b.selectPrinterData(2, {otherwise(b.ints(0x1001, {1}))})); },
     "key 0x1001 (4097): node 1: printer-data select, but key 0x0008 (8) is not in the key index"},
    {"printer-data select on a value key 8 does not name",
     [](ImageBuilder &b) {
       b.key(0x1001, b.selectPrinterData(2, {otherwise(b.ints(0x1001, {1}))}));
       b.key(8, b.select(0, {is(1, b.wide(8, "TpxUI_CustomPhotoDetect"))}));
     },
     "key 0x1001 (4097): node 1: printer-data select on value number 2, which key 0x0008 (8) does not name "
     "(status 1)"},

    // Content the layout refuses before there are nodes.
    {"duplicate key",
     [](ImageBuilder &b) {
       b.key(7, b.ints(7, {1}));
       b.key(7, b.ints(7, {2}));
     },
     "key 0x0007 (7): the key is given twice"},
    {"a key that is also the all-roots key",
     [](ImageBuilder &b) {
       b.key(0x5008, b.bytes(0x5008, "x"));
       b.keyOfAllRoots(0x5008);
     },
     "key 0x5008 (20488): the key is given twice"},
    {"value above 32 bits", [](ImageBuilder &b) { b.key(7, b.ints(7, {1LL << 33})); },
     "key 0x0007 (7): value 8589934592 is outside the 32-bit range"},
    {"value below 32 bits",
     [](ImageBuilder &b) { b.key(0x1011, b.sequence({b.ints(0x1011, {-2147483649LL})})); },
     "key 0x1011 (4113): value -2147483649 is outside the 32-bit range"},
    {"unknown node ref", [](ImageBuilder &b) { b.key(7, b.sequence({NodeRef{999}})); },
     "key 0x0007 (7): refers to node ref 999, which this content does not hold"},
    {"root that is no node", [](ImageBuilder &b) { b.key(7, NodeRef{}); },
     "key 0x0007 (7): refers to node ref 4294967295"},
    {"content refs in a loop",
     [](ImageBuilder &b) {
       const NodeRef first = b.sequence({NodeRef{1}});
       b.sequence({first});
       b.key(7, first);
     },
     "key 0x0007 (7): content node 0 refers back to itself"},
    {"empty range", [](ImageBuilder &b) { b.key(7, b.select(0, {range(5, 3, b.ints(7, {1}))})); },
     "key 0x0007 (7): empty range 5..3"},
    {"name with a NUL inside", [](ImageBuilder &b) { b.key(7, b.wide(7, std::string("a\0b", 3))); },
     "key 0x0007 (7): a name that holds a NUL"},
    {"grouped-list entry outside the tree",
     [](ImageBuilder &b) {
       b.key(0x5008, b.bytes(0x5008, "\x1B@"));
       b.groupedList(0x101B, {b.bytes(0x5008, "\x1B(q")});
     },
     "grouped list key 0x101B (4123): entry 1: not in the tree"},

    // The driver list tables: the services take the first match, so a
    // second one could never answer.
    {"grouped list given twice",
     [](ImageBuilder &b) {
       const NodeRef entry = b.bytes(0x5008, "\x1B@");
       b.hang(b.sequence({entry}));
       b.keyOfAllRoots(0x5008);
       b.groupedList(0x101B, {entry});
       b.groupedList(0x101B, {entry});
     },
     "grouped list key 0x101B (4123): listed twice"},
    {"item list given twice",
     [](ImageBuilder &b) {
       b.key(7, b.ints(7, {1}));
       b.itemList(7, {{4, 15301}});
       b.itemList(7, {{7, 15302}});
     },
     "item list 7: listed twice"},
    {"lists the dispatch never reaches",
     [](ImageBuilder &b) {
       const NodeRef entry = b.bytes(0x5008, "\x1B@");
       b.hang(b.sequence({entry}));
       b.keyOfAllRoots(0x5008);
       b.groupedList(0x101E, {entry});
       b.itemList(9, {{0, 1}});
     },
     "grouped list key 0x101E (4126): never answered, the driver's key is answered with the print-mode "
     "record\n"
     "item list 9: never answered, no list key reads it"},
    {"an id twice in one item list",
     [](ImageBuilder &b) {
       b.key(7, b.ints(7, {1}));
       b.itemList(7, {{4, 15301}, {7, 15302}, {4, 1}});
     },
     "item list 7: id 4 listed twice"},
    {"two print-mode rows for the same settings",
     [](ImageBuilder &b) {
       b.key(7, b.ints(7, {1}));
       b.printModeRow({{4, 0, 1, 2, 1, 0}, {}, {}, {}, {}});
       b.printModeRow({{4, 0, 1, 3, 1, 0}, {}, {}, {}, {}});
       b.printModeRow({{4, 0, 1, 2, 1, 0}, {1}, {}, {}, {}});
     },
     "print-mode row 2: matches the same settings as row 0, which is found first"},
};

TEST(CompilerRejects, BrokenContentNamesTheKeyAndNode) {
  for (const Broken &c : kBroken) {
    ImageBuilder b;
    c.build(b);
    const std::string error = Refusal(b);
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ":\n" << error;
  }
}

TEST(CompilerRejects, SoundVariantsOfTheBrokenContentCompile) {
  // The same shapes done right, so that each refusal above is the fault's
  // and not the shape's.
  ImageBuilder b;
  b.key(0x1016, b.guarded(4, {b.guard(4, {b.ints(0x1016, {1})})}));
  b.key(0x0012, b.selectString(0, {text("SSR", b.wide(0x0012, "TpxSLM_SSR")), anyText(b.ints(0x0012, {0}))}));
  b.key(7, b.select(0, {is(1, b.ints(7, {1})), range(2, 3, b.ints(7, {2})), otherwise(b.ints(7, {3}))}));
  b.key(8, b.select(0, {is(2, b.wide(8, "TpxUI_CustomECPMode"))}));
  b.key(0x1001, b.selectPrinterData(2, {is(0, b.ints(0x1001, {0})), otherwise(b.ints(0x1001, {1}))}));
  b.key(0x1002, b.selectLocale({is(81, b.ints(0x1002, {1}))}));
  b.key(0x1011, b.ints(0x1011, {-2147483647LL - 1, 0xFFFFFFFFLL}));
  const NodeRef entry = b.bytes(0x5008, "\x1B(q");
  b.hang(b.sequence({entry}));
  b.groupedList(0x101B, {entry});
  b.keyOfAllRoots(0x5008);
  ImageTables t;
  std::string error;
  EXPECT_TRUE(Compile(b, &t, &error)) << error;
}

TEST(CompilerRejects, EveryProblemIsReportedNotOnlyTheFirst) {
  ImageBuilder b;
  b.key(7, b.ints(9, {1}));
  b.key(8, b.sequence({b.guard(4, {b.ints(8, {1})})}));
  const std::string error = Refusal(b);
  EXPECT_NE(error.find("key 0x0007 (7): node 1: leaf for key 0x0009 (9)"), std::string::npos) << error;
  EXPECT_NE(error.find("key 0x0008 (8): node 4: guard outside a guarded sequence"), std::string::npos)
      << error;
}

// The engine bisects a marked index, so the mark goes only on one that
// ascends without repeats; the layout always sorts, so the check is fed
// tables directly.
TEST(CompilerRejects, KeyIndexMarkedOnlyWhenAscendingWithoutRepeats) {
  struct Case {
    const char *what;
    std::vector<uint16_t> keys;
    const char *message; // nullptr: marked
  } cases[] = {
      {"ascending", {2, 3, 9, 0x1001, 0xFFFF}, nullptr},
      {"one key", {7}, nullptr},
      {"no keys", {}, nullptr},
      {"a key below the one before",
       {2, 9, 3, 12},
       "key 0x0003 (3): key index entry 2 is below the key before it, so lookups cannot bisect it"},
      {"a repeated key", {2, 3, 3, 12}, "key 0x0003 (3): key index entry 2 repeats the key before it"},
      {"out of order at the end", {2, 3, 12, 4}, "key 0x0004 (4): key index entry 3 is below"},
  };
  for (const Case &c : cases) {
    ImageTables t;
    t.keys = c.keys;
    t.keyNodes.assign(c.keys.size(), 0);
    t.keysSorted = c.message != nullptr; // a stale mark must not survive a refusal
    std::string error;
    EXPECT_EQ(MarkSortedKeys(&t, &error), c.message == nullptr) << c.what;
    EXPECT_EQ(t.keysSorted, c.message == nullptr) << c.what;
    EXPECT_EQ(t.descriptor().keysSorted, c.message == nullptr) << c.what;
    if (c.message) {
      EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ":\n" << error;
    }
  }

  ImageBuilder b;
  b.key(0x1001, b.ints(0x1001, {1}));
  b.key(2, b.ints(2, {2}));
  b.key(0x6001, b.ints(0x6001, {3}));
  EXPECT_TRUE(MustCompile(b).descriptor().keysSorted);
}

} // namespace
} // namespace imagec
