// The status monitor's keys, asked through VRT_AccessSMDataBase.
#include <climits>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "monitor_cases.h"

namespace m4k7::test {
namespace {

constexpr Database kSM = Database::StatusMonitor;
constexpr int32_t kOther = -2147483647; // 0x80000001

// The 35 cartridge pair texts the image knows.
const std::vector<std::string> kPairs = {"BK,BK", "BK,NO", "BK,SC", "BK,UK", "BK,VC", "BK,VL", "NO,BK",
                                         "NO,NO", "NO,SC", "NO,VC", "NO,VL", "SC,BK", "SC,NO", "SC,UK",
                                         "SC,VC", "SC,VL", "UK,BK", "UK,SC", "UK,UK", "UK,VC", "UK,VL",
                                         "VC,BK", "VC,NO", "VC,SC", "VC,UK", "VC,VC", "VC,VL", "VL,BK",
                                         "VL,NO", "VL,SC", "VL,UK", "VL,VC", "VL,VL", "NO",    "UK"};

// Texts that are no pair of the list.
const std::vector<std::string> kNotPairs = {"",      "NO,UK",  "UK,NO", "SC,SC",  "SC",     "BK",  "VC",
                                            "bk,vc", "BK,VC ", "BK;VC", "BK,VC,", " BK,VC", "BKVC"};

bool In(const std::vector<std::string> &list, const std::string &s) {
  for (const std::string &x : list)
    if (x == s) return true;
  return false;
}

TEST(StatusMonitorKeys, IndexHoldsExactlyTheseKeys) {
  const std::vector<uint32_t> want = {0x6001, 0x6002, 0x6003, 0x6004, 0x6005, 0x6006, 0x6007,
                                      0x6008, 0x6009, 0x600D, 0x600E, 0x600F, 0x6010, 0x6011,
                                      0x6012, 0x6013, 0x6014, 0x6016, 0x6018, 0x6019};
  EXPECT_EQ(KeysPresent(kSM), want);
}

TEST(StatusMonitorKeys, FixedAnswers) {
  const std::vector<std::pair<uint32_t, std::vector<int32_t>>> kFixed = {
      {0x600D, {INT_MIN}},
      {0x600E, {300}},
      {0x600F, {21,  222, 221, 220, 219, 218, 213, 211, 209, 215, 214,
                301, 304, 313, 314, 315, 316, 317, 302, 102, 323, 325}},
      {0x6011, {5504}},
      {0x6016, {1}},
  };
  for (const auto &[key, want] : kFixed) {
    ExpectCase(kSM, {key, {{0, 2}, {5, 3}}, {{1, "BK,VC"}, {5, "1601"}}, kAnswers, want});
    Request empty;
    Answer a = Ask(kSM, key, empty);
    EXPECT_EQ(a.status, kAnswers) << "key " << key << " with no slots";
    EXPECT_EQ(a.ints(), want) << "key " << key << " with no slots";
  }
}

std::vector<int32_t> Display(int32_t cls, int32_t text, int32_t extra) { return {0, cls, text, 1, 1, extra}; }

TEST(StatusMonitorKeys, DisplayRecordsByStatus) {
  struct Row {
    int32_t status, cls, text, extra;
  };
  // Statuses whose record holds whatever else the request says.
  const Row kPlain[] = {
      {3, 4203, 7203, 27120},      {4, 4203, 7205, 27114},  {7, 4203, 7209, 27102},  {8, 4203, 7210, 27102},
      {9, 4201, 7211, 27102},      {10, 4201, 6004, 27118}, {20, 4203, 6001, 27102}, {23, 4203, 6001, 27140},
      {24, 4203, 6001, 27139},     {63, 4203, 6001, 27139}, {26, 4201, 7227, 27102}, {27, 4201, 7228, 27102},
      {29, 4201, 7232, 27102},     {31, 4201, 7234, 27102}, {53, 4202, 7236, 27102}, {54, 4203, 7237, 27102},
      {57, 4203, 7238, 27102},     {58, 4203, 7239, 27102}, {59, 4203, 7240, 27102}, {62, 4203, 7241, 27102},
      {64, 4203, 7243, 27102},     {65, 4203, 7244, 27102}, {66, 4203, 7245, 27102}, {70, 4201, 7249, 27102},
      {88, 4203, 7205, 27149},     {91, 4203, 7205, 27153}, {92, 4203, 7205, 27154}, {102, 4203, 7251, 27102},
      {kOther, 4202, 7201, 27102},
  };
  std::vector<KeyCase> cases;
  for (const Row &r : kPlain)
    for (int32_t i9 : {0, 16, 17})
      for (const char *pair : {"", "VC,BK"})
        cases.push_back({0x6001,
                         {{5, r.status}, {9, i9}, {3, 5604}},
                         {{1, pair}},
                         kAnswers,
                         Display(r.cls, r.text, r.extra)});

  // Status 2: the extra by I[9].
  for (int32_t i9 : {16, 17})
    cases.push_back({0x6001, {{5, 2}, {9, i9}}, {}, kAnswers, Display(4203, 7202, 27118)});
  for (int32_t i9 : {0, 15, 18, -16})
    cases.push_back({0x6001, {{5, 2}, {9, i9}}, {}, kAnswers, Display(4203, 7202, 27117)});
  // Status 30: ten values, e by I[9].
  for (int32_t i9 : {16, 17})
    cases.push_back(
        {0x6001, {{5, 30}, {9, i9}}, {}, kAnswers, {0, 4201, 7233, 2, 2, 27102, 27124, 2, 27102, 27126}});
  for (int32_t i9 : {0, 15, 18})
    cases.push_back(
        {0x6001, {{5, 30}, {9, i9}}, {}, kAnswers, {0, 4201, 7233, 2, 2, 27102, 27123, 2, 27102, 27126}});
  // Status 25: by I[3], and nothing for any other I[3].
  cases.push_back({0x6001, {{5, 25}, {3, 5604}}, {}, kAnswers, Display(4203, 6001, 27139)});
  cases.push_back({0x6001, {{5, 25}, {3, 5606}}, {}, kAnswers, Display(4203, 6001, 27140)});
  for (int32_t i3 : {0, 5605, 5619, 5621}) cases.push_back({0x6001, {{5, 25}, {3, i3}}, {}, kNoAnswer, {}});
  // Status -1: three values only.
  cases.push_back({0x6001, {{5, -1}}, {}, kAnswers, {0, 4201, 7235}});

  // Statuses whose extra the pair in S[1] picks.
  struct ByPair {
    int32_t status, cls, text;
    std::vector<std::pair<const char *, int32_t>> pairs;
    int32_t other;
  };
  const ByPair kByPair[] = {
      {28, 4203, 7229, {{"VC,BK", 27132}, {"VC,VL", 27133}, {"NO,SC", 27134}, {"VC,SC", 27135}}, 27107},
      {32, 4203, 7231, {{"VC,BK", 27132}, {"VC,VL", 27133}, {"NO,SC", 27134}, {"VC,SC", 27135}}, 27107},
      {75, 4203, 7205, {{"VC,BK", 27144}, {"VC,VL", 27149}}, 27114},
      {78, 4203, 7205, {{"VC,BK", 27147}, {"VC,SC", 27158}, {"VC,VL", 27152}}, 27114},
      {79, 4203, 7205, {{"VC,BK", 27146}, {"VC,SC", 27157}, {"VC,VL", 27151}}, 27114},
      {80, 4203, 7205, {{"VC,BK", 27145}, {"VC,SC", 27156}, {"VC,VL", 27150}}, 27114},
  };
  for (const ByPair &p : kByPair) {
    for (const auto &[pair, extra] : p.pairs)
      cases.push_back({0x6001, {{5, p.status}}, {{1, pair}}, kAnswers, Display(p.cls, p.text, extra)});
    for (const char *pair : {"BK,VC", "VL,VC", "SC,VC", "SC,NO", "VC", "", "vc,bk", "VC,BK "})
      cases.push_back({0x6001, {{5, p.status}}, {{1, pair}}, kAnswers, Display(p.cls, p.text, p.other)});
  }

  // The numbering has gaps; no default.
  for (int32_t status : {0,  1,  5,  6,  11, 19, 21, 22, 33,  52,  55, 56,      60,          61,     67,
                         71, 76, 77, 81, 87, 89, 90, 93, 101, 103, -2, INT_MIN, -2147483646, INT_MAX})
    cases.push_back({0x6001, {{5, status}}, {}, kNoAnswer, {}});
  ExpectCases(kSM, cases);
}

TEST(StatusMonitorKeys, StatusFromPrinterStatusCode) {
  std::vector<KeyCase> cases = {
      {0x6002, {{0, 1}}, {{5, "5B00"}}, kAnswers, {53, 3}},
      {0x6002, {{0, 1}}, {{5, "NO"}}, kAnswers, {-1, -1}},
      {0x6002, {{0, 1}}, {{5, "UK"}}, kAnswers, {-1, -1}},
  };
  for (const char *code : {"5b00", "5B0", "5B00 ", "", "1601", "DS", "NO,NO"})
    cases.push_back({0x6002, {{0, 1}}, {{5, code}}, kAnswers, {kOther, 4}});
  for (int32_t cls : {0, 2, 3, 15, -1})
    for (const char *code : {"5B00", "NO"})
      cases.push_back({0x6002, {{0, cls}}, {{5, code}}, kAnswers, {kOther, 4}});
  ExpectCases(kSM, cases);
}

TEST(StatusMonitorKeys, StatusFromErrorCode) {
  const std::pair<std::vector<const char *>, std::vector<int32_t>> kErrors[] = {
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
      {{"1815", "DS", "NO", "OF", "UK"}, {-1, -1}},
  };
  std::vector<KeyCase> cases;
  size_t codes = 0;
  for (const auto &[texts, want] : kErrors)
    for (const char *code : texts) {
      ++codes;
      cases.push_back({0x6003, {{0, 2}}, {{5, code}}, kAnswers, want});
      // Under any other class every text gives the fallback.
      cases.push_back({0x6003, {{0, 3}}, {{5, code}}, kAnswers, {7, 22}});
    }
  EXPECT_EQ(codes, 63u);
  for (const char *code : {"1001", "1402", "1455", "1470", "1475", "1662", "1666", "160", "16011", "DS ",
                           "ds", "", "1805", "5B00", "11"})
    cases.push_back({0x6003, {{0, 2}}, {{5, code}}, kAnswers, {7, 22}});
  for (int32_t cls : {0, 1, 4, -2}) cases.push_back({0x6003, {{0, cls}}, {{5, "1000"}}, kAnswers, {7, 22}});
  ExpectCases(kSM, cases);
}

TEST(StatusMonitorKeys, StatusFromServiceCode) {
  std::vector<KeyCase> cases = {
      {0x6004, {{0, 3}}, {{5, "1805"}}, kAnswers, {7, 11}},
      {0x6004, {{0, 3}}, {{5, "1900"}}, kAnswers, {7, 61}},
      {0x6004, {{0, 3}}, {{5, "1910"}}, kAnswers, {7, 61}},
      {0x6004, {{0, 3}}, {{5, "NO"}}, kAnswers, {-1, -1}},
      {0x6004, {{0, 3}}, {{5, "UK"}}, kAnswers, {-1, -1}},
  };
  for (const char *code : {"1800", "1901", "", "DS", "1805 "})
    cases.push_back({0x6004, {{0, 3}}, {{5, code}}, kNoAnswer, {}});
  for (int32_t cls : {0, 2, 4}) cases.push_back({0x6004, {{0, cls}}, {{5, "1805"}}, kNoAnswer, {}});
  ExpectCases(kSM, cases);
}

TEST(StatusMonitorKeys, StatusFromOperationState) {
  const std::vector<int32_t> idle = {8, -1};
  std::vector<KeyCase> cases;
  auto add = [&](int32_t cls, const char *state, int32_t i11, std::vector<int32_t> want) {
    cases.push_back({0x6005, {{0, cls}, {11, i11}}, {{5, state}}, kAnswers, std::move(want)});
  };
  for (int32_t i11 : {0, 1}) {
    add(4, "CC", i11, {28, 34});
    add(4, "CL", i11, {29, 77});
    add(4, "DS", i11, {62, 1});
    add(4, "SL", i11, {27, 71});
    add(4, "WU", i11, {27, 71});
    add(4, "TP", i11, {30, 78});
    for (const char *s : {"DP", "NO", "ID", "11", "", "cc"}) add(4, s, i11, idle);
    add(5, "ID", i11, {31, 81});
    add(5, "NO", i11, {31, 81});
    for (const char *s : {"CC", "DS", "TP", "20", ""}) add(5, s, i11, idle);
    add(2, "DS", i11, {62, 1});
    for (const char *s : {"CC", "NO", "ID", ""}) add(2, s, i11, idle);
    for (int32_t cls : {0, 1, 3, 6, 14, 16, -4})
      for (const char *s : {"CC", "DS", "ID", "11"}) add(cls, s, i11, idle);
  }
  // Class 5: printing states only while I[11] is zero.
  for (const char *s : {"DP", "EJ", "LD", "PR"}) {
    add(5, s, 0, {30, 78});
    for (int32_t i11 : {1, -1, INT_MAX, INT_MIN}) add(5, s, i11, idle);
  }
  // Class 15: only while I[11] is not zero.
  const std::pair<const char *, std::vector<int32_t>> k15[] = {
      {"11", {62, 1}}, {"20", {26, 0}}, {"21", {26, 0}}, {"30", {27, 71}}, {"31", {27, 71}}};
  for (const auto &[s, want] : k15) {
    for (int32_t i11 : {1, 5, INT_MAX, -1, -7, INT_MIN}) add(15, s, i11, want);
    add(15, s, 0, idle);
  }
  for (const char *s : {"10", "22", "CC", "DS", ""})
    for (int32_t i11 : {0, 1}) add(15, s, i11, idle);
  ExpectCases(kSM, cases);
}

TEST(StatusMonitorKeys, ConfigurationStatus) {
  ExpectCases(kSM, {
                       {0x6006, {{2, 5019}}, {}, kAnswers, {10, 51, 0}},
                       {0x6006, {{2, 5026}}, {}, kAnswers, {10, 51, 0}},
                       {0x6006, {{2, 5029}}, {}, kAnswers, {63, 31, 0}},
                       {0x6006, {{2, 5011}, {10, 2}}, {}, kAnswers, {20, 31, 0}},
                       {0x6006, {{2, 5015}, {3, 5619}}, {}, kAnswers, {23, 31, 2, 5603, 6108}},
                       {0x6006, {{2, 5015}, {3, 5621}}, {}, kNoAnswer, {}},
                       // A listed I[2] whose I[3] does not match never falls to the I[10] default.
                       {0x6006, {{2, 5015}, {3, 0}, {10, 2}}, {}, kNoAnswer, {}},
                       {0x6006, {{2, 5014}, {3, 5621}}, {}, kAnswers, {24, 31, 2, 5601, 6109}},
                       {0x6006, {{2, 5014}, {3, 5619}}, {}, kNoAnswer, {}},
                       {0x6006, {{2, 5028}, {3, 5604}}, {}, kAnswers, {25, 31, 1, 5604}},
                       {0x6006, {{2, 5028}, {3, 5606}}, {}, kAnswers, {25, 31, 1, 5606}},
                       {0x6006, {{2, 5028}, {3, 5614}}, {}, kNoAnswer, {}},
                       {0x6006, {{2, 5016}, {10, 2}}, {}, kAnswers, {57, 2, 0}},
                       {0x6006, {{2, 0}, {10, 2}}, {}, kAnswers, {57, 2, 0}},
                       {0x6006, {{2, 5038}, {10, 2}}, {}, kAnswers, {57, 2, 0}},
                       {0x6006, {{2, 5016}, {10, 0}}, {}, kNoAnswer, {}},
                       {0x6006, {{2, 5016}, {10, 3}}, {}, kNoAnswer, {}},
                   });
}

TEST(StatusMonitorKeys, CartridgeRecords) {
  const std::map<std::string, std::vector<int32_t>> kEntries = {
      {"BK", {-2147483647, 6101, 6151, 27201, 3, 19, 9, 19, 27202}},
      {"VC", {-2147483646, 6102, 6152, 27201, 3, 4, 3, 2, 27202}},
      {"VL", {-2147483645, 6103, 6153, 27201, 3, 20, 7, 6, 27202}},
      {"SC", {-2147483642, 6104, 6154, 0, 1, 104, 0}},
      {"UK", {4, 6105, 6155, 27201, 3, 19, 19, 19, 27202}},
      {"NO", {5, 6106, 6156, 27201, 3, 19, 19, 19, 27202}},
  };
  auto record = [&](const std::string &first, const std::string &second) {
    std::vector<int32_t> r = {2};
    r.insert(r.end(), kEntries.at(second).begin(), kEntries.at(second).end());
    r.insert(r.end(), kEntries.at(first).begin(), kEntries.at(first).end());
    return r;
  };
  ASSERT_EQ(kPairs.size(), 35u);
  std::vector<KeyCase> cases;
  for (const std::string &pair : kPairs) {
    std::string first = pair.substr(0, 2), second = pair.size() > 2 ? pair.substr(3, 2) : first;
    cases.push_back({0x6007, {}, {{1, pair}}, kAnswers, record(first, second)});
  }
  for (const std::string &text : kNotPairs)
    cases.push_back({0x6007, {}, {{1, text}}, kAnswers, record("UK", "UK")});
  // Written out: the second cartridge's entry comes first.
  cases.push_back({0x6007,
                   {},
                   {{1, "BK,VC"}},
                   kAnswers,
                   {2, -2147483646, 6102, 6152, 27201, 3, 4, 3, 2, 27202, -2147483647, 6101, 6151, 27201, 3,
                    19, 9, 19, 27202}});
  cases.push_back(
      {0x6007,
       {},
       {{1, "NO"}},
       kAnswers,
       {2, 5, 6106, 6156, 27201, 3, 19, 19, 19, 27202, 5, 6106, 6156, 27201, 3, 19, 19, 19, 27202}});
  ExpectCases(kSM, cases);

  Request absent = Request::Standard(kSM);
  absent.absentStrings[1] = true;
  Answer a = Ask(kSM, 0x6007, absent);
  EXPECT_EQ(a.status, kAnswers);
  EXPECT_EQ(a.ints(), record("UK", "UK"));
}

TEST(StatusMonitorKeys, InkStatus) {
  const std::vector<std::string> withBK = {"BK,BK", "BK,NO", "BK,SC", "BK,UK", "BK,VC", "BK,VL",
                                           "NO,BK", "SC,BK", "UK,BK", "VC,BK", "VL,BK"};
  const std::vector<std::string> withVC = {"BK,VC", "NO,VC", "SC,VC", "UK,VC", "VC,BK", "VC,NO",
                                           "VC,SC", "VC,UK", "VC,VC", "VC,VL", "VL,VC"};
  const std::vector<std::string> withVL = {"BK,VL", "NO,VL", "SC,VL", "UK,VL", "VC,VL", "VL,BK",
                                           "VL,NO", "VL,SC", "VL,UK", "VL,VC", "VL,VL"};
  // The last digits of the code to the ink, by the cartridge the pair holds.
  struct Ink {
    const char *digits;
    const std::vector<std::string> *pairs;
    int32_t ink;
  };
  const Ink kInks[] = {{"01", &withBK, 9}, {"01", &withVL, 20}, {"11", &withVC, 2}, {"12", &withVC, 3},
                       {"13", &withVC, 4}, {"34", &withVL, 6},  {"35", &withVL, 7}};
  const std::tuple<int32_t, const char *, int32_t> kClasses[] = {{2, "16", 4}, {3, "15", 3}};
  std::vector<KeyCase> cases;
  for (const auto &[cls, prefix, last] : kClasses)
    for (const char *digits : {"01", "11", "12", "13", "34", "35"}) {
      const std::string code = std::string(prefix) + digits;
      for (const std::string &pair : kPairs) {
        int32_t ink = 0;
        for (const Ink &i : kInks)
          if (std::string(i.digits) == digits && In(*i.pairs, pair) && ink == 0) ink = i.ink;
        if (ink)
          cases.push_back({0x6008, {{0, cls}}, {{1, pair}, {5, code}}, kAnswers, {ink, last}});
        else
          cases.push_back({0x6008, {{0, cls}}, {{1, pair}, {5, code}}, kNoAnswer, {}});
      }
      for (const std::string &text : kNotPairs)
        cases.push_back({0x6008, {{0, cls}}, {{1, text}, {5, code}}, kNoAnswer, {}});
      // The other class's code texts are not in this class's list.
      cases.push_back({0x6008, {{0, 5 - cls}}, {{1, "BK,VC"}, {5, code}}, kNoAnswer, {}});
    }
  // A pair holding both BK and VL: the BK ink.
  cases.push_back({0x6008, {{0, 2}}, {{1, "VL,BK"}, {5, "1601"}}, kAnswers, {9, 4}});
  for (const char *code : {"1600", "1602", "1631", "1661", "1500", "", "16O1"})
    cases.push_back({0x6008, {{0, 2}}, {{1, "BK,VC"}, {5, code}}, kNoAnswer, {}});
  for (int32_t cls : {0, 1, 4})
    cases.push_back({0x6008, {{0, cls}}, {{1, "BK,VC"}, {5, "1601"}}, kNoAnswer, {}});
  ExpectCases(kSM, cases);
}

TEST(StatusMonitorKeys, InkRecords) {
  // [r, t, 0, c, m, 0, f] by I[6] and I[7].
  struct Row {
    int32_t ink, level, r, t, c, m, f;
  };
  const Row kRows[] = {
      {4, 1, 27218, 6251, 6102, 5802, 0},  {4, 3, 27219, 6252, 6102, 5802, 1},
      {4, 4, 27220, 6254, 6102, 5802, 1},  {3, 1, 27221, 6251, 6102, 5803, 0},
      {3, 3, 27222, 6252, 6102, 5803, 1},  {3, 4, 27223, 6254, 6102, 5803, 1},
      {20, 1, 27224, 6251, 6103, 5805, 0}, {20, 3, 27225, 6252, 6103, 5805, 1},
      {20, 4, 27226, 6254, 6103, 5805, 1}, {7, 1, 27227, 6251, 6103, 5806, 0},
      {7, 3, 27228, 6252, 6103, 5806, 1},  {7, 4, 27229, 6254, 6103, 5806, 1},
      {6, 1, 27230, 6251, 6103, 5807, 0},  {6, 3, 27231, 6252, 6103, 5807, 1},
      {6, 4, 27232, 6254, 6103, 5807, 1},  {9, 1, 27238, 6251, 6101, 5801, 0},
      {9, 3, 27239, 6252, 6101, 5801, 1},  {9, 4, 27240, 6254, 6101, 5801, 1},
      {2, 1, 27241, 6251, 6102, 5804, 0},  {2, 3, 27242, 6252, 6102, 5804, 1},
      {2, 4, 27243, 6254, 6102, 5804, 1},
  };
  std::vector<KeyCase> cases;
  for (const Row &r : kRows)
    cases.push_back({0x6009, {{6, r.ink}, {7, r.level}}, {}, kAnswers, {r.r, r.t, 0, r.c, r.m, 0, r.f}});
  for (int32_t ink : {4, 3, 20, 7, 6, 9, 2})
    for (int32_t level : {0, 2, 5, -1}) cases.push_back({0x6009, {{6, ink}, {7, level}}, {}, kNoAnswer, {}});
  for (int32_t level : {0, 1, 3, 4, 99, -1}) {
    cases.push_back({0x6009, {{6, 104}, {7, level}}, {}, kAnswers, {27233, 6256, 0, 6104, 7252, 0, 0}});
    cases.push_back({0x6009, {{6, 19}, {7, level}}, {}, kAnswers, {27234, 6256, 0, 6158, 7252, 0, 0}});
  }
  for (int32_t ink : {0, 1, 5, 8, 21, 103, -1})
    cases.push_back({0x6009, {{6, ink}, {7, 1}}, {}, kNoAnswer, {}});
  ExpectCases(kSM, cases);
}

TEST(StatusMonitorKeys, SelectsOnOneValue) {
  ExpectCases(kSM, {
                       {0x6010, {{9, 0xD010}}, {}, kAnswers, {1}},
                       {0x6010, {{9, 0xD011}}, {}, kNoAnswer, {}},
                       {0x6010, {{9, 0}}, {}, kNoAnswer, {}},
                       {0x6010, {{9, 0x1D010}}, {}, kNoAnswer, {}},
                       // 0x6012: any non-zero I[12].
                       {0x6012, {{12, 0}}, {}, kNoAnswer, {}},
                       {0x6012, {{12, -5}}, {}, kAnswers, {8, 72}},
                       {0x6012, {{12, 1}}, {}, kAnswers, {8, 72}},
                       {0x6012, {{12, -1}}, {}, kAnswers, {8, 72}},
                       {0x6012, {{12, INT_MAX}}, {}, kAnswers, {8, 72}},
                       {0x6012, {{12, INT_MIN}}, {}, kAnswers, {8, 72}},
                       {0x6013, {{14, 1}}, {}, kAnswers, {70, 75}},
                       {0x6013, {{14, 0}}, {}, kNoAnswer, {}},
                       {0x6013, {{14, 2}}, {}, kNoAnswer, {}},
                   });
}

TEST(StatusMonitorKeys, StatusValueNames) {
  std::vector<KeyCase> cases = {{0x6014, {{5, 25}}, {}, kAnswers, {1, 0, 316, 3}}};
  for (int32_t s : {28, 32, 75, 80, 79, 78})
    cases.push_back({0x6014, {{5, s}}, {}, kAnswers, {0, 1, 211, 1}});
  for (int32_t s : {2, 30}) cases.push_back({0x6014, {{5, s}}, {}, kAnswers, {1, 0, 304, 9}});
  for (int32_t s : {0, 1, 3, 24, 76, -1, kOther}) cases.push_back({0x6014, {{5, s}}, {}, kAnswers, {0, 0}});
  ExpectCases(kSM, cases);
}

TEST(StatusMonitorKeys, DisplayByConfiguration) {
  const std::vector<std::string> withSC = {"BK,SC", "NO,SC", "SC,BK", "SC,NO", "SC,UK",
                                           "SC,VC", "SC,VL", "UK,SC", "VC,SC", "VL,SC"};
  std::vector<KeyCase> cases = {
      {0x6018, {{2, 5016}}, {}, kAnswers, {5208, 2, 0, 1, -1, 7205}},
      {0x6018, {{2, 5019}}, {}, kAnswers, {5205, 1, 0, 0, 512, 6618}},
      {0x6018, {{2, 5026}}, {}, kAnswers, {5204, 1, 0, 0, 260, 6617}},
      {0x6018, {{2, 5029}}, {}, kAnswers, {5203, 2, 0, 1, 259, 6610, 5624}},
      {0x6018, {{2, 5011}}, {}, kAnswers, {5203, 2, 0, 0, 256, 6604}},
      {0x6018, {{2, 5015}, {3, 5619}}, {}, kAnswers, {5203, 2, 0, 0, 257, 6607, 5619, 5906}},
      {0x6018, {{2, 5015}, {3, 5621}}, {}, kNoAnswer, {}},
      {0x6018, {{2, 5014}, {3, 5621}}, {}, kAnswers, {5203, 2, 0, 0, 258, 6608, 5621, 5907}},
      {0x6018, {{2, 5014}, {3, 5619}}, {}, kNoAnswer, {}},
      {0x6018, {{2, 5028}, {3, 5614}}, {{1, "BK,SC"}}, kNoAnswer, {}},
      {0x6018, {{2, 5038}, {9, 17}}, {}, kAnswers, {5205, 2, 0, 1, 514, 7202}},
      {0x6018, {{2, 5038}, {9, 16}}, {}, kAnswers, {5205, 2, 0, 1, 513, 7202}},
      {0x6018, {{2, 5038}, {9, 0}}, {}, kAnswers, {5205, 2, 0, 1, 513, 7202}},
      {0x6018, {{2, 5037}}, {}, kAnswers, {5203, 3, 0, 0, 261, 6652}},
  };
  for (int32_t i2 : {0, 5000, 5012, 5039, -1})
    cases.push_back({0x6018, {{2, i2}, {10, 2}}, {}, kNoAnswer, {}});
  ASSERT_EQ(withSC.size(), 10u);
  for (int32_t i3 : {5604, 5606}) {
    for (const std::string &pair : kPairs) {
      int32_t x = In(withSC, pair) ? 5624 : 5614;
      cases.push_back(
          {0x6018, {{2, 5028}, {3, i3}}, {{1, pair}}, kAnswers, {5203, 2, 0, 0, 257, 6609, x, i3}});
    }
    for (const std::string &text : kNotPairs)
      cases.push_back(
          {0x6018, {{2, 5028}, {3, i3}}, {{1, text}}, kAnswers, {5203, 2, 0, 0, 257, 6609, 5614, i3}});
  }
  ExpectCases(kSM, cases);
}

TEST(StatusMonitorKeys, DisplayLayoutBySelector) {
  const std::pair<int32_t, std::vector<int32_t>> kLayouts[] = {
      {512, {25010}},   {513, {27117}},   {514, {27118}}, {256, {0, 5, 3}}, {257, {0, 3}},
      {258, {1, 1, 3}}, {259, {0, 1, 2}}, {260, {0, 1}},  {261, {0, 2, 6}},
  };
  std::vector<KeyCase> cases;
  for (const auto &[selector, want] : kLayouts)
    cases.push_back({0x6019, {{16, selector}}, {}, kAnswers, want});
  for (int32_t selector : {0, 255, 262, 511, 515, -1})
    cases.push_back({0x6019, {{16, selector}}, {}, kNoAnswer, {}});
  ExpectCases(kSM, cases);
}

// The fifth value of every 0x6018 record but the first is an I[16] that
// 0x6019 answers.
TEST(StatusMonitorKeys, DisplaySelectorsResolve) {
  for (int32_t i2 : {5019, 5026, 5029, 5011, 5037, 5038}) {
    Request r = Make(kSM, {{2, i2}}, {});
    Answer a = Ask(kSM, 0x6018, r);
    ASSERT_EQ(a.status, kAnswers) << i2;
    Request layout = Make(kSM, {{16, a.ints()[4]}}, {});
    EXPECT_EQ(Ask(kSM, 0x6019, layout).status, kAnswers) << i2;
  }
}

// The status numbers that 0x6002-0x6006 make from the printer's codes are
// the ones 0x6001 shows: each has a display record, -1 its short one.
TEST(StatusMonitorKeys, EveryStatusMadeHasADisplayRecord) {
  struct Source {
    uint32_t key;
    IntSlots ints;
    StringSlots strings;
  };
  std::vector<Source> sources = {
      {0x6002, {{0, 1}}, {{5, "5B00"}}}, {0x6002, {{0, 1}}, {{5, "NO"}}},   {0x6002, {{0, 0}}, {}},
      {0x6004, {{0, 3}}, {{5, "1805"}}}, {0x6004, {{0, 3}}, {{5, "1900"}}},
  };
  for (const char *code : {"1000", "1100", "1200", "1300", "1400", "1440", "1600", "1601", "1611", "1612",
                           "1613", "1631", "1634", "1635", "1700", "1815", "9999"})
    sources.push_back({0x6003, {{0, 2}}, {{5, code}}});
  for (const char *state : {"CC", "CL", "DS", "SL", "TP", "XX"})
    sources.push_back({0x6005, {{0, 4}, {11, 0}}, {{5, state}}});
  for (const char *state : {"DP", "ID"}) sources.push_back({0x6005, {{0, 5}, {11, 0}}, {{5, state}}});
  for (const char *state : {"11", "20", "30"}) sources.push_back({0x6005, {{0, 15}, {11, 1}}, {{5, state}}});
  for (int32_t i2 : {5019, 5029, 5011}) sources.push_back({0x6006, {{2, i2}}, {}});
  sources.push_back({0x6006, {{2, 5015}, {3, 5619}}, {}});
  sources.push_back({0x6006, {{2, 5014}, {3, 5621}}, {}});
  sources.push_back({0x6006, {{2, 5028}, {3, 5604}}, {}});
  sources.push_back({0x6006, {{2, 0}, {10, 2}}, {}});
  for (const Source &src : sources) {
    Request r = Make(kSM, src.ints, src.strings);
    Answer made = Ask(kSM, src.key, r);
    ASSERT_EQ(made.status, kAnswers) << Describe(src.key, src.ints, src.strings);
    const int32_t status = made.ints().at(0);
    Request show = Make(kSM, {{5, status}, {3, 5604}}, {{1, "VC,BK"}});
    Answer display = Ask(kSM, 0x6001, show);
    EXPECT_EQ(display.status, kAnswers)
        << "status " << status << " from " << Describe(src.key, src.ints, src.strings);
    EXPECT_EQ(display.ints().size(), status == -1 ? 3u : status == 30 ? 10u : 6u) << "status " << status;
  }
}

TEST(StatusMonitorKeys, MissingParameters) {
  const ShortCase kShort[] = {
      {0x6001, 5, 9, {}, {}, kMissingInt},
      {0x6001, 9, 9, {{5, 2}}, {}, kMissingInt},
      {0x6001, 9, 9, {{5, 3}}, {}, kAnswers},
      {0x6001, 6, 1, {{5, 28}}, {}, kMissingString},
      {0x6001, 6, 0, {{5, 3}}, {}, kAnswers},
      {0x6002, 0, 9, {}, {}, kMissingInt},
      {0x6002, 17, 5, {{0, 1}}, {}, kMissingString},
      {0x6002, 17, 0, {{0, 2}}, {}, kAnswers},
      {0x6003, 17, 5, {{0, 2}}, {}, kMissingString},
      {0x6003, 17, 0, {{0, 1}}, {}, kAnswers},
      {0x6004, 17, 5, {{0, 3}}, {}, kMissingString},
      {0x6004, 17, 0, {{0, 1}}, {}, kNoAnswer},
      {0x6005, 17, 5, {{0, 4}}, {}, kMissingString},
      {0x6005, 17, 0, {{0, 3}}, {}, kAnswers},
      {0x6005, 11, 9, {{0, 5}}, {{5, "DP"}}, kMissingInt},
      {0x6005, 11, 9, {{0, 5}}, {{5, "ID"}}, kAnswers},
      {0x6005, 11, 9, {{0, 15}}, {{5, "11"}}, kMissingInt},
      {0x6006, 2, 0, {}, {}, kMissingInt},
      {0x6006, 3, 0, {{2, 5015}}, {}, kMissingInt},
      {0x6006, 10, 0, {{2, 5016}}, {}, kMissingInt},
      {0x6006, 3, 0, {{2, 5019}}, {}, kAnswers},
      {0x6007, 0, 1, {}, {}, kMissingString},
      {0x6008, 0, 9, {}, {}, kMissingInt},
      {0x6008, 1, 5, {{0, 2}}, {}, kMissingString},
      {0x6008, 1, 0, {{0, 1}}, {}, kNoAnswer},
      {0x6009, 6, 0, {}, {}, kMissingInt},
      {0x6009, 7, 0, {{6, 4}}, {}, kMissingInt},
      {0x6009, 7, 0, {{6, 104}}, {}, kAnswers},
      {0x6010, 9, 0, {}, {}, kMissingInt},
      {0x6012, 12, 0, {}, {}, kMissingInt},
      {0x6013, 14, 0, {}, {}, kMissingInt},
      {0x6014, 5, 0, {}, {}, kMissingInt},
      {0x6018, 2, 0, {}, {}, kMissingInt},
      {0x6018, 3, 0, {{2, 5028}}, {}, kMissingInt},
      {0x6018, 4, 1, {{2, 5028}, {3, 5604}}, {}, kMissingString},
      {0x6018, 9, 0, {{2, 5038}}, {}, kMissingInt},
      {0x6018, 3, 0, {{2, 5037}}, {}, kAnswers},
      {0x6019, 16, 0, {}, {}, kMissingInt},
  };
  for (const ShortCase &c : kShort) ExpectShort(kSM, c);
}

TEST(StatusMonitorKeys, NarrowestKinds) {
  const ShapeCase kRows[] = {
      {0x6001, {{5, 3}}, {}, NodeKind::NK_INT16, 6},
      {0x6001, {{5, 30}}, {}, NodeKind::NK_INT16, 10},
      {0x6001, {{5, -1}}, {}, NodeKind::NK_INT16, 3},
      {0x6002, {{0, 0}}, {}, NodeKind::NK_INT32, 2},
      {0x6002, {{0, 1}}, {{5, "5B00"}}, NodeKind::NK_INT8, 2},
      {0x6007, {}, {{1, "BK,VC"}}, NodeKind::NK_INT32, 19},
      {0x6007, {}, {{1, "SC,UK"}}, NodeKind::NK_INT32, 17},
      {0x6007, {}, {{1, "NO,UK"}}, NodeKind::NK_INT16, 19},
      {0x600D, {}, {}, NodeKind::NK_INT32, 1},
      {0x600F, {}, {}, NodeKind::NK_INT16, 22},
      {0x6012, {{12, 1}}, {}, NodeKind::NK_INT8, 2},
      {0x6019, {{16, 512}}, {}, NodeKind::NK_INT16, 1},
  };
  for (const ShapeCase &c : kRows) ExpectShape(kSM, c);
}

} // namespace
} // namespace m4k7::test
