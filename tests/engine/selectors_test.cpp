#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/walk.h"
#include "test_image.h"

namespace m4k7::test {
namespace {

constexpr uint16_t kKey = 0x1234;

// The answer of walking `node` for kKey: the int its leaf holds, or the
// status when the walk does not end in an int leaf of this image.
struct Outcome {
  AccessStatus status;
  int32_t value; // meaningful when status is 0
  bool operator==(const Outcome &) const = default;
};
Outcome Answer(int32_t v) { return {kOk, v}; }
Outcome Status(AccessStatus s) { return {s, 0}; }

std::ostream &operator<<(std::ostream &os, const Outcome &o) {
  return o.status == kOk ? os << "answer " << o.value : os << "status " << o.status;
}

Outcome WalkFor(const ImageDescriptor &image, uint32_t node, const AccessRequest *request) {
  LeafDescriptor d{};
  const DbNode &n = image.nodes[node];
  const AccessStatus s = WalkNode(image, kKey, request, n.word0, n.word1, &d);
  if (s != kOk) return Status(s);
  return Answer(image.intPool[operandOf(d.word0)]);
}

Outcome WalkWithInts(const ImageDescriptor &image, uint32_t node, std::vector<int32_t> ints) {
  const AccessRequest r = RequestOf(ints.empty() ? nullptr : ints.data(), uint32_t(ints.size()));
  return WalkFor(image, node, &r);
}

TEST(SelectParam, FirstMatchingEntryWins) {
  TestImage img;
  const uint32_t t1 = img.answer(kKey, 100), t2 = img.answer(kKey, 200), td = img.answer(kKey, 999);
  const uint32_t other = img.answer(kKey + 1, 0);
  const uint32_t neg = img.bounds(INT32_MIN, -1), pos = img.bounds(1, INT32_MAX);
  const uint32_t withDefault =
      img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Case(1, t1), Case(2, t2), Default(td)}), 1, 3));
  const uint32_t noDefault =
      img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Case(1, t1), Case(2, t2)}), 1, 2));
  // A chosen target without an answer ends the select: no fall-through.
  const uint32_t deadEnd =
      img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Case(1, other), Case(1, t1), Default(td)}), 1, 3));
  const uint32_t ranges =
      img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Range(neg, t1), Range(pos, t2)}), 1, 2));
  const uint32_t empty = img.add(List(NodeKind::NK_SELECT_PARAM, 0, 1, 0));
  const ImageDescriptor image = img.view();
  struct Case {
    uint32_t node;
    int32_t value; // I[1]
    Outcome want;
  };
  const Case cases[] = {
      {withDefault, 1, Answer(100)},
      {withDefault, 2, Answer(200)},
      {withDefault, 7, Answer(999)},
      {noDefault, 7, Status(kNotFound)},
      {noDefault, 0x10002, Status(kNotFound)}, // all 32 bits compared
      {noDefault, -1, Status(kNotFound)},
      {deadEnd, 1, Status(kNotFound)},
      {deadEnd, 2, Answer(999)},
      {ranges, INT32_MIN, Answer(100)},
      {ranges, -1, Answer(100)},
      {ranges, 0, Status(kNotFound)},
      {ranges, 1, Answer(200)},
      {ranges, INT32_MAX, Answer(200)},
      {empty, 5, Status(kNotFound)},
  };
  for (const Case &c : cases)
    EXPECT_EQ(WalkWithInts(image, c.node, {0, c.value}), c.want) << "node " << c.node << " I[1]=" << c.value;
}

