// Work copies and the access step, over small images and the printer-data file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "api/access.h"
#include "api/work_copy.h"
#include "engine/engine.h"
#include "platform/test_hooks.h"

namespace m4k7 {
namespace {

using platform::testing::HeapFailAt;
using platform::testing::LiveBlocks;

TEST(WorkCopies, ShapesAndCopiedSlots) {
  std::vector<int32_t> ints(200);
  for (int i = 0; i < 200; ++i) ints[size_t(i)] = i + 1;
  const char *strings[] = {"a", "b", "c"};
  AccessRequest source{reinterpret_cast<PrinterHandle>(0x1234), 77, 3, strings, 200, ints.data(), nullptr};
  struct {
    int32_t templ;
    uint32_t sourceInts;
    uint32_t wantInts, wantStrings, copied;
  } cases[] = {
      {1, 200, 106, 0, 106}, {1, 30, 106, 0, 30}, {0, 200, 1, 1, 1}, {5, 200, 17, 9, 17}, {3, 200, 1, 0, 1}};
  for (auto c : cases) {
    source.intParamCount = c.sourceInts;
    WorkCopy copy(RequestTemplate(c.templ), &source);
    ASSERT_TRUE(copy) << c.templ;
    const AccessRequest &r = *copy.get();
    EXPECT_EQ(r.intParamCount, c.wantInts);
    EXPECT_EQ(r.stringParamCount, c.wantStrings);
    EXPECT_EQ(r.stringParams == nullptr, c.wantStrings == 0);
    EXPECT_EQ(r.printerHandle, source.printerHandle);
    EXPECT_EQ(r.context, 77u);
    EXPECT_EQ(r.printerName, nullptr);
    for (uint32_t i = 0; i < r.intParamCount; ++i)
      EXPECT_EQ(r.intParams[i], i < c.copied ? int32_t(i + 1) : 0) << i;
    for (uint32_t i = 0; i < r.stringParamCount; ++i)
      EXPECT_EQ(r.stringParams[i], i < 3 ? strings[i] : nullptr);
  }
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST(WorkCopies, UnknownTemplatesAndExhaustedHeap) {
  const uint64_t before = platform::testing::AllocationCount();
  EXPECT_EQ(MakeWorkCopy(6, nullptr), nullptr);
  EXPECT_EQ(MakeWorkCopy(-1, nullptr), nullptr);
  EXPECT_EQ(platform::testing::AllocationCount(), before) << "unknown templates allocate nothing";
  AccessRequest *none = MakeWorkCopy(0, nullptr);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->printerHandle, nullptr);
  EXPECT_EQ(none->context, 0u);
  FreeWorkCopy(none);
  FreeWorkCopy(nullptr);
  HeapFailAt fail(1);
  EXPECT_EQ(MakeWorkCopy(1, nullptr), nullptr);
  EXPECT_TRUE(fail.fired());
  EXPECT_EQ(LiveBlocks(), 0);
}

// Key 8 names value 2; key 9 is a printer-data select on value 2: 0 -> [10],
// default -> [20].
struct PrinterImage {
  std::vector<DbNode> nodes;
  std::vector<uint16_t> keys{8, 9};
  std::vector<uint32_t> keyNodes{0, 3};
  std::vector<uint8_t> bytes;
  ImageDescriptor image{};
  explicit PrinterImage(bool withDefault) {
    const std::string name = "TpxUI_CustomECPMode";
    bytes.assign(name.begin(), name.end());
    bytes.push_back(0);
    bytes.push_back(10);
    bytes.push_back(20);
    const uint32_t n = uint32_t(name.size() + 1);
    nodes = {{makeWord0(NodeKind::NK_SELECT_PARAM, 1), makeWord1(0, 1)},
             {makeWord0(NodeKind::NK_CASE, 2), 2},
             {makeWord0(NodeKind::NK_WIDE, 0), makeWord1(8, uint16_t(n))},
             {makeWord0(NodeKind::NK_SELECT_PRINTER_DATA, 4), makeWord1(2, uint16_t(withDefault ? 2 : 1))},
             {makeWord0(NodeKind::NK_CASE, 6), 0},
             {makeWord0(NodeKind::NK_DEFAULT, 7), 0},
             {makeWord0(NodeKind::NK_INT8, n), makeWord1(9, 1)},
             {makeWord0(NodeKind::NK_INT8, n + 1), makeWord1(9, 1)}};
    image.nodes = nodes.data();
    image.nodeCount = uint32_t(nodes.size());
    image.keys = keys.data();
    image.keyNodes = keyNodes.data();
    image.keyCount = 2;
    image.bytePool = bytes.data();
    image.byteSize = uint32_t(bytes.size());
  }
};

class PrinterData : public ::testing::Test {
protected:
  void SetUp() override {
    path_ = testing::TempDir() + "m4k7db_printers.txt";
    std::FILE *f = std::fopen(path_.c_str(), "w");
    std::fputs(
        "[Zero]\nTpxUI_CustomECPMode = dword:0\n[One]\nTpxUI_CustomECPMode = dword:1\n"
        "[Long]\nTpxUI_CustomECPMode = hex:01,02,03,04,05,06,07,08\n[Short]\nTpxUI_CustomECPMode = hex:00\n"
        "[Empty]\n[Broken]\nTpxUI_CustomECPMode = dword:x\n",
        f);
    std::fclose(f);
    setenv("M4K7DB_PRINTER_DATA", path_.c_str(), 1);
  }
  void TearDown() override { unsetenv("M4K7DB_PRINTER_DATA"); }

