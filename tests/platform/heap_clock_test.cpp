// The platform heap with its failure injection, and the clock.
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/test_hooks.h"

namespace m4k7::test {
namespace {

using platform::testing::AllocationCount;
using platform::testing::AllocationFailureFired;
using platform::testing::FailAllocationAt;
using platform::testing::HeapFailAt;
using platform::testing::LiveBlocks;

static_assert(platform::testing::kHooksAvailable, "tests link the core built with its hooks");

TEST(Heap, ZeroSizedBlocksAreRealAndDistinct) {
  int64_t live = LiveBlocks();
  std::set<void *> blocks;
  for (int i = 0; i < 16; ++i) blocks.insert(platform::Allocate(0));
  EXPECT_EQ(blocks.count(nullptr), 0u);
  EXPECT_EQ(blocks.size(), 16u);
  EXPECT_EQ(LiveBlocks(), live + 16);
  for (void *b : blocks) platform::Release(b);
  platform::Release(nullptr);
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(Heap, FailsExactlyTheArmedAllocation) {
  for (uint32_t n = 1; n <= 5; ++n) {
    int64_t live = LiveBlocks();
    uint64_t before = AllocationCount();
    std::vector<void *> got;
    {
      HeapFailAt fail(n);
      for (uint32_t i = 1; i <= 7; ++i) {
        got.push_back(platform::Allocate(32));
        EXPECT_EQ(got.back() == nullptr, i == n) << "armed " << n << ", allocation " << i;
        EXPECT_EQ(fail.fired(), i >= n) << "armed " << n << ", allocation " << i;
      }
    }
    EXPECT_EQ(AllocationCount(), before + 7) << "a failed attempt counts too";
    EXPECT_EQ(LiveBlocks(), live + 6);
    for (void *b : got) platform::Release(b);
    EXPECT_EQ(LiveBlocks(), live);
  }
}

TEST(Heap, DisarmingAndRearming) {
  FailAllocationAt(2);
  FailAllocationAt(0);
  void *a = platform::Allocate(1), *b = platform::Allocate(1);
  EXPECT_TRUE(a && b) << "0 disarms";
  EXPECT_FALSE(AllocationFailureFired());
  FailAllocationAt(1);
  EXPECT_EQ(platform::Allocate(1), nullptr);
  EXPECT_TRUE(AllocationFailureFired());
  FailAllocationAt(3);
  EXPECT_FALSE(AllocationFailureFired()) << "rearming clears the flag";
  FailAllocationAt(0);
  platform::Release(a);
  platform::Release(b);
}

// Eight threads share one armed failure: exactly one of their attempts
// fails and every block is counted.
TEST(Heap, CountsAcrossThreads) {
  int64_t live = LiveBlocks();
  std::atomic<int> failures{0};
  {
    HeapFailAt fail(500);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
      threads.emplace_back([&] {
        std::vector<void *> mine;
        for (int i = 0; i < 200; ++i) {
          void *b = platform::Allocate(size_t(i));
          if (b == nullptr)
            ++failures;
          else
            mine.push_back(b);
          if (i % 3 == 0 && !mine.empty()) {
            platform::Release(mine.back());
            mine.pop_back();
          }
        }
        for (void *b : mine) platform::Release(b);
      });
    for (std::thread &t : threads) t.join();
    EXPECT_TRUE(fail.fired());
  }
  EXPECT_EQ(failures.load(), 1);
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(Clock, FixedTimeIsReturnedExactly) {
  const platform::LocalTime times[] = {
      {2024, 2, 29, 23, 59, 59}, {1999, 12, 31, 0, 0, 0}, {65535, 65535, 65535, 65535, 65535, 65535}};
  for (const platform::LocalTime &t : times) {
    platform::testing::FixedClock fixed(t);
    platform::LocalTime now{};
    platform::GetLocalTime(&now);
    EXPECT_EQ(now.year, t.year);
    EXPECT_EQ(now.month, t.month);
    EXPECT_EQ(now.day, t.day);
    EXPECT_EQ(now.hour, t.hour);
    EXPECT_EQ(now.minute, t.minute);
    EXPECT_EQ(now.second, t.second);
  }
  platform::LocalTime now{};
  platform::GetLocalTime(&now);
  EXPECT_NE(now.year, 65535) << "leaving the scope restores the real clock";
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.hour <= 23 && now.minute <= 59 && now.second <= 59);
  platform::GetLocalTime(nullptr);
}

// Readers racing a writer that swaps between two fixed times never see a
// mixture of the two.
TEST(Clock, FixingIsNeverTorn) {
  const platform::LocalTime a{2001, 1, 1, 1, 1, 1}, b{2002, 2, 2, 2, 2, 2};
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  platform::testing::FixClock(&a);
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t)
    readers.emplace_back([&] {
      while (!stop.load()) {
        platform::LocalTime now{};
        platform::GetLocalTime(&now);
        uint16_t v = uint16_t(now.year - 2000);
        if (now.month != v || now.day != v || now.hour != v || now.minute != v || now.second != v) ++torn;
      }
    });
  for (int i = 0; i < 20000; ++i) platform::testing::FixClock(i % 2 ? &a : &b);
  stop = true;
  for (std::thread &t : readers) t.join();
  platform::testing::FixClock(nullptr);
  EXPECT_EQ(torn.load(), 0);
}

} // namespace
} // namespace m4k7::test
