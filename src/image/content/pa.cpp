// The PA component's keys (0x4001-0x4008). Keys 0x4002-0x4007 share one
// tree: the mode I[0] picks the two media lists, the media type I[1] the ink
// triples, and the ink count I[2] the last two answers.
#include <cstdint>
#include <iterator>
#include <vector>

#include "content.h"

namespace imagec {

namespace {

// Each media type with the number the PA lists it under.
struct MediaNumber {
  int32_t media;
  int32_t number;
};
const MediaNumber kMediaNumbers[] = {
    {1, 2051},   {2, 2052},   {258, 2054}, {259, 2055}, {262, 2058}, {263, 2059}, {270, 2060},
    {271, 2061}, {273, 2062}, {275, 2063}, {276, 2064}, {277, 2065}, {279, 2066}, {283, 2069},
};

int32_t NumberOf(int32_t media) {
  for (const MediaNumber &m : kMediaNumbers)
    if (m.media == media) return m.number;
  return 0;
}

struct Mode {
  int32_t mode;                     // I[0]
  std::vector<int32_t> firstList;   // the media of 0x4002
  std::vector<int32_t> secondList;  // the media of 0x4003
  std::vector<int32_t> sixInkFirst; // media whose 0x4004 is the six-ink triple
  bool fourInkOnly;                 // one triple, and I[2] = 4 alone
  int32_t second4006;               // b of 0x4006
  std::vector<int64_t> answer4007;
};
const Mode kModes[] = {
    {1,
     {277, 271},
     {1, 270, 283, 262, 279, 276, 2, 273, 258, 259, 275},
     {277, 271, 270, 283, 262, 279, 276, 1, 275},
     false,
     1,
     {18, 1, 9, 0}},
    {2, {1, 271}, {277, 2}, {}, false, 1, {18, 2, 9, 0}},
    {3, {1, 271}, {277, 2}, {}, false, 3, {18, 0, 9, 0}},
    {4, {1}, {262, 263}, {}, true, 2, {9, 1}},
};

// a of 0x4006, by media type and ink count.
int32_t First4006(const Mode &m, int32_t media, int32_t inks) {
  switch (media) {
  case 1:
  case 275: return inks == 4 ? 2 : 1;
  case 2:
  case 258:
  case 259:
  case 273: return 3;
  default: return m.fourInkOnly ? 4 : (inks == 4 ? 3 : 2);
  }
}

std::vector<int64_t> MediaPairs(const std::vector<int32_t> &media) {
  std::vector<int64_t> pairs;
  for (int32_t m : media) pairs.insert(pairs.end(), {m, NumberOf(m)});
  return pairs;
}

bool Contains(const std::vector<int32_t> &list, int32_t value) {
  for (int32_t v : list)
    if (v == value) return true;
  return false;
}

NodeRef ByMedia(ImageBuilder &b, const Mode &m, int32_t media) {
  const std::vector<int64_t> sixInks = {6, 21076, 17066};
  const std::vector<int64_t> fourInks = {4, 21074, 17065};
  std::vector<NodeRef> answers;
  if (m.fourInkOnly) {
    answers.push_back(b.ints(0x4004, fourInks));
  } else {
    bool sixFirst = Contains(m.sixInkFirst, media);
    answers.push_back(b.ints(0x4004, sixFirst ? sixInks : fourInks));
    answers.push_back(b.ints(0x4005, sixFirst ? fourInks : sixInks));
  }
  std::vector<Case> byInks;
  for (int32_t inks : m.fourInkOnly ? std::vector<int32_t>{4} : std::vector<int32_t>{4, 6})
    byInks.push_back(is(inks, b.sequence({b.ints(0x4006, {First4006(m, media, inks), m.second4006}),
                                          b.ints(0x4007, m.answer4007)})));
  answers.push_back(b.select(2, byInks));
  return b.sequence(answers);
}

} // namespace

void AddPAKeys(ImageBuilder &b) {
  b.key(0x4001, "four triples, one per I[0] 1-4",
        b.ints(0x4001, {1, 17002, 2041, 2, 17003, 2042, 3, 17004, 2043, 4, 17005, 2044}));

  std::vector<Case> byMode;
  for (const Mode &m : kModes) {
    std::vector<Case> byMedia;
    for (const std::vector<int32_t> *list : {&m.firstList, &m.secondList})
      for (int32_t media : *list) byMedia.push_back(is(media, ByMedia(b, m, media)));
    byMode.push_back(
        is(m.mode, b.sequence({b.ints(0x4002, MediaPairs(m.firstList)),
                               b.ints(0x4003, MediaPairs(m.secondList)), b.select(1, byMedia)})));
  }
  NodeRef tree = b.select(0, byMode);
  b.key(0x4002, "first (media, number) pairs of the mode", tree);
  b.key(0x4003, "second (media, number) pairs of the mode", tree);
  b.key(0x4004, "first triple by mode and media", tree);
  b.key(0x4005, "second triple by mode and media", tree);
  b.key(0x4006, "pair by mode, media and ink count", tree);
  b.key(0x4007, "numbers by mode, media and ink count", tree);

  b.key(0x4008, "fixed PA id 10102", b.ints(0x4008, {10102}));
}

} // namespace imagec
