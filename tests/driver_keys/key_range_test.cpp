// Every key of the driver's range, 0x1001-0x1FFF, through the driver's
// access function: which keys the image holds, which the list services
// answer from their own tables, and the status each gives for a full set of
// settings, for a request without integer parameters, and for no request.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "engine_ask.h"

namespace m4k7::test {
namespace {

// The driver keys in the key index.
const std::set<uint32_t> kIndexed = {
    0x1001, 0x1002, 0x1003, 0x1004, 0x1005, 0x1006, 0x1007, 0x1008, 0x1009, 0x100A, 0x100B, 0x100C,
    0x100E, 0x1010, 0x1011, 0x1012, 0x1014, 0x1015, 0x1016, 0x1017, 0x101F, 0x1020, 0x1021, 0x1022,
    0x1023, 0x1024, 0x1025, 0x1026, 0x1028, 0x102A, 0x102B, 0x102C, 0x102D, 0x102E, 0x102F, 0x1031,
    0x1032, 0x1033, 0x1035, 0x1037, 0x1038, 0x1039, 0x103A, 0x103B, 0x103D, 0x103E, 0x103F, 0x1041,
    0x1042, 0x1043, 0x1046, 0x1048, 0x1049, 0x104B, 0x104C, 0x104D, 0x104E, 0x104F, 0x1056, 0x1059,
};

// Answered by the list services from their own tables, not from the index.
const std::set<uint32_t> kFromTables = {0x100D, 0x100F, 0x1013, 0x1018, 0x1019,
                                        0x101A, 0x101B, 0x101C, 0x101D, 0x101E};

const std::set<uint32_t> kInternal = {0x5002, 0x5003, 0x5004, 0x5005, 0x5006, 0x5007,
                                      0x5008, 0x500B, 0x500C, 0x500D, 0x500E, 0x5010};

// Settings every tree has a branch for: four inks, I[9] 0, plain media 1,
// quality 2, I[6] 1, A4, margin mode 0, paper source 7.
Request FullSettings() {
  return Driver({{0, 1},
                 {4, 4},
                 {5, 1},
                 {6, 1},
                 {7, 7},
                 {8, 2},
                 {9, 0},
                 {18, 0},
                 {19, 1},
                 {20, 1},
                 {28, 9},
                 {52, 0},
                 {81, 0},
                 {96, 21000},
                 {97, 29700},
                 {25, 21000},
                 {26, 29700}});
}

// The status of the two-call pattern: a size query, then a call with a
// buffer of the size it reported. (The list services leave the size unset
// on success, so only the status is compared.)
AccessStatus Status(uint32_t key, Request &r) {
  uint32_t size = 0;
  const AccessStatus query = VRT_AccessDrvDataBase(key, &r.view(), 0, nullptr, &size);
  if (query != 2) return query;
  std::vector<uint8_t> buffer(size);
  return VRT_AccessDrvDataBase(key, &r.view(), size, buffer.data(), &size);
}

std::string Label(uint32_t key) {
  char text[24];
  std::snprintf(text, sizeof text, "key 0x%04X (%u)", key, key);
  return text;
}

TEST(DriverKeyRange, TheIndexHoldsExactlyTheCatalogue) {
  const ImageDescriptor &image = CompiledImage();
  std::set<uint32_t> driver, internal;
  for (uint32_t i = 0; i < image.keyCount; ++i) {
    if (image.keys[i] >= 0x1001 && image.keys[i] <= 0x1FFF) driver.insert(image.keys[i]);
    if (image.keys[i] >= 0x5001 && image.keys[i] <= 0x5FFF) internal.insert(image.keys[i]);
  }
  EXPECT_EQ(driver, kIndexed);
  EXPECT_EQ(internal, kInternal);
  EXPECT_TRUE(std::is_sorted(image.keys, image.keys + image.keyCount));
}

// With the full settings every key answers, except where the catalogue
// leaves a gap for them: 0x1004 and 0x1033 (A4 outside margin mode 5) and
// the media pairings of 0x1021 and 0x1022 (media 1 pairs with nothing); the
// start block of 0x1018 reads the printer's data, and there is no printer.
TEST(DriverKeyRange, EveryKeyWithFullSettings) {
  const std::set<uint32_t> kGaps = {0x1004, 0x1021, 0x1022, 0x1033};
  for (uint32_t key = 0x1001; key <= 0x1FFF; ++key) {
    Request r = FullSettings();
    int want = 3;
    if (kIndexed.count(key) || kFromTables.count(key)) want = kGaps.count(key) ? 1 : 0;
    if (key == 0x1018) want = -4;
    EXPECT_EQ(Status(key, r), want) << Label(key);
    // Every answer is sized first: without a buffer, 2 and a size.
    uint32_t size = 0;
    if (want == 0) {
      EXPECT_EQ(VRT_AccessDrvDataBase(key, &r.view(), 0, nullptr, &size), 2) << Label(key);
      EXPECT_GT(size, 0u) << Label(key);
    }
  }
}

// Without integer parameters: only the fixed answers stand; every tree,
// computed value and list service needs its slots (-3), the start block of
// 0x1018 needs a printer first (-4), and the one-fragment lists need nothing.
TEST(DriverKeyRange, EveryKeyWithoutIntegerParameters) {
  const std::set<uint32_t> kNeedNothing = {0x1005, 0x1006, 0x100B, 0x101F, 0x1020, 0x1023, 0x1024, 0x1025,
                                           0x102B, 0x102C, 0x1031, 0x1035, 0x1037, 0x1039, 0x103B, 0x103D,
                                           0x103F, 0x1042, 0x1043, 0x1048, 0x1049, 0x104B, 0x104C, 0x104F,
                                           0x1056, 0x101A, 0x101B, 0x101C, 0x101D};
  for (uint32_t key = 0x1001; key <= 0x1FFF; ++key) {
    Request r = Request::Ints(0);
    int want = 3;
    if (kIndexed.count(key) || kFromTables.count(key)) want = kNeedNothing.count(key) ? 0 : -3;
    if (key == 0x1018) want = -4;
    EXPECT_EQ(Status(key, r), want) << Label(key);
  }
}

TEST(DriverKeyRange, NoRequest) {
  for (uint32_t key : {0x1001u, 0x1005u, 0x100Du, 0x1019u, 0x101Eu, 0x1051u, 0x1FFFu}) {
    uint32_t size = 0xDEADBEEF;
    EXPECT_EQ(VRT_AccessDrvDataBase(key, nullptr, 0, nullptr, &size), -4) << Label(key);
    EXPECT_EQ(size, 0xDEADBEEF) << Label(key);
  }
}

} // namespace
} // namespace m4k7::test
