// The PA component's keys, asked through VRT_AccessPADataBase.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "monitor_cases.h"

namespace m4k7::test {
namespace {

constexpr Database kPA = Database::PA;

const std::vector<int32_t> kSixInks = {6, 21076, 17066};
const std::vector<int32_t> kFourInks = {4, 21074, 17065};

// One I[0] branch of the shared tree.
struct Mode {
  int32_t mode;
  std::vector<int32_t> list4002, list4003;
  std::vector<int32_t> sixFirst; // media whose 0x4004 is the six-ink triple
  std::vector<int32_t> answer4007;
};
const Mode kModes[] = {
    {1,
     {277, 2065, 271, 2061},
     {1,    2051, 270,  2060, 283,  2069, 262,  2058, 279,  2066, 276,
      2064, 2,    2052, 273,  2062, 258,  2054, 259,  2055, 275,  2063},
     {277, 271, 270, 283, 262, 279, 276, 1, 275},
     {18, 1, 9, 0}},
    {2, {1, 2051, 271, 2061}, {277, 2065, 2, 2052}, {}, {18, 2, 9, 0}},
    {3, {1, 2051, 271, 2061}, {277, 2065, 2, 2052}, {}, {18, 0, 9, 0}},
    {4, {1, 2051}, {262, 2058, 263, 2059}, {}, {9, 1}},
};

// 0x4006 [a, b] by mode, media and I[2]; a6 0 means no answer for I[2] = 6.
struct Pair4006 {
  int32_t mode, media, a4, a6, b;
};
const Pair4006 k4006[] = {
    {1, 277, 3, 2, 1}, {1, 271, 3, 2, 1}, {1, 1, 2, 1, 1},   {1, 270, 3, 2, 1}, {1, 283, 3, 2, 1},
    {1, 262, 3, 2, 1}, {1, 279, 3, 2, 1}, {1, 276, 3, 2, 1}, {1, 2, 3, 3, 1},   {1, 273, 3, 3, 1},
    {1, 258, 3, 3, 1}, {1, 259, 3, 3, 1}, {1, 275, 2, 1, 1}, {2, 1, 2, 1, 1},   {2, 271, 3, 2, 1},
    {2, 277, 3, 2, 1}, {2, 2, 3, 3, 1},   {3, 1, 2, 1, 3},   {3, 271, 3, 2, 3}, {3, 277, 3, 2, 3},
    {3, 2, 3, 3, 3},   {4, 1, 2, 0, 2},   {4, 262, 4, 0, 2}, {4, 263, 4, 0, 2},
};

bool In(const std::vector<int32_t> &list, int32_t v) {
  for (int32_t x : list)
    if (x == v) return true;
  return false;
}

TEST(PAKeys, IndexHoldsExactlyTheseKeys) {
  const std::vector<uint32_t> want = {0x4001, 0x4002, 0x4003, 0x4004, 0x4005, 0x4006, 0x4007, 0x4008};
  EXPECT_EQ(KeysPresent(kPA), want);
}

TEST(PAKeys, FixedAnswers) {
  for (int32_t mode : {0, 1, 4, 9}) {
    ExpectCase(kPA, {0x4001,
                     {{0, mode}},
                     {},
                     kAnswers,
                     {1, 17002, 2041, 2, 17003, 2042, 3, 17004, 2043, 4, 17005, 2044}});
    ExpectCase(kPA, {0x4008, {{0, mode}}, {}, kAnswers, {10102}});
  }
}

// The media lists answer whatever I[1] and I[2] hold: they come before the
// media select.
TEST(PAKeys, MediaListsByMode) {
  for (const Mode &m : kModes)
    for (int32_t media : {0, 1, 263, 999}) {
      ExpectCase(kPA, {0x4002, {{0, m.mode}, {1, media}, {2, 5}}, {}, kAnswers, m.list4002});
      ExpectCase(kPA, {0x4003, {{0, m.mode}, {1, media}, {2, 5}}, {}, kAnswers, m.list4003});
    }
  for (int32_t mode : {0, 5, -1})
    for (uint32_t key = 0x4002; key <= 0x4007; ++key)
      ExpectCase(kPA, {key, {{0, mode}, {1, 1}, {2, 4}}, {}, kNoAnswer, {}});
}

TEST(PAKeys, InkTriplesByMedia) {
  std::vector<KeyCase> cases;
  for (const Mode &m : kModes) {
    std::vector<int32_t> media;
    for (const std::vector<int32_t> *list : {&m.list4002, &m.list4003})
      for (size_t i = 0; i < list->size(); i += 2) media.push_back((*list)[i]);
    for (int32_t md : media) {
      IntSlots slots = {{0, m.mode}, {1, md}, {2, 4}};
      bool six = In(m.sixFirst, md);
      const std::vector<int32_t> &first = six ? kSixInks : kFourInks;
      cases.push_back({0x4004, slots, {}, kAnswers, first});
      if (m.mode == 4)
        cases.push_back({0x4005, slots, {}, kNoAnswer, {}});
      else
        cases.push_back({0x4005, slots, {}, kAnswers, six ? kFourInks : kSixInks});
      // The triples come before the I[2] select.
      cases.push_back({0x4004, {{0, m.mode}, {1, md}, {2, 5}}, {}, kAnswers, first});
    }
    // Media outside the branch's lists answer nothing below the lists.
    for (int32_t md : {0, 3, 278, 383}) {
      for (uint32_t key = 0x4004; key <= 0x4007; ++key)
        cases.push_back({key, {{0, m.mode}, {1, md}, {2, 4}}, {}, kNoAnswer, {}});
    }
  }
  // Media listed under one mode only.
  for (int32_t md : {270, 283, 262, 279, 276, 273, 258, 259, 275})
    cases.push_back({0x4004, {{0, 2}, {1, md}, {2, 4}}, {}, kNoAnswer, {}});
  for (int32_t md : {263}) cases.push_back({0x4004, {{0, 1}, {1, md}, {2, 4}}, {}, kNoAnswer, {}});
  ExpectCases(kPA, cases);
}

TEST(PAKeys, LastAnswersByInkCount) {
  std::vector<KeyCase> cases;
  for (const Pair4006 &p : k4006) {
    const Mode &m = kModes[p.mode - 1];
    cases.push_back({0x4006, {{0, p.mode}, {1, p.media}, {2, 4}}, {}, kAnswers, {p.a4, p.b}});
    cases.push_back({0x4007, {{0, p.mode}, {1, p.media}, {2, 4}}, {}, kAnswers, m.answer4007});
    if (p.a6) {
      cases.push_back({0x4006, {{0, p.mode}, {1, p.media}, {2, 6}}, {}, kAnswers, {p.a6, p.b}});
      cases.push_back({0x4007, {{0, p.mode}, {1, p.media}, {2, 6}}, {}, kAnswers, m.answer4007});
    } else {
      cases.push_back({0x4006, {{0, p.mode}, {1, p.media}, {2, 6}}, {}, kNoAnswer, {}});
      cases.push_back({0x4007, {{0, p.mode}, {1, p.media}, {2, 6}}, {}, kNoAnswer, {}});
    }
    for (int32_t inks : {0, 5, 3, -4}) {
      cases.push_back({0x4006, {{0, p.mode}, {1, p.media}, {2, inks}}, {}, kNoAnswer, {}});
      cases.push_back({0x4007, {{0, p.mode}, {1, p.media}, {2, inks}}, {}, kNoAnswer, {}});
    }
  }
  ExpectCases(kPA, cases);
}

TEST(PAKeys, MissingParameters) {
  const ShortCase kShort[] = {
      {0x4002, 0, 0, {}, {}, kMissingInt},
      {0x4002, 1, 0, {{0, 1}}, {}, kAnswers},
      {0x4003, 1, 0, {{0, 4}}, {}, kAnswers},
      {0x4004, 1, 0, {{0, 1}}, {}, kMissingInt},
      {0x4004, 1, 0, {{0, 7}}, {}, kNoAnswer},
      {0x4004, 2, 0, {{0, 1}, {1, 277}}, {}, kAnswers},
      {0x4005, 2, 0, {{0, 2}, {1, 2}}, {}, kAnswers},
      {0x4006, 2, 0, {{0, 1}, {1, 277}}, {}, kMissingInt},
      {0x4007, 2, 0, {{0, 4}, {1, 262}}, {}, kMissingInt},
      {0x4006, 2, 0, {{0, 1}, {1, 999}}, {}, kNoAnswer},
      {0x4001, 0, 0, {}, {}, kAnswers},
      {0x4008, 0, 0, {}, {}, kAnswers},
  };
  for (const ShortCase &c : kShort) ExpectShort(kPA, c);
}

TEST(PAKeys, NarrowestKinds) {
  const ShapeCase kRows[] = {
      {0x4001, {}, {}, NodeKind::NK_INT16, 12},
      {0x4003, {{0, 1}}, {}, NodeKind::NK_INT16, 22},
      {0x4004, {{0, 1}, {1, 1}}, {}, NodeKind::NK_INT16, 3},
      {0x4006, {{0, 1}, {1, 1}, {2, 4}}, {}, NodeKind::NK_INT8, 2},
      {0x4007, {{0, 4}, {1, 1}, {2, 4}}, {}, NodeKind::NK_INT8, 2},
      {0x4008, {}, {}, NodeKind::NK_INT16, 1},
  };
  for (const ShapeCase &c : kRows) ExpectShape(kPA, c);
}

} // namespace
} // namespace m4k7::test
