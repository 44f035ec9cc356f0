// The key index's two searches: the first-match scan of any image, and the
// bisection of an index the image compiler has marked sorted. On a sorted
// index without repeats they must agree for every key; on a marked index
// that is not sorted, the bisection may miss keys but must stay inside the
// index and never answer another key's entry.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "test_image.h"

namespace m4k7::test {
namespace {

// An image whose entry i leads to node i, a one-int leaf for keys[i], so
// that a start node names the entry it came from.
TestImage IndexImage(const std::vector<uint16_t> &keys) {
  TestImage img;
  for (uint16_t k : keys) img.key(k, img.answer(k, int32_t(img.nodes.size())));
  return img;
}

// Every key of the index, its neighbours and both ends of the key range.
std::vector<uint32_t> Probes(const std::vector<uint16_t> &keys) {
  std::vector<uint32_t> probes = {0, 1, 0xFFFE, 0xFFFF};
  for (uint16_t k : keys)
    for (int d = -1; d <= 1; ++d) probes.push_back(uint32_t(k + d) & 0xFFFF);
  return probes;
}

struct Found {
  AccessStatus status;
  uint32_t start;
  AccessStatus lookup;
  LeafDescriptor leaf;
};

Found Ask(const ImageDescriptor &image, uint32_t key) {
  Found f{0, 0xFFFFFFFF, 0, {0, 0}};
  f.status = FindKeyStart(image, key, &f.start);
  f.lookup = LookupKey(image, key, nullptr, &f.leaf);
  return f;
}

std::vector<uint16_t> Spread(uint32_t count, uint32_t first, uint32_t seed) {
  std::vector<uint16_t> keys;
  uint32_t k = first, x = seed;
  for (uint32_t i = 0; i < count; ++i) {
    keys.push_back(uint16_t(k));
    x = x * 1103515245u + 12345u;
    k += 1 + (x >> 16) % 40; // gaps from none to 39
  }
  return keys;
}

std::vector<uint16_t> KeyRun(uint16_t first, uint32_t count) {
  std::vector<uint16_t> keys;
  for (uint32_t i = 0; i < count; ++i) keys.push_back(uint16_t(first + i));
  return keys;
}

std::vector<uint16_t> Join(std::vector<uint16_t> a, const std::vector<uint16_t> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(KeyIndex, MarkedIndexAnswersAsTheScan) {
  struct Case {
    const char *what;
    std::vector<uint16_t> keys;
  };
  const Case kCases[] = {
      {"one key", {7}},
      {"two keys", {3, 9}},
      {"three keys", {3, 9, 10}},
      {"a run from the front", KeyRun(2, 19)},
      {"a run at the back", Join(Spread(20, 100, 1), KeyRun(0x6001, 12))},
      {"runs at both ends with gaps between",
       Join(Join(KeyRun(2, 19), Spread(30, 4097, 2)), KeyRun(0x6001, 9))},
      {"the key range's ends", {0, 1, 2, 0x8000, 0xFFFD, 0xFFFE, 0xFFFF}},
      {"a power of two", Spread(64, 5, 3)},
      {"one past a power of two", Spread(65, 5, 4)},
      {"the compiled image's count", Spread(190, 2, 5)},
  };
  for (const Case &c : kCases) {
    const TestImage img = IndexImage(c.keys);
    ImageDescriptor scanned = img.view();
    ImageDescriptor marked = scanned;
    marked.keysSorted = true;
    for (uint32_t key : Probes(c.keys)) {
      const Found want = Ask(scanned, key), got = Ask(marked, key);
      ASSERT_EQ(got.status, want.status) << c.what << ", key " << key;
      ASSERT_EQ(got.start, want.start) << c.what << ", key " << key;
      ASSERT_EQ(got.lookup, want.lookup) << c.what << ", key " << key;
      ASSERT_EQ(got.leaf.word0, want.leaf.word0) << c.what << ", key " << key;
      ASSERT_EQ(got.leaf.word1, want.leaf.word1) << c.what << ", key " << key;
    }
    // The scan is the reference only if it finds what the index holds.
    for (size_t i = 0; i < c.keys.size(); ++i) EXPECT_EQ(Ask(marked, c.keys[i]).start, i) << c.what;
  }
}

TEST(KeyIndex, CompiledImageIsMarkedAndAnswersAsTheScan) {
  const ImageDescriptor &marked = CompiledImage();
  ASSERT_TRUE(marked.keysSorted);
  ImageDescriptor scanned = marked;
  scanned.keysSorted = false;
  for (uint32_t key = 0; key <= 0xFFFF; ++key) {
    uint32_t want = 0xFFFFFFFF, got = 0xFFFFFFFF;
    ASSERT_EQ(FindKeyStart(marked, key, &got), FindKeyStart(scanned, key, &want)) << key;
    ASSERT_EQ(got, want) << key;
  }
}

// A corrupted image may carry the mark over an index that is not sorted.
TEST(KeyIndex, MarkedButUnsortedIndexStaysInside) {
  struct Case {
    const char *what;
    std::vector<uint16_t> keys;
  };
  const Case kCases[] = {
      {"descending", {90, 70, 50, 30, 10, 9, 8, 7, 6}},
      {"repeats", {1, 4, 4, 4, 9, 9, 12}},
      {"one key throughout", {5, 5, 5, 5, 5}},
      {"first above last", {50, 2, 3, 4, 1}},
      {"a run out of place", {2, 3, 4, 5, 6, 7, 8, 9, 3, 4, 5}},
      {"the range's ends swapped", {0xFFFF, 1, 0}},
  };
  for (const Case &c : kCases) {
    // The keys live in a vector of exactly their count, so that a read
    // past the index trips the sanitizers.
    const TestImage img = IndexImage(c.keys);
    ImageDescriptor marked = img.view();
    marked.keysSorted = true;
    std::vector<uint32_t> probes = Probes(c.keys);
    for (uint32_t key = 0; key < 100; ++key) probes.push_back(key);
    for (uint32_t key : probes) {
      const Found got = Ask(marked, key);
      ASSERT_TRUE(got.status == kOk || got.status == kUnknownKey) << c.what << ", key " << key;
      if (got.status == kOk) {
        // Another key's entry is never the answer.
        ASSERT_LT(got.start, c.keys.size()) << c.what;
        EXPECT_EQ(c.keys[got.start], uint16_t(key)) << c.what << ", key " << key;
        EXPECT_EQ(got.lookup, kOk) << c.what << ", key " << key;
      } else {
        EXPECT_EQ(got.lookup, kUnknownKey) << c.what << ", key " << key;
      }
    }
  }
}

// The failures come in the same order on both searches: the index's tables
// first, then the key, then its start node.
TEST(KeyIndex, FailuresInTheSameOrderOnBothSearches) {
  const std::vector<uint16_t> keys = {3, 5, 8};
  struct Case {
    const char *what;
    void (*corrupt)(ImageDescriptor &);
    uint32_t key;
    AccessStatus want;
  };
  const Case kCases[] = {
      {"no keys", [](ImageDescriptor &d) { d.keys = nullptr; }, 5, kFailed},
      {"no key nodes", [](ImageDescriptor &d) { d.keyNodes = nullptr; }, 5, kFailed},
      {"empty index", [](ImageDescriptor &d) { d.keyCount = 0; }, 7, kFailed},
      {"no nodes", [](ImageDescriptor &d) { d.nodes = nullptr; }, 5, kFailed},
      {"no nodes, unknown key", [](ImageDescriptor &d) { d.nodes = nullptr; }, 7, kUnknownKey},
      {"start node past the table", [](ImageDescriptor &d) { d.nodeCount = 2; }, 8, kFailed},
      {"start node the last one", [](ImageDescriptor &d) { d.nodeCount = 3; }, 8, kOk},
      {"index cut short", [](ImageDescriptor &d) { d.keyCount = 2; }, 8, kUnknownKey},
  };
  const TestImage img = IndexImage(keys);
  for (bool sorted : {false, true})
    for (const Case &c : kCases) {
      ImageDescriptor image = img.view();
      image.keysSorted = sorted;
      c.corrupt(image);
      uint32_t start = 0xFFFFFFFF;
      EXPECT_EQ(FindKeyStart(image, c.key, &start), c.want) << c.what << (sorted ? ", marked" : "");
      if (c.want != kOk) {
        EXPECT_EQ(start, 0xFFFFFFFFu) << c.what;
      }
      LeafDescriptor leaf{};
      EXPECT_EQ(LookupKey(image, c.key, nullptr, &leaf), c.want) << c.what << (sorted ? ", marked" : "");
    }
}

} // namespace
} // namespace m4k7::test
