// The engine over small hand-made images, corrupted ones included.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "platform/test_hooks.h"

namespace m4k7 {
namespace {

using K = NodeKind;

DbNode N(K kind, uint32_t operand, uint16_t field, uint16_t count) {
  return {makeWord0(kind, operand), makeWord1(field, count)};
}
DbNode W(K kind, uint32_t operand, uint32_t word1) { return {makeWord0(kind, operand), word1}; }

// A tiny image: one key to a root node, plus whatever pools a test sets.
struct Tiny {
  std::vector<DbNode> nodes;
  std::vector<uint16_t> keys{7};
  std::vector<uint32_t> keyNodes{0};
  std::vector<int32_t> ints;
  std::vector<uint16_t> shorts;
  std::vector<uint8_t> bytes{0xFF, 0x01, 0xE9, 0x00};
  std::string strings;
  ImageDescriptor image() const {
    ImageDescriptor d{};
    d.nodes = nodes.data();
    d.nodeCount = uint32_t(nodes.size());
    d.keys = keys.data();
    d.keyNodes = keyNodes.data();
    d.keyCount = uint32_t(keys.size());
    d.intPool = ints.empty() ? nullptr : ints.data();
    d.intCount = uint32_t(ints.size());
    d.shortPool = shorts.empty() ? nullptr : shorts.data();
    d.shortCount = uint32_t(shorts.size());
    d.bytePool = bytes.data();
    d.byteSize = uint32_t(bytes.size());
    d.stringPool = strings.empty() ? nullptr : strings.data();
    d.stringSize = uint32_t(strings.size());
    return d;
  }
};

AccessStatus Look(const Tiny &t, const AccessRequest *req, LeafDescriptor *leaf = nullptr) {
  LeafDescriptor own{};
  return LookupKey(t.image(), 7, req, leaf ? leaf : &own);
}

AccessRequest WithInts(const std::vector<int32_t> &ints) {
  AccessRequest r{};
  r.intParamCount = uint32_t(ints.size());
  r.intParams = ints.empty() ? nullptr : ints.data();
  return r;
}

TEST(Lookup, StatusesOfTheIndex) {
  Tiny t;
  t.nodes = {N(K::NK_INT8, 0, 7, 1)};
  AccessRequest req{};
  EXPECT_EQ(Look(t, &req), 0);
  EXPECT_EQ(LookupKey(t.image(), 0x10007, &req, &*std::make_unique<LeafDescriptor>()), 0)
      << "high bits ignored";
  LeafDescriptor leaf{};
  EXPECT_EQ(LookupKey(t.image(), 8, &req, &leaf), 3);
  t.keyNodes = {1};
  EXPECT_EQ(Look(t, &req), -1) << "start node one past the end";
  t.keyNodes = {0};
  t.nodes = {N(K::NK_INT8, 0, 9, 1)};
  EXPECT_EQ(Look(t, &req), 1) << "the only leaf answers another key";
  ImageDescriptor noKeys = t.image();
  noKeys.keyCount = 0;
  EXPECT_EQ(LookupKey(noKeys, 7, &req, &leaf), -1);
}

TEST(Lookup, DuplicateKeysResolveToTheFirst) {
  Tiny t;
  t.nodes = {N(K::NK_INT8, 0, 7, 1), N(K::NK_INT8, 1, 7, 1)};
  t.keys = {7, 7};
  t.keyNodes = {1, 0};
  LeafDescriptor leaf{};
  AccessRequest req{};
  ASSERT_EQ(Look(t, &req, &leaf), 0);
  EXPECT_EQ(operandOf(leaf.word0), 1u);
}

TEST(WalkCorruption, InvalidKindsAndCyclesFail) {
  for (uint8_t kind : {0, 16, 20, 21, 22, 255}) {
    Tiny t;
    t.nodes = {{uint32_t(kind) << 24, makeWord1(7, 0)}};
    AccessRequest req{};
    EXPECT_EQ(Look(t, &req), -1) << int(kind);
  }
  Tiny cyclic;
  cyclic.nodes = {N(K::NK_SEQUENCE, 1, 0, 1), N(K::NK_SEQUENCE, 0, 0, 1)};
  AccessRequest req{};
  EXPECT_EQ(Look(cyclic, &req), -1) << "a cycle ends at the depth bound, not in a crash";
  Tiny pastEnd;
  pastEnd.nodes = {N(K::NK_SEQUENCE, 1, 0, 1)};
  EXPECT_EQ(Look(pastEnd, &req), -1);
}

TEST(Walk, SequencesStopAtTheFirstAnswerOrFailure) {
  Tiny t;
  // Root: sequence of [select I[3] (too few ints), leaf for key 7].
  t.nodes = {N(K::NK_SEQUENCE, 1, 0, 2), N(K::NK_SELECT_PARAM, 3, 3, 0), N(K::NK_INT8, 0, 7, 1)};
  std::vector<int32_t> one{0};
  AccessRequest req = WithInts(one);
  EXPECT_EQ(Look(t, &req), -3);
  t.nodes[0] = N(K::NK_SEQUENCE, 1, 0, 0);
  EXPECT_EQ(Look(t, &req), 1) << "empty sequence";
}

TEST(SelectParam, CasesRangesAndDefaults) {
  Tiny t;
  t.ints = {INT32_MIN, -1, 1, INT32_MAX};
  // Root select I[0] over: case 2 -> leaf A, range [-2^31,-1] -> leaf B, default -> leaf C.
  t.nodes = {N(K::NK_SELECT_PARAM, 1, 0, 3), W(K::NK_CASE, 4, 2),    W(K::NK_RANGE_CASE, 5, 0),
             W(K::NK_DEFAULT, 6, 0),         N(K::NK_INT8, 0, 7, 1), N(K::NK_INT8, 1, 7, 1),
             N(K::NK_INT8, 2, 7, 1)};
  struct {
    int32_t value;
    uint32_t offset;
  } cases[] = {{2, 0}, {-5, 1}, {INT32_MIN, 1}, {0, 2}, {7, 2}};
  for (auto c : cases) {
    std::vector<int32_t> v{c.value};
    AccessRequest req = WithInts(v);
    LeafDescriptor leaf{};
    ASSERT_EQ(Look(t, &req, &leaf), 0) << c.value;
    EXPECT_EQ(operandOf(leaf.word0), c.offset) << c.value;
  }
  EXPECT_EQ(Look(t, nullptr), -1) << "an integer select without a request";
  t.nodes[0] = N(K::NK_SELECT_PARAM, 1, 0, 1);
  std::vector<int32_t> seven{7};
  AccessRequest req = WithInts(seven);
  EXPECT_EQ(Look(t, &req), 1) << "no default, no match";
}

TEST(SelectMasked, OnlyMaskedBitsCount) {
  Tiny t;
  t.nodes = {N(K::NK_SELECT_MASKED, 1, 0, 1), W(K::NK_MASK, 2, 0xFF), W(K::NK_CASE, 3, 0x31),
             N(K::NK_INT8, 0, 7, 1)};
  std::vector<int32_t> v{0x7700031};
  AccessRequest req = WithInts(v);
  EXPECT_EQ(Look(t, &req), 0);
  t.nodes[1] = W(K::NK_CASE, 2, 0xFF);
  EXPECT_EQ(Look(t, &req), -1) << "operand must name a mask";
}

TEST(GuardedSequence, GuardsCompareTheirParameter) {
  Tiny t;
  // Guarded on I[1]: [guard 5 -> leaf A], [leaf B unconditional].
  t.nodes = {N(K::NK_GUARDED_SEQUENCE, 1, 1, 2), N(K::NK_GUARD, 3, 5, 1), N(K::NK_INT8, 1, 7, 1),
             N(K::NK_INT8, 0, 7, 1)};
  std::vector<int32_t> match{0, 5}, other{0, 6}, shortReq{0};
  AccessRequest a = WithInts(match), b = WithInts(other), c = WithInts(shortReq);
  LeafDescriptor leaf{};
  ASSERT_EQ(Look(t, &a, &leaf), 0);
  EXPECT_EQ(operandOf(leaf.word0), 0u);
  ASSERT_EQ(Look(t, &b, &leaf), 0);
  EXPECT_EQ(operandOf(leaf.word0), 1u);
  EXPECT_EQ(Look(t, &c), -3);
  EXPECT_EQ(Look(t, nullptr), -3) << "a guard without a request reports -3";
}

TEST(StringSelect, ExactComparisons) {
  Tiny t;
  t.strings = "SSR";
  // select S[0]: string case -> leaf; string node 3 = "SSR".
  t.nodes = {N(K::NK_SELECT_STRING, 1, 0, 1), W(K::NK_STRING_CASE, 2, 3), N(K::NK_INT8, 0, 7, 1),
             N(K::NK_BYTES, 0, 0, 3)};
  struct {
    const char *text;
    AccessStatus status;
  } cases[] = {{"SSR", 0}, {"ssr", 1}, {"SS", 1}, {"SSRX", 1}, {nullptr, 1}};
  for (auto c : cases) {
    const char *strings[] = {c.text};
    AccessRequest req{};
    req.stringParamCount = 1;
    req.stringParams = strings;
    EXPECT_EQ(Look(t, &req), c.status) << (c.text ? c.text : "(absent)");
  }
  AccessRequest none{};
  EXPECT_EQ(Look(t, &none), -2);
  t.nodes[0] = N(K::NK_SELECT_STRING, 1, 0, 2);
  t.nodes.insert(t.nodes.begin() + 1, W(K::NK_DEFAULT, 3, 0));
  t.nodes[2] = W(K::NK_STRING_CASE, 3, 4);
  EXPECT_EQ(Look(t, &none), 0) << "a default first never compares strings";
}

TEST(Fetch, WideningAndSizes) {
  Tiny t;
  t.nodes = {N(K::NK_INT8, 0, 7, 1)};
  struct {
    K kind;
    uint16_t count;
    uint32_t size;
    int32_t first;
  } cases[] = {{K::NK_INT8, 1, 4, -1},
               {K::NK_UINT8, 1, 4, 255},
               {K::NK_BYTES, 4, 4, int32_t(0x00E901FF)},
               {K::NK_WIDE, 1, 2, 0xFF}};
  AccessRequest req{};
  for (auto c : cases) {
    LeafDescriptor leaf{makeWord0(c.kind, 0), makeWord1(7, c.count)};
    uint32_t size = 0;
    EXPECT_EQ(FetchLeaf(t.image(), &req, 100, nullptr, &size, leaf), 2);
    EXPECT_EQ(size, c.size);
    uint8_t buf[16] = {};
    EXPECT_EQ(FetchLeaf(t.image(), &req, c.size - 1, buf, &size, leaf), 2);
    ASSERT_EQ(FetchLeaf(t.image(), &req, c.size, buf, &size, leaf), 0);
    int32_t first = 0;
    std::memcpy(&first, buf, c.kind == K::NK_WIDE ? 2 : 4);
    EXPECT_EQ(first, c.first) << int(c.kind);
  }
  LeafDescriptor wide{makeWord0(K::NK_WIDE, 2), makeWord1(7, 1)};
  uint16_t ch = 0;
  uint32_t size = 0;
  ASSERT_EQ(FetchLeaf(t.image(), &req, 2, &ch, &size, wide), 0);
  EXPECT_EQ(ch, 0x00E9);
  LeafDescriptor pastEnd{makeWord0(K::NK_BYTES, 1), makeWord1(7, 4)};
  uint8_t buf[8];
  EXPECT_EQ(FetchLeaf(t.image(), &req, 8, buf, &size, pastEnd), -1);
  LeafDescriptor atEnd{makeWord0(K::NK_BYTES, 1), makeWord1(7, 3)};
  EXPECT_EQ(FetchLeaf(t.image(), &req, 8, buf, &size, atEnd), 0);
  LeafDescriptor empty{makeWord0(K::NK_INT8, 0), makeWord1(7, 0)};
  EXPECT_EQ(FetchLeaf(t.image(), &req, 0, buf, &size, empty), 0);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(FetchLeaf(t.image(), &req, 0, nullptr, &size, empty), 2);
}

TEST(LocaleSelect, SourceMustBeTheLocaleTag) {
  int32_t code = 0;
  EXPECT_EQ(ReadLocaleCountry(0x5010, &code), -1);
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  ASSERT_EQ(ReadLocaleCountry(0x500F, &code), 0);
  EXPECT_EQ(code, 49);
  platform::testing::HeapFailAt fail(1);
  EXPECT_EQ(ReadLocaleCountry(0x500F, &code), -1);
  EXPECT_TRUE(fail.fired());
  EXPECT_EQ(platform::testing::LiveBlocks(), 0);
  unsetenv("LC_ALL");
}

} // namespace
} // namespace m4k7
