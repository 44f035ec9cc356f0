// Key 4126, the print-mode record, through the driver function.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "support/ask.h"

namespace m4k7 {
namespace {

using test::Answer;
using test::Ask;
using test::Request;

constexpr uint32_t kNoSize = 0xDEADBEEF;

Request Settings(int32_t ink, int32_t i9, int32_t media, int32_t quality, int32_t i6, uint32_t slots = 106) {
  Request r = Request::Ints(slots);
  const std::pair<uint32_t, int32_t> kSlots[] = {{4, ink}, {9, i9}, {5, media}, {8, quality}, {6, i6}};
  for (auto [slot, v] : kSlots) r.ints.at(slot) = v;
  return r;
}

std::vector<uint16_t> Shorts(const std::vector<uint8_t> &b, size_t from, size_t count) {
  std::vector<uint16_t> out(count);
  std::memcpy(out.data(), b.data() + from, 2 * count);
  return out;
}

TEST(PrintMode, FirstRow) {
  Request r = Settings(4, 0, 1, 2, 1, 82);
  Answer a = Ask(Database::Driver, 4126, r);
  ASSERT_EQ(a.status, 0);
  ASSERT_EQ(a.size, 192u);
  EXPECT_EQ(Shorts(a.bytes, 0, 14),
            (std::vector<uint16_t>{60, 0, 22, 23, 9, 0, 2, 1, 0, 720, 720, 720, 720, 2}));
  EXPECT_EQ(std::string(a.bytes.begin() + 28, a.bytes.begin() + 48),
            std::string("tpb_04K7.tbl\0\0\0\0\0\0\0\0", 20));
  EXPECT_EQ(std::vector<uint8_t>(a.bytes.begin() + 48, a.bytes.begin() + 88), std::vector<uint8_t>(40, 0));
  EXPECT_EQ(Shorts(a.bytes, 88, 4), (std::vector<uint16_t>{3, 7, 3, 5}));
  int32_t s3[3];
  std::memcpy(s3, a.bytes.data() + 96, 12);
  EXPECT_EQ(std::vector<int32_t>(s3, s3 + 3), (std::vector<int32_t>{21000, 29700, 4}));
  EXPECT_EQ(std::vector<uint8_t>(a.bytes.begin() + 108, a.bytes.end()), std::vector<uint8_t>(84, 0));
}

TEST(PrintMode, SlotCount) {
  Request few = Settings(4, 0, 1, 2, 1, 81);
  uint32_t size = kNoSize;
  EXPECT_EQ(VRT_AccessDrvDataBase(4126, &few.view(), 0, nullptr, &size), -3);
  EXPECT_EQ(size, kNoSize);
  std::vector<uint8_t> buffer(192);
  EXPECT_EQ(VRT_AccessDrvDataBase(4126, &few.view(), 192, buffer.data(), &size), -3);
  Request enough = Settings(4, 0, 1, 2, 1, 82);
  EXPECT_EQ(Ask(Database::Driver, 4126, enough).status, 0);
}

TEST(PrintMode, Buffers) {
  Request r = Settings(6, 1, 275, 4, 1);
  Answer shorter = test::AskOnce(Database::Driver, 4126, r, 191);
  EXPECT_EQ(shorter.status, 2);
  EXPECT_EQ(shorter.size, 192u);
  std::vector<uint8_t> untouched(191, 0xCD);
  uint32_t size = kNoSize;
  ASSERT_EQ(VRT_AccessDrvDataBase(4126, &r.view(), 191, untouched.data(), &size), 2);
  EXPECT_EQ(untouched, std::vector<uint8_t>(191, 0xCD));
  // A larger buffer: only its first 192 bytes are touched (AskOnce checks
  // the guard past bufferSize, this the bytes between).
  std::vector<uint8_t> larger(300, 0xCD);
  ASSERT_EQ(VRT_AccessDrvDataBase(4126, &r.view(), 300, larger.data(), &size), 0);
  EXPECT_EQ(size, 192u);
  EXPECT_EQ(std::vector<uint8_t>(larger.begin() + 192, larger.end()), std::vector<uint8_t>(108, 0xCD));
}

// Settings without a row answer 1 and leave the record cleared.
TEST(PrintMode, NoRow) {
  struct Case {
    const char *what;
    int32_t ink, i9, media, quality, i6, i81;
  };
  const Case kCases[] = {
      {"I[6] = 3", 4, 0, 1, 2, 3, 0},
      {"I[81] = 1", 4, 0, 1, 2, 1, 1},
      {"I[9] = 2", 4, 2, 1, 2, 1, 0},
      {"quality 2 on media 259", 4, 0, 259, 2, 1, 0},
      {"media 2, quality 4, I[6] = 2", 4, 0, 2, 4, 2, 0},
      {"quality 5 with I[6] = 1", 6, 0, 1, 5, 1, 0},
      {"ink count 5", 5, 0, 1, 2, 1, 0},
  };
  for (const Case &c : kCases) {
    Request r = Settings(c.ink, c.i9, c.media, c.quality, c.i6).set(81, c.i81);
    std::vector<uint8_t> buffer(192, 0xCD);
    uint32_t size = kNoSize;
    EXPECT_EQ(VRT_AccessDrvDataBase(4126, &r.view(), 192, buffer.data(), &size), 1) << c.what;
    EXPECT_EQ(size, kNoSize) << c.what;
    EXPECT_EQ(buffer, std::vector<uint8_t>(192, 0)) << c.what;
  }
  // The one I[6] that media 2 has at quality 4.
  Request only = Settings(4, 0, 2, 4, 1);
  EXPECT_EQ(Ask(Database::Driver, 4126, only).status, 0);
}

} // namespace
} // namespace m4k7