// Bounds and values are signed: a range across zero holds the small
// negatives, which an unsigned comparison would put above the upper bound.
TEST(SelectParam, RangeAcrossZero) {
  TestImage img;
  const uint32_t inside = img.answer(kKey, 1), outside = img.answer(kKey, 0);
  const uint32_t pair = img.bounds(-10, 10);
  const uint32_t select =
      img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Range(pair, inside), Default(outside)}), 1, 2));
  const ImageDescriptor image = img.view();
  struct Case {
    int32_t value; // I[1]
    bool in;
  };
  const Case cases[] = {
      {INT32_MIN, false}, {-20, false}, {-11, false}, {-10, true}, {-3, true},         {-1, true},
      {0, true},          {10, true},   {11, false},  {20, false}, {INT32_MAX, false},
  };
  for (const Case &c : cases)
    EXPECT_EQ(WalkWithInts(image, select, {0, c.value}), Answer(c.in ? 1 : 0)) << "I[1]=" << c.value;
}

TEST(SelectParam, MissingParameterOrBrokenEntries) {
  TestImage img;
  const uint32_t t = img.answer(kKey, 1);
  const uint32_t pair = img.bounds(0, 10);
  const uint32_t good = img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Case(5, t)}), 2, 1));
  const uint32_t empty = img.add(List(NodeKind::NK_SELECT_PARAM, 0, 2, 0));
  // Bad entries after a match are never reached; before one they fail.
  const uint32_t badKind = img.add(
      List(NodeKind::NK_SELECT_PARAM, img.list({Case(5, t), Leaf(NodeKind::NK_INT32, 0, kKey, 1)}), 2, 2));
  const uint32_t stringCase = img.add(List(NodeKind::NK_SELECT_PARAM, img.list({StringCase(0, t)}), 2, 1));
  const uint32_t farTarget = img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Case(5, 0xFFFFFF)}), 2, 1));
  const uint32_t lastPair = img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Range(pair, t)}), 2, 1));
  const uint32_t pairPastEnd = img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Range(pair + 1, t)}), 2, 1));
  const uint32_t pairWraps = img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Range(0xFFFFFFFF, t)}), 2, 1));
  const uint32_t listPastEnd = img.add(List(NodeKind::NK_SELECT_PARAM, uint32_t(img.nodes.size()), 2, 1));
  const ImageDescriptor image = img.view();
  const std::vector<int32_t> three{0, 0, 5}, other{0, 0, 6};
  struct Case {
    const char *what;
    uint32_t node;
    std::optional<std::vector<int32_t>> ints; // nullopt: no request at all
    Outcome want;
  };
  const Case cases[] = {
      {"slot present", good, three, Answer(1)},
      {"no request", good, std::nullopt, Status(kFailed)},
      {"no ints", good, std::vector<int32_t>{}, Status(kMissingInt)},
      {"slot is the count", good, std::vector<int32_t>{0, 5}, Status(kMissingInt)},
      {"empty list still needs its value", empty, std::vector<int32_t>{}, Status(kMissingInt)},
      {"empty list", empty, three, Status(kNotFound)},
      {"bad entry after the match", badKind, three, Answer(1)},
      {"bad entry reached", badKind, other, Status(kFailed)},
      {"string case in an integer select", stringCase, three, Status(kFailed)},
      {"target past the end", farTarget, three, Status(kFailed)},
      {"bound pair ends the pool", lastPair, three, Answer(1)},
      {"bound pair one past", pairPastEnd, three, Status(kFailed)},
      {"bound pair index wraps", pairWraps, three, Status(kFailed)},
      {"list past the end", listPastEnd, three, Status(kFailed)},
  };
  for (const Case &c : cases) {
    if (!c.ints)
      EXPECT_EQ(WalkFor(image, c.node, nullptr), c.want) << c.what;
    else
      EXPECT_EQ(WalkWithInts(image, c.node, *c.ints), c.want) << c.what;
  }
  // A request whose count claims slots its absent array lacks.
  const AccessRequest lying = RequestOf(nullptr, 10);
  EXPECT_EQ(WalkFor(image, good, &lying), Status(kMissingInt));

  ImageDescriptor noPool = image;
  noPool.intPool = nullptr;
  EXPECT_EQ(WalkWithInts(noPool, lastPair, three), Status(kFailed));
}

