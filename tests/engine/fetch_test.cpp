#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "computed/compute.h"
#include "engine/engine.h"
#include "test_image.h"

namespace m4k7::test {
namespace {

constexpr uint32_t kUnwritten = 0xDEADBEEF;

struct Fetched {
  AccessStatus status;
  uint32_t size;
  std::vector<uint8_t> bytes; // the whole buffer, guard bytes included
};

// Fetches into a buffer of `room` bytes followed by guard bytes; a null
// buffer when room is negative.
Fetched Fetch(const ImageDescriptor &image, const LeafDescriptor &leaf, int room, uint32_t bufferSize,
              const AccessRequest *request = nullptr) {
  Fetched f{0, kUnwritten, {}};
  if (room >= 0) f.bytes.assign(size_t(room) + 8, 0xCD);
  f.status = FetchLeaf(image, request, bufferSize, room >= 0 ? f.bytes.data() : nullptr, &f.size, leaf);
  return f;
}

LeafDescriptor DescriptorOf(const TestImage &img, uint32_t node) {
  return {img.nodes[node].word0, img.nodes[node].word1};
}

template <class T> std::vector<uint8_t> HostBytes(std::initializer_list<T> values) {
  std::vector<uint8_t> out(values.size() * sizeof(T));
  size_t at = 0;
  for (T v : values) {
    std::memcpy(out.data() + at, &v, sizeof(T));
    at += sizeof(T);
  }
  return out;
}

TEST(Fetch, WidensEachKindAsItSays) {
  TestImage img;
  struct Case {
    const char *what;
    uint32_t leaf;
    std::vector<uint8_t> want;
  };
  const std::vector<Case> cases = {
      {"bytes as stored", img.bytesLeaf(1, {0x1B, 0xFF, 0x00, 0x80}), {0x1B, 0xFF, 0x00, 0x80}},
      {"int32", img.intsLeaf(1, {-7, 2147483647}), HostBytes<int32_t>({-7, 2147483647})},
      {"int8 sign-extended", img.bytesLeaf(1, {0xFF, 0x7F, 0x80}, NodeKind::NK_INT8),
       HostBytes<int32_t>({-1, 127, -128})},
      {"uint8 zero-extended", img.bytesLeaf(1, {0xFF, 0x80}, NodeKind::NK_UINT8),
       HostBytes<uint32_t>({255, 128})},
      {"int16 sign-extended", img.shortsLeaf(1, {0xFFFF, 0x8000, 0x1234}, NodeKind::NK_INT16),
       HostBytes<int32_t>({-1, -32768, 0x1234})},
      {"uint16 zero-extended", img.shortsLeaf(1, {0xFFFF, 0x8000}, NodeKind::NK_UINT16),
       HostBytes<uint32_t>({65535, 32768})},
      {"wide: byte as the low half", img.bytesLeaf(1, {'A', 0xE9, 0}, NodeKind::NK_WIDE),
       HostBytes<uint16_t>({u'A', 0x00E9, 0})},
  };
  const ImageDescriptor image = img.view();
  for (const Case &c : cases) {
    const uint32_t need = uint32_t(c.want.size());
    const Fetched f = Fetch(image, DescriptorOf(img, c.leaf), int(need), need);
    ASSERT_EQ(f.status, kOk) << c.what;
    EXPECT_EQ(f.size, need) << c.what;
    EXPECT_EQ(std::vector<uint8_t>(f.bytes.begin(), f.bytes.begin() + need), c.want) << c.what;
    for (size_t i = need; i < f.bytes.size(); ++i)
      ASSERT_EQ(f.bytes[i], 0xCD) << c.what << ": wrote past the answer";
  }
}

TEST(Fetch, NegotiatesTheBufferSize) {
  TestImage img;
  const LeafDescriptor ints = DescriptorOf(img, img.intsLeaf(1, {1, 2, 3}));
  const LeafDescriptor empty = DescriptorOf(img, img.intsLeaf(1, {}));
  const ImageDescriptor image = img.view();
  struct Case {
    const char *what;
    LeafDescriptor leaf;
    int room; // -1: no buffer
    uint32_t bufferSize;
    AccessStatus want;
    uint32_t size;
  };
  const Case cases[] = {
      {"exact buffer", ints, 12, 12, kOk, 12},
      {"larger buffer", ints, 64, 64, kOk, 12},
      {"one byte short", ints, 11, 11, kBufferTooSmall, 12},
      {"size 0", ints, 12, 0, kBufferTooSmall, 12},
      {"no buffer, large size", ints, -1, 1000, kBufferTooSmall, 12},
      {"count 0 with a buffer", empty, 0, 0, kOk, 0},
      {"count 0 without a buffer", empty, -1, 0, kBufferTooSmall, 0},
  };
  for (const Case &c : cases) {
    const Fetched f = Fetch(image, c.leaf, c.room, c.bufferSize);
    EXPECT_EQ(f.status, c.want) << c.what;
    EXPECT_EQ(f.size, c.size) << c.what;
    if (c.want != kOk) {
      for (uint8_t b : f.bytes) ASSERT_EQ(b, 0xCD) << c.what << ": buffer written on status " << c.want;
    }
  }
}

TEST(Fetch, SlicesMustLieInTheirPool) {
  TestImage img;
  img.bytes.assign(8, 1);
  img.shorts.assign(4, 2);
  img.ints.assign(3, 3);
  const ImageDescriptor image = img.view();
  struct Case {
    const char *what;
    DbNode leaf;
    bool fits;
  };
  const Case cases[] = {
      {"bytes to the end", Leaf(NodeKind::NK_BYTES, 5, 1, 3), true},
      {"bytes one past", Leaf(NodeKind::NK_BYTES, 5, 1, 4), false},
      {"int8 one past", Leaf(NodeKind::NK_INT8, 8, 1, 1), false},
      {"uint8 to the end", Leaf(NodeKind::NK_UINT8, 0, 1, 8), true},
      {"wide one past", Leaf(NodeKind::NK_WIDE, 1, 1, 8), false},
      {"int32 to the end", Leaf(NodeKind::NK_INT32, 1, 1, 2), true},
      {"int32 one past", Leaf(NodeKind::NK_INT32, 1, 1, 3), false},
      {"int16 to the end", Leaf(NodeKind::NK_INT16, 3, 1, 1), true},
      {"uint16 one past", Leaf(NodeKind::NK_UINT16, 4, 1, 1), false},
      {"offset far beyond", Leaf(NodeKind::NK_BYTES, 0xFFFFFF, 1, 0xFFFF), false},
  };
  for (const Case &c : cases) {
    const LeafDescriptor leaf{c.leaf.word0, c.leaf.word1};
    const Fetched f = Fetch(image, leaf, 1 << 18, 1 << 18);
    if (c.fits) {
      EXPECT_EQ(f.status, kOk) << c.what;
    } else {
      EXPECT_EQ(f.status, kFailed) << c.what;
      EXPECT_EQ(f.size, kUnwritten) << c.what;
      // The size query comes before the pool check.
      EXPECT_EQ(Fetch(image, leaf, -1, 0).status, kBufferTooSmall) << c.what;
    }
  }
}

TEST(Fetch, AbsentPoolsAndNonLeavesFail) {
  TestImage img;
  const LeafDescriptor bytes = DescriptorOf(img, img.bytesLeaf(1, {1}));
  const LeafDescriptor ints = DescriptorOf(img, img.intsLeaf(1, {1}));
  const LeafDescriptor shorts = DescriptorOf(img, img.shortsLeaf(1, {1}, NodeKind::NK_UINT16));
  struct Case {
    const char *what;
    void (*corrupt)(ImageDescriptor &);
    LeafDescriptor leaf;
  };
  const Case cases[] = {
      {"no byte pool", [](ImageDescriptor &d) { d.bytePool = nullptr; }, bytes},
      {"no int pool", [](ImageDescriptor &d) { d.intPool = nullptr; }, ints},
      {"no short pool", [](ImageDescriptor &d) { d.shortPool = nullptr; }, shorts},
  };
  for (const Case &c : cases) {
    ImageDescriptor image = img.view();
    c.corrupt(image);
    const Fetched f = Fetch(image, c.leaf, 16, 16);
    EXPECT_EQ(f.status, kFailed) << c.what;
    EXPECT_EQ(f.size, kUnwritten) << c.what;
  }
  const ImageDescriptor image = img.view();
  for (NodeKind kind :
       {NodeKind(0), NodeKind::NK_SEQUENCE, NodeKind::NK_CASE, NodeKind::NK_MASK, NodeKind(200)}) {
    const DbNode n = Leaf(kind, 0, 1, 1);
    const Fetched f = Fetch(image, {n.word0, n.word1}, -1, 0);
    EXPECT_EQ(f.status, kFailed) << "kind " << int(kind);
    EXPECT_EQ(f.size, kUnwritten) << "kind " << int(kind);
  }
}

TEST(Fetch, ComputedLeafWithAnUnknownId) {
  // The size probe has no value (1), so the size is 0: a size query gets 2
  // and 0, a call with a buffer gets the 1 of the second call.
  TestImage img;
  const ImageDescriptor image = img.view();
  const LeafDescriptor leaf{makeWord0(NodeKind::NK_COMPUTED, 0), makeWord1(1, 0xFFFF)};
  const Fetched query = Fetch(image, leaf, -1, 0);
  EXPECT_EQ(query.status, kBufferTooSmall);
  EXPECT_EQ(query.size, 0u);
  const Fetched call = Fetch(image, leaf, 16, 16);
  EXPECT_EQ(call.status, kNotFound);
  EXPECT_EQ(call.size, kUnwritten);
}

TEST(Fetch, ComputedLeafAsksTwiceAndPassesFailuresThrough) {
  TestImage img;
  const ImageDescriptor image = img.view();
  const auto id = uint16_t(ComputedValueId::CV_PAGE_LENGTH);
  const LeafDescriptor leaf{makeWord0(NodeKind::NK_COMPUTED, 0), makeWord1(1, id)};
  // Without the slots it reads, the computation's -3 comes back as is and
  // the size stays unwritten, on the probe and on the real call alike.
  const AccessRequest bare{};
  EXPECT_EQ(Fetch(image, leaf, -1, 0, &bare).status, kMissingInt);
  const Fetched missing = Fetch(image, leaf, 16, 16, &bare);
  EXPECT_EQ(missing.status, kMissingInt);
  EXPECT_EQ(missing.size, kUnwritten);

  std::vector<int32_t> ints(98, 0);
  ints[97] = 25400;
  ints[52] = 5;
  const AccessRequest request = RequestOf(ints.data(), uint32_t(ints.size()));
  uint32_t direct = 0, directSize = 0;
  ASSERT_EQ(ComputeValue(image, id, &request, sizeof direct, &direct, &directSize), kOk);
  const Fetched query = Fetch(image, leaf, -1, 0, &request);
  EXPECT_EQ(query.status, kBufferTooSmall);
  EXPECT_EQ(query.size, directSize);
  const Fetched short_ = Fetch(image, leaf, int(directSize) - 1, directSize - 1, &request);
  EXPECT_EQ(short_.status, kBufferTooSmall);
  const Fetched call = Fetch(image, leaf, int(directSize), directSize, &request);
  ASSERT_EQ(call.status, kOk);
  EXPECT_EQ(call.size, directSize);
  EXPECT_EQ(std::memcmp(call.bytes.data(), &direct, directSize), 0);
}

} // namespace
} // namespace m4k7::test
