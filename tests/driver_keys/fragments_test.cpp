// The grouped lists' table and the fragments each entry picks, walked with
// the fragment key as the grouped-list service walks them.
#include <string_view>

#include "engine_ask.h"

namespace m4k7::test {
namespace {

using namespace std::literals;

TEST(Fragments, GroupedListTable) {
  const GroupedListTable &g = CompiledImage().groups;
  struct Group {
    uint16_t key, entries;
    int32_t start;
  };
  const Group kGroups[] = {{4121, 5, 0}, {4120, 2, 5}, {4122, 1, 7},
                           {4125, 1, 8}, {4124, 1, 9}, {4123, 1, 10}};
  ASSERT_EQ(g.groupCount, 6u);
  ASSERT_EQ(g.entryCount, 11u);
  for (uint32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(g.groupKeys[i], kGroups[i].key) << i;
    EXPECT_EQ(g.groupEntryCounts[i], kGroups[i].entries) << i;
    EXPECT_EQ(g.groupEntryStarts[i], kGroups[i].start) << i;
  }
}

TEST(Fragments, FixedEntries) {
  struct Fixed {
    uint16_t key;
    uint32_t entry;
    std::string_view bytes;
  };
  const Fixed kFixed[] = {
      {4121, 0, "\x1B(b\x01\x00\x01"sv}, {4122, 0, "\x1B(q\x01\x00\x00"sv},         {4123, 0, "\x1B@"sv},
      {4124, 0, "\x1B(b\x01\x00\x00"sv}, {4125, 0, "\x1B(e\x02\x00\x00\x01\x0C"sv},
  };
  for (const Fixed &f : kFixed) {
    Leaf leaf = WalkEntry(f.key, f.entry, Request::Ints(0));
    ASSERT_EQ(leaf.status, 0) << f.key;
    EXPECT_EQ(Hex(leaf.bytes), Hex(Bytes(f.bytes))) << f.key;
  }
}

TEST(Fragments, PaperSource) {
  EXPECT_EQ(WalkEntry(4121, 3, Driver({{7, 4}})).bytes, Bytes("\x1B(l\x02\x00"
                                                              "1"sv));
  EXPECT_EQ(WalkEntry(4121, 3, Driver({{7, 7}})).bytes, Bytes("\x1B(l\x02\x00"
                                                              "4"sv));
  for (int32_t source : {0, 5, 6}) EXPECT_EQ(WalkEntry(4121, 3, Driver({{7, source}})).status, 1) << source;
  EXPECT_EQ(WalkEntry(4121, 3, Request::Ints(7)).status, -3);
}

TEST(Fragments, MediaByte) {
  struct Expect {
    int32_t media;
    uint8_t byte;
  };
  const Expect kBytes[] = {{1, 0x00},   {2, 0x02},   {258, 0x03}, {273, 0x03}, {259, 0x04},
                           {277, 0x05}, {276, 0x06}, {271, 0x07}, {263, 0x08}, {262, 0x09},
                           {270, 0x09}, {283, 0x09}, {275, 0x0F}, {279, 0x0A}};
  for (const Expect &e : kBytes)
    for (int32_t size : {9, 272, 273, 1, 256}) {
      SCOPED_TRACE("media " + std::to_string(e.media) + " size " + std::to_string(size));
      Leaf normal = WalkEntry(4121, 4, Driver({{52, 0}, {5, e.media}, {28, size}}));
      ASSERT_EQ(normal.status, 0);
      EXPECT_EQ(normal.bytes, std::vector<uint8_t>{(size == 272 || size == 273) ? uint8_t(0x0A) : e.byte});
      EXPECT_EQ(WalkEntry(4121, 4, Driver({{52, 5}, {5, e.media}, {28, size}})).bytes,
                std::vector<uint8_t>{0x0B});
    }
  EXPECT_EQ(WalkEntry(4121, 4, Driver({{52, 0}, {5, 300}, {28, 272}})).status, 1);
  EXPECT_EQ(WalkEntry(4121, 4, Driver({{52, 5}, {5, 300}})).bytes, std::vector<uint8_t>{0x0B});
}

// Entries 2 and 3 of key 4121 are the print-mode and paper-size trees
// (covered with those trees); here only that they are those trees' roots.
TEST(Fragments, SharedTreesAreEntries) {
  for (uint32_t key : {0x1008u, 0x1001u}) {
    const ImageDescriptor &image = CompiledImage();
    const DbNode *entry = EntryNode(4121, key == 0x1008 ? 1 : 2);
    ASSERT_NE(entry, nullptr);
    bool found = false;
    for (uint32_t i = 0; i < image.keyCount; ++i)
      if (image.keys[i] == key) {
        const DbNode &root = image.nodes[image.keyNodes[i]];
        found = root.word0 == entry->word0 && root.word1 == entry->word1;
      }
    EXPECT_TRUE(found) << std::hex << key;
  }
}

// The start block reads the printer's stored value number 2.
TEST(Fragments, StartBlock) {
  EXPECT_EQ(WalkEntry(4120, 0, Driver({})).status, -4); // no printer to read it from

  const ImageDescriptor &image = CompiledImage();
  const DbNode *select = EntryNode(4120, 0);
  ASSERT_NE(select, nullptr);
  ASSERT_EQ(kindOf(*select), NodeKind::NK_SELECT_PRINTER_DATA);
  EXPECT_EQ(fieldOf(*select), 2);
  ASSERT_EQ(countOf(*select), 2);
  const DbNode &nibbleCase = image.nodes[operandOf(*select)];
  const DbNode &defaultCase = image.nodes[operandOf(*select) + 1];
  EXPECT_EQ(kindOf(nibbleCase), NodeKind::NK_CASE);
  EXPECT_EQ(nibbleCase.word1, 0u);
  EXPECT_EQ(kindOf(defaultCase), NodeKind::NK_DEFAULT);

  auto block = [&](const DbNode &c) {
    const DbNode &target = image.nodes[operandOf(c)];
    Leaf out;
    Request r = Request::Ints(0);
    out.status = WalkNode(image, kFragmentKey, &r.view(), target.word0, target.word1, &out.leaf);
    FetchInto(out, r);
    return std::string(out.bytes.begin(), out.bytes.end());
  };
  auto expected = [](std::string_view parallel) {
    return std::string("\x1B[K\x02\x00\x00\x1F"
                       "QXLSTART\n"
                       "ControlMode=Common\n"sv) +
           std::string(parallel) + std::string("\nQXLEND\n\x1B[K\x02\x00\x00\x0F"sv);
  };
  std::string nibble = block(nibbleCase), ecp = block(defaultCase);
  EXPECT_EQ(nibble.size(), 71u);
  EXPECT_EQ(ecp.size(), 68u);
  EXPECT_EQ(nibble, expected("SelectParallel=Nibble"));
  EXPECT_EQ(ecp, expected("SelectParallel=ECP"));
}

TEST(Fragments, OptionCommandOnlyWithItsBit) {
  for (int32_t i79 : {0x800000, 0x7FFFFFFF & ~0x7FFFFF, int32_t(0xFF800000), 0x800001}) {
    Leaf leaf = WalkEntry(4120, 1, Driver({{79, i79}}));
    ASSERT_EQ(leaf.status, 0) << std::hex << i79;
    EXPECT_EQ(leaf.kind(), NodeKind::NK_COMPUTED);
    EXPECT_EQ(leaf.computedId(), 6);
  }
  for (int32_t i79 : {0, 0x7FFFFF, 0x400000, 0x1000000})
    EXPECT_EQ(WalkEntry(4120, 1, Driver({{79, i79}})).status, 1) << std::hex << i79;
  EXPECT_EQ(WalkEntry(4120, 1, Request::Ints(79)).status, -3);
}

} // namespace
} // namespace m4k7::test