TEST(SelectMasked, ComparesOnlyTheMaskedBits) {
  TestImage img;
  const uint32_t hit = img.answer(kKey, 1), miss = img.answer(kKey, 0);
  const uint32_t cases = img.list({Case(0x34, hit), Default(miss)});
  const uint32_t mask = img.add(Mask(0xFF, cases));
  const uint32_t select = img.add(List(NodeKind::NK_SELECT_MASKED, mask, 0, 2));
  const uint32_t highMask = img.add(Mask(0x80000000u, img.list({Case(0x80000000u, hit), Default(miss)})));
  const uint32_t sign = img.add(List(NodeKind::NK_SELECT_MASKED, highMask, 0, 2));
  const uint32_t notMask = img.add(List(NodeKind::NK_SELECT_MASKED, cases, 0, 2));
  const uint32_t maskPastEnd = img.add(List(NodeKind::NK_SELECT_MASKED, 0xFFFF, 0, 2));
  const ImageDescriptor image = img.view();
  struct Case {
    const char *what;
    uint32_t node;
    std::optional<int32_t> value; // I[0]; nullopt: no slots
    Outcome want;
  };
  const Case table[] = {
      {"low byte equal", select, 0x34, Answer(1)},
      {"high bits ignored", select, 0x7FFFFF34, Answer(1)},
      {"negative, low byte equal", select, int32_t(0xFFFFFF34), Answer(1)},
      {"low byte differs", select, 0x1235, Answer(0)},
      {"sign bit mask", sign, -5, Answer(1)},
      {"sign bit clear", sign, 5, Answer(0)},
      {"no slots", select, std::nullopt, Status(kMissingInt)},
      // The mask node is checked before the parameter is read.
      {"operand is a case list", notMask, 0x34, Status(kFailed)},
      {"operand is a case list, no slots", notMask, std::nullopt, Status(kFailed)},
      {"mask past the end", maskPastEnd, 0x34, Status(kFailed)},
  };
  for (const Case &c : table) {
    std::vector<int32_t> ints;
    if (c.value) ints.push_back(*c.value);
    EXPECT_EQ(WalkWithInts(image, c.node, ints), c.want) << c.what;
  }
  EXPECT_EQ(WalkFor(image, select, nullptr), Status(kFailed));
}

