#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/walk.h"
#include "test_image.h"

namespace m4k7::test {
namespace {

constexpr LeafDescriptor kUntouched{0xA5A5A5A5u, 0x5A5A5A5Au};

bool Untouched(const LeafDescriptor &d) { return d.word0 == kUntouched.word0 && d.word1 == kUntouched.word1; }

// Keys 5 and 6 share one start node; key 9 is stored twice (the first
// entry must win); key 12's tree holds only a leaf for another key.
struct LookupImage {
  TestImage img;
  uint32_t leaf5, leaf6, leaf9a, leaf9b;
  LookupImage() {
    leaf5 = img.answer(5, 50);
    leaf6 = img.answer(6, 60);
    const uint32_t shared = img.add(List(NodeKind::NK_SEQUENCE, leaf5, 0, 2));
    leaf9a = img.answer(9, 91);
    leaf9b = img.answer(9, 92);
    const uint32_t other = img.answer(13, 0);
    img.key(5, shared);
    img.key(6, shared);
    img.key(9, leaf9a);
    img.key(9, leaf9b);
    img.key(12, other);
  }
};

TEST(Lookup, FindsTheLeafOfItsOwnKey) {
  LookupImage t;
  const ImageDescriptor image = t.img.view();
  struct Case {
    uint32_t key;
    AccessStatus want;
    uint32_t leaf; // expected node, when want is 0
  };
  const Case cases[] = {
      {5, kOk, t.leaf5},          {6, kOk, t.leaf6},          // one start node, each key its own leaf
      {9, kOk, t.leaf9a},                                     // duplicate key: the first entry wins
      {0x00010005, kOk, t.leaf5}, {0xFFFF0006, kOk, t.leaf6}, // high bits are not part of the key
      {12, kNotFound, 0},                                     // indexed, but no leaf carries it
      {7, kUnknownKey, 0},        {0x00050000, kUnknownKey, 0},
  };
  for (const Case &c : cases) {
    LeafDescriptor d = kUntouched;
    ASSERT_EQ(LookupKey(image, c.key, nullptr, &d), c.want) << "key " << std::hex << c.key;
    if (c.want == kOk) {
      EXPECT_EQ(d.word0, t.img.nodes[c.leaf].word0) << "key " << std::hex << c.key;
      EXPECT_EQ(d.word1, t.img.nodes[c.leaf].word1) << "key " << std::hex << c.key;
    } else {
      EXPECT_TRUE(Untouched(d)) << "key " << std::hex << c.key;
    }
  }
}

TEST(Lookup, AbsentOrBrokenTablesFail) {
  LookupImage t;
  struct Case {
    const char *what;
    void (*corrupt)(ImageDescriptor &);
    uint32_t key;
    AccessStatus want;
  };
  const Case cases[] = {
      {"no keys", [](ImageDescriptor &d) { d.keys = nullptr; }, 5, kFailed},
      {"no key nodes", [](ImageDescriptor &d) { d.keyNodes = nullptr; }, 5, kFailed},
      {"empty index", [](ImageDescriptor &d) { d.keyCount = 0; }, 5, kFailed},
      {"empty index, unknown key", [](ImageDescriptor &d) { d.keyCount = 0; }, 7, kFailed},
      {"no nodes", [](ImageDescriptor &d) { d.nodes = nullptr; }, 5, kFailed},
      // The node table is only needed once the key is found.
      {"no nodes, unknown key", [](ImageDescriptor &d) { d.nodes = nullptr; }, 7, kUnknownKey},
      {"start node one past the end", [](ImageDescriptor &d) { d.nodeCount = 2; }, 5, kFailed},
      {"start node the last one", [](ImageDescriptor &d) { d.nodeCount = 3; }, 5, kOk},
  };
  for (const Case &c : cases) {
    ImageDescriptor image = t.img.view();
    c.corrupt(image);
    LeafDescriptor d = kUntouched;
    EXPECT_EQ(LookupKey(image, c.key, nullptr, &d), c.want) << c.what;
    if (c.want != kOk) {
      EXPECT_TRUE(Untouched(d)) << c.what;
    }
  }
}

TEST(Walk, LeavesAnswerOnlyTheirKey) {
  TestImage img;
  const ImageDescriptor image = img.view();
  const NodeKind leaves[] = {NodeKind::NK_BYTES, NodeKind::NK_INT32,   NodeKind::NK_INT8,
                             NodeKind::NK_INT16, NodeKind::NK_UINT8,   NodeKind::NK_UINT16,
                             NodeKind::NK_WIDE,  NodeKind::NK_COMPUTED};
  for (NodeKind kind : leaves) {
    // Leaves are not checked against their pools until the fetch.
    const DbNode leaf = Leaf(kind, 0xABCDEF, 0x1234, 77);
    LeafDescriptor d = kUntouched;
    ASSERT_EQ(WalkNode(image, 0x1234, nullptr, leaf.word0, leaf.word1, &d), kOk) << int(kind);
    EXPECT_EQ(d.word0, leaf.word0);
    EXPECT_EQ(d.word1, leaf.word1);
    d = kUntouched;
    EXPECT_EQ(WalkNode(image, 0x1235, nullptr, leaf.word0, leaf.word1, &d), kNotFound) << int(kind);
    EXPECT_TRUE(Untouched(d));
    EXPECT_EQ(WalkNode(image, 0x1234, nullptr, leaf.word0, leaf.word1, nullptr), kFailed) << int(kind);
  }
}

TEST(Walk, KindsThatOnlyStandInListsFail) {
  TestImage img;
  const uint32_t target = img.answer(1, 1);
  const ImageDescriptor image = img.view();
  for (uint32_t kind : {0u, 16u, 20u, 21u, 22u, 100u, 255u}) {
    // Operand and word 1 point at a real leaf, so only the kind can fail.
    const uint32_t word0 = (kind << 24) | target;
    LeafDescriptor d = kUntouched;
    EXPECT_EQ(WalkNode(image, 1, nullptr, word0, makeWord1(1, 1), &d), kFailed) << "kind " << kind;
    EXPECT_TRUE(Untouched(d));
  }
}

TEST(Walk, SequencesTakeTheFirstChildThatAnswers) {
  TestImage img;
  const uint32_t other = img.answer(2, 20);
  const uint32_t first = img.answer(1, 11);
  img.answer(1, 12);
  const uint32_t guarded = img.list({List(NodeKind::NK_GUARD, first, 0, 1)});
  const uint32_t needsInt = img.add(List(NodeKind::NK_GUARDED_SEQUENCE, guarded, 3, 1));
  img.answer(1, 13);
  const ImageDescriptor image = img.view();
  struct Case {
    const char *what;
    DbNode node;
    AccessStatus want;
    uint32_t leaf;
  };
  const Case cases[] = {
      {"other key first, then two of ours", List(NodeKind::NK_SEQUENCE, other, 0, 3), kOk, first},
      {"only another key", List(NodeKind::NK_SEQUENCE, other, 0, 1), kNotFound, 0},
      {"empty", List(NodeKind::NK_SEQUENCE, first, 0, 0), kNotFound, 0},
      {"high bits ignored", List(NodeKind::NK_SEQUENCE, other, 0xFFFF, 2), kOk, first},
      // The failing child ends the sequence before the leaf after it.
      {"first child fails with -3", List(NodeKind::NK_SEQUENCE, needsInt, 0, 2), kMissingInt, 0},
      // Guards, cases and defaults walked in their own right are sequences.
      {"guard", List(NodeKind::NK_GUARD, other, 0x4444, 2), kOk, first},
      {"case", Node(NodeKind::NK_CASE, other, 0x00090002), kOk, first},
      {"default", Node(NodeKind::NK_DEFAULT, other, 2), kOk, first},
  };
  for (const Case &c : cases) {
    LeafDescriptor d = kUntouched;
    ASSERT_EQ(WalkNode(image, 1, nullptr, c.node.word0, c.node.word1, &d), c.want) << c.what;
    if (c.want == kOk)
      EXPECT_EQ(d.word0, img.nodes[c.leaf].word0) << c.what;
    else
      EXPECT_TRUE(Untouched(d)) << c.what;
  }
}

TEST(WalkCorruption, ListsAreCheckedAsTheyAreReached) {
  TestImage img;
  img.answer(2, 20);
  const uint32_t ours = img.answer(1, 10);
  const ImageDescriptor image = img.view();
  struct Case {
    const char *what;
    DbNode node;
    AccessStatus want;
  };
  const Case cases[] = {
      {"list ends at the last node", List(NodeKind::NK_SEQUENCE, 0, 0, 2), kOk},
      {"list one past the end", List(NodeKind::NK_SEQUENCE, 0, 0, 3), kOk}, // the answer comes first
      {"other key, then past the end", List(NodeKind::NK_SEQUENCE, ours + 1, 0, 1), kFailed},
      {"starts past the end", List(NodeKind::NK_SEQUENCE, 0xFFFFFF, 0, 1), kFailed},
  };
  for (const Case &c : cases) {
    LeafDescriptor d{};
    EXPECT_EQ(WalkNode(image, 1, nullptr, c.node.word0, c.node.word1, &d), c.want) << c.what;
  }
  ImageDescriptor noNodes = image;
  noNodes.nodes = nullptr;
  LeafDescriptor d{};
  const DbNode seq = List(NodeKind::NK_SEQUENCE, 0, 0, 2);
  EXPECT_EQ(WalkNode(noNodes, 1, nullptr, seq.word0, seq.word1, &d), kFailed);
}

// A descriptor may claim fewer nodes than the memory behind it holds; what
// lies past nodeCount is not the image, even a leaf that would answer.
TEST(WalkCorruption, NodesPastTheCountAreNotWalked) {
  TestImage img;
  const uint32_t other = 1, hidden = 2; // laid out just below
  img.add(Default(hidden));
  ASSERT_EQ(img.answer(2, 20), other);
  ASSERT_EQ(img.answer(1, 10), hidden);
  const ImageDescriptor whole = img.view();
  ImageDescriptor shortened = whole;
  shortened.nodeCount = hidden; // the leaf for key 1 is now one past the end
  const int32_t slot0 = 0;
  const AccessRequest request = RequestOf(&slot0, 1);
  struct Case {
    const char *what;
    DbNode node;
  };
  const Case cases[] = {
      {"sequence", List(NodeKind::NK_SEQUENCE, other, 0, 2)},
      {"guard", List(NodeKind::NK_GUARD, other, 0, 2)},
      {"case", List(NodeKind::NK_CASE, other, 0, 2)},
      {"default", List(NodeKind::NK_DEFAULT, other, 0, 2)},
      {"guarded sequence", List(NodeKind::NK_GUARDED_SEQUENCE, other, 0, 2)},
      {"integer select's target", List(NodeKind::NK_SELECT_PARAM, 0, 0, 1)},
      {"string select's target", List(NodeKind::NK_SELECT_STRING, 0, 0, 1)},
  };
  for (const Case &c : cases) {
    LeafDescriptor d{};
    // The whole image answers, so only the count can make the walk fail.
    ASSERT_EQ(WalkNode(whole, 1, &request, c.node.word0, c.node.word1, &d), kOk) << c.what;
    EXPECT_EQ(d.word0, img.nodes[hidden].word0) << c.what;
    d = kUntouched;
    EXPECT_EQ(WalkNode(shortened, 1, &request, c.node.word0, c.node.word1, &d), kFailed) << c.what;
    EXPECT_TRUE(Untouched(d)) << c.what;
  }
}

TEST(WalkCorruption, CyclesFailInsteadOfOverflowingTheStack) {
  TestImage img;
  // 0: a sequence over itself; 1-2: two selects pointing at each other
  // through their cases; 3: a sequence whose list holds itself after a
  // leaf for another key.
  img.add(List(NodeKind::NK_SEQUENCE, 0, 0, 1));
  img.list({List(NodeKind::NK_SELECT_PARAM, 2, 0, 1), Default(1)});
  img.answer(2, 0);
  const uint32_t loop = img.add(List(NodeKind::NK_SEQUENCE, 3, 0, 2));
  img.key(1, 0);
  img.key(2, 1);
  img.key(3, loop);
  const ImageDescriptor image = img.view();
  const int32_t slot0 = 0;
  const AccessRequest request = RequestOf(&slot0, 1);
  for (uint32_t key : {1u, 2u, 3u}) {
    LeafDescriptor d{};
    EXPECT_EQ(LookupKey(image, key, &request, &d), kFailed) << "key " << key;
  }
}

// A chain of sequences, each over the next, ending in a leaf `depth` nodes
// below the start.
TestImage Chain(uint32_t depth) {
  TestImage img;
  for (uint32_t i = 0; i < depth; ++i) img.add(List(NodeKind::NK_SEQUENCE, i + 1, 0, 1));
  img.answer(1, 1);
  img.key(1, 0);
  return img;
}

TEST(WalkCorruption, DeepButFiniteImagesStillAnswer) {
  // Real images are about a dozen nodes deep; the bound sits far above.
  struct Case {
    uint32_t depth;
    AccessStatus want;
  };
  const Case cases[] = {
      {12, kOk}, {kMaxWalkDepth - 1, kOk}, {kMaxWalkDepth, kFailed}, {3 * kMaxWalkDepth, kFailed}};
  for (const Case &c : cases) {
    const TestImage img = Chain(c.depth);
    LeafDescriptor d{};
    EXPECT_EQ(LookupKey(img.view(), 1, nullptr, &d), c.want) << "depth " << c.depth;
  }
}

enum class Link { Sequence, Select, Guarded, Mixed };

// A chain whose answer for key 1 lies `depth` nodes below the start, made
// of links of one kind: sequences of one child, selects on I[0] = 0 whose
// one case leads on (the case is no node of the way down), or guarded
// sequences whose one guard passes (the guard is). Mixed alternates
// selects and guarded sequences; a guarded link that would overshoot is a
// sequence.
TestImage LinkChain(Link link, uint32_t depth) {
  TestImage img;
  uint32_t d = 0;
  for (uint32_t i = 0; d < depth; ++i) {
    const uint32_t here = uint32_t(img.nodes.size());
    const bool select = link == Link::Select || (link == Link::Mixed && i % 2 == 0);
    const bool guarded = !select && link != Link::Sequence && depth - d >= 2;
    if (select) {
      img.list({List(NodeKind::NK_SELECT_PARAM, here + 1, 0, 1), Case(0, here + 2)});
      d += 1;
    } else if (guarded) {
      img.list(
          {List(NodeKind::NK_GUARDED_SEQUENCE, here + 1, 0, 1), List(NodeKind::NK_GUARD, here + 2, 0, 1)});
      d += 2;
    } else {
      img.add(List(NodeKind::NK_SEQUENCE, here + 1, 0, 1));
      d += 1;
    }
  }
  img.answer(1, 1);
  img.key(1, 0);
  return img;
}

// Every node entered on the way down counts, whichever kind leads there: a
// select's chosen target and a passed guard are one node deeper.
TEST(WalkCorruption, EveryKindOfLinkCountsItsDepth) {
  const uint32_t depths[] = {1, 12, kMaxWalkDepth - 1, kMaxWalkDepth, 3 * kMaxWalkDepth};
  const int32_t slot0 = 0;
  const AccessRequest request = RequestOf(&slot0, 1);
  for (Link link : {Link::Sequence, Link::Select, Link::Guarded, Link::Mixed}) {
    for (uint32_t depth : depths) {
      const TestImage img = LinkChain(link, depth);
      LeafDescriptor d{};
      EXPECT_EQ(LookupKey(img.view(), 1, &request, &d), depth < kMaxWalkDepth ? kOk : kFailed)
          << "link " << int(link) << ", depth " << depth;
    }
  }
}

// A start over a ladder and `extra` leaves: the ladder's root and each of
// its levels are two sequences over the next level's two, down to two
// leaves, so that a walk without an answer enters 2^(levels + 1) - 1 of its
// nodes, and the start and the extra leaves besides. The walk may enter
// kMaxWalkSteps nodes in all.
TEST(WalkCorruption, SharedChildrenEndAtTheStepBound) {
  struct Case {
    uint32_t levels;
    uint32_t extra;
    AccessStatus want;
  };
  // 15 levels: 65535 nodes of the ladder, 65536 with the start.
  const Case cases[] = {{4, 0, kNotFound}, {15, 0, kNotFound}, {15, 1, kFailed}, {16, 0, kFailed}};
  for (const Case &c : cases) {
    TestImage img;
    const uint32_t start = img.add(List(NodeKind::NK_SEQUENCE, 1, 0, uint16_t(1 + c.extra)));
    img.add(List(NodeKind::NK_SEQUENCE, 2 + c.extra, 0, 2));
    for (uint32_t e = 0; e < c.extra; ++e) img.answer(2, 0);
    for (uint32_t level = 1; level < c.levels; ++level) {
      const uint32_t next = uint32_t(img.nodes.size()) + 2;
      img.list({List(NodeKind::NK_SEQUENCE, next, 0, 2), List(NodeKind::NK_SEQUENCE, next, 0, 2)});
    }
    img.answer(2, 0);
    img.answer(2, 0);
    img.key(1, start);
    LeafDescriptor d{};
    EXPECT_EQ(LookupKey(img.view(), 1, nullptr, &d), c.want)
        << c.levels << " levels, " << c.extra << " extra";
  }
}

} // namespace
} // namespace m4k7::test
