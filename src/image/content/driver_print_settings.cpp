// The driver's print settings follow one chain, I[4] ink count, I[9], I[5]
// media, I[81], I[8] print quality, I[6]; two trees walk it. The list tree
// answers which values each setting may take at its level (with the mark
// pair the list service puts on one of them); the print-mode tree answers
// what a complete choice prints with, down to the print-mode command.
#include "driver_content.h"

#include <algorithm>

namespace imagec::driver {

namespace {

using Values = std::vector<int64_t>;

struct Qualities {
  Values allowed; // 0x1016
  Values mark;    // 0x5005
};

// Which print qualities each media allows, by ink count.
struct MediaQualities {
  int32_t media;
  Qualities fourInks;
  Qualities sixInks;
};

const MediaQualities kMediaQualities[] = {
    {1, {{2, 3, 4, 5}, {4, 1}}, {{1, 2, 4, 5}, {4, 1}}},
    {277, {{1, 2, 3}, {3, 1}}, {{1, 2}, {2, 1}}},
    {271, {{1, 2, 3, 4}, {3, 1}}, {{1, 2, 4}, {2, 1}}},
    {283, {{2, 3}, {3, 1}}, {{1, 2}, {2, 1}}},
    {262, {{2, 3, 4}, {3, 1}}, {{1, 2, 4}, {2, 1}}},
    {270, {{2, 3}, {3, 1}}, {{1, 2}, {2, 1}}},
    {276, {{2, 3}, {3, 1}}, {{1, 2}, {2, 1}}},
    {279, {{1, 2, 3}, {3, 1}}, {{1, 2}, {2, 1}}},
    {259, {{3}, {3, 1}}, {{3}, {3, 1}}},
    {273, {{3}, {3, 1}}, {{3}, {3, 1}}},
    {258, {{3}, {3, 1}}, {{3}, {3, 1}}},
    {2, {{3, 4}, {3, 1}}, {{3, 4}, {3, 1}}},
    {263, {{2, 3, 4}, {4, 1}}, {{1, 2, 4}, {4, 1}}},
    {275, {{2, 3, 4}, {2, 1}}, {{1, 2, 4}, {1, 1}}},
};

// A value that may depend on the media: the first entry whose media list
// holds the media applies; an entry without media applies to all.
struct ForMedia {
  std::vector<int32_t> media;
  Values value;
};
using ByMedia = std::vector<ForMedia>;
ForMedia only(std::vector<int32_t> media, Values value) { return {std::move(media), std::move(value)}; }
ForMedia others(Values value) { return {{}, std::move(value)}; }

const Values &Pick(const ByMedia &cell, int32_t media) {
  for (const ForMedia &entry : cell)
    if (entry.media.empty() || std::find(entry.media.begin(), entry.media.end(), media) != entry.media.end())
      return entry.value;
  static const Values kNone;
  return kNone;
}

// What a print quality prints with, by ink count.
struct QualityValues {
  int32_t ink, quality;
  Values resolution; // 0x1008
  ByMedia settings;  // 0x1015
  ByMedia modes;     // 0x1014: the allowed I[6] values
  ByMedia attr1;     // 0x5006, read per item of 0x1016
  ByMedia attr2;     // 0x5007, likewise
};

const std::vector<QualityValues> &QualityTable() {
  static const std::vector<QualityValues> kTable = {
      {4, 1, {720, 720}, {others({0, 1, 0, 0})}, {others({3, 1})}, {others({0})}, {others({-4})}},
      {4,
       2,
       {720, 720},
       {others({0, 2, 0, 0})},
       {others({3, 1})},
       {only({1, 275}, {1}), others({0})},
       {others({-4})}},
      {4,
       3,
       {360, 360},
       {others({0, 3, 0, 0})},
       {others({3, 1})},
       {only({1, 275}, {0}), only({2, 258, 259, 273}, {2}), others({1})},
       {only({2, 258, 259, 273}, {-3}), others({-4})}},
      {4,
       4,
       {360, 360},
       {only({2}, {0, 4, 0, 0}), others({4, 4, 0, 0})},
       {only({2}, {3, 1}), others({3, 2, 1})},
       {only({2, 271}, {0}), others({2})},
       {only({271}, {-4}), others({-3})}},
      {4, 5, {180, 180}, {others({5, 0, 0, 0})}, {others({3, 2})}, {others({3})}, {others({-2})}},
      {6,
       1,
       {720, 720},
       {others({0, 1, 0, 0})},
       {others({3, 1})},
       {only({1, 275}, {1}), others({0})},
       {others({-4})}},
      {6,
       2,
       {360, 360},
       {others({0, 2, 0, 0})},
       {others({3, 1})},
       {only({1, 275}, {0}), others({1})},
       {others({-4})}},
      {6, 3, {360, 360}, {others({0, 3, 0, 0})}, {others({3, 1})}, {others({2})}, {others({-3})}},
  };
  return kTable;
}

// With six inks, qualities 4 and 5 print exactly as with four.
const QualityValues &ValuesOf(int32_t ink, int32_t quality) {
  if (ink == 6 && quality >= 4) ink = 4;
  for (const QualityValues &row : QualityTable())
    if (row.ink == ink && row.quality == quality) return row;
  return QualityTable().front(); // every allowed quality has a row
}

const Qualities &QualitiesOf(const MediaQualities &m, int32_t ink) {
  return ink == 4 ? m.fourInks : m.sixInks;
}

constexpr int32_t kInkCounts[] = {4, 6};
constexpr int32_t kI9Values[] = {0, 1};

// List tree below one ink count and media: the media's lists, then per quality.
NodeRef MediaLists(ImageBuilder &b, int32_t ink, const MediaQualities &m) {
  const Qualities &q = QualitiesOf(m, ink);
  std::vector<Case> byQuality;
  for (int64_t quality : q.allowed)
    byQuality.push_back(
        is(int32_t(quality), b.sequence({
                                 b.ints(0x1014, Pick(ValuesOf(ink, int32_t(quality)).modes, m.media)),
                                 b.ints(0x500D, {3, 1}),
                             })));
  NodeRef qualityLists =
      b.sequence({b.ints(0x1016, q.allowed), b.ints(0x5005, q.mark), b.select(8, byQuality)});
  return b.sequence({b.ints(0x104D, {0}), b.ints(0x5010, {0, 1}), b.select(81, {is(0, qualityLists)})});
}

NodeRef ListTree(ImageBuilder &b) {
  Values mediaList(std::begin(kMediaTypes), std::end(kMediaTypes));
  std::vector<Case> byInk;
  for (int32_t ink : kInkCounts) {
    std::vector<Case> byMedia;
    for (const MediaQualities &m : kMediaQualities) byMedia.push_back(is(m.media, MediaLists(b, ink, m)));
    // The lists do not depend on I[9]; both of its branches share them.
    NodeRef media = b.sequence({b.ints(0x100E, mediaList), b.ints(0x5004, {1, 1}), b.select(5, byMedia)});
    std::vector<Case> byI9;
    for (int32_t i9 : kI9Values) byI9.push_back(is(i9, media));
    byInk.push_back(is(ink, b.select(9, byI9)));
  }
  return b.sequence({b.ints(0x100C, {4, 6}), b.ints(0x5003, {4, 1}), b.select(4, byInk)});
}

// Print-mode tree below one quality: the per-quality answers, then I[6],
// whose allowed values all lead to the same resolution and command.
NodeRef QualityModes(ImageBuilder &b, int32_t ink, int32_t i9, int32_t media, int32_t quality) {
  const QualityValues &v = ValuesOf(ink, quality);
  NodeRef printWith = b.sequence(
      {b.ints(0x1008, v.resolution), b.bytes(kFragmentKey, PrintModeCommand(ink, i9, media, quality))});
  std::vector<Case> byMode;
  for (int64_t mode : Pick(v.modes, media)) byMode.push_back(is(int32_t(mode), printWith));
  return b.sequence({
      b.ints(0x5006, Pick(v.attr1, media)),
      b.ints(0x5007, Pick(v.attr2, media)),
      b.ints(0x1015, Pick(v.settings, media)),
      b.ints(0x1038, {33, 161}),
      b.select(6, byMode),
  });
}

NodeRef PrintModeTree(ImageBuilder &b) {
  std::vector<Case> byInk;
  for (int32_t ink : kInkCounts) {
    std::vector<Case> byI9;
    for (int32_t i9 : kI9Values) {
      std::vector<Case> byMedia;
      for (const MediaQualities &m : kMediaQualities) {
        std::vector<Case> byQuality;
        for (int64_t quality : QualitiesOf(m, ink).allowed)
          byQuality.push_back(is(int32_t(quality), QualityModes(b, ink, i9, m.media, int32_t(quality))));
        byMedia.push_back(is(m.media, b.select(81, {is(0, b.select(8, byQuality))})));
      }
      byI9.push_back(is(i9, b.select(5, byMedia)));
    }
    byInk.push_back(is(ink, b.select(9, byI9)));
  }
  return b.select(4, byInk);
}

} // namespace

const std::vector<int64_t> &AllowedQualities(int32_t ink, int32_t media) {
  for (const MediaQualities &m : kMediaQualities)
    if (m.media == media) return QualitiesOf(m, ink).allowed;
  static const Values kNone;
  return kNone;
}

const std::vector<int64_t> &AllowedModes(int32_t ink, int32_t media, int32_t quality) {
  return Pick(ValuesOf(ink, quality).modes, media);
}

NodeRef AddPrintSettingTrees(ImageBuilder &b) {
  NodeRef lists = ListTree(b);
  b.key(0x100C, "allowed ink counts", lists);
  b.key(0x100E, "allowed media types", lists);
  b.key(0x1014, "allowed I[6] values for the print quality", lists);
  b.key(0x1016, "allowed print qualities for the media", lists);
  b.key(0x104D, "list for the item-list service by media (one item, 0)", lists);
  b.key(0x5003, "mark pair of the ink-count list", lists);
  b.key(0x5004, "mark pair of the media list", lists);
  b.key(0x5005, "mark pair of the print-quality lists", lists);
  b.key(0x500D, "mark pair of the I[6] list", lists);
  b.key(0x5010, "mark pair of keys 4173 and 4174", lists);
  NodeRef modes = PrintModeTree(b);
  b.key(0x1008, "resolution [x, y] of the print mode", modes);
  b.key(0x1015, "four print-mode values", modes);
  b.key(0x1038, "print-mode pair [33, 161]", modes);
  b.key(0x5006, "attr1 of the print-quality items", modes);
  b.key(0x5007, "attr2 of the print-quality items", modes);
  return modes;
}

} // namespace imagec::driver
