// Driver keys outside the paper-size and print-setting trees: fixed
// answers, small selects on single settings, and the trees that 0x1007,
// 0x1009, 0x1012 and 0x102D share with their sibling keys.
#include "driver_content.h"

#include <algorithm>
#include <numeric>

namespace imagec::driver {

namespace {

using Values = std::vector<int64_t>;

void FixedKeys(ImageBuilder &b) {
  struct Fixed {
    Key key;
    const char *name;
    Values values;
  };
  const Fixed kFixed[] = {
      {0x1005, "fixed driver pair [24130, 58420]", {24130, 58420}},
      {0x1006, "fixed driver pair [10000, 10000]", {10000, 10000}},
      {0x100B,
       "order in which the settings depend on one another",
       {4, 5, 81, 7, 8, 6}}, // the order in which the settings depend on one another
      {0x1010, "printable paper sizes", PaperSizes(true)}, // the printable sizes
      {0x1011, "all paper sizes", PaperSizes(false)},      // all sizes
      {0x1017, "print qualities 1-5", {1, 2, 3, 4, 5}},
      {0x1020, "fixed driver numbers [0, 28, 5, 1, 5, 28]", {0, 28, 5, 1, 5, 28}},
      {0x1023,
       "driver's default settings (slot, value pairs)",
       {4, 4, 5, 1, 81, 0, 7, 7, 8, 4, 18, 0, 17, 2}}, // (setting, default) pairs
      {0x1024, "fixed driver pair [42000, 59400]", {42000, 59400}},
      {0x1025, "fixed driver number", {1}},
      {0x102B, "fixed driver ids 21001-21013", {21001, 21002, 21003, 21011, 21013}},
      {0x102C,
       "fixed driver ids 21031-21054",
       {21031, 21041, 21042, 21067, 21043, 21051, 21052, 21053, 21054}},
      {0x1031, "fixed driver id 17810", {17810}},
      {0x1037, "fixed driver number", {1}},
      {0x1039, "fixed driver number", {60}},
      {0x103D, "fixed driver number", {59}},
      {0x103F, "fixed driver records of four", {1, 15601, 1, 14, 2, 15602, 2, 18, 3, 15605, 3, 22}},
      {0x1043, "fixed driver number", {-2}},
      {0x1049, "fixed driver ids 16402, 16645", {16402, 16645}},
      {0x104B, "fixed driver number", {0}},
      {0x104C, "fixed driver number", {0}},
      {0x104E, "list for the item-list service (one item, 0)", {0}},
      {0x104F, "fixed driver number", {1}},
      {0x1056, "fixed driver number", {1}},
  };
  for (const Fixed &f : kFixed) b.key(f.key, f.name, b.ints(f.key, f.values));

  const std::pair<Key, std::pair<const char *, std::string_view>> kNames[] = {
      {0x101F, {"colour profile file name", "tpqxprn.icm"}},
      {0x1035, {"DLL name tpxop1o.dll", "tpxop1o.dll"}},
      {0x103B, {"DLL name tpxd21o.dll", "tpxd21o.dll"}},
      {0x1042, {"colour table file name", "tpb_04K7.tbl"}},
      {0x1048, {"DLL name tpxrh1o.dll", "tpxrh1o.dll"}},
  };
  for (const auto &[key, named] : kNames) b.key(key, named.first, b.wide(key, named.second));

  b.key(0x1032, "printable area of the caller's paper",
        b.computed(0x1032, m4k7::ComputedValueId::CV_PRINTABLE_AREA));
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
  b.key(0x1007, "fixed driver number by I[9] (24 or 8)", root);
  b.key(0x103A, "the ink count itself", root);
  b.key(0x500B, "attr3 of the ink-count items", root);
  b.key(0x500C, "attr2 of the ink-count items", root);
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
  b.key(0x1009, "nine switches by I[9], I[19], I[18]", root);
  b.key(0x103E, "four records of four ids by I[9], I[19]", root);
  b.key(0x1041, "number pairs by I[9], I[19]", root);
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
  b.key(0x1012, "allowed paper sources", root);
  b.key(0x5002, "mark pair of the paper-source list", root);
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
  b.key(0x102D, "ids by margin mode", root);
  b.key(0x102E, "ids by margin mode and paper source", root);
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
  b.key(0x100A, "1 for media 1, else 0", Select(b, 0x100A, 5, {{{1}, {1}}}, &zero));
  b.key(0x1028, "1 for media 258 and 273, else 0", Select(b, 0x1028, 5, {{{258, 273}, {1}}}, &zero));
  b.key(0x102A, "1 for margin mode 5 (full-length page), else 0", Select(b, 0x102A, 52, {{{5}, {1}}}, &zero));
  b.key(0x102F, "ids by I[20]",
        Select(b, 0x102F, 20, {{{2}, {21053, 21054}}, {{1}, {21051, 21052}}}, nullptr));

  // The two directions of one pairing: I[0] = 1 maps a media to the paper
  // sizes it goes with, I[0] = 0 a paper size to its media.
  b.key(0x1021, "pairing of media 279 and paper size 275",
        b.select(0, {
                        is(1, Select(b, 0x1021, 5, {{{279}, {1, 275}}}, nullptr)),
                        is(0, Select(b, 0x1021, 28, {{{275}, {1, 279}}}, nullptr)),
                    }));
  b.key(
      0x1022, "media and paper sizes that go together",
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
  b.key(0x1026, "id by margin mode, media and paper source",
        b.select(52, {is(5, Select(b, 0x1026, 7, {{{7}, {21011}}}, nullptr)), otherwise(byMedia)}));
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
  b.key(0x1046, "533-byte block by media", b.select(5, cases));
}

} // namespace

void AddOtherDriverKeys(ImageBuilder &b) {
  FixedKeys(b);
  InkCountTree(b);
  OptionTree(b);
  PaperSourceTree(b);
  MarginSourceTree(b);
  SettingSelects(b);
  Block1046Tree(b);
}

} // namespace imagec::driver
