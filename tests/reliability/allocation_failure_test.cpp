// Every key of every database, asked with requests that reach its
// allocating paths, with each heap allocation of the call failing in turn
// until the call makes no more: the answer is -1 or exactly the answer
// without a failure, no block outlives the call, and nothing is written
// past the buffer. The silent-mode block reports no failure: it falls back
// to the off block.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "computed/compute.h"
#include "engine/image.h"
#include "platform/test_hooks.h"
#include "reliability.h"

namespace m4k7::reliability {
namespace {

using platform::testing::AllocationCount;
using platform::testing::HeapFailAt;
using platform::testing::LiveBlocks;

// Request shapes that steer the walks into different branches: the
// database's usual slot counts, driver settings that reach the page
// set-up, the quality lists and the start block, and a printer by name or
// by a shared handle.
struct Shape {
  const char *what;
  std::vector<std::pair<uint32_t, int32_t>> settings;
  int printer; // 0 none, 1 by name, 2 a shared handle
};

const Shape kShapes[] = {
    {"usual shape", {}, 0},
    {"usual shape, printer by name", {}, 1},
    {"page set-up settings, shared printer",
     {{4, 4}, {5, 1}, {8, 2}, {6, 1}, {28, 256}, {7, 7}, {96, 14800}, {97, 21000}, {79, 0x800000}},
     2},
    {"quality settings", {{4, 6}, {9, 1}, {5, 275}, {28, 9}}, 0},
};

struct OwnedRequest {
  std::vector<int32_t> ints;
  std::vector<std::string> strings;
  std::vector<const char *> pointers;
  AccessRequest request{};
};

void Shaped(Database db, const Shape &shape, const std::u16string &name, PrinterHandle shared,
            OwnedRequest &o) {
  static constexpr uint32_t kInts[] = {1, 106, 14, 1, 4, 17};
  static constexpr uint32_t kStrings[] = {1, 0, 5, 0, 0, 9};
  o.ints.assign(kInts[int(db)], 0);
  for (auto [slot, value] : shape.settings) {
    if (slot >= o.ints.size()) o.ints.resize(slot + 1, 0);
    o.ints[slot] = value;
  }
  o.strings.assign(kStrings[int(db)], std::string());
  for (const std::string &s : o.strings) o.pointers.push_back(s.c_str());
  o.request.intParamCount = uint32_t(o.ints.size());
  o.request.intParams = o.ints.data();
  o.request.stringParamCount = uint32_t(o.strings.size());
  o.request.stringParams = o.pointers.empty() ? nullptr : o.pointers.data();
  if (shape.printer == 1) o.request.printerName = reinterpret_cast<const uint16_t *>(name.c_str());
  if (shape.printer == 2) o.request.printerHandle = shared;
}

struct Totals {
  int paths = 0;  // (key, shape, call) that allocate
  int points = 0; // failed allocations tried
};

// Sweeps one call: with no buffer (the size query) or with the buffer the
// answer needs.
void Sweep(Database db, uint16_t key, const AccessRequest &request, bool withBuffer, const std::string &where,
           Totals *totals) {
  const Reply sized = CallOnce(db, key, request, 0, false);
  const uint32_t size = withBuffer && sized.status == 2 ? sized.size : 0;
  if (withBuffer && sized.status != 2) return;
  const Reply want = CallOnce(db, key, request, size, withBuffer);
  const uint64_t before = AllocationCount();
  CallOnce(db, key, request, size, withBuffer);
  if (AllocationCount() == before) return;
  ++totals->paths;

  const int64_t live = LiveBlocks();
  for (uint32_t n = 1;; ++n) {
    Reply got;
    bool fired;
    {
      HeapFailAt fail(n);
      got = CallOnce(db, key, request, size, withBuffer);
      fired = fail.fired();
    }
    ASSERT_EQ(LiveBlocks(), live) << where << ", allocation " << n;
    ASSERT_TRUE(got.guardIntact) << where << ", allocation " << n;
    if (!fired) {
      EXPECT_EQ(got, want) << where << ": the call without a failure";
      break;
    }
    ++totals->points;
    if (got.status == -1) continue;
    EXPECT_EQ(got, want) << where << ", allocation " << n << ": status " << got.status;
  }
}

TEST(AllocationFailure, EveryKeyOfEveryDatabase) {
  PrinterDataFile file(SectionWithEveryValue("Sweep", 0) + SectionWithEveryValue("Sweep Shared", 1));
  const std::u16string name = u"Sweep";
  PrinterHandle shared = nullptr;
  ASSERT_EQ(m4k7db_open_printer(reinterpret_cast<const uint16_t *>(u"Sweep Shared"), &shared), 0);

  Totals totals;
  int keys = 0;
  for (const DatabaseKey &k : EveryPublicKey()) {
    ++keys;
    for (const Shape &shape : kShapes) {
      OwnedRequest o;
      Shaped(k.db, shape, name, shared, o);
      for (bool withBuffer : {false, true}) {
        const std::string where = "key " + std::to_string(k.key) + " (" + shape.what +
                                  (withBuffer ? ", with buffer)" : ", size query)");
        Sweep(k.db, k.key, o.request, withBuffer, where, &totals);
        if (::testing::Test::HasFatalFailure()) return;
      }
    }
  }
  m4k7db_close_printer(shared);
  std::printf("allocation sweep: %d keys, %d allocating calls, %d failure points\n", keys, totals.paths,
              totals.points);
  RecordProperty("failure_points", totals.points);
  EXPECT_GE(keys, 150);
  // The list services, the printer-data selects and the work copies all
  // allocate; a sweep that found few paths has lost its hooks.
  EXPECT_GE(totals.paths, 20);
}

// The silent-mode block asks root key 8 for the window's value name into
// a scratch buffer; every failure on the way gives the off block, status 0.
TEST(AllocationFailure, SilentModeBlockFallsBackToOff) {
  static const platform::LocalTime kNoon{2024, 5, 11, 12, 0, 0};
  platform::testing::FixedClock clock(kNoon);
  PrinterDataFile file(SectionWithEveryValue("Silent", 0));
  PrinterHandle printer = nullptr;
  ASSERT_EQ(m4k7db_open_printer(reinterpret_cast<const uint16_t *>(u"Silent"), &printer), 0);

  auto block = [&](PrinterHandle p) {
    AccessRequest r{};
    r.printerHandle = p;
    r.context = 7;
    std::vector<uint8_t> out(56 + 16, 0x5C);
    uint32_t size = kUnwritten;
    AccessStatus s = ComputeValue(CompiledImage(), uint16_t(ComputedValueId::CV_SILENT_MODE_BLOCK), &r, 56,
                                  out.data(), &size);
    return std::make_tuple(s, size, out);
  };
  const auto on = block(printer);
  const auto off = block(nullptr);
  ASSERT_EQ(std::get<0>(on), 0);
  ASSERT_EQ(std::get<0>(off), 0);
  ASSERT_NE(std::get<2>(on), std::get<2>(off)) << "noon lies in the 06:00-20:00 window";

  const int64_t live = LiveBlocks();
  int points = 0;
  for (uint32_t n = 1;; ++n) {
    HeapFailAt fail(n);
    const auto got = block(printer);
    EXPECT_EQ(LiveBlocks(), live) << "allocation " << n;
    if (!fail.fired()) {
      EXPECT_EQ(got, on);
      break;
    }
    ++points;
    EXPECT_EQ(got, off) << "allocation " << n;
  }
  EXPECT_GE(points, 1);
  m4k7db_close_printer(printer);
}

} // namespace
} // namespace m4k7::reliability
