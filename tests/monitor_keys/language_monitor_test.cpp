// The language monitor's keys, asked through VRT_AccessLMDataBase.
#include <array>
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "monitor_cases.h"

namespace m4k7::test {
namespace {

constexpr Database kLM = Database::LanguageMonitor;

TEST(LanguageMonitorKeys, IndexHoldsExactlyTheseKeys) {
  const std::vector<uint32_t> want = {
      0x2001, 0x2002, 0x2003, 0x2004, 0x2007, 0x2009, 0x200A, 0x200C, 0x200D, 0x200E, 0x200F, 0x2010, 0x2011,
      0x2012, 0x2013, 0x2014, 0x2016, 0x2017, 0x2018, 0x2019, 0x201A, 0x201B, 0x201C, 0x201D, 0x201E, 0x2021,
      0x2022, 0x202B, 0x202D, 0x202E, 0x2030, 0x2036, 0x203D, 0x2041, 0x2042, 0x2043, 0x204B};
  ASSERT_EQ(want.size(), 37u);
  EXPECT_EQ(KeysPresent(kLM), want);
}

// Keys with one answer whatever the request holds, even with no slots at all.
TEST(LanguageMonitorKeys, FixedAnswers) {
  const std::vector<std::pair<uint32_t, std::vector<int32_t>>> kFixed = {
      {0x2003, {5019, 6618, 25010, 2}},
      {0x2004, {12421}},
      {0x2007, {983295, 16711680, 65535, -1, -1}},
      {0x200A, {1}},
      {0x2010, {1, 256, 256}},
      {0x2011, {1}},
      {0x2014, {0}},
      {0x2016, {0}},
      {0x2017, {0}},
      {0x2018, {103}},
      {0x2019, {300}},
      {0x201B, {200}},
      {0x201C, {0}},
      {0x201D, {0}},
      {0x201E, {5026, 6617, 0, 0}},
      {0x2021, {1}},
      {0x2022, {8}},
      {0x202E, {1}},
      {0x203D, {2}},
      {0x2041, {5037, 400, 0}},
      {0x2042, {5038, 300, 0}},
      {0x204B, {1}},
  };
  for (const auto &[key, want] : kFixed) {
    ExpectCase(kLM, {key, {{1, 0xC0000}, {6, 0x1601}}, {{1, "BK,VC"}}, kAnswers, want});
    Request empty;
    Answer a = Ask(kLM, key, empty);
    EXPECT_EQ(a.status, kAnswers) << "key " << key << " with no slots";
    EXPECT_EQ(a.ints(), want) << "key " << key << " with no slots";
  }
}

TEST(LanguageMonitorKeys, ComponentNames) {
  const std::pair<uint32_t, const char *> kNames[] = {{0x201A, "tpxsb1o.dll"}, {0x202B, "tpxpm1o.dll"}};
  for (const auto &[key, name] : kNames) {
    Request r = Request::Standard(kLM);
    Answer a = Ask(kLM, key, r);
    ASSERT_EQ(a.status, kAnswers) << key;
    EXPECT_EQ(a.size, 24u) << key; // 12 units with the terminating zero
    EXPECT_EQ(a.wide(), Utf16(name)) << key;
    EXPECT_EQ(a.bytes[22] | a.bytes[23], 0) << key;
  }
}

TEST(LanguageMonitorKeys, ConfigurationByCartridgePair) {
  const std::vector<int32_t> single = {1, 5011, 0, 0, 10101};
  const std::vector<int32_t> blackColour = {1, 5015, 5619, 5906, 10101};
  const std::vector<int32_t> colourLight = {1, 5014, 5621, 5907, 10101};
  const std::vector<int32_t> other06 = {1, 5028, 5614, 5606, 10101};
  const std::vector<int32_t> other04 = {1, 5028, 5614, 5604, 10101};
  std::vector<KeyCase> cases;
  for (const char *pair : {"BK,NO", "NO,BK", "NO,NO", "NO,VC", "NO,VL", "VC,NO", "VL,NO"})
    for (int32_t bits : {0, 0xC0000, 0x90000})
      cases.push_back({0x2001, {{1, bits}}, {{1, pair}}, kAnswers, single});
  for (const char *pair : {"BK,VC", "VC,BK"}) {
    cases.push_back({0x2001, {{1, 0xC0000}}, {{1, pair}}, kAnswers, blackColour});
    cases.push_back({0x2001, {{1, 0x90000}}, {{1, pair}}, kAnswers, {0}});
    cases.push_back({0x2001, {{1, 0xC0001}}, {{1, pair}}, kAnswers, {0}});
    cases.push_back({0x2001, {{1, 0}}, {{1, pair}}, kAnswers, {0}});
  }
  for (const char *pair : {"VC,VL", "VL,VC"}) {
    cases.push_back({0x2001, {{1, 0x90000}}, {{1, pair}}, kAnswers, colourLight});
    cases.push_back({0x2001, {{1, 0xC0000}}, {{1, pair}}, kAnswers, {0}});
    cases.push_back({0x2001, {{1, 0}}, {{1, pair}}, kAnswers, {0}});
  }
  // Every other text, however close to a listed one, takes the default.
  for (const char *pair :
       {"BK,BK", "UK,UK", "NO,UK", "SC,VC", "BK,VL", "NO", "UK", "", "bk,vc", "BK,VC ", "BK,V"}) {
    cases.push_back({0x2001, {{1, 0xC0000}}, {{1, pair}}, kAnswers, other06});
    cases.push_back({0x2001, {{1, 0x90000}}, {{1, pair}}, kAnswers, other04});
    cases.push_back({0x2001, {{1, 0}}, {{1, pair}}, kAnswers, other04});
  }
  ExpectCases(kLM, cases);
}

TEST(LanguageMonitorKeys, InkOutStatus) {
  // Status word (I[6]) to the middle value, for the two status classes I[5].
  struct Row {
    int32_t code;
    int32_t middle; // 0: the pair's black ink
  };
  const Row kClass1[] = {{0x1601, 0}, {0x1611, 2}, {0x1612, 3}, {0x1613, 4}, {0x1634, 6}, {0x1635, 7}};
  const Row kClass2[] = {{0x1501, 0}, {0x1511, 2}, {0x1512, 3}, {0x1513, 4}, {0x1534, 6}, {0x1535, 7}};
  const std::pair<const char *, int32_t> kPairs[] = {
      {"BK,VC", 9}, {"VC,BK", 9}, {"VC,VL", 20}, {"VL,VC", 20}};
  std::vector<KeyCase> cases;
  for (const auto &[pair, black] : kPairs) {
    for (const Row &r : kClass1) {
      cases.push_back(
          {0x2002, {{5, 1}, {6, r.code}}, {{1, pair}}, kAnswers, {2, r.middle ? r.middle : black, 4}});
      cases.push_back({0x2002, {{5, 2}, {6, r.code}}, {{1, pair}}, kAnswers, {0}});
    }
    for (const Row &r : kClass2) {
      cases.push_back(
          {0x2002, {{5, 2}, {6, r.code}}, {{1, pair}}, kAnswers, {2, r.middle ? r.middle : black, 3}});
      cases.push_back({0x2002, {{5, 1}, {6, r.code}}, {{1, pair}}, kAnswers, {0}});
    }
    for (int32_t code : {0x1600, 0x1602, 0x1500, 0x1636, 0x11601, 0})
      for (int32_t cls : {1, 2}) cases.push_back({0x2002, {{5, cls}, {6, code}}, {{1, pair}}, kAnswers, {0}});
    for (int32_t cls : {0, 3, -1})
      cases.push_back({0x2002, {{5, cls}, {6, 0x1601}}, {{1, pair}}, kAnswers, {0}});
  }
  for (const char *pair : {"BK,VL", "NO,NO", "UK", "", "VC,VC", "BK,VC,"})
    cases.push_back({0x2002, {{5, 1}, {6, 0x1601}}, {{1, pair}}, kAnswers, {0}});
  ExpectCases(kLM, cases);
}

TEST(LanguageMonitorKeys, CartridgeLayout) {
  const std::vector<int32_t> blackColour = {5018, 5408, 5409, 25038, 25039, 5426, 5425, 0, 3,
                                            3,    0,    19,   9,     19,    4,    3,    2};
  const std::vector<int32_t> colourLight = {5018, 5408, 5409, 25038, 25039, 5424, 5425, 0, 3,
                                            3,    0,    20,   7,     6,     4,    3,    2};
  std::vector<KeyCase> cases = {
      {0x200C, {}, {{1, "BK,VC"}}, kAnswers, blackColour},
      {0x200C, {}, {{1, "VC,BK"}}, kAnswers, blackColour},
      {0x200C, {}, {{1, "VC,VL"}}, kAnswers, colourLight},
      {0x200C, {}, {{1, "VL,VC"}}, kAnswers, colourLight},
  };
  for (const char *pair : {"BK,VL", "NO,NO", "BK,NO", "UK", "NO", "", "BK,VC ", "VC"})
    cases.push_back({0x200C, {}, {{1, pair}}, kNoAnswer, {}});
  ExpectCases(kLM, cases);
}

TEST(LanguageMonitorKeys, InkText) {
  const std::pair<int32_t, int32_t> kInks[] = {{1, 5801}, {9, 5801}, {2, 5804},  {3, 5803},  {4, 5802},
                                               {6, 5807}, {7, 5806}, {19, 5449}, {20, 5805}, {21, 5805}};
  std::vector<KeyCase> cases;
  for (const auto &[ink, text] : kInks) cases.push_back({0x200D, {{7, ink}}, {}, kAnswers, {text}});
  for (int32_t ink : {0, 5, 8, 10, 18, 22, 104, -1}) cases.push_back({0x200D, {{7, ink}}, {}, kNoAnswer, {}});
  ExpectCases(kLM, cases);
}

TEST(LanguageMonitorKeys, InkLevelText) {
  // I[7] to the first values for I[8] = 1, 3, 4; the second value is 5412,
  // 5411, 5410 by I[8].
  const std::pair<int32_t, std::array<int32_t, 3>> kInks[] = {
      {1, {25029, 25030, 25031}},  {4, {25026, 25027, 25028}},  {3, {25032, 25033, 25034}},
      {20, {25060, 25061, 25062}}, {7, {25063, 25064, 25065}},  {6, {25066, 25067, 25068}},
      {9, {25023, 25024, 25025}},  {21, {25023, 25024, 25025}}, {2, {25035, 25036, 25037}},
  };
  const int32_t kLevels[] = {1, 3, 4};
  const int32_t kSecond[] = {5412, 5411, 5410};
  std::vector<KeyCase> cases;
  for (const auto &[ink, firsts] : kInks)
    for (size_t i = 0; i < 3; ++i)
      cases.push_back({0x200E, {{7, ink}, {8, kLevels[i]}}, {}, kAnswers, {firsts[i], kSecond[i]}});
  for (int32_t level : kLevels) cases.push_back({0x200E, {{7, 19}, {8, level}}, {}, kAnswers, {25040, 5412}});
  for (int32_t ink : {1, 19, 9})
    for (int32_t level : {0, 2, 5, -1}) cases.push_back({0x200E, {{7, ink}, {8, level}}, {}, kNoAnswer, {}});
  for (int32_t ink : {0, 5, 8, 104}) cases.push_back({0x200E, {{7, ink}, {8, 1}}, {}, kNoAnswer, {}});
  ExpectCases(kLM, cases);
}

TEST(LanguageMonitorKeys, CartridgeClass) {
  std::vector<KeyCase> cases;
  for (const char *pair : {"NO,BK", "BK,NO", "NO,VC", "VC,NO", "NO,VL", "VL,NO", "NO,NO", "NO"})
    cases.push_back({0x200F, {}, {{1, pair}}, kAnswers, {23}});
  for (const char *pair : {"UK,BK", "BK,UK", "UK,VC", "VC,UK", "UK,VL", "VL,UK", "UK,UK", "UK"})
    cases.push_back({0x200F, {}, {{1, pair}}, kAnswers, {22}});
  for (const char *pair : {"BK,VC", "VC,BK"}) cases.push_back({0x200F, {}, {{1, pair}}, kAnswers, {4}});
  for (const char *pair : {"VC,VL", "VL,VC"}) cases.push_back({0x200F, {}, {{1, pair}}, kAnswers, {6}});
  for (const char *pair :
       {"NO,UK", "UK,NO", "NO,SC", "SC,UK", "BK,BK", "VC,VC", "BK,VL", "SC", "", "no", "NO,", "UK,UK,UK"})
    cases.push_back({0x200F, {}, {{1, pair}}, kAnswers, {21}});
  ExpectCases(kLM, cases);
}

TEST(LanguageMonitorKeys, ModelName) {
  std::vector<KeyCase> cases = {
      {0x2009, {}, {{0, "QX M4K7"}}, kAnswers, {1}},   {0x2009, {}, {{0, "QXC-3000"}}, kAnswers, {1}},
      {0x2009, {}, {{0, "QX M4K"}}, kAnswers, {0}},    {0x2009, {}, {{0, "QX M4K7 "}}, kAnswers, {0}},
      {0x2009, {}, {{0, "qx m4k7"}}, kAnswers, {0}},   {0x2009, {}, {{0, "QXC-300"}}, kAnswers, {0}},
      {0x2009, {}, {{0, "QXC-30000"}}, kAnswers, {0}}, {0x2009, {}, {{0, ""}}, kAnswers, {0}},
  };
  ExpectCases(kLM, cases);

  Request absent = Request::Standard(kLM);
  absent.absentStrings[0] = true;
  Answer a = Ask(kLM, 0x2009, absent);
  EXPECT_EQ(a.status, kAnswers);
  EXPECT_EQ(a.ints(), std::vector<int32_t>{0});
}

TEST(LanguageMonitorKeys, MaintenanceOperation) {
  std::vector<KeyCase> cases;
  for (const char *op : {"Cleaning", "TestPrint", "ChangeHead", "ChangeTank", "RollerCleaning"})
    cases.push_back({0x202D, {}, {{4, op}}, kAnswers, {1}});
  for (const char *op : {"cleaning", "Cleaning ", "Clean", "RollerCleaning2", "Roller", "", "TESTPRINT"})
    cases.push_back({0x202D, {}, {{4, op}}, kAnswers, {0}});
  // The name is read from S[4] alone.
  cases.push_back({0x202D, {}, {{0, "Cleaning"}, {1, "Cleaning"}, {4, "x"}}, kAnswers, {0}});
  ExpectCases(kLM, cases);
}

TEST(LanguageMonitorKeys, MaskedFlags) {
  ExpectCases(kLM, {
                       // 0x2012: I[2] & 0xFF is 0x31.
                       {0x2012, {{2, 0x31}}, {}, kAnswers, {1}},
                       {0x2012, {{2, 0x1231}}, {}, kAnswers, {1}},
                       {0x2012, {{2, int32_t(0xFFFFFF31)}}, {}, kAnswers, {1}},
                       {0x2012, {{2, 0x32}}, {}, kAnswers, {0}},
                       {0x2012, {{2, 0x3100}}, {}, kAnswers, {0}},
                       {0x2012, {{2, 0}}, {}, kAnswers, {0}},
                       // 0x2013: I[2] & 0xF00 is 0xB00.
                       {0x2013, {{2, 0xB00}}, {}, kAnswers, {1}},
                       {0x2013, {{2, 0xB31}}, {}, kAnswers, {1}},
                       {0x2013, {{2, 0x7FFFFBFF}}, {}, kAnswers, {1}},
                       {0x2013, {{2, 0xA00}}, {}, kAnswers, {0}},
                       {0x2013, {{2, 0xB0}}, {}, kAnswers, {0}},
                       {0x2013, {{2, 0xF00}}, {}, kAnswers, {0}},
                       // 0x2030: I[0] & 0xF0000 is 0 and I[2] & 0xFF is 0x34.
                       {0x2030, {{0, 0}, {2, 0x34}}, {}, kAnswers, {120}},
                       {0x2030, {{0, int32_t(0xFFF0FFFF)}, {2, 0x1234}}, {}, kAnswers, {120}},
                       {0x2030, {{0, 0x10000}, {2, 0x34}}, {}, kAnswers, {0}},
                       {0x2030, {{0, 0x80000}, {2, 0x34}}, {}, kAnswers, {0}},
                       {0x2030, {{0, 0}, {2, 0x35}}, {}, kAnswers, {0}},
                       {0x2030, {{0, 0}, {2, 0x3400}}, {}, kAnswers, {0}},
                   });
}

TEST(LanguageMonitorKeys, SelectsOnOneValue) {
  ExpectCases(kLM, {
                       {0x2036, {{10, 81}}, {}, kAnswers, {2}},
                       {0x2036, {{10, 0}}, {}, kAnswers, {1}},
                       {0x2036, {{10, 80}}, {}, kAnswers, {1}},
                       {0x2036, {{10, 82}}, {}, kAnswers, {1}},
                       // 0x2043: the 0x1600-0x1635 status words share one answer.
                       {0x2043, {{6, 0x1600}}, {}, kAnswers, {5016, 200, 0}},
                       {0x2043, {{6, 0x1601}}, {}, kAnswers, {5016, 200, 0}},
                       {0x2043, {{6, 0x1635}}, {}, kAnswers, {5016, 200, 0}},
                       {0x2043, {{6, 0x15FF}}, {}, kNoAnswer, {}},
                       {0x2043, {{6, 0x1636}}, {}, kNoAnswer, {}},
                       {0x2043, {{6, 0x1000}}, {}, kAnswers, {5038, 300, 0}},
                       {0x2043, {{6, 0x1810}}, {}, kAnswers, {5024, 100, 0}},
                       {0x2043, {{6, 0x1001}}, {}, kNoAnswer, {}},
                       {0x2043, {{6, 0}}, {}, kNoAnswer, {}},
                       {0x2043, {{6, INT_MIN}}, {}, kNoAnswer, {}},
                   });
}

// A select on a slot the request does not have: -3 for integers, -2 for
// strings; a select whose earlier level already decided never gets there.
TEST(LanguageMonitorKeys, MissingParameters) {
  const ShortCase kShort[] = {
      {0x2001, 14, 1, {}, {}, kMissingString},
      {0x2001, 1, 2, {}, {{1, "BK,VC"}}, kMissingInt},
      {0x2001, 1, 2, {}, {{1, "UK,UK"}}, kMissingInt},
      {0x2001, 0, 2, {}, {{1, "BK,NO"}}, kAnswers},
      {0x2002, 14, 1, {}, {}, kMissingString},
      {0x2002, 5, 2, {}, {{1, "BK,VC"}}, kMissingInt},
      {0x2002, 6, 2, {{5, 1}}, {{1, "BK,VC"}}, kMissingInt},
      {0x2002, 6, 2, {{5, 3}}, {{1, "BK,VC"}}, kAnswers},
      {0x2002, 0, 2, {}, {{1, "NO,NO"}}, kAnswers},
      {0x2009, 14, 0, {}, {}, kMissingString},
      {0x200C, 14, 1, {}, {}, kMissingString},
      {0x200D, 7, 5, {}, {}, kMissingInt},
      {0x200E, 7, 5, {}, {}, kMissingInt},
      {0x200E, 8, 5, {{7, 1}}, {}, kMissingInt},
      {0x200E, 8, 5, {{7, 5}}, {}, kNoAnswer},
      {0x200F, 14, 1, {}, {}, kMissingString},
      {0x2012, 2, 5, {}, {}, kMissingInt},
      {0x2013, 2, 5, {}, {}, kMissingInt},
      {0x202D, 14, 4, {}, {}, kMissingString},
      {0x2030, 0, 5, {}, {}, kMissingInt},
      {0x2030, 2, 5, {{0, 0}}, {}, kMissingInt},
      {0x2030, 2, 5, {{0, 0x10000}}, {}, kAnswers},
      {0x2036, 10, 5, {}, {}, kMissingInt},
      {0x2043, 6, 5, {}, {}, kMissingInt},
  };
  for (const ShortCase &c : kShort) ExpectShort(kLM, c);
}

TEST(LanguageMonitorKeys, NarrowestKinds) {
  const ShapeCase kRows[] = {
      {0x2001, {{1, 0xC0000}}, {{1, "BK,VC"}}, NodeKind::NK_INT16, 5},
      {0x2001, {{1, 0}}, {{1, "BK,VC"}}, NodeKind::NK_INT8, 1},
      {0x2002, {{5, 1}, {6, 0x1601}}, {{1, "VC,VL"}}, NodeKind::NK_INT8, 3},
      {0x200C, {}, {{1, "BK,VC"}}, NodeKind::NK_INT16, 17},
      {0x2007, {}, {}, NodeKind::NK_INT32, 5},
      {0x201B, {}, {}, NodeKind::NK_UINT8, 1},
      {0x2018, {}, {}, NodeKind::NK_INT8, 1},
      {0x2019, {}, {}, NodeKind::NK_INT16, 1},
      {0x201A, {}, {}, NodeKind::NK_WIDE, 12},
      {0x202B, {}, {}, NodeKind::NK_WIDE, 12},
      {0x200F, {}, {{1, "NO"}}, NodeKind::NK_INT8, 1},
  };
  for (const ShapeCase &c : kRows) ExpectShape(kLM, c);
}

} // namespace
} // namespace m4k7::test