TEST(GuardedSequence, GuardsCompareTheirValueWithTheParameter) {
  TestImage img;
  const uint32_t a = img.answer(kKey, 1), b = img.answer(kKey, 2), cc = img.answer(kKey, 3);
  const uint32_t otherKey = img.answer(kKey + 1, 0), big = img.answer(kKey, 65535);
  const uint32_t children = img.list({
      Leaf(NodeKind::NK_INT32, 0, kKey + 1, 1), // unconditional, another key
      List(NodeKind::NK_GUARD, otherKey, 1, 1), // passes on 1 but has no answer
      List(NodeKind::NK_GUARD, a, 1, 1),        // a second guard for 1 decides
      List(NodeKind::NK_GUARD, b, 2, 1),
      List(NodeKind::NK_GUARD, big, 0xFFFF, 1), // guard values are zero-extended
      List(NodeKind::NK_SEQUENCE, cc, 0, 1),    // unconditional, our key
  });
  const uint32_t seq = img.add(List(NodeKind::NK_GUARDED_SEQUENCE, children, 3, 6));
  // An unconditional answer before the first guard needs no parameter.
  const uint32_t early = img.add(
      List(NodeKind::NK_GUARDED_SEQUENCE,
           img.list({List(NodeKind::NK_SEQUENCE, cc, 0, 1), List(NodeKind::NK_GUARD, a, 1, 1)}), 3, 2));
  const uint32_t empty = img.add(List(NodeKind::NK_GUARDED_SEQUENCE, 0, 3, 0));
  const uint32_t failing =
      img.add(List(NodeKind::NK_GUARDED_SEQUENCE,
                   img.list({Node(NodeKind(0), 0, 0), List(NodeKind::NK_GUARD, a, 1, 1)}), 3, 2));
  // Its one child would be the node after it, and there is none.
  const uint32_t pastEnd = img.add(List(NodeKind::NK_GUARDED_SEQUENCE, uint32_t(img.nodes.size()) + 1, 3, 1));
  const ImageDescriptor image = img.view();
  struct Case {
    const char *what;
    uint32_t node;
    std::optional<std::vector<int32_t>> ints;
    Outcome want;
  };
  const Case cases[] = {
      {"first passing guard with an answer", seq, std::vector<int32_t>{0, 0, 0, 1}, Answer(1)},
      {"second value", seq, std::vector<int32_t>{0, 0, 0, 2}, Answer(2)},
      {"no guard passes: unconditional child", seq, std::vector<int32_t>{0, 0, 0, 9}, Answer(3)},
      {"-1 is not 0xFFFF", seq, std::vector<int32_t>{0, 0, 0, -1}, Answer(3)},
      {"65535 is", seq, std::vector<int32_t>{0, 0, 0, 65535}, Answer(65535)},
      {"too few ints at the first guard", seq, std::vector<int32_t>{0, 0, 0}, Status(kMissingInt)},
      {"no request at a guard", seq, std::nullopt, Status(kMissingInt)},
      {"answered before the first guard", early, std::vector<int32_t>{}, Answer(3)},
      {"answered before the first guard, no request", early, std::nullopt, Answer(3)},
      {"empty", empty, std::nullopt, Status(kNotFound)},
      {"children run past the end", pastEnd, std::vector<int32_t>{0, 0, 0, 9}, Status(kFailed)},
      {"failing child before a guard", failing, std::vector<int32_t>{}, Status(kFailed)},
  };
  for (const Case &c : cases) {
    if (!c.ints)
      EXPECT_EQ(WalkFor(image, c.node, nullptr), c.want) << c.what;
    else
      EXPECT_EQ(WalkWithInts(image, c.node, *c.ints), c.want) << c.what;
  }
  ImageDescriptor noNodes = image;
  noNodes.nodes = nullptr;
  const DbNode n = img.nodes[seq];
  LeafDescriptor d{};
  EXPECT_EQ(WalkNode(noNodes, kKey, nullptr, n.word0, n.word1, &d), kFailed);
}

// A string select over "abc", "ab", "" and a default, on S[1].
struct StringImage {
  TestImage img;
  uint32_t select, noDefault, defaultFirst;
  uint32_t badStringNode, stringNodePastEnd, wrongEntry, farTarget, longString;
  StringImage() {
    const uint32_t t3 = img.answer(kKey, 3), t2 = img.answer(kKey, 2), t0 = img.answer(kKey, 0);
    const uint32_t td = img.answer(kKey, -1);
    const uint32_t abc = img.stringNode("abc"), ab = img.stringNode("ab"), none = img.stringNode("");
    select = img.add(
        List(NodeKind::NK_SELECT_STRING,
             img.list({StringCase(abc, t3), StringCase(ab, t2), StringCase(none, t0), Default(td)}), 1, 4));
    noDefault = img.add(List(NodeKind::NK_SELECT_STRING, img.list({StringCase(abc, t3)}), 1, 1));
    defaultFirst =
        img.add(List(NodeKind::NK_SELECT_STRING, img.list({Default(td), StringCase(abc, t3)}), 1, 2));
    badStringNode = img.add(List(NodeKind::NK_SELECT_STRING, img.list({StringCase(t3, t3)}), 1, 1));
    stringNodePastEnd = img.add(List(NodeKind::NK_SELECT_STRING, img.list({StringCase(0xFFFFFF, t3)}), 1, 1));
    wrongEntry = img.add(List(NodeKind::NK_SELECT_STRING, img.list({Case(0, t3)}), 1, 1));
    farTarget = img.add(List(NodeKind::NK_SELECT_STRING, img.list({StringCase(abc, 0xFFFFFF)}), 1, 1));
    // A string node that claims more bytes than the pool holds.
    const uint32_t tooLong = img.add(Leaf(NodeKind::NK_BYTES, 1, 0, 5));
    longString = img.add(List(NodeKind::NK_SELECT_STRING, img.list({StringCase(tooLong, t3)}), 1, 1));
  }
};

