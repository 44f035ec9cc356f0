// The maintenance tool's keys, asked through VRT_AccessMntDataBase.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "monitor_cases.h"

namespace m4k7::test {
namespace {

using namespace std::string_view_literals;

constexpr Database kMnt = Database::Maintenance;

std::vector<int32_t> AskInts(uint32_t key, int32_t function, AccessStatus *status) {
  Request r = Request::Standard(kMnt);
  r.set(0, function);
  Answer a = Ask(kMnt, key, r);
  *status = a.status;
  return a.ints();
}

std::string AskCommand(int32_t number, AccessStatus *status) {
  Request r = Request::Standard(kMnt);
  r.set(0, number);
  Answer a = Ask(kMnt, 0x300B, r);
  *status = a.status;
  return a.text();
}

const std::vector<int32_t> kScript = {
    1,   100,   0,    10,  0,     0,    5,   0,     9999, 13,  3,     6, 3,   16901, 2, 999, 0,     0,
    1,   200,   0,    2,   200,   0,    13,  3,     6,    3,   16901, 2, 999, 0,     0, 1,   500,   0,
    3,   16921, 18,   5,   0,     9999, 2,   500,   0,    13,  3,     6, 3,   16901, 2, 999, 0,     0,
    1,   900,   0,    3,   16941, 18,   5,   0,     9999, 2,   900,   0, 999, 0,     0, 1,   1000,  0,
    8,   0,     0,    999, 0,     0,    1,   1100,  0,    4,   4,     6, 5,   1101,  0, 3,   16957, 18,
    5,   0,     9999, 2,   1100,  0,    13,  3,     6,    3,   16901, 2, 999, 0,     0, 1,   1101,  0,
    3,   16956, 18,   5,   0,     9999, 2,   1101,  0,    13,  3,     6, 3,   16901, 2, 3,   16951, 35,
    5,   0,     1102, 12,  1,     0,    5,   0,     9999, 3,   16958, 2, 2,   1102,  0, 13,  3,     6,
    3,   16901, 2,    12,  2,     0,    3,   16961, 1,    999, 0,     0, 1,   1102,  0, 3,   16952, 2,
    999, 0,     0,    1,   1200,  0,    4,   3,     1,    5,   1201,  0, 9,   5,     0, 999, 0,     0,
    1,   1201,  0,    9,   7,     0,    999, 0,     0,    1,   9901,  0, 13,  0,     1, 5,   9999,  0,
    3,   15951, 4,    999, 0,     0,    1,   9999,  0,    999, 0,     0, 0,   0,     0,
};

TEST(MaintenanceKeys, IndexHoldsExactlyTheseKeys) {
  const std::vector<uint32_t> want = {0x3001, 0x3002, 0x3003, 0x3004, 0x3006, 0x3007, 0x3008,
                                      0x3009, 0x300A, 0x300B, 0x300C, 0x300D, 0x300E};
  EXPECT_EQ(KeysPresent(kMnt), want);
}

TEST(MaintenanceKeys, FixedAnswers) {
  const std::vector<std::pair<uint32_t, std::vector<int32_t>>> kFixed = {
      {0x3001, {0,    16801, 2201, 2202,  2201, 16821, 501,  1,     1,    100,   1,    16802, 2204, 2205,
                2204, 16822, 502,  1,     1,    200,   2,    16805, 2213, 2214,  2213, 16825, 505,  1,
                1,    500,   6,    16809, 2225, 2226,  2227, 16829, 509,  1,     2,    900,   7,    16810,
                2228, 2229,  2230, 16830, 510,  1,     1,    1000,  8,    16811, 2231, 2232,  2233, 16831,
                511,  1,     1,    1100,  10,   16812, 2234, 2235,  2236, 16832, 512,  1,     1,    1200}},
      {0x3002, {10}},
      {0x3003, kScript},
      {0x3004, {3}},
      {0x3006, {0}},
      {0x3007, {0, 5, 10, 15, 30, 60}},
      {0x3008, {0}},
      {0x3009, {16842, 1203, 1204,  2,    1402,  1,    16843, 1205, 1206,  3,    1403,  0,  16844, 1207,
                1208,  4,    1404,  0,    16845, 1209, 1210,  5,    1405,  0,    16846, 0,  0,     6,
                1406,  0,    16848, 1215, 1216,  8,    1408,  0,    16850, 1219, 1220,  10, 1410,  1}},
      {0x300A, {6}},
      {0x300D, {16}},
  };
  ASSERT_EQ(kScript.size(), 213u);
  for (const auto &[key, want] : kFixed) {
    for (int32_t function : {0, 1, 2, 1100}) ExpectCase(kMnt, {key, {{0, function}}, {}, kAnswers, want});
    Request empty;
    EXPECT_EQ(Ask(kMnt, key, empty).status, kAnswers) << "key " << key << " with no slots";
  }
}

// Every function of 0x3001 names, in its last value, a section that the
// script of 0x3003 opens with 1 and that number, and every section closes
// with 999, 0, 0.
TEST(MaintenanceKeys, FunctionsOpenScriptSections) {
  AccessStatus s;
  std::vector<int32_t> functions = AskInts(0x3001, 0, &s);
  ASSERT_EQ(functions.size(), 70u);
  std::vector<int32_t> script = AskInts(0x3003, 0, &s);
  ASSERT_EQ(script.size(), 213u);
  for (size_t f = 0; f < 7; ++f) {
    const int32_t opener[] = {1, functions[f * 10 + 9], 0};
    EXPECT_NE(std::search(script.begin(), script.end(), std::begin(opener), std::end(opener)), script.end())
        << "section " << opener[1];
  }
  const int32_t closer[] = {999, 0, 0};
  size_t sections = 0;
  for (auto it = script.begin();
       (it = std::search(it, script.end(), std::begin(closer), std::end(closer))) != script.end(); ++it)
    ++sections;
  EXPECT_EQ(sections, 12u);
}

struct CommandText {
  int32_t number;
  std::string_view text;
  size_t length;
};

const CommandText kCommands[] = {
    {1, "\x1B[K\x02\x00\x00\x1FQXLSTART\x0A"sv, 16},
    {2, "\x0AQXLEND\x0A"sv, 8},
    {11, "ControlMode=Common"sv, 18},
    {101, "@Cleaning=1ALL"sv, 14},
    {102, "@Cleaning=1K"sv, 12},
    {103, "@Cleaning=1COLOR"sv, 16},
    {200, "@Cleaning=2ALL"sv, 14},
    {500, "@TestPrint=NozzleCheck"sv, 22},
    {900, "@PowerOff"sv, 9},
    {1001, "AutoPowerOn="sv, 12},
    {1002, "AutoPowerOff="sv, 13},
    {1100, "@TestPrint=Auto"sv, 15},
    {1101, "@TestPrint=Manual1"sv, 18},
    {1102, "@TestPrint=Manual2"sv, 18},
    {1111, "SetRegistration=Y0360A"sv, 22},
    {1121, "SetRegistration=X0360D"sv, 22},
    {1122, "SetRegistration=X0360E"sv, 22},
    {1123, "SetRegistration=X0360F"sv, 22},
    {1124, "SetRegistration=X0360G"sv, 22},
    {1125, "SetRegistration=X0360H"sv, 22},
    {1126, "SetRegistration=X0360I"sv, 22},
    {1131, "SetRegistration=X0720B"sv, 22},
    {1132, "SetRegistration=X0720C"sv, 22},
    {1141, "SetRegistration=Y0720A"sv, 22},
    {1151, "SetRegistration=X0720D"sv, 22},
    {1152, "SetRegistration=X0720E"sv, 22},
    {1153, "SetRegistration=X0720F"sv, 22},
    {1154, "SetRegistration=X0720G"sv, 22},
    {1155, "SetRegistration=X0720H"sv, 22},
    {1156, "SetRegistration=X1440I"sv, 22},
    {1161, "SetRegistration=X1440B"sv, 22},
    {1162, "SetRegistration=X1440C"sv, 22},
    {1203, "SelectParallel=ECP"sv, 18},
    {1204, "SelectParallel=Nibble"sv, 21},
    {1205, "Reserve=A321"sv, 12},
    {1206, "Reserve=A322"sv, 12},
    {1207, "Reserve=A311"sv, 12},
    {1208, "Reserve=A312"sv, 12},
    {1209, "Reserve=A301"sv, 12},
    {1210, "Reserve=A302"sv, 12},
    {1215, "Reserve=A331"sv, 12},
    {1216, "Reserve=A332"sv, 12},
    {1219, "Reserve=A341"sv, 12},
    {1220, "Reserve=A342"sv, 12},
};

TEST(MaintenanceKeys, CommandTextsByteForByte) {
  ASSERT_EQ(std::size(kCommands), 44u);
  for (const CommandText &c : kCommands) {
    ASSERT_EQ(c.text.size(), c.length) << c.number; // the table itself
    Request r = Request::Standard(kMnt);
    r.set(0, c.number);
    Answer a = Ask(kMnt, 0x300B, r);
    ASSERT_EQ(a.status, kAnswers) << c.number;
    EXPECT_EQ(a.size, c.length) << c.number;
    EXPECT_EQ(Hex(a.bytes), Hex(Bytes(c.text))) << c.number;
  }
}

TEST(MaintenanceKeys, CommandFrameTexts) {
  AccessStatus s;
  std::string start = AskCommand(1, &s);
  ASSERT_EQ(s, kAnswers);
  ASSERT_EQ(start.size(), 16u);
  EXPECT_EQ(start.substr(0, 7), std::string("\x1B[K\x02\x00\x00\x1F", 7)); // 16-bit length 2, then 00 1F
  EXPECT_EQ(start.back(), '\x0A');                                         // no terminating NUL
  std::string end = AskCommand(2, &s);
  ASSERT_EQ(s, kAnswers);
  ASSERT_EQ(end.size(), 8u);
  EXPECT_EQ(end.front(), '\x0A');
  EXPECT_EQ(end.back(), '\x0A');
  EXPECT_EQ(AskCommand(1001, &s), "AutoPowerOn=");
}

TEST(MaintenanceKeys, CommandNumbersOutsideTheTable) {
  for (int32_t number : {0,    3,    10,   12,   100,  104,  199,  201,  499,  501,  899,  901,   1000,
                         1003, 1099, 1103, 1110, 1112, 1120, 1127, 1130, 1133, 1140, 1142, 1150,  1157,
                         1160, 1163, 1200, 1202, 1211, 1212, 1214, 1217, 1218, 1221, -1,   -1203, 0x10001}) {
    AccessStatus s;
    AskCommand(number, &s);
    EXPECT_EQ(s, kNoAnswer) << number;
  }
}

// The settings of 0x3009 name their switch commands in 0x300B.
TEST(MaintenanceKeys, SettingsNameParallelAndReserveCommands) {
  AccessStatus s;
  std::vector<int32_t> settings = AskInts(0x3009, 0, &s);
  ASSERT_EQ(settings.size(), 42u);
  for (size_t row = 0; row < 7; ++row)
    for (size_t col : {1u, 2u}) {
      int32_t number = settings[row * 6 + col];
      if (number == 0) continue;
      std::string command = AskCommand(number, &s);
      ASSERT_EQ(s, kAnswers) << number;
      EXPECT_TRUE(command.rfind("SelectParallel=", 0) == 0 || command.rfind("Reserve=", 0) == 0) << number;
    }
}

TEST(MaintenanceKeys, RegistrationAdjustments) {
  // (a, b, c, d) and group of the nine adjustments; the range n and command
  // of each by I[0].
  const int32_t kTexts[9][4] = {
      {24102, 24103, 24011, 24101}, {24202, 24203, 24021, 24201}, {24212, 24213, 24211, 0},
      {24222, 24223, 24221, 0},     {24232, 24233, 24231, 0},     {24242, 24243, 24241, 0},
      {24252, 24253, 24251, 0},     {24302, 24303, 24031, 24301}, {24312, 24313, 24311, 0}};
  const int32_t kGroups[9] = {1202, 1203, 1203, 1203, 1203, 1203, 1203, 1204, 1204};
  const int32_t kRange[2][9] = {{4, 4, 4, 4, 4, 4, 4, 7, 7}, {1, 1, 1, 1, 1, 1, 3, 1, 1}};
  const int32_t kCommand[2][9] = {{1111, 1121, 1122, 1123, 1124, 1125, 1126, 1131, 1132},
                                  {1141, 1151, 1152, 1153, 1154, 1155, 1156, 1161, 1162}};
  for (int32_t function : {1, 2}) {
    AccessStatus s;
    std::vector<int32_t> got = AskInts(0x300C, function, &s);
    ASSERT_EQ(s, kAnswers) << function;
    ASSERT_EQ(got.size(), 144u) << function;
    for (size_t i = 0; i < 9; ++i) {
      const int32_t n = kRange[function - 1][i];
      std::vector<int32_t> want(kTexts[i], kTexts[i] + 4);
      want.insert(want.end(), {0, -n, n, kCommand[function - 1][i], kGroups[i], 0, 0, 0, 0, 0, 0, 0});
      EXPECT_EQ(std::vector<int32_t>(got.begin() + i * 16, got.begin() + i * 16 + 16), want)
          << "I[0]=" << function << " record " << i;
      std::string command = AskCommand(kCommand[function - 1][i], &s);
      EXPECT_EQ(command.rfind("SetRegistration=", 0), 0u) << kCommand[function - 1][i];
    }
  }
  // The first record, written out.
  AccessStatus s;
  std::vector<int32_t> first = AskInts(0x300C, 1, &s);
  ASSERT_GE(first.size(), 16u);
  EXPECT_EQ(std::vector<int32_t>(first.begin(), first.begin() + 16),
            (std::vector<int32_t>{24102, 24103, 24011, 24101, 0, -4, 4, 1111, 1202, 0, 0, 0, 0, 0, 0, 0}));
  for (int32_t function : {0, 3, -1}) {
    AskInts(0x300C, function, &s);
    EXPECT_EQ(s, kNoAnswer) << function;
  }
}

TEST(MaintenanceKeys, FunctionSettingsByI0) {
  ExpectCases(kMnt, {
                        {0x300E, {{0, 1}}, {}, kAnswers, {13751, 1205, 0, 100, 144, 18}},
                        {0x300E, {{0, 2}}, {}, kAnswers, {13752, 1205, 0, 100, 144, 18}},
                        {0x300E, {{0, 0}}, {}, kNoAnswer, {}},
                        {0x300E, {{0, 3}}, {}, kNoAnswer, {}},
                    });
}

TEST(MaintenanceKeys, MissingFunctionNumber) {
  for (uint32_t key : {0x300Bu, 0x300Cu, 0x300Eu}) ExpectShort(kMnt, {key, 0, 0, {}, {}, kMissingInt});
}

TEST(MaintenanceKeys, NarrowestKinds) {
  const std::tuple<uint32_t, int32_t, NodeKind, uint16_t> kRows[] = {
      {0x3001, 0, NodeKind::NK_INT16, 70},  {0x3003, 0, NodeKind::NK_INT16, 213},
      {0x3007, 0, NodeKind::NK_INT8, 6},    {0x3009, 0, NodeKind::NK_INT16, 42},
      {0x300B, 1, NodeKind::NK_BYTES, 16},  {0x300B, 1204, NodeKind::NK_BYTES, 21},
      {0x300C, 2, NodeKind::NK_INT16, 144}, {0x300E, 1, NodeKind::NK_INT16, 6},
  };
  for (const auto &[key, function, kind, count] : kRows) {
    LeafShape s = ShapeOf(kMnt, key, {{0, function}}, {});
    EXPECT_EQ(s.kind, kind) << key;
    EXPECT_EQ(s.count, count) << key;
  }
}

} // namespace
} // namespace m4k7::test
