#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/work_copy.h"
#include "platform/test_hooks.h"

namespace m4k7 {
namespace {

using platform::testing::AllocationCount;
using platform::testing::HeapFailAt;
using platform::testing::LiveBlocks;

// The shapes the module's own lookups rely on, one per database.
struct Shape {
  int32_t number;
  uint32_t ints, strings;
};
constexpr Shape kShapes[] = {{0, 1, 1}, {1, 106, 0}, {2, 14, 5}, {3, 1, 0}, {4, 4, 0}, {5, 17, 9}};

// A source with `ints` integer slots valued 1000 + i and `strings` strings.
struct Source {
  std::vector<int32_t> ints;
  std::vector<std::string> text;
  std::vector<const char *> strings;
  AccessRequest request{};
  Source(uint32_t intCount, uint32_t stringCount) {
    ints.resize(intCount);
    std::iota(ints.begin(), ints.end(), 1000);
    for (uint32_t i = 0; i < stringCount; ++i) text.push_back("s" + std::to_string(i));
    for (const std::string &s : text) strings.push_back(s.c_str());
    request.printerHandle = reinterpret_cast<PrinterHandle>(uintptr_t(0x1234));
    request.context = 0xC0FFEE;
    request.intParamCount = intCount;
    request.intParams = ints.empty() ? nullptr : ints.data();
    request.stringParamCount = stringCount;
    request.stringParams = strings.empty() ? nullptr : strings.data();
    static const uint16_t name[] = {'P', 0};
    request.printerName = name;
  }
};

TEST(WorkCopies, TakeTheTemplateShapeAndTheSourcesLeadingSlots) {
  struct Case {
    uint32_t sourceInts, sourceStrings;
  };
  const Case sources[] = {{0, 0}, {30, 2}, {200, 12}};
  for (const Shape &shape : kShapes) {
    for (const Case &c : sources) {
      Source src(c.sourceInts, c.sourceStrings);
      TemplateShape declared{};
      ASSERT_TRUE(ShapeOf(shape.number, &declared));
      EXPECT_EQ(declared.intSlots, shape.ints);
      EXPECT_EQ(declared.stringSlots, shape.strings);
      const uint64_t before = AllocationCount();
      AccessRequest *copy = MakeWorkCopy(shape.number, &src.request);
      ASSERT_NE(copy, nullptr);
      EXPECT_EQ(AllocationCount() - before, 1u) << "one block per copy";
      const std::string what = "template " + std::to_string(shape.number) + " from " +
                               std::to_string(c.sourceInts) + "+" + std::to_string(c.sourceStrings);
      EXPECT_EQ(copy->printerHandle, src.request.printerHandle) << what;
      EXPECT_EQ(copy->context, src.request.context) << what;
      EXPECT_EQ(copy->printerName, nullptr) << what;
      ASSERT_EQ(copy->intParamCount, shape.ints) << what;
      ASSERT_NE(copy->intParams, nullptr) << what;
      EXPECT_NE(copy->intParams, src.request.intParams) << what;
      EXPECT_EQ(reinterpret_cast<uintptr_t>(copy->intParams) % alignof(int32_t), 0u) << what;
      for (uint32_t i = 0; i < shape.ints; ++i)
        ASSERT_EQ(copy->intParams[i], i < c.sourceInts ? src.ints[i] : 0) << what << " slot " << i;
      ASSERT_EQ(copy->stringParamCount, shape.strings) << what;
      if (shape.strings == 0) {
        EXPECT_EQ(copy->stringParams, nullptr) << what;
      } else {
        ASSERT_NE(copy->stringParams, nullptr) << what;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(copy->stringParams) % alignof(const char *), 0u) << what;
        for (uint32_t i = 0; i < shape.strings; ++i) // the references, not the strings
          ASSERT_EQ(copy->stringParams[i], i < c.sourceStrings ? src.strings[i] : nullptr)
              << what << " string " << i;
      }
      FreeWorkCopy(copy);
      EXPECT_EQ(LiveBlocks(), 0) << what;
    }
  }
}

TEST(WorkCopies, WithoutASourceEverySlotIsClear) {
  for (const Shape &shape : kShapes) {
    WorkCopy copy(RequestTemplate(shape.number), nullptr);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy.get()->printerHandle, nullptr);
    EXPECT_EQ(copy.get()->context, 0u);
    for (uint32_t i = 0; i < shape.ints; ++i) ASSERT_EQ(copy.ints()[i], 0);
    for (uint32_t i = 0; i < shape.strings; ++i) ASSERT_EQ(copy.get()->stringParams[i], nullptr);
  }
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST(WorkCopies, SourceArraysThatAreAbsentOrNotCounted) {
  // A count of 0 means the array is not read, however bogus; an absent
  // array with a count reads as empty.
  const auto *bogus = reinterpret_cast<const char *const *>(uintptr_t(0x10));
  AccessRequest src{};
  src.stringParamCount = 0;
  src.stringParams = bogus;
  src.intParamCount = 0;
  src.intParams = reinterpret_cast<const int32_t *>(uintptr_t(0x10));
  {
    WorkCopy copy(RequestTemplate::StatusMonitor, &src);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy.get()->stringParams[0], nullptr);
    EXPECT_EQ(copy.ints()[0], 0);
  }
  src.stringParamCount = 4;
  src.stringParams = nullptr;
  src.intParamCount = 50;
  src.intParams = nullptr;
  {
    WorkCopy copy(RequestTemplate::LanguageMonitor, &src);
    ASSERT_TRUE(copy);
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(copy.get()->stringParams[i], nullptr);
    for (uint32_t i = 0; i < 14; ++i) EXPECT_EQ(copy.ints()[i], 0);
  }
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST(WorkCopies, UnknownTemplatesAndExhaustedMemoryGiveNone) {
  Source src(10, 2);
  for (int32_t number : {-1, 6, 7, 1000, INT32_MIN}) {
    const uint64_t before = AllocationCount();
    EXPECT_EQ(MakeWorkCopy(number, &src.request), nullptr) << number;
    EXPECT_EQ(AllocationCount(), before) << "template " << number << " allocated";
    TemplateShape shape{};
    EXPECT_FALSE(ShapeOf(number, &shape));
  }
  for (const Shape &shape : kShapes) {
    HeapFailAt fail(1);
    EXPECT_EQ(MakeWorkCopy(shape.number, &src.request), nullptr);
    EXPECT_TRUE(fail.fired());
    EXPECT_EQ(LiveBlocks(), 0);
  }
  FreeWorkCopy(nullptr);
  EXPECT_EQ(LiveBlocks(), 0);
}

} // namespace
} // namespace m4k7
