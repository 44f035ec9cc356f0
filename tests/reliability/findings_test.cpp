// What the fuzzers found, each kept as a test beside its corpus input.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "computed/compute.h"
#include "engine/engine.h"
#include "engine/test_image.h"
#include "m4k7db.h"
#include "support/printer_data_file.h"

namespace m4k7::test {
namespace {

// Each sequence holds the next two nodes, so a chain of n of them has about
// fib(n) paths down to leaves that answer another key. Found by fuzz_image
// (corpus input shared_sequences): 60 nodes kept a walk busy for hours.
TestImage SharedSequences(uint32_t levels) {
  TestImage image;
  for (uint32_t i = 0; i < levels; ++i) image.add(List(NodeKind::NK_SEQUENCE, i + 1, 0, 2));
  image.intsLeaf(2, {7});
  image.intsLeaf(2, {8});
  image.key(1, 0);
  image.key(2, 0);
  return image;
}

TEST(Findings, SharedSequencesEndInsteadOfHanging) {
  const struct {
    uint32_t levels;
    uint16_t key;
    AccessStatus want;
  } cases[] = {
      {16, 1, kNotFound}, // some 4000 nodes entered: within the bound
      {16, 2, kOk},       // the first path ends in key 2's leaf at once
      {60, 1, kFailed},   // far more paths than any walk may take
      {200, 1, kFailed},
  };
  for (const auto &c : cases) {
    const TestImage image = SharedSequences(c.levels);
    const ImageDescriptor d = image.view();
    const int32_t ints[1] = {0};
    const AccessRequest request = RequestOf(ints, 1);
    LeafDescriptor leaf{};
    EXPECT_EQ(LookupKey(d, c.key, &request, &leaf), c.want) << c.levels << " levels, key " << c.key;
  }
}

// Key 8 names printer-data values; an image whose key 8 answers with the
// silent-mode block (computed value 7) sent the block, which reads its
// window through key 8, into itself until the stack overflowed. Found by
// fuzz_image (corpus input silent_mode_recursion). A value name must be a
// name (NK_WIDE); anything else leaves silent mode off.
TEST(Findings, SilentModeBlockDoesNotAskForItself) {
  constexpr uint16_t kSilentModeBlock = 7;
  const struct {
    const char *what;
    DbNode keyEight;
  } cases[] = {
      {"the silent-mode block", Leaf(NodeKind::NK_COMPUTED, 0, 8, kSilentModeBlock)},
      {"another computed value", Leaf(NodeKind::NK_COMPUTED, 0, 8, 5)},
      {"bytes, not a name", Leaf(NodeKind::NK_BYTES, 0, 8, 4)},
  };
  // A printer that holds a value of each name the leaves could spell.
  test::PrinterDataFile store("[Silent]\nTpxU = dword:0x04B00168\n");
  PrinterHandle printer = nullptr;
  ASSERT_EQ(m4k7db_open_printer(reinterpret_cast<const uint16_t *>(u"Silent"), &printer), 0);
  for (const auto &c : cases) {
    TestImage image;
    image.bytes = {'T', 'p', 'x', 'U'};
    image.key(8, image.add(c.keyEight));
    const ImageDescriptor d = image.view();
    const int32_t ints[1] = {154};
    AccessRequest request = RequestOf(ints, 1);
    request.printerHandle = printer;
    std::vector<uint8_t> block(56);
    uint32_t size = 0;
    EXPECT_EQ(ComputeValue(d, kSilentModeBlock, &request, uint32_t(block.size()), block.data(), &size), kOk)
        << c.what;
    EXPECT_EQ(size, 56u) << c.what;
    uint32_t value = 0;
    EXPECT_EQ(ReadNamedPrinterValue(d, printer, 154, &value), kFailed) << c.what;
  }
  // The same name as a name is read.
  TestImage image;
  image.key(8, image.nameLeaf(8, "TpxU"));
  uint32_t value = 0;
  EXPECT_EQ(ReadNamedPrinterValue(image.view(), printer, 154, &value), kOk);
  EXPECT_EQ(value, 0x04B00168u);
  m4k7db_close_printer(printer);
}

} // namespace
} // namespace m4k7::test
