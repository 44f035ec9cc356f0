// Driver keys outside the paper-size and print-setting trees: fixed
// answers, small selects on single settings, and the trees that 0x1007,
// 0x1009, 0x1012 and 0x102D share with their sibling keys.
#include "driver_content.h"

#include <algorithm>
#include <numeric>

namespace imagec::driver {

namespace {

using Values = std::vector<int64_t>;

void Fixed(ImageBuilder &b) {
  const std::pair<Key, Values> kFixed[] = {
      {0x1005, {24130, 58420}},
      {0x1006, {10000, 10000}},
      {0x100B, {4, 5, 81, 7, 8, 6}}, // the order in which the settings depend on one another
      {0x1010, PaperSizes(true)},    // the printable sizes
      {0x1011, PaperSizes(false)},   // all sizes
      {0x1017, {1, 2, 3, 4, 5}},
      {0x1020, {0, 28, 5, 1, 5, 28}},
      {0x1023, {4, 4, 5, 1, 81, 0, 7, 7, 8, 4, 18, 0, 17, 2}}, // (setting, default) pairs
      {0x1024, {42000, 59400}},
      {0x1025, {1}},
      {0x102B, {21001, 21002, 21003, 21011, 21013}},
      {0x102C, {21031, 21041, 21042, 21067, 21043, 21051, 21052, 21053, 21054}},
      {0x1031, {17810}},
      {0x1037, {1}},
      {0x1039, {60}},
      {0x103D, {59}},
      {0x103F, {1, 15601, 1, 14, 2, 15602, 2, 18, 3, 15605, 3, 22}},
      {0x1043, {-2}},
      {0x1049, {16402, 16645}},
      {0x104B, {0}},
      {0x104C, {0}},
      {0x104E, {0}},
      {0x104F, {1}},
      {0x1056, {1}},
  };
  for (const auto &[key, values] : kFixed) b.key(key, b.ints(key, values));

  const std::pair<Key, std::string_view> kNames[] = {
      {0x101F, "tpqxprn.icm"},  {0x1035, "tpxop1o.dll"}, {0x103B, "tpxd21o.dll"},
      {0x1042, "tpb_04K7.tbl"}, {0x1048, "tpxrh1o.dll"},
  };
  for (const auto &[key, name] : kNames) b.key(key, b.wide(key, name));

  constexpr uint16_t kPrintableArea = 3; // CV_PRINTABLE_AREA
  b.key(0x1032, b.computed(0x1032, kPrintableArea));
}

// 0x1007 with 0x103A, 0x500B and 0x500C, per ink count.
void InkCountTree(ImageBuilder &b) {
  std::vector<NodeRef> guards;
  for (int32_t ink : {4, 6})
    guards.push_back(
        b.guard(uint16_t(ink), {
                                   b.select(9, {is(0, b.ints(0x1007, {24})), is(1, b.ints(0x1007, {8}))}),
                                   b.ints(0x103A, {ink}),
                                   b.ints(0x500B, {1}),
                                   b.ints(0x500C, {20000 + ink}),
                               }));
  NodeRef root = b.guarded(4, guards);
  for (Key k : std::initializer_list<Key>{0x1007, 0x103A, 0x500B, 0x500C}) b.key(k, root);
}

// 0x1009 with 0x103E and 0x1041: I[9], then I[19], then I[18].
void OptionTree(ImageBuilder &b) {
  NodeRef recordsA =
      b.ints(0x103E, {0, 17402, 2102, 3, 1, 17403, 2103, 3, 2, 17404, 2104, 3, 3, 17401, 2101, 0});
  NodeRef recordsB =
      b.ints(0x103E, {0, 17402, 2102, 0, 1, 17403, 2103, 0, 2, 17404, 2104, 2, 3, 17401, 2101, 0});
  NodeRef i19is1 = b.sequence(
      {b.ints(0x1009, {1, 1, 1, 1, 1, 1, 0, 0, -1}), recordsA, b.ints(0x1041, {16, 3, 17, 1, 18, 1})});
  NodeRef byI18 =
      b.select(18, {
                       is(3, b.sequence({b.ints(0x1009, {1, 1, 1, 1, 1, 1, 1, 0, -1}), recordsB})),
                       otherwise(b.sequence({b.ints(0x1009, {1, 1, 1, 1, 1, 1, 1, 1, -1}), recordsB})),
                   });
  NodeRef i9other =
      b.sequence({b.ints(0x1009, {0, 0, 0, 0, 1, 0, 0, 0, -1}), recordsB, b.ints(0x1041, {17, 2})});
  NodeRef root = b.select(9, {is(0, b.select(19, {is(1, i19is1), otherwise(byI18)})), otherwise(i9other)});
  for (Key k : std::initializer_list<Key>{0x1009, 0x103E, 0x1041}) b.key(k, root);
}

// 0x1012, the allowed paper sources, with its mark pair 0x5002.
void PaperSourceTree(ImageBuilder &b) {
  NodeRef bothSources = b.sequence({b.ints(0x1012, {4, 7}), b.ints(0x5002, {7, 2})});
  std::vector<Case> byMedia;
  for (int32_t media : kMediaTypes)
    byMedia.push_back(
        is(media, media == 275 ? b.sequence({b.ints(0x1012, {4, 7}), b.ints(0x5002, {4, 2})}) : bothSources));
  NodeRef root = b.select(52, {
                                  is(5, b.sequence({b.ints(0x1012, {7}), b.ints(0x5002, {7, 1})})),
                                  otherwise(b.select(5, byMedia)),
                              });
  b.key(0x1012, root);
  b.key(0x5002, root);
}

// 0x102D with 0x102E: I[52], then I[7].
void MarginSourceTree(ImageBuilder &b) {
  NodeRef full = b.sequence({b.ints(0x102D, {21003}), b.ints(0x102E, {21067})});
  NodeRef bySource = b.select(7, {
                                     is(7, b.ints(0x102E, {21041, 21042})),
                                     is(4, b.ints(0x102E, {21043})),
                                     otherwise(b.ints(0x102E, {21044})),
                                 });
  NodeRef root =
      b.select(52, {is(5, full), otherwise(b.sequence({b.ints(0x102D, {21001, 21002}), bySource}))});
  b.key(0x102D, root);
  b.key(0x102E, root);
}

// A select on one setting: each listed value answers its own leaf; the
// others the default leaf when there is one, status 1 otherwise.
struct Choice {
  std::vector<int32_t> values;
  Values answer;
};

NodeRef Select(ImageBuilder &b, Key key, uint16_t param, const std::vector<Choice> &choices,
               const Values *otherwiseAnswer) {
  std::vector<Case> cases;
  for (const Choice &c : choices) {
    NodeRef leaf = b.ints(key, c.answer);
    for (int32_t v : c.values) cases.push_back(is(v, leaf));
  }
  if (otherwiseAnswer) cases.push_back(otherwise(b.ints(key, *otherwiseAnswer)));
  return b.select(param, cases);
}

void SettingSelects(ImageBuilder &b) {
  const Values zero = {0};
  b.key(0x100A, Select(b, 0x100A, 5, {{{1}, {1}}}, &zero));
  b.key(0x1028, Select(b, 0x1028, 5, {{{258, 273}, {1}}}, &zero));
  b.key(0x102A, Select(b, 0x102A, 52, {{{5}, {1}}}, &zero));
  b.key(0x102F, Select(b, 0x102F, 20, {{{2}, {21053, 21054}}, {{1}, {21051, 21052}}}, nullptr));

  // The two directions of one pairing: I[0] = 1 maps a media to the paper
  // sizes it goes with, I[0] = 0 a paper size to its media.
  b.key(0x1021, b.select(0, {
                                is(1, Select(b, 0x1021, 5, {{{279}, {1, 275}}}, nullptr)),
                                is(0, Select(b, 0x1021, 28, {{{275}, {1, 279}}}, nullptr)),
                            }));
  b.key(
      0x1022,
      b.select(0, {
                      is(1, Select(b, 0x1022, 5,
                                   {{{263}, {270, 271}}, {{270, 283, 262}, {43}}, {{279}, {275}}}, nullptr)),
                      is(0, Select(b, 0x1022, 28,
                                   {{{270, 271}, {263}}, {{275}, {279}}, {{43}, {262, 283, 270}}}, nullptr)),
                  }));

  // 0x1026 by margin mode, media and paper source.
  NodeRef byMedia = [&] {
    const std::vector<int32_t> k21011 = {1, 277, 271, 276, 279, 258, 2};
    const std::vector<int32_t> k21013 = {283, 262, 270, 259, 273, 263, 275};
    NodeRef answer21011 = Select(b, 0x1026, 7, {{{4, 7}, {21011}}}, nullptr);
    NodeRef answer21013 = Select(b, 0x1026, 7, {{{4, 7}, {21013}}}, nullptr);
    std::vector<Case> cases;
    for (int32_t media : kMediaTypes) {
      bool is21011 = std::find(k21011.begin(), k21011.end(), media) != k21011.end();
      cases.push_back(is(media, is21011 ? answer21011 : answer21013));
    }
    return b.select(5, cases);
  }();
  b.key(0x1026, b.select(52, {is(5, Select(b, 0x1026, 7, {{{7}, {21011}}}, nullptr)), otherwise(byMedia)}));
}

// Key 0x1046's 533-byte block; the module only stores it. After the
// five header bytes each byte holds its offset mod 256; the variant for
// most media adds 1 to the 24 bytes at offsets 200-223. The last byte is
// the low 8 bits of the sum of the 532 before it, so the two variants
// differ in 25 bytes.
std::string Block1046(bool forMostMedia) {
  std::string block("\x15\x02\x0A\x28\x80", 5);
  while (block.size() < 532) {
    size_t offset = block.size();
    bool raised = forMostMedia && offset >= 200 && offset < 224;
    block.push_back(char(uint8_t(offset + (raised ? 1 : 0))));
  }
  uint32_t sum =
      std::accumulate(block.begin(), block.end(), 0u, [](uint32_t s, char c) { return s + uint8_t(c); });
  block.push_back(char(uint8_t(sum)));
  return block;
}

void Block1046Tree(ImageBuilder &b) {
  NodeRef few = b.bytes(0x1046, Block1046(false));
  std::vector<Case> cases;
  for (int32_t media : {1, 262, 263, 275, 383, 278}) cases.push_back(is(media, few));
  cases.push_back(otherwise(b.bytes(0x1046, Block1046(true))));
  b.key(0x1046, b.select(5, cases));
}

} // namespace

void AddOtherDriverKeys(ImageBuilder &b) {
  Fixed(b);
  InkCountTree(b);
  OptionTree(b);
  PaperSourceTree(b);
  MarginSourceTree(b);
  SettingSelects(b);
  Block1046Tree(b);
}

} // namespace imagec::driver
