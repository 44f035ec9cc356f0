// Every allocating path of the driver list services, with each of its
// allocations failing in turn: the answer is either right or -1, and no
// block outlives the call.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "platform/test_hooks.h"
#include "support/ask.h"
#include "support/printer_data_file.h"

namespace m4k7 {
namespace {

using platform::testing::AllocationCount;
using platform::testing::HeapFailAt;
using platform::testing::LiveBlocks;
using test::Request;

struct Case {
  const char *what;
  uint32_t key;
  std::initializer_list<std::pair<uint32_t, int32_t>> settings;
  PrinterHandle printer = nullptr;
};

// Asks the key once without failures, then with each allocation of the
// call failing in turn until none is left to fail.
void SweepAllocations(const Case &c) {
  Request r = Request::Standard(Database::Driver).withSettings(c.settings);
  r.printerHandle = c.printer;
  uint32_t size = 0;
  ASSERT_EQ(VRT_AccessDrvDataBase(c.key, &r.view(), 0, nullptr, &size), 2) << c.what;
  std::vector<uint8_t> want(size);
  uint32_t out = 0;
  ASSERT_EQ(VRT_AccessDrvDataBase(c.key, &r.view(), size, want.data(), &out), 0) << c.what;

  const int64_t live = LiveBlocks();
  int fired = 0;
  for (uint32_t n = 1;; ++n) {
    std::vector<uint8_t> got(size, 0xCD);
    AccessStatus status;
    bool armedFired;
    {
      HeapFailAt fail(n);
      status = VRT_AccessDrvDataBase(c.key, &r.view(), size, got.data(), &out);
      armedFired = fail.fired();
    }
    ASSERT_EQ(LiveBlocks(), live) << c.what << ", allocation " << n;
    if (!armedFired) {
      ASSERT_EQ(status, 0) << c.what;
      EXPECT_EQ(got, want) << c.what;
      break;
    }
    ++fired;
    ASSERT_TRUE(status == 0 || status == -1) << c.what << ", allocation " << n << ": status " << status;
    if (status == 0) {
      EXPECT_EQ(got, want) << c.what << ", allocation " << n;
    }
  }
  EXPECT_GE(fired, 1) << c.what << ": the path allocates nothing";
}

TEST(HeapFailure, DriverListServices) {
  const Case kCases[] = {
      {"ink counts: work copy", 4108, {}},
      {"ink counts from the table: work copy", 4109, {}},
      {"printable paper sizes: work copy", 4112, {{28, 9}}},
      {"all paper sizes: work copy and the 4112 scratch list", 4113, {{28, 9}}},
      {"print qualities: work copy", 4118, {{4, 6}, {9, 1}, {5, 275}}},
  };
  for (const Case &c : kCases) SweepAllocations(c);
}

// The image's grouped lists are short: their fragment descriptors stay on
// the stack, and a call that reads no printer value allocates nothing.
TEST(HeapFailure, ShortGroupedListsAllocateNothing) {
  const Case kCases[] = {
      {"page set-up", 4121, {{4, 4}, {5, 1}, {8, 2}, {6, 1}, {28, 256}, {7, 7}, {96, 14800}, {97, 21000}}},
      {"one-fragment list", 4123, {}},
  };
  for (const Case &c : kCases) {
    Request r = Request::Standard(Database::Driver).withSettings(c.settings);
    uint32_t size = 0;
    const uint64_t before = AllocationCount();
    ASSERT_EQ(VRT_AccessDrvDataBase(c.key, &r.view(), 0, nullptr, &size), 2) << c.what;
    std::vector<uint8_t> got(size);
    ASSERT_EQ(VRT_AccessDrvDataBase(c.key, &r.view(), size, got.data(), &size), 0) << c.what;
    EXPECT_EQ(AllocationCount(), before) << c.what;
  }
}

#if !defined(_WIN32)
// 4120's start block reads the printer's data, here from the POSIX file store.
TEST(HeapFailure, StartBlock) {
  test::PrinterDataFile file("[Heap]\nTpxUI_CustomECPMode = dword:0\n");
  const std::u16string name = test::Utf16("Heap");
  PrinterHandle printer = nullptr;
  ASSERT_EQ(m4k7db_open_printer(reinterpret_cast<const uint16_t *>(name.c_str()), &printer), 0);
  SweepAllocations({"start block: descriptors and the value name", 4120, {{79, 0x800000}}, printer});
  m4k7db_close_printer(printer);
}
#endif

} // namespace
} // namespace m4k7
