// What the fuzzers found, each kept as a test beside its corpus input.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/test_image.h"

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

} // namespace
} // namespace m4k7::test