Outcome WalkWithString(const ImageDescriptor &image, uint32_t node, const char *s1) {
  const char *strings[] = {"zzz", s1};
  const AccessRequest r = RequestOf(nullptr, 0, strings, 2);
  return WalkFor(image, node, &r);
}

TEST(StringSelect, MatchesWholeStringsExactly) {
  StringImage t;
  const ImageDescriptor image = t.img.view();
  struct Case {
    const char *param; // nullptr: an absent string
    uint32_t node;
    Outcome want;
  };
  const Case cases[] = {
      {"abc", t.select, Answer(3)},
      {"ab", t.select, Answer(2)},
      {"", t.select, Answer(0)},
      {nullptr, t.select, Answer(0)},
      {"AB", t.select, Answer(-1)},
      {"abcd", t.select, Answer(-1)},
      {"a", t.select, Answer(-1)},
      {"abc", t.noDefault, Answer(3)},
      {"ab", t.noDefault, Status(kNotFound)},
      {"abc", t.defaultFirst, Answer(-1)},
  };
  for (const Case &c : cases)
    EXPECT_EQ(WalkWithString(image, c.node, c.param), c.want)
        << (c.param ? c.param : "(absent)") << " node " << c.node;
}

TEST(StringSelect, MissingParameterOrBrokenEntries) {
  StringImage t;
  const ImageDescriptor image = t.img.view();
  const char *one[] = {"abc"};
  const AccessRequest *none = nullptr;
  const AccessRequest noArray = RequestOf(nullptr, 0, nullptr, 5);
  const AccessRequest tooFew = RequestOf(nullptr, 0, one, 1);
  struct Case {
    const char *what;
    uint32_t node;
    const AccessRequest *request;
    Outcome want;
  };
  const Case cases[] = {
      {"no request", t.select, none, Status(kMissingString)},
      {"no string array", t.select, &noArray, Status(kMissingString)},
      {"slot is the count", t.select, &tooFew, Status(kMissingString)},
      // A default in front never needs the parameter.
      {"default first, no request", t.defaultFirst, none, Answer(-1)},
      // The string node is checked before the parameter.
      {"string case names a leaf", t.badStringNode, none, Status(kFailed)},
      {"string node past the end", t.stringNodePastEnd, none, Status(kFailed)},
      {"integer case in a string select", t.wrongEntry, none, Status(kFailed)},
      // And the parameter before the pool slice.
      {"string past the pool, no request", t.longString, none, Status(kMissingString)},
  };
  for (const Case &c : cases) EXPECT_EQ(WalkFor(image, c.node, c.request), c.want) << c.what;

  EXPECT_EQ(WalkWithString(image, t.longString, "abc"), Status(kFailed));
  EXPECT_EQ(WalkWithString(image, t.farTarget, "abc"), Status(kFailed));
  EXPECT_EQ(WalkWithString(image, t.farTarget, "x"), Status(kNotFound));
  ImageDescriptor noPool = image;
  noPool.stringPool = nullptr;
  EXPECT_EQ(WalkWithString(noPool, t.select, "abc"), Status(kFailed));
  ImageDescriptor shortPool = image;
  shortPool.stringSize = 4; // "abc" fits exactly, "ab" at offset 3 does not
  EXPECT_EQ(WalkWithString(shortPool, t.select, "abc"), Answer(3));
  EXPECT_EQ(WalkWithString(shortPool, t.select, "ab"), Status(kFailed));
  ImageDescriptor shorterPool = image;
  shorterPool.stringSize = 2;
  EXPECT_EQ(WalkWithString(shorterPool, t.select, "abc"), Status(kFailed));
}

} // namespace
} // namespace m4k7::test
