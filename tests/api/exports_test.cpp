// The six exported functions over the compiled image. Answers are not
// restated here (the content tests own them); these check that every
// function applies the access steps to the image the module carries.
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "api/access.h"
#include "engine/image.h"
#include "m4k7db.h"
#include "support/ask.h"

namespace m4k7::test {
namespace {

constexpr uint32_t kUnwritten = 0xDEADBEEF;

using AccessFn = AccessStatus(M4K7DB_CALL *)(uint32_t, const AccessRequest *, uint32_t, void *, uint32_t *);
struct Exported {
  const char *name;
  Database db;
  AccessFn fn;
};
const Exported kFunctions[] = {
    {"VRT_AccessRootDataBase", Database::Root, VRT_AccessRootDataBase},
    {"VRT_AccessDrvDataBase", Database::Driver, VRT_AccessDrvDataBase},
    {"VRT_AccessLMDataBase", Database::LanguageMonitor, VRT_AccessLMDataBase},
    {"VRT_AccessMntDataBase", Database::Maintenance, VRT_AccessMntDataBase},
    {"VRT_AccessPADataBase", Database::PA, VRT_AccessPADataBase},
    {"VRT_AccessSMDataBase", Database::StatusMonitor, VRT_AccessSMDataBase},
};

bool Indexed(uint16_t key) {
  const ImageDescriptor &image = CompiledImage();
  for (uint32_t i = 0; i < image.keyCount; ++i)
    if (image.keys[i] == key) return true;
  return false;
}

TEST(AccessFunctions, ExportedFunctionsRejectKeysOutsideTheirRange) {
  Request request = Request::Standard(Database::Driver);
  for (const Exported &f : kFunctions) {
    // 0x5008 has an answer in the image, but only the list services ask it.
    for (uint32_t key : {0x0000u, 0x1000u, 0x2000u, 0x3000u, 0x4000u, 0x5000u, 0x5008u, 0x5FFFu, 0x6000u,
                         0x7000u, 0xFFFFu}) {
      uint32_t size = kUnwritten;
      uint8_t buffer[16];
      EXPECT_EQ(f.fn(key, &request.view(), sizeof buffer, buffer, &size), M4K7DB_NOT_FOUND)
          << f.name << " " << key;
      EXPECT_EQ(size, kUnwritten) << f.name << " " << key;
    }
    uint32_t size = kUnwritten;
    EXPECT_EQ(f.fn(0, nullptr, 0, nullptr, &size), M4K7DB_NO_PRINTER) << f.name;
    EXPECT_EQ(f.fn(RangeOf(f.db).first, nullptr, 0, nullptr, &size), M4K7DB_NO_PRINTER) << f.name;
    EXPECT_EQ(size, kUnwritten) << f.name;
  }
}

TEST(AccessFunctions, ExportedFunctionsReportKeysTheImageLacks) {
  Request request;
  for (const Exported &f : kFunctions) {
    const KeyRange range = RangeOf(f.db);
    // From the top of the range down: the driver answers some keys low in
    // its range by code, without an index entry.
    uint32_t key = range.last;
    while (key >= range.first && Indexed(uint16_t(key))) --key;
    ASSERT_GE(key, range.first) << f.name;
    uint32_t size = kUnwritten;
    EXPECT_EQ(f.fn(key, &request.view(), 0, nullptr, &size), M4K7DB_UNKNOWN_KEY) << f.name << " " << key;
    EXPECT_EQ(size, kUnwritten) << f.name;
  }
}

TEST(AccessFunctions, ExportedFunctionsAnswerEveryIndexedKeyInTwoCalls) {
  // Every key of the five plain databases, with the database's standard
  // request: a status other than 2 on the size query is its answer, and a
  // 2 must be followed by 0 with exactly that size (Ask checks the size).
  const ImageDescriptor &image = CompiledImage();
  int answered = 0;
  for (const Exported &f : kFunctions) {
    if (f.db == Database::Driver) continue; // item lists leave the size unwritten
    const KeyRange range = RangeOf(f.db);
    for (uint32_t i = 0; i < image.keyCount; ++i) {
      const uint16_t key = image.keys[i];
      if (key < range.first || key > range.last) continue;
      Request request = Request::Standard(f.db);
      const std::vector<int32_t> before = request.ints;
      uint32_t size = kUnwritten;
      const AccessStatus query = f.fn(key, &request.view(), 0, nullptr, &size);
      if (query != M4K7DB_BUFFER_TOO_SMALL) continue;
      const Answer a = Ask(f.db, key, request);
      EXPECT_EQ(a.status, M4K7DB_OK) << f.name << " key " << key;
      EXPECT_EQ(a.size, size) << f.name << " key " << key;
      // The high 16 bits change nothing.
      uint32_t highSize = kUnwritten;
      EXPECT_EQ(f.fn(0x7FFF0000u | key, &request.view(), 0, nullptr, &highSize), query)
          << f.name << " key " << key;
      EXPECT_EQ(highSize, size) << f.name << " key " << key;
      EXPECT_EQ(request.ints, before);
      ++answered;
    }
  }
  EXPECT_GT(answered, 0);
}

TEST(AccessFunctions, DriverKeysWithHighBitsGetTheSameHandling) {
  // The list services pick their keys by number, so the key they see must
  // already be cut to 16 bits.
  Request request = Request::Standard(Database::Driver);
  for (uint32_t key = 0x1001; key <= 0x10FF; ++key) {
    uint32_t size = kUnwritten, highSize = kUnwritten;
    const AccessStatus plain = VRT_AccessDrvDataBase(key, &request.view(), 0, nullptr, &size);
    const AccessStatus high =
        VRT_AccessDrvDataBase(0x00050000u | key, &request.view(), 0, nullptr, &highSize);
    EXPECT_EQ(high, plain) << "key " << key;
    EXPECT_EQ(highSize, size) << "key " << key;
  }
}

} // namespace
} // namespace m4k7::test