  static AccessStatus Ask(const PrinterImage &img, const char *printer, int32_t *value) {
    std::u16string name(printer, printer + std::strlen(printer));
    AccessRequest req{};
    req.printerName = printer[0] ? reinterpret_cast<const uint16_t *>(name.c_str()) : nullptr;
    uint32_t size = 0;
    *value = -1;
    return AccessDatabase(img.image, Database::Root, 9, &req, 4, value, &size);
  }
  std::string path_;
};

TEST_F(PrinterData, SelectReadsTheStoredValue) {
  const PrinterImage img(true);
  struct {
    const char *printer;
    AccessStatus status;
    int32_t value;
  } cases[] = {{"Zero", 0, 10},  {"Short", 0, 10},   {"One", 0, 20},     {"Long", 0, 20},
               {"Empty", 0, 20}, {"Broken", -4, -1}, {"Nobody", -4, -1}, {"", -4, -1}};
  for (auto c : cases) {
    int32_t value = 0;
    EXPECT_EQ(Ask(img, c.printer, &value), c.status) << c.printer;
    EXPECT_EQ(value, c.value) << c.printer;
  }
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(PrinterData, WithoutADefaultAMissingValueIsNoAnswer) {
  const PrinterImage img(false);
  int32_t value = 0;
  EXPECT_EQ(Ask(img, "Empty", &value), 1);
  EXPECT_EQ(Ask(img, "Long", &value), 1) << "more than 4 bytes reads as missing";
  EXPECT_EQ(Ask(img, "Zero", &value), 0);
}

TEST_F(PrinterData, EveryAllocationFailureIsACleanFailure) {
  const PrinterImage img(true);
  for (uint32_t n = 1;; ++n) {
    HeapFailAt fail(n);
    int32_t value = 0;
    const AccessStatus status = Ask(img, "One", &value);
    if (!fail.fired()) {
      EXPECT_EQ(status, 0);
      break;
    }
    EXPECT_EQ(status, -1) << n;
    EXPECT_EQ(LiveBlocks(), 0) << n;
  }
}

TEST_F(PrinterData, ACallersHandleIsUsedAndNotClosed) {
  const PrinterImage img(true);
  const std::u16string one = u"One", zero = u"Zero";
  PrinterHandle handle = nullptr;
  ASSERT_EQ(m4k7db_open_printer(reinterpret_cast<const uint16_t *>(one.c_str()), &handle), 0);
  AccessRequest req{};
  req.printerHandle = handle;
  req.printerName = reinterpret_cast<const uint16_t *>(zero.c_str()); // ignored: the handle wins
  const AccessRequest before = req;
  int32_t value = 0;
  uint32_t size = 0;
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(AccessDatabase(img.image, Database::Root, 9, &req, 4, &value, &size), 0);
    EXPECT_EQ(value, 20);
  }
  EXPECT_EQ(std::memcmp(&before, &req, sizeof req), 0) << "the request is never written";
  m4k7db_close_printer(handle);
}

} // namespace
} // namespace m4k7
