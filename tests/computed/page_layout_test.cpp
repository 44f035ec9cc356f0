// The page layout values of the user-defined paper size (I[28] = 256): the
// ESC ( p command, the page length and the printable areas.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "computed/compute.h"
#include "support/ask.h"

namespace m4k7 {
namespace {

using test::Answer;
using test::Ask;
using test::Hex;
using test::Request;

constexpr uint32_t kNoSize = 0xDEADBEEF;

// A direct call of ComputeValue with a buffer of the given size filled with
// 0xCD; the bytes past the answer must stay as they were.
struct Computed {
  AccessStatus status;
  uint32_t size;
  std::vector<uint8_t> bytes; // the whole buffer
};
Computed Compute(uint16_t id, Request &r, uint32_t bufferSize, bool withBuffer = true) {
  Computed c{0, kNoSize, std::vector<uint8_t>(bufferSize, 0xCD)};
  c.status = ComputeValue(CompiledImage(), id, &r.view(), bufferSize, withBuffer ? c.bytes.data() : nullptr,
                          &c.size);
  return c;
}

Request PaperRequest(uint32_t slots, std::initializer_list<std::pair<uint32_t, int32_t>> settings) {
  Request r = Request::Ints(slots);
  for (auto [slot, value] : settings) r.ints.at(slot) = value;
  return r;
}

// ESC ( p for the user-defined size: the printable length and width in 1/60
// inch, high byte first, rounded up, the width capped at 8 inches.
TEST(PageLayout, PageFormatCommand) {
  struct Case {
    int32_t width, length, marginMode;
    const char *want;
  };
  const Case kCases[] = {
      {14800, 21000, 5, "1B 28 70 08 00 01 F1 00 00 01 4E 00 00"}, // L 497, W 334
      {14800, 21000, 0, "1B 28 70 08 00 01 D9 00 00 01 4E 00 00"}, // margins cost 1000
      {14800, 21000, 6, "1B 28 70 08 00 01 D9 00 00 01 4E 00 00"}, // only mode 5 is full length
      {14800, 25400, 5, "1B 28 70 08 00 02 58 00 00 01 4E 00 00"}, // exact: 600, not rounded up
      {29700, 21000, 5, "1B 28 70 08 00 01 F1 00 00 01 E0 00 00"}, // 686 capped at 480
      {0, 21000, 5, "1B 28 70 08 00 01 F1 00 00 01 E0 00 00"},     // wraps, then the cap
      {679, 21000, 5, "1B 28 70 08 00 01 F1 00 00 01 E0 00 00"},
      {680, 21000, 5, "1B 28 70 08 00 01 F1 00 00 00 00 00 00"}, // exactly the margins
      {681, 21000, 5, "1B 28 70 08 00 01 F1 00 00 00 01 00 00"},
      {14800, 0, 0, "1B 28 70 08 00 03 F1 00 00 01 4E 00 00"}, // a negative length wraps: 1009
  };
  for (const Case &c : kCases) {
    Request r = PaperRequest(106, {{28, 256}, {96, c.width}, {97, c.length}, {52, c.marginMode}});
    Computed got = Compute(1, r, 13);
    ASSERT_EQ(got.status, 0) << c.width << " x " << c.length;
    EXPECT_EQ(got.size, 13u);
    EXPECT_EQ(Hex(got.bytes), c.want) << c.width << " x " << c.length << ", I[52]=" << c.marginMode;
  }
}

// The driver reaches the same command as the third fragment of key 4121,
// and the page length as key 4147, for the user-defined size.
TEST(PageLayout, ThroughTheDriver) {
  Request r = Request::Standard(Database::Driver)
                  .withSettings({{4, 4}, {9, 0}, {5, 1}, {8, 2}, {6, 1}, {28, 256}, {7, 4}, {52, 5}})
                  .withSettings({{96, 14800}, {97, 21000}});
  Answer page = Ask(Database::Driver, 4121, r);
  ASSERT_EQ(page.status, 0);
  ASSERT_EQ(page.bytes.size(), 6u + 25 + 13 + 6 + 1);
  EXPECT_EQ(Hex({page.bytes.begin() + 31, page.bytes.begin() + 44}),
            "1B 28 70 08 00 01 F1 00 00 01 4E 00 00");

  struct Case {
    int32_t length, marginMode;
    int32_t want;
  };
  // Only margin mode 5 drops the margins; modes above it keep them as 0 does.
  for (const Case &c : {Case{21000, 5, 497}, Case{21000, 0, 473}, Case{21000, 6, 473}, Case{25400, 5, 600},
                        Case{0, 0, 1009}}) {
    r.set(97, c.length).set(52, c.marginMode);
    Answer length = Ask(Database::Driver, 4147, r);
    ASSERT_EQ(length.status, 0);
    EXPECT_EQ(length.ints(), std::vector<int32_t>{c.want}) << c.length << ", I[52]=" << c.marginMode;
  }
}

TEST(PageLayout, PrintableAreas) {
  struct Case {
    uint32_t key; // 4100: capped, from I[29]/I[30]; 4146: from I[25]/I[26]
    int32_t width, length, marginMode;
    std::vector<int32_t> want; // left, width, top, length
  };
  const Case kCases[] = {
      {4100, 21000, 29700, 5, {340, 20320, 0, 29700}},
      {4100, 21001, 29700, 0, {340, 20320, 300, 28700}},
      {4100, 14800, 21000, 0, {340, 14120, 300, 20000}},
      {4100, 20999, 21000, 1, {340, 20319, 300, 20000}},
      {4100, 100, 500, 0, {340, -580, 300, -500}},
      {4146, 30000, 40000, 0, {340, 29320, 300, 39000}}, // no cap
      {4146, 14800, 21000, 5, {340, 14120, 0, 21000}},
      {4100, 14800, 21000, 6, {340, 14120, 300, 20000}}, // only mode 5 is full length
      {4146, 14800, 21000, 6, {340, 14120, 300, 20000}},
  };
  for (const Case &c : kCases) {
    Request r = Request::Standard(Database::Driver).set(28, 256).set(52, c.marginMode);
    const bool capped = c.key == 4100;
    r.set(capped ? 29 : 25, c.width).set(capped ? 30 : 26, c.length);
    Answer a = Ask(Database::Driver, c.key, r);
    ASSERT_EQ(a.status, 0) << c.key;
    EXPECT_EQ(a.ints(), c.want) << "key " << c.key << " " << c.width << " x " << c.length
                                << ", I[52]=" << c.marginMode;
  }
  // Key 4100 is computed for the user-defined size only.
  Request a4 = Request::Standard(Database::Driver).set(28, 9);
  EXPECT_EQ(Ask(Database::Driver, 4100, a4).status, 1);
}

// Every computation checks the slots it reads before it reports a size.
TEST(PageLayout, MissingSlots) {
  struct Case {
    uint16_t id;
    uint32_t tooFew;
  };
  for (const Case &c : {Case{1, 97}, Case{4, 97}, Case{2, 52}, Case{3, 52}}) {
    Request few = Request::Ints(c.tooFew);
    Computed got = Compute(c.id, few, 64);
    EXPECT_EQ(got.status, -3) << "id " << c.id << " with " << c.tooFew << " slots";
    EXPECT_EQ(got.size, kNoSize) << "id " << c.id;
    Request enough = Request::Ints(c.tooFew + 1);
    EXPECT_EQ(Compute(c.id, enough, 64).status, 0) << "id " << c.id << " with " << c.tooFew + 1 << " slots";
    Request none;
    EXPECT_EQ(Compute(c.id, none, 64).status, -3) << "id " << c.id << " without integer parameters";
  }
  // The driver key passes the computation's status on: 4147 needs I[97].
  Request driver = Request::Ints(97).set(28, 256);
  EXPECT_EQ(Ask(Database::Driver, 4147, driver).status, -3);
}

TEST(PageLayout, SizeNegotiation) {
  struct Case {
    uint16_t id;
    uint32_t size;
  };
  for (const Case &c : {Case{1, 13}, Case{2, 16}, Case{3, 16}, Case{4, 4}}) {
    Request r = Request::Ints(106);
    Computed query = Compute(c.id, r, 0, false);
    EXPECT_EQ(query.status, 2) << "id " << c.id;
    EXPECT_EQ(query.size, c.size) << "id " << c.id;
    Computed absent = Compute(c.id, r, 1000, false);
    EXPECT_EQ(absent.status, 2) << "id " << c.id << ": no buffer";
    Computed shorter = Compute(c.id, r, c.size - 1);
    EXPECT_EQ(shorter.status, 2) << "id " << c.id;
    EXPECT_EQ(shorter.size, c.size);
    EXPECT_EQ(shorter.bytes, std::vector<uint8_t>(c.size - 1, 0xCD)) << "id " << c.id << ": nothing written";
    Computed larger = Compute(c.id, r, c.size + 8);
    EXPECT_EQ(larger.status, 0);
    EXPECT_EQ(std::vector<uint8_t>(larger.bytes.begin() + c.size, larger.bytes.end()),
              std::vector<uint8_t>(8, 0xCD))
        << "id " << c.id << ": only its own bytes";
  }
}

TEST(PageLayout, UnknownIds) {
  for (uint16_t id : {0, 8, 18, 0xFFFF}) {
    Request r = Request::Ints(106);
    Computed got = Compute(id, r, 64);
    EXPECT_EQ(got.status, 1) << "id " << id;
    EXPECT_EQ(got.size, kNoSize) << "id " << id;
    EXPECT_EQ(got.bytes, std::vector<uint8_t>(64, 0xCD)) << "id " << id;
  }
}

} // namespace
} // namespace m4k7
