// The paper-size tree: keys 0x1001-0x1004, 0x1033, 0x1059, 0x500E and the
// page-format command, by paper size I[28] and margin mode I[52].
#include <cmath>
#include <string_view>

#include "engine_ask.h"

namespace m4k7::test {
namespace {

using namespace std::literals;
using Ints = std::vector<int32_t>;

struct Margins {
  Ints printable; // 0x1001
  Ints margin;    // 0x1002
  Ints format;    // the four ESC ( p values
};

struct Size {
  int32_t code;
  Ints paper;       // 0x1003
  int32_t listName; // 0x500E
  int32_t number;   // 0x1059; 0 for the sizes the printer does not lay out
  Margins full;     // I[52] = 5
  Margins normal;
  int32_t length; // 0x1033
};

const Size kSizes[] = {
    {11,
     {14800, 21000},
     15712,
     1,
     {{14120, 21000}, {0, 340}, {497, 0, 334, 0}},
     {{14120, 20000}, {300, 340}, {473, 0, 334, 0}},
     497},
    {78,
     {21000, 14800},
     15713,
     2,
     {{20320, 14800}, {0, 340}, {350, 0, 480, 0}},
     {{20320, 13800}, {300, 340}, {326, 0, 480, 0}},
     350},
    {9,
     {21000, 29700},
     15710,
     3,
     {{20320, 29700}, {0, 340}, {702, 0, 480, 0}},
     {{20320, 28700}, {300, 340}, {678, 0, 480, 0}},
     702},
    {13,
     {18200, 25700},
     15717,
     8,
     {{17520, 25700}, {0, 340}, {608, 0, 414, 0}},
     {{17520, 24700}, {300, 340}, {584, 0, 414, 0}},
     608},
    {1,
     {21590, 27940},
     15701,
     13,
     {{20320, 27940}, {0, 340}, {660, 0, 480, 0}},
     {{20320, 26940}, {300, 640}, {637, 0, 480, 7}},
     660},
    {5,
     {21590, 35560},
     15705,
     15,
     {{20320, 35560}, {0, 340}, {840, 0, 480, 0}},
     {{20320, 34560}, {300, 640}, {817, 0, 480, 7}},
     840},
    {43,
     {10000, 14800},
     15726,
     20,
     {{9320, 14800}, {0, 340}, {350, 0, 221, 0}},
     {{9320, 13800}, {300, 340}, {326, 0, 221, 0}},
     350},
    {270,
     {23500, 10500},
     15728,
     40,
     {{20320, 10500}, {0, 340}, {249, 0, 480, 0}},
     {{20320, 9500}, {300, 640}, {225, 0, 480, 7}},
     249},
    {271,
     {19000, 9800},
     15729,
     41,
     {{18320, 9800}, {0, 340}, {232, 0, 433, 0}},
     {{17720, 8800}, {300, 640}, {208, 0, 419, 7}},
     232},
    {272,
     {22860, 33782},
     15739,
     42,
     {{20320, 33782}, {0, 340}, {798, 0, 480, 0}},
     {{21844, 28194}, {2794, 508}, {666, 0, 516, 0}},
     798},
    {273,
     {22270, 35560},
     15740,
     43,
     {{20320, 35560}, {0, 340}, {840, 0, 480, 0}},
     {{21254, 29972}, {2794, 508}, {708, 0, 502, 0}},
     840},
    {275,
     {11960, 21590},
     15742,
     45,
     {{11280, 21590}, {0, 340}, {510, 0, 267, 0}},
     {{10944, 16002}, {2794, 508}, {378, 0, 259, 0}},
     510},
    {8, {29700, 42000}, 15708, 0, {}, {}, 0},
    {66, {42000, 59400}, 15707, 0, {}, {}, 0},
    {12, {25700, 36400}, 15715, 0, {}, {}, 0},
    {257, {36400, 51500}, 15714, 0, {}, {}, 0},
    {3, {27940, 43180}, 15719, 0, {}, {}, 0},
    {24, {43180, 55880}, 15743, 0, {}, {}, 0},
    {274, {32900, 48300}, 15741, 0, {}, {}, 0},
};

std::vector<uint8_t> PageFormat(const Ints &values) {
  std::vector<uint8_t> out = Bytes("\x1B(p\x08\x00"sv);
  for (int32_t v : values) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
  }
  return out;
}

Answer AskDriver(uint32_t key, int32_t size, int32_t marginMode) {
  Request r = Driver({{28, size}, {52, marginMode}});
  return Ask(Database::Driver, key, r);
}

void ExpectInts(uint32_t key, int32_t size, int32_t marginMode, const Ints &want) {
  Answer a = AskDriver(key, size, marginMode);
  ASSERT_EQ(a.status, 0) << "key " << std::hex << key << std::dec << " size " << size << " I[52] "
                         << marginMode;
  EXPECT_EQ(a.ints(), want) << "key " << std::hex << key << std::dec << " size " << size << " I[52] "
                            << marginMode;
}

void ExpectMissing(uint32_t key, int32_t size, int32_t marginMode) {
  EXPECT_EQ(AskDriver(key, size, marginMode).status, 1)
      << "key " << std::hex << key << std::dec << " size " << size << " I[52] " << marginMode;
}

TEST(PaperSizes, EverySizeOnBothMarginModes) {
  for (const Size &s : kSizes) {
    for (int32_t marginMode : {5, 0, 3}) {
      SCOPED_TRACE("size " + std::to_string(s.code) + " I[52] " + std::to_string(marginMode));
      bool full = marginMode == 5;
      ExpectInts(0x1003, s.code, marginMode, s.paper);
      EXPECT_EQ(Lookup(0x500E, Driver({{28, s.code}, {52, marginMode}})).ints(), Ints{s.listName});
      ExpectMissing(0x1004, s.code, marginMode);
      Leaf format = WalkEntry(4121, 2, Driver({{28, s.code}, {52, marginMode}}));
      if (s.number == 0) {
        for (uint32_t key : {0x1001u, 0x1002u, 0x1033u, 0x1059u}) ExpectMissing(key, s.code, marginMode);
        EXPECT_EQ(format.status, 1);
        continue;
      }
      const Margins &m = full ? s.full : s.normal;
      ExpectInts(0x1059, s.code, marginMode, {s.number});
      ExpectInts(0x1001, s.code, marginMode, m.printable);
      ExpectInts(0x1002, s.code, marginMode, m.margin);
      if (full)
        ExpectInts(0x1033, s.code, marginMode, {s.length});
      else
        ExpectMissing(0x1033, s.code, marginMode);
      ASSERT_EQ(format.status, 0);
      EXPECT_EQ(format.kind(), NodeKind::NK_BYTES);
      EXPECT_EQ(Hex(format.bytes), Hex(PageFormat(m.format)));
    }
  }
}

// The ESC ( p values restate the printable area in 1/60 inch: a slip in
// either table shows up as a disagreement of more than one unit.
TEST(PaperSizes, PageFormatAgreesWithPrintableArea) {
  auto sixtieths = [](int32_t hundredthsMm) { return double(hundredthsMm) * 60.0 / 2540.0; };
  for (const Size &s : kSizes) {
    if (s.number == 0) continue;
    for (int32_t marginMode : {5, 0}) {
      Answer area = AskDriver(0x1001, s.code, marginMode);
      Leaf format = WalkEntry(4121, 2, Driver({{28, s.code}, {52, marginMode}}));
      ASSERT_EQ(area.status, 0);
      ASSERT_EQ(format.bytes.size(), 13u);
      int length = format.bytes[5] << 8 | format.bytes[6];
      int width = format.bytes[9] << 8 | format.bytes[10];
      EXPECT_LE(std::fabs(length - sixtieths(area.ints()[1])), 1.0) << s.code << " " << marginMode;
      EXPECT_LE(std::fabs(width - sixtieths(area.ints()[0])), 1.0) << s.code << " " << marginMode;
    }
    // The full-length page is the whole paper, rounded up to 1/60 inch.
    EXPECT_EQ(AskDriver(0x1033, s.code, 5).ints(), Ints{int32_t(std::ceil(sixtieths(s.paper[1])))}) << s.code;
  }
}

TEST(PaperSizes, UserDefinedSizeIsComputed) {
  for (int32_t marginMode : {5, 0}) {
    Request r = Driver({{28, 256}, {52, marginMode}});
    for (uint32_t key : {0x1001u, 0x1002u, 0x1003u}) ExpectMissing(key, 256, marginMode);
    ExpectInts(0x1059, 256, marginMode, {256});
    EXPECT_EQ(Lookup(0x500E, r).ints(), Ints{15744});
    struct Computed {
      Leaf leaf;
      uint16_t id;
    };
    const Computed kComputed[] = {{Lookup(0x1004, r), 2},
                                  {Lookup(0x1033, r), 4},
                                  {WalkEntry(4121, 2, r), 1},
                                  {Lookup(kFragmentKey, r), 1}};
    for (const Computed &c : kComputed) {
      ASSERT_EQ(c.leaf.status, 0) << c.id;
      EXPECT_EQ(c.leaf.kind(), NodeKind::NK_COMPUTED) << c.id;
      EXPECT_EQ(c.leaf.computedId(), c.id);
    }
  }
}

TEST(PaperSizes, NarrowestKindPerBranch) {
  Leaf a5 = Lookup(0x1059, Driver({{28, 11}}));
  Leaf user = Lookup(0x1059, Driver({{28, 256}}));
  EXPECT_EQ(a5.kind(), NodeKind::NK_INT8);
  EXPECT_EQ(user.kind(), NodeKind::NK_INT16);
  EXPECT_EQ(a5.ints(), Ints{1});
  EXPECT_EQ(user.ints(), Ints{256});
  // 59400 needs the unsigned 16-bit kind and still arrives as 59400.
  Leaf a2 = Lookup(0x1003, Driver({{28, 66}}));
  EXPECT_EQ(a2.kind(), NodeKind::NK_UINT16);
  EXPECT_EQ(a2.ints(), (Ints{42000, 59400}));
}

TEST(PaperSizes, UnknownSizeAnswersNothing) {
  for (int32_t size : {0, 2, 10, 255, 258, -1})
    for (uint32_t key : {0x1001u, 0x1002u, 0x1003u, 0x1004u, 0x1033u, 0x1059u}) ExpectMissing(key, size, 5);
  EXPECT_EQ(Lookup(0x500E, Driver({{28, 10}})).status, 1);
  EXPECT_EQ(WalkEntry(4121, 2, Driver({{28, 10}, {52, 5}})).status, 1);
}

TEST(PaperSizes, TooFewIntegerParameters) {
  // 28 slots: the guards on I[28] cannot be tested.
  for (uint32_t key : {0x1001u, 0x1002u, 0x1003u, 0x1004u, 0x1033u, 0x1059u}) {
    Request r = Request::Ints(28);
    EXPECT_EQ(Ask(Database::Driver, key, r).status, -3) << std::hex << key;
  }
  EXPECT_EQ(Lookup(0x500E, Request::Ints(28)).status, -3);
  // 29 slots: the leaves before the margin-mode select answer, the rest
  // need I[52].
  Request r = Request::Ints(29);
  r.set(28, 9);
  EXPECT_EQ(Ask(Database::Driver, 0x1003, r).ints(), (Ints{21000, 29700}));
  EXPECT_EQ(Ask(Database::Driver, 0x1059, r).ints(), Ints{3});
  for (uint32_t key : {0x1001u, 0x1002u, 0x1033u}) EXPECT_EQ(Ask(Database::Driver, key, r).status, -3);
}

// Node 0 begins with the paper-size tree, so a plain lookup of the fragment
// key with driver settings answers the current size's page-format command.
TEST(PaperSizes, FragmentKeyLookupAnswersPageFormat) {
  for (const Size &s : kSizes) {
    if (s.number == 0) continue;
    Leaf leaf = Lookup(kFragmentKey, Driver({{4, 4}, {5, 1}, {7, 4}, {8, 2}, {6, 1}, {28, s.code}, {52, 0}}));
    ASSERT_EQ(leaf.status, 0) << s.code;
    EXPECT_EQ(Hex(leaf.bytes), Hex(PageFormat(s.normal.format))) << s.code;
  }
}

} // namespace
} // namespace m4k7::test
