// Driver keys outside the paper-size and print-setting trees, and the
// internal keys that stand beside them, on every branch the catalogue lists.
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "engine_ask.h"

namespace m4k7::test {
namespace {

using Ints = std::vector<int32_t>;
using Settings = std::vector<std::pair<uint32_t, int32_t>>;

// How a key is asked: through the driver's access function, or (for the
// keys the list services post-process and the internal keys) from the
// engine directly.
enum class Via { Access, Engine };

struct Case {
  uint32_t key;
  Settings settings;
  Ints want; // empty: status 1
  Via via = Via::Access;
};

Request Build(const Settings &settings) {
  Request r = Request::Standard(Database::Driver);
  for (auto [slot, value] : settings) r.set(slot, value);
  return r;
}

void Check(const Case &c) {
  Request r = Build(c.settings);
  AccessStatus status;
  Ints got;
  if (c.via == Via::Access) {
    Answer a = Ask(Database::Driver, c.key, r);
    status = a.status;
    got = a.ints();
  } else {
    Leaf l = Lookup(c.key, r);
    status = l.status;
    got = l.ints();
  }
  std::string where = "key 0x" + [&] {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", c.key);
    return std::string(hex);
  }();
  for (auto [slot, value] : c.settings) where += " I[" + std::to_string(slot) + "]=" + std::to_string(value);
  if (c.want.empty()) {
    EXPECT_EQ(status, 1) << where;
  } else {
    ASSERT_EQ(status, 0) << where;
    EXPECT_EQ(got, c.want) << where;
  }
}

const Ints kMedia = {1, 277, 271, 283, 262, 270, 276, 279, 259, 273, 258, 2, 263, 275};

TEST(DriverKeys, FixedAnswers) {
  const Case kCases[] = {
      {0x1005, {}, {24130, 58420}},
      {0x1006, {}, {10000, 10000}},
      {0x100B, {}, {4, 5, 81, 7, 8, 6}},
      {0x1010, {}, {11, 78, 9, 13, 1, 5, 43, 270, 271, 272, 273, 275, 256}, Via::Engine},
      {0x1011,
       {},
       {11, 78, 9, 13, 1, 5, 43, 270, 271, 272, 273, 275, 8, 66, 12, 257, 3, 24, 274, 256},
       Via::Engine},
      {0x1017, {}, {1, 2, 3, 4, 5}, Via::Engine},
      {0x1020, {}, {0, 28, 5, 1, 5, 28}},
      {0x1023, {}, {4, 4, 5, 1, 81, 0, 7, 7, 8, 4, 18, 0, 17, 2}},
      {0x1024, {}, {42000, 59400}},
      {0x1025, {}, {1}},
      {0x102B, {}, {21001, 21002, 21003, 21011, 21013}},
      {0x102C, {}, {21031, 21041, 21042, 21067, 21043, 21051, 21052, 21053, 21054}},
      {0x1031, {}, {17810}},
      {0x1037, {}, {1}},
      {0x1039, {}, {60}},
      {0x103D, {}, {59}},
      {0x103F, {}, {1, 15601, 1, 14, 2, 15602, 2, 18, 3, 15605, 3, 22}},
      {0x1043, {}, {-2}},
      {0x1049, {}, {16402, 16645}},
      {0x104B, {}, {0}},
      {0x104C, {}, {0}},
      {0x104E, {}, {0}, Via::Engine},
      {0x104F, {}, {1}},
      {0x1056, {}, {1}},
  };
  for (const Case &c : kCases) Check(c);
}

TEST(DriverKeys, Names) {
  const std::pair<uint32_t, std::string_view> kNames[] = {
      {0x101F, "tpqxprn.icm"},  {0x1035, "tpxop1o.dll"}, {0x103B, "tpxd21o.dll"},
      {0x1042, "tpb_04K7.tbl"}, {0x1048, "tpxrh1o.dll"},
  };
  for (auto [key, name] : kNames) {
    Request r = Request::Standard(Database::Driver);
    Answer a = Ask(Database::Driver, key, r);
    ASSERT_EQ(a.status, 0) << key;
    EXPECT_EQ(a.size, 2 * (name.size() + 1)) << key; // the terminator is counted
    EXPECT_EQ(a.wide(), Utf16(name)) << key;
  }
}

TEST(DriverKeys, InkCountTree) {
  std::vector<Case> cases;
  for (int32_t ink : {4, 6}) {
    cases.push_back({0x1007, {{4, ink}, {9, 0}}, {24}});
    cases.push_back({0x1007, {{4, ink}, {9, 1}}, {8}});
    cases.push_back({0x1007, {{4, ink}, {9, 2}}, {}});
    cases.push_back({0x103A, {{4, ink}, {9, 2}}, {ink}});
    cases.push_back({0x500B, {{4, ink}}, {1}, Via::Engine});
    cases.push_back({0x500C, {{4, ink}}, {20000 + ink}, Via::Engine});
  }
  for (uint32_t key : {0x1007u, 0x103Au}) cases.push_back({key, {{4, 5}}, {}});
  for (uint32_t key : {0x500Bu, 0x500Cu}) cases.push_back({key, {{4, 0}}, {}, Via::Engine});
  for (const Case &c : cases) Check(c);
}

TEST(DriverKeys, OptionTree) {
  const Ints recordsA = {0, 17402, 2102, 3, 1, 17403, 2103, 3, 2, 17404, 2104, 3, 3, 17401, 2101, 0};
  const Ints recordsB = {0, 17402, 2102, 0, 1, 17403, 2103, 0, 2, 17404, 2104, 2, 3, 17401, 2101, 0};
  const Case kCases[] = {
      {0x1009, {{9, 0}, {19, 1}}, {1, 1, 1, 1, 1, 1, 0, 0, -1}},
      {0x103E, {{9, 0}, {19, 1}}, recordsA},
      {0x1041, {{9, 0}, {19, 1}}, {16, 3, 17, 1, 18, 1}},
      {0x1009, {{9, 0}, {19, 0}, {18, 3}}, {1, 1, 1, 1, 1, 1, 1, 0, -1}},
      {0x103E, {{9, 0}, {19, 0}, {18, 3}}, recordsB},
      {0x1041, {{9, 0}, {19, 0}, {18, 3}}, {}},
      {0x1009, {{9, 0}, {19, 2}, {18, 0}}, {1, 1, 1, 1, 1, 1, 1, 1, -1}},
      {0x103E, {{9, 0}, {19, 2}, {18, 0}}, recordsB},
      {0x1041, {{9, 0}, {19, 2}, {18, 0}}, {}},
      {0x1009, {{9, 1}, {19, 1}}, {0, 0, 0, 0, 1, 0, 0, 0, -1}},
      {0x103E, {{9, 1}, {19, 1}}, recordsB},
      {0x1041, {{9, 1}}, {17, 2}},
      {0x1041, {{9, -7}}, {17, 2}},
  };
  for (const Case &c : kCases) Check(c);
}

TEST(DriverKeys, MediaSelects) {
  std::vector<Case> cases;
  for (int32_t media : kMedia) {
    cases.push_back({0x100A, {{5, media}}, {media == 1 ? 1 : 0}});
    cases.push_back({0x1028, {{5, media}}, {media == 258 || media == 273 ? 1 : 0}});
  }
  cases.push_back({0x100A, {{5, 9999}}, {0}});
  cases.push_back({0x1028, {{5, 9999}}, {0}});
  for (int32_t mode : {5, 0, 4}) cases.push_back({0x102A, {{52, mode}}, {mode == 5 ? 1 : 0}});
  cases.push_back({0x102F, {{20, 2}}, {21053, 21054}});
  cases.push_back({0x102F, {{20, 1}}, {21051, 21052}});
  cases.push_back({0x102F, {{20, 0}}, {}});
  for (const Case &c : cases) Check(c);
}

TEST(DriverKeys, Pairings) {
  const Case kCases[] = {
      {0x1021, {{0, 1}, {5, 279}}, {1, 275}},
      {0x1021, {{0, 1}, {5, 1}}, {}},
      {0x1021, {{0, 0}, {28, 275}}, {1, 279}},
      {0x1021, {{0, 0}, {28, 9}}, {}},
      {0x1021, {{0, 2}, {5, 279}, {28, 275}}, {}},
      {0x1022, {{0, 1}, {5, 263}}, {270, 271}},
      {0x1022, {{0, 1}, {5, 270}}, {43}},
      {0x1022, {{0, 1}, {5, 283}}, {43}},
      {0x1022, {{0, 1}, {5, 262}}, {43}},
      {0x1022, {{0, 1}, {5, 279}}, {275}},
      {0x1022, {{0, 1}, {5, 1}}, {}},
      {0x1022, {{0, 0}, {28, 270}}, {263}},
      {0x1022, {{0, 0}, {28, 271}}, {263}},
      {0x1022, {{0, 0}, {28, 275}}, {279}},
      {0x1022, {{0, 0}, {28, 43}}, {262, 283, 270}},
      {0x1022, {{0, 0}, {28, 9}}, {}},
      {0x1022, {{0, 3}, {5, 263}, {28, 270}}, {}},
  };
  for (const Case &c : kCases) Check(c);
}

TEST(DriverKeys, PaperSourcesAndTrays) {
  std::vector<Case> cases;
  // 0x1026 by margin mode, media and paper source.
  const Ints k21013 = {283, 262, 270, 259, 273, 263, 275};
  for (int32_t media : kMedia) {
    int32_t want = std::find(k21013.begin(), k21013.end(), media) != k21013.end() ? 21013 : 21011;
    cases.push_back({0x1026, {{52, 0}, {5, media}, {7, 4}}, {want}});
    cases.push_back({0x1026, {{52, 0}, {5, media}, {7, 7}}, {want}});
    cases.push_back({0x1026, {{52, 0}, {5, media}, {7, 5}}, {}});
    // 0x1012 and its mark pair.
    cases.push_back({0x1012, {{52, 0}, {5, media}}, {4, 7}, Via::Engine});
    cases.push_back({0x5002, {{52, 0}, {5, media}}, media == 275 ? Ints{4, 2} : Ints{7, 2}, Via::Engine});
    cases.push_back({0x1012, {{52, 5}, {5, media}}, {7}, Via::Engine});
    cases.push_back({0x5002, {{52, 5}, {5, media}}, {7, 1}, Via::Engine});
  }
  cases.push_back({0x1026, {{52, 5}, {7, 7}}, {21011}});
  cases.push_back({0x1026, {{52, 5}, {7, 4}}, {}});
  cases.push_back({0x1026, {{52, 0}, {5, 9999}, {7, 7}}, {}});
  cases.push_back({0x1012, {{52, 0}, {5, 9999}}, {}, Via::Engine});
  cases.push_back({0x5002, {{52, 0}, {5, 9999}}, {}, Via::Engine});
  // 0x102D and 0x102E.
  cases.push_back({0x102D, {{52, 5}}, {21003}});
  cases.push_back({0x102E, {{52, 5}, {7, 4}}, {21067}});
  cases.push_back({0x102D, {{52, 0}}, {21001, 21002}});
  cases.push_back({0x102E, {{52, 0}, {7, 7}}, {21041, 21042}});
  cases.push_back({0x102E, {{52, 0}, {7, 4}}, {21043}});
  cases.push_back({0x102E, {{52, 0}, {7, 0}}, {21044}});
  for (const Case &c : cases) Check(c);
}

TEST(DriverKeys, TooFewIntegerParameters) {
  // One slot short of what each key's first select reads.
  const std::pair<uint32_t, uint32_t> kShort[] = {
      {0x1007, 4},  {0x103A, 4}, {0x1009, 9},  {0x103E, 9},  {0x1041, 9},
      {0x100A, 5},  {0x1028, 5}, {0x102A, 52}, {0x102D, 52}, {0x102E, 52},
      {0x102F, 20}, {0x1021, 0}, {0x1022, 0},  {0x1026, 52}, {0x1046, 5},
  };
  for (auto [key, count] : kShort) {
    Request r = Request::Ints(count);
    EXPECT_EQ(Ask(Database::Driver, key, r).status, -3) << std::hex << key;
  }
  // I[9] = 0 leads on to I[19].
  Request r = Request::Ints(19);
  EXPECT_EQ(Ask(Database::Driver, 0x1009, r).status, -3);
  // The fixed answers need no parameters at all.
  Request none = Request::Ints(0);
  EXPECT_EQ(Ask(Database::Driver, 0x1005, none).ints(), (Ints{24130, 58420}));
  for (uint32_t key : {0x1012u, 0x5002u}) EXPECT_EQ(Lookup(key, Request::Ints(52)).status, -3) << key;
}

TEST(DriverKeys, ComputedPrintableArea) {
  Leaf leaf = Lookup(0x1032, Request::Ints(0));
  ASSERT_EQ(leaf.status, 0);
  EXPECT_EQ(leaf.kind(), NodeKind::NK_COMPUTED);
  EXPECT_EQ(leaf.computedId(), 3);
}

// Key 0x1046: a 533-byte block in two variants chosen by media.
TEST(DriverKeys, Block1046) {
  auto block = [](int32_t media) {
    Request r = Driver({{5, media}});
    Answer a = Ask(Database::Driver, 0x1046, r);
    EXPECT_EQ(a.status, 0) << media;
    return a.bytes;
  };
  std::vector<uint8_t> few = block(1), most = block(277);
  for (const auto *b : {&few, &most}) {
    ASSERT_EQ(b->size(), 533u);
    EXPECT_EQ(Hex({b->begin(), b->begin() + 5}), "15 02 0A 28 80");
    uint32_t sum = 0;
    for (size_t i = 0; i < 532; ++i) sum += (*b)[i];
    EXPECT_EQ((*b)[532], uint8_t(sum));
  }
  int differences = 0;
  for (size_t i = 0; i < 533; ++i) differences += few[i] != most[i];
  EXPECT_EQ(differences, 25);
  for (int32_t media : {262, 263, 275, 383, 278}) EXPECT_EQ(block(media), few) << media;
  for (int32_t media : {271, 283, 270, 276, 279, 259, 273, 258, 2, 0, 9999})
    EXPECT_EQ(block(media), most) << media;
}

TEST(InternalKeys, NoAccessFunctionAcceptsThem) {
  for (uint32_t key : {0x5002u, 0x5003u, 0x5004u, 0x5005u, 0x5006u, 0x5007u, 0x5008u, 0x500Bu, 0x500Cu,
                       0x500Du, 0x500Eu, 0x5010u}) {
    Request r = Driver({{4, 4}, {5, 1}, {8, 2}, {6, 1}, {28, 9}});
    EXPECT_EQ(Ask(Database::Driver, key, r).status, 1) << std::hex << key;
    EXPECT_NE(Lookup(key, r).status, 3) << std::hex << key; // but the image has them
  }
}

TEST(InternalKeys, NotInTheImage) {
  // 0x500F is only the locale source tag; 0x5011 the pair key of a list
  // this image does not mark.
  for (uint32_t key : {0x5001u, 0x5009u, 0x500Au, 0x500Fu, 0x5011u})
    EXPECT_EQ(Lookup(key, Driver({})).status, 3) << std::hex << key;
}

} // namespace
} // namespace m4k7::test
