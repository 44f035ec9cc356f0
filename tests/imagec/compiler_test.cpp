// The image compiler: layout rules, and broken content refused with a
// message that names the key and the node.
#include <gtest/gtest.h>

#include "compiler.h"
#include "engine/engine.h"

namespace imagec {
namespace {

using m4k7::NodeKind;

struct KindCase {
  std::vector<int64_t> values;
  NodeKind kind;
};

TEST(ImageCompiler, IntegerLeavesTakeTheNarrowestKind) {
  const KindCase cases[] = {{{-2}, NodeKind::NK_INT8},
                            {{33, 161}, NodeKind::NK_UINT8},
                            {{256}, NodeKind::NK_INT16},
                            {{-1, 200}, NodeKind::NK_INT16},
                            {{24130, 58420}, NodeKind::NK_UINT16},
                            {{983295, -1}, NodeKind::NK_INT32},
                            {{0x80000001LL}, NodeKind::NK_INT32},
                            {{}, NodeKind::NK_INT8}};
  for (const KindCase &c : cases) {
    ImageBuilder b;
    b.key(7, b.ints(7, c.values));
    ImageTables t;
    std::string error;
    ASSERT_TRUE(Compile(b, &t, &error)) << error;
    const m4k7::ImageDescriptor image = t.descriptor();
    m4k7::LeafDescriptor leaf{};
    ASSERT_EQ(m4k7::LookupKey(image, 7, nullptr, &leaf), 0);
    EXPECT_EQ(m4k7::kindOf(leaf.word0), c.kind) << c.values.size();
    std::vector<int32_t> got(c.values.size() + 1); // never empty: an empty answer still needs a buffer
    uint32_t size = 0;
    ASSERT_EQ(m4k7::FetchLeaf(image, nullptr, uint32_t(c.values.size() * 4), got.data(), &size, leaf), 0);
    for (size_t i = 0; i < c.values.size(); ++i) EXPECT_EQ(got[i], int32_t(uint32_t(c.values[i])));
  }
}

TEST(ImageCompiler, IdenticalAnswersAreStoredOnce) {
  ImageBuilder b;
  b.key(7,
        b.select(0, {is(1, b.wide(7, "same")), is(2, b.wide(7, "same")), otherwise(b.ints(7, {300, 400}))}));
  b.key(8, b.ints(8, {300, 400}));
  ImageTables t;
  std::string error;
  ASSERT_TRUE(Compile(b, &t, &error)) << error;
  EXPECT_EQ(t.bytes.size(), 5u) << "one copy of \"same\" and its NUL";
  EXPECT_EQ(t.shorts.size(), 2u) << "one slice for both [300, 400] leaves";
  EXPECT_EQ(t.nodes[0].word1 & 0xFFFF, 2u) << "node 0 is the sequence of both roots";
}

TEST(CompilerRejects, BrokenContentNamesTheKeyAndNode) {
  struct Broken {
    const char *what;
    void (*build)(ImageBuilder &);
    const char *message;
  } cases[] = {
      {"guard outside a guarded sequence",
       [](ImageBuilder &b) { b.key(0x1016, b.sequence({b.guard(4, {b.ints(0x1016, {1})})})); },
       "key 0x1016 (4118): node"},
      {"leaf of a key not in the index", [](ImageBuilder &b) { b.key(7, b.ints(9, {1})); },
       "not in the index"},
      {"duplicate key", [](ImageBuilder &b) { b.key(7, b.ints(7, {1})), b.key(7, b.ints(7, {2})); }, "twice"},
      {"value out of range", [](ImageBuilder &b) { b.key(7, b.ints(7, {1LL << 33})); }, "does not fit"},
      {"case target outside the table",
       [](ImageBuilder &b) { b.key(7, b.raw(m4k7::makeWord0(NodeKind::NK_SELECT_PARAM, 900), 1)); }, "past"},
      {"cycle", [](ImageBuilder &b) { b.key(7, b.raw(m4k7::makeWord0(NodeKind::NK_SEQUENCE, 1), 1)); },
       "cycle"},
  };
  for (const Broken &c : cases) {
    ImageBuilder b;
    c.build(b);
    ImageTables t;
    std::string error;
    EXPECT_FALSE(Compile(b, &t, &error)) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
}

} // namespace
} // namespace imagec
