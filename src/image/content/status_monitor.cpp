// The status monitor's keys (0x6001-0x6019). The monitor first turns the
// printer's reported codes (status class I[0], code text S[5]) into a status
// number with keys 0x6002-0x6005 and 0x6008, then asks 0x6001 for the display
// record of that number (I[5]). -1 means no status; 0x80000001 is the status
// used when nothing else applies.
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "content.h"
#include "monitor_cartridges.h"

namespace imagec {

namespace {

using monitor::CartridgePairs;
using monitor::Holds;

constexpr int64_t Bits(uint32_t pattern) { return int32_t(pattern); }

constexpr int64_t kNoStatus = -1;
constexpr int64_t kOtherStatus = Bits(0x80000001);
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

constexpr uint16_t kClass = 0;  // I[0]
constexpr uint16_t kCode = 5;   // S[5]
constexpr uint16_t kPair = 1;   // S[1]
constexpr uint16_t kStatus = 5; // I[5]

struct TextsTo {
  std::vector<std::string_view> texts;
  std::vector<int64_t> values;
};

// A select on the code text S[5]: each listed text to its values, the rest to
// the fallback (or status 1 without one).
NodeRef ByCode(ImageBuilder &b, Key k, const std::vector<TextsTo> &rows,
               const std::vector<int64_t> *fallback) {
  std::vector<StringCase> cases;
  for (const TextsTo &r : rows) {
    NodeRef leaf = b.ints(k, r.values);
    for (std::string_view t : r.texts) cases.push_back(text(t, leaf));
  }
  if (fallback) cases.push_back(anyText(b.ints(k, *fallback)));
  return b.selectString(kCode, cases);
}

// 0x6001: the display record [0, class, text, 1, 1, extra] of a status,
// cases in the order of the display table. Some extras depend on I[9], I[3]
// or the cartridge pair in S[1].
void AddDisplayRecords(ImageBuilder &b) {
  constexpr Key k = 0x6001;
  struct PairExtra {
    std::string_view pair;
    int64_t extra;
  };
  auto record = [&](int64_t cls, int64_t textNumber, int64_t extra) {
    return b.ints(k, {0, cls, textNumber, 1, 1, extra});
  };
  // I[9] 16 and 17 have extras of their own.
  auto byI9 = [&](NodeRef at16or17, NodeRef other) {
    return b.select(9, {is(16, at16or17), is(17, at16or17), otherwise(other)});
  };
  auto byPair = [&](int64_t cls, int64_t textNumber, const std::vector<PairExtra> &pairs, int64_t other) {
    std::vector<StringCase> cases;
    for (const PairExtra &p : pairs) cases.push_back(text(p.pair, record(cls, textNumber, p.extra)));
    cases.push_back(anyText(record(cls, textNumber, other)));
    return b.selectString(kPair, cases);
  };
  const std::vector<PairExtra> kPairs28 = {
      {"VC,BK", 27132}, {"VC,VL", 27133}, {"NO,SC", 27134}, {"VC,SC", 27135}};
  auto status30 = [&](int64_t e) { return b.ints(k, {0, 4201, 7233, 2, 2, 27102, e, 2, 27102, 27126}); };

  const std::pair<std::vector<int64_t>, NodeRef> kDisplays[] = {
      {{2}, byI9(record(4203, 7202, 27118), record(4203, 7202, 27117))},
      {{3}, record(4203, 7203, 27120)},
      {{4}, record(4203, 7205, 27114)},
      {{7}, record(4203, 7209, 27102)},
      {{8}, record(4203, 7210, 27102)},
      {{9}, record(4201, 7211, 27102)},
      {{10}, record(4201, 6004, 27118)},
      {{20}, record(4203, 6001, 27102)},
      {{23}, record(4203, 6001, 27140)},
      {{24, 63}, record(4203, 6001, 27139)},
      {{25}, b.select(3, {is(5604, record(4203, 6001, 27139)), is(5606, record(4203, 6001, 27140))})},
      {{26}, record(4201, 7227, 27102)},
      {{27}, record(4201, 7228, 27102)},
      {{28}, byPair(4203, 7229, kPairs28, 27107)},
      {{29}, record(4201, 7232, 27102)},
      {{30}, byI9(status30(27124), status30(27123))},
      {{31}, record(4201, 7234, 27102)},
      {{32}, byPair(4203, 7231, kPairs28, 27107)},
      {{53}, record(4202, 7236, 27102)},
      {{54}, record(4203, 7237, 27102)},
      {{57}, record(4203, 7238, 27102)},
      {{58}, record(4203, 7239, 27102)},
      {{59}, record(4203, 7240, 27102)},
      {{62}, record(4203, 7241, 27102)},
      {{64}, record(4203, 7243, 27102)},
      {{65}, record(4203, 7244, 27102)},
      {{66}, record(4203, 7245, 27102)},
      {{70}, record(4201, 7249, 27102)},
      {{75}, byPair(4203, 7205, {{"VC,BK", 27144}, {"VC,VL", 27149}}, 27114)},
      {{78}, byPair(4203, 7205, {{"VC,BK", 27147}, {"VC,SC", 27158}, {"VC,VL", 27152}}, 27114)},
      {{79}, byPair(4203, 7205, {{"VC,BK", 27146}, {"VC,SC", 27157}, {"VC,VL", 27151}}, 27114)},
      {{80}, byPair(4203, 7205, {{"VC,BK", 27145}, {"VC,SC", 27156}, {"VC,VL", 27150}}, 27114)},
      {{88}, record(4203, 7205, 27149)},
      {{91}, record(4203, 7205, 27153)},
      {{92}, record(4203, 7205, 27154)},
      {{102}, record(4203, 7251, 27102)},
      {{kNoStatus}, b.ints(k, {0, 4201, 7235})}, // three values only
      {{kOtherStatus}, record(4202, 7201, 27102)},
  };
  std::vector<Case> cases;
  for (const auto &[statuses, answer] : kDisplays)
    for (int64_t s : statuses) cases.push_back(is(int32_t(s), answer));
  b.key(k, "display record of a status number", b.select(kStatus, cases));
}

// 0x6002-0x6005: status pairs from the code text of each status class.
void AddCodeKeys(ImageBuilder &b) {
  const std::vector<int64_t> kNone = {kNoStatus, kNoStatus};

  const std::vector<int64_t> kOther6002 = {kOtherStatus, 4};
  b.key(0x6002, "status pair from the code text, class 1",
        b.select(kClass, {is(1, ByCode(b, 0x6002, {{{"5B00"}, {53, 3}}, {{"NO", "UK"}, kNone}}, &kOther6002)),
                          otherwise(b.ints(0x6002, kOther6002))}));

  const std::vector<int64_t> kOther6003 = {7, 22};
  const std::vector<TextsTo> kErrors = {
      {{"1000"}, {2, 36}},
      {{"1100", "1452", "1453", "1454", "1462", "1463", "1464", "1472", "1473", "1474", "1920", "2500"},
       {7, 21}},
      {{"1200", "1445"}, {32, 35}},
      {{"1300", "1301"}, {3, 30}},
      {{"1400", "1401", "1410", "1411", "1412", "1413", "1420", "1421", "1422",
        "1423", "1424", "1425", "1430", "1431", "1432", "1433", "1434", "1435",
        "1450", "1451", "1460", "1461", "1471", "1480", "1490"},
       {20, 32}},
      {{"1440"}, {7, 33}},
      {{"1600"}, {4, 41}},
      {{"1601", "1661"}, {75, 41}},
      {{"1611", "1663"}, {78, 41}},
      {{"1612", "1664"}, {79, 41}},
      {{"1613", "1665"}, {80, 41}},
      {{"1631"}, {88, 41}},
      {{"1634", "1674"}, {91, 41}},
      {{"1635", "1675"}, {92, 41}},
      {{"1700"}, {54, 20}},
      {{"1815", "DS", "NO", "OF", "UK"}, kNone},
  };
  b.key(0x6003, "status pair from the error code text, class 2",
        b.select(kClass,
                 {is(2, ByCode(b, 0x6003, kErrors, &kOther6003)), otherwise(b.ints(0x6003, kOther6003))}));

  b.key(0x6004, "status pair from the code text, class 3",
        b.select(kClass,
                 {is(3, ByCode(b, 0x6004,
                               {{{"1805"}, {7, 11}}, {{"1900", "1910"}, {7, 61}}, {{"NO", "UK"}, kNone}},
                               nullptr))}));

  // 0x6005: operation states. Some answer only while I[11] is zero, others
  // only while it is not; every other state or class gives [8, -1].
  constexpr Key k = 0x6005;
  NodeRef idle = b.ints(k, {8, -1});
  auto whenZero = [&](std::vector<int64_t> values) {
    return b.select(11, {is(0, b.ints(k, values)), otherwise(idle)});
  };
  auto whenNonZero = [&](std::vector<int64_t> values) {
    NodeRef leaf = b.ints(k, values);
    return b.select(11, {range(1, kMax, leaf), range(kMin, -1, leaf), otherwise(idle)});
  };
  auto states = [&](std::vector<std::pair<std::vector<std::string_view>, NodeRef>> rows) {
    std::vector<StringCase> cases;
    for (const auto &[texts, answer] : rows)
      for (std::string_view t : texts) cases.push_back(text(t, answer));
    cases.push_back(anyText(idle));
    return b.selectString(kCode, cases);
  };
  NodeRef printing = b.ints(k, {30, 78});
  NodeRef busy = b.ints(k, {62, 1});
  NodeRef resting = b.ints(k, {27, 71});
  b.key(k, "status pair from the operation state",
        b.select(kClass, {
                             is(4, states({{{"CC"}, b.ints(k, {28, 34})},
                                           {{"CL"}, b.ints(k, {29, 77})},
                                           {{"DS"}, busy},
                                           {{"SL", "WU"}, resting},
                                           {{"TP"}, printing}})),
                             is(5, states({{{"DP", "EJ", "LD", "PR"}, whenZero({30, 78})},
                                           {{"ID", "NO"}, b.ints(k, {31, 81})}})),
                             is(2, states({{{"DS"}, busy}})),
                             is(15, states({{{"11"}, whenNonZero({62, 1})},
                                            {{"20", "21"}, whenNonZero({26, 0})},
                                            {{"30", "31"}, whenNonZero({27, 71})}})),
                             otherwise(idle),
                         }));
}

// 0x6006 and 0x6018: by the configuration record of LM key 0x2001 (its
// configuration number in I[2] and its 56xx codes in I[3]).
void AddConfigurationKeys(ImageBuilder &b) {
  constexpr Key k = 0x6006;
  NodeRef plain = b.ints(k, {10, 51, 0});
  std::vector<Case> byCode;
  for (int32_t code : {5604, 5606}) byCode.push_back(is(code, b.ints(k, {25, 31, 1, code})));
  b.key(k, "record by configuration number",
        b.select(2, {
                        is(5019, plain),
                        is(5026, plain),
                        is(5029, b.ints(k, {63, 31, 0})),
                        is(5011, b.ints(k, {20, 31, 0})),
                        is(5015, b.select(3, {is(5619, b.ints(k, {23, 31, 2, 5603, 6108}))})),
                        is(5014, b.select(3, {is(5621, b.ints(k, {24, 31, 2, 5601, 6109}))})),
                        is(5028, b.select(3, byCode)),
                        otherwise(b.select(10, {is(2, b.ints(k, {57, 2, 0}))})),
                    }));

  // 0x6018: the fifth value is the I[16] selector of 0x6019. Under 5028 the
  // seventh value tells a pair holding an SC cartridge from the others.
  constexpr Key s = 0x6018;
  std::vector<Case> by5028;
  for (int32_t code : {5604, 5606}) {
    std::vector<StringCase> pairs;
    NodeRef withSC = b.ints(s, {5203, 2, 0, 0, 257, 6609, 5624, code});
    for (const std::string &pair : CartridgePairs())
      if (Holds(pair, "SC")) pairs.push_back(text(pair, withSC));
    pairs.push_back(anyText(b.ints(s, {5203, 2, 0, 0, 257, 6609, 5614, code})));
    by5028.push_back(is(code, b.selectString(kPair, pairs)));
  }
  b.key(s, "second record by configuration number",
        b.select(2, {
                        is(5016, b.ints(s, {5208, 2, 0, 1, -1, 7205})),
                        is(5019, b.ints(s, {5205, 1, 0, 0, 512, 6618})),
                        is(5026, b.ints(s, {5204, 1, 0, 0, 260, 6617})),
                        is(5029, b.ints(s, {5203, 2, 0, 1, 259, 6610, 5624})),
                        is(5011, b.ints(s, {5203, 2, 0, 0, 256, 6604})),
                        is(5015, b.select(3, {is(5619, b.ints(s, {5203, 2, 0, 0, 257, 6607, 5619, 5906}))})),
                        is(5014, b.select(3, {is(5621, b.ints(s, {5203, 2, 0, 0, 258, 6608, 5621, 5907}))})),
                        is(5028, b.select(3, by5028)),
                        is(5038, b.select(9, {is(17, b.ints(s, {5205, 2, 0, 1, 514, 7202})),
                                              otherwise(b.ints(s, {5205, 2, 0, 1, 513, 7202}))})),
                        is(5037, b.ints(s, {5203, 3, 0, 0, 261, 6652})),
                    }));
}

// 0x6007: the cartridge record of the pair in S[1]: [2, entry of the second
// code, entry of the first code].
void AddCartridgeRecords(ImageBuilder &b) {
  constexpr Key k = 0x6007;
  struct Entry {
    std::string_view code;
    std::vector<int64_t> values;
  };
  const Entry kEntries[] = {
      {"BK", {Bits(0x80000001), 6101, 6151, 27201, 3, 19, 9, 19, 27202}},
      {"VC", {Bits(0x80000002), 6102, 6152, 27201, 3, 4, 3, 2, 27202}},
      {"VL", {Bits(0x80000003), 6103, 6153, 27201, 3, 20, 7, 6, 27202}},
      {"SC", {Bits(0x80000006), 6104, 6154, 0, 1, 104, 0}},
      {"UK", {4, 6105, 6155, 27201, 3, 19, 19, 19, 27202}},
      {"NO", {5, 6106, 6156, 27201, 3, 19, 19, 19, 27202}},
  };
  auto entryOf = [&](std::string_view code) -> const std::vector<int64_t> & {
    for (const Entry &e : kEntries)
      if (e.code == code) return e.values;
    return kEntries[4].values; // every code the pairs use is listed
  };
  auto record = [&](std::string_view pair) {
    auto [first, second] = monitor::CodesOf(pair);
    std::vector<int64_t> values = {2};
    const std::vector<int64_t> &e2 = entryOf(second), &e1 = entryOf(first);
    values.insert(values.end(), e2.begin(), e2.end());
    values.insert(values.end(), e1.begin(), e1.end());
    return b.ints(k, values);
  };
  std::vector<StringCase> cases;
  for (const std::string &pair : CartridgePairs()) cases.push_back(text(pair, record(pair)));
  cases.push_back(anyText(record("UK,UK")));
  b.key(k, "cartridge record of the pair", b.selectString(kPair, cases));
}

// 0x6008: the ink of an ink status: [m, 4] for the 16xx codes of class 2,
// [m, 3] for the 15xx codes of class 3. The code's last digits name the ink
// position and the pair says which cartridge holds it.
void AddInkStatus(ImageBuilder &b) {
  constexpr Key k = 0x6008;
  struct InkStatus {
    int32_t statusClass; // I[0]
    std::string_view prefix;
    int64_t last;
  };
  const InkStatus kClasses[] = {{2, "16", 4}, {3, "15", 3}};
  struct Ink {
    std::string_view suffix;
    std::string_view cartridge;
    int64_t ink;
  };
  // The first row for a code whose cartridge the pair holds wins.
  const Ink kInks[] = {{"01", "BK", 9}, {"01", "VL", 20}, {"11", "VC", 2}, {"12", "VC", 3},
                       {"13", "VC", 4}, {"34", "VL", 6},  {"35", "VL", 7}};
  const std::string_view kSuffixes[] = {"01", "11", "12", "13", "34", "35"};
  std::vector<Case> byClass;
  for (const InkStatus &c : kClasses) {
    std::vector<StringCase> codes;
    for (std::string_view suffix : kSuffixes) {
      std::vector<StringCase> pairs;
      for (const std::string &pair : CartridgePairs())
        for (const Ink &ink : kInks)
          if (ink.suffix == suffix && Holds(pair, ink.cartridge)) {
            pairs.push_back(text(pair, b.ints(k, {ink.ink, c.last})));
            break;
          }
      codes.push_back(text(std::string(c.prefix) + std::string(suffix), b.selectString(kPair, pairs)));
    }
    byClass.push_back(is(c.statusClass, b.selectString(kCode, codes)));
  }
  b.key(k, "ink of an ink status", b.select(kClass, byClass));
}

// 0x6009: the ink record [r, t, 0, c, m, 0, f] for the ink in I[6] and the
// level in I[7]: c is the ink's cartridge, m its text, t and f follow the
// level, r numbers the records.
void AddInkRecords(ImageBuilder &b) {
  constexpr Key k = 0x6009;
  struct Level {
    int32_t level; // I[7]
    int64_t t, f;
  };
  const Level kLevels[] = {{1, 6251, 0}, {3, 6252, 1}, {4, 6254, 1}};
  struct Ink {
    int32_t ink; // I[6]
    int64_t cartridge, inkText, firstRecord;
  };
  const Ink kInks[] = {{4, 6102, 5802, 27218}, {3, 6102, 5803, 27221}, {20, 6103, 5805, 27224},
                       {7, 6103, 5806, 27227}, {6, 6103, 5807, 27230}, {9, 6101, 5801, 27238},
                       {2, 6102, 5804, 27241}};
  std::vector<Case> byInk;
  for (const Ink &ink : kInks) {
    std::vector<Case> byLevel;
    for (size_t i = 0; i < std::size(kLevels); ++i) {
      const Level &l = kLevels[i];
      byLevel.push_back(
          is(l.level, b.ints(k, {ink.firstRecord + int64_t(i), l.t, 0, ink.cartridge, ink.inkText, 0, l.f})));
    }
    byInk.push_back(is(ink.ink, b.select(7, byLevel)));
  }
  // Inks without levels.
  byInk.push_back(is(104, b.ints(k, {27233, 6256, 0, 6104, 7252, 0, 0})));
  byInk.push_back(is(19, b.ints(k, {27234, 6256, 0, 6158, 7252, 0, 0})));
  b.key(k, "ink record by ink and level", b.select(6, byInk));
}

void AddOtherKeys(ImageBuilder &b) {
  b.key(0x600D, "fixed monitor value 0x80000000", b.ints(0x600D, {Bits(0x80000000)}));
  b.key(0x600E, "fixed monitor number", b.ints(0x600E, {300}));
  // A count, then that many printer-data value numbers of root key 8.
  b.key(0x600F, "a count, then printer-data value numbers of key 8",
        b.ints(0x600F, {21,  222, 221, 220, 219, 218, 213, 211, 209, 215, 214,
                        301, 304, 313, 314, 315, 316, 317, 302, 102, 323, 325}));
  b.key(0x6010, "1 for I[9] = 0xD010", b.select(9, {is(0xD010, b.ints(0x6010, {1}))}));
  b.key(0x6011, "fixed monitor id 5504", b.ints(0x6011, {5504}));
  NodeRef nonZero = b.ints(0x6012, {8, 72});
  b.key(0x6012, "pair for a non-zero I[12]",
        b.select(12, {range(1, kMax, nonZero), range(kMin, -1, nonZero)}));
  b.key(0x6013, "pair for I[14] = 1", b.select(14, {is(1, b.ints(0x6013, {70, 75}))}));

  // 0x6014: the third value is a printer-data value number of root key 8.
  NodeRef head = b.ints(0x6014, {0, 1, 211, 1});
  std::vector<Case> byStatus = {is(25, b.ints(0x6014, {1, 0, 316, 3}))};
  for (int32_t s : {28, 32, 75, 80, 79, 78}) byStatus.push_back(is(s, head));
  NodeRef paper = b.ints(0x6014, {1, 0, 304, 9});
  for (int32_t s : {2, 30}) byStatus.push_back(is(s, paper));
  byStatus.push_back(otherwise(b.ints(0x6014, {0, 0})));
  b.key(0x6014, "flags and printer-data value number of a status", b.select(kStatus, byStatus));

  b.key(0x6016, "fixed monitor number", b.ints(0x6016, {1}));

  struct Selector {
    int32_t value; // I[16]
    std::vector<int64_t> values;
  };
  const Selector kSelectors[] = {{512, {25010}},   {513, {27117}}, {514, {27118}},
                                 {256, {0, 5, 3}}, {257, {0, 3}},  {258, {1, 1, 3}},
                                 {259, {0, 1, 2}}, {260, {0, 1}},  {261, {0, 2, 6}}};
  std::vector<Case> bySelector;
  for (const Selector &s : kSelectors) bySelector.push_back(is(s.value, b.ints(0x6019, s.values)));
  b.key(0x6019, "values by the selector of key 0x6018", b.select(16, bySelector));
}

} // namespace

void AddStatusMonitorKeys(ImageBuilder &b) {
  AddDisplayRecords(b);
  AddCodeKeys(b);
  AddConfigurationKeys(b);
  AddCartridgeRecords(b);
  AddInkStatus(b);
  AddInkRecords(b);
  AddOtherKeys(b);
}

} // namespace imagec
