// The maintenance tool's keys (0x3001-0x300E): its functions, the step
// script it runs, the printer settings it offers, the control-language
// command texts it sends (by command number in I[0]) and the registration
// adjustments.
#include <cstdint>
#include <iterator>
#include <string_view>
#include <vector>

#include "content.h"

namespace imagec {

namespace {

using namespace std::string_view_literals;

// 0x3001: one record per maintenance function; the last value is the number
// that opens the function's section of the script (0x3003).
struct Function {
  int32_t index;
  int32_t values[8];
  int32_t section;
};
const Function kFunctions[] = {
    {0, {16801, 2201, 2202, 2201, 16821, 501, 1, 1}, 100},
    {1, {16802, 2204, 2205, 2204, 16822, 502, 1, 1}, 200},
    {2, {16805, 2213, 2214, 2213, 16825, 505, 1, 1}, 500},
    {6, {16809, 2225, 2226, 2227, 16829, 509, 1, 2}, 900},
    {7, {16810, 2228, 2229, 2230, 16830, 510, 1, 1}, 1000},
    {8, {16811, 2231, 2232, 2233, 16831, 511, 1, 1}, 1100},
    {10, {16812, 2234, 2235, 2236, 16832, 512, 1, 1}, 1200},
};

// 0x3003: the step script. Sections open with 1 and a function number and
// close with 999, 0, 0; the tool interprets the steps between.
constexpr int16_t kScript[] = {
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
static_assert(std::size(kScript) == 213);

// 0x3009: one record per printer setting; the second and third values are
// the commands (0x300B) that switch it, 0 where it has none.
constexpr int16_t kSettings[][6] = {
    {16842, 1203, 1204, 2, 1402, 1},  {16843, 1205, 1206, 3, 1403, 0}, {16844, 1207, 1208, 4, 1404, 0},
    {16845, 1209, 1210, 5, 1405, 0},  {16846, 0, 0, 6, 1406, 0},       {16848, 1215, 1216, 8, 1408, 0},
    {16850, 1219, 1220, 10, 1410, 1},
};

// 0x300B: the control-language texts by command number. The start and end
// texts frame a block of commands separated by line feeds.
struct Command {
  int32_t number;
  std::string_view text;
};
const Command kCommands[] = {
    {1, "\x1B[K\x02\x00\x00\x1FQXLSTART\x0A"sv},
    {2, "\x0AQXLEND\x0A"sv},
    {11, "ControlMode=Common"sv},
    {101, "@Cleaning=1ALL"sv},
    {102, "@Cleaning=1K"sv},
    {103, "@Cleaning=1COLOR"sv},
    {200, "@Cleaning=2ALL"sv},
    {500, "@TestPrint=NozzleCheck"sv},
    {900, "@PowerOff"sv},
    {1001, "AutoPowerOn="sv}, // the tool appends the value
    {1002, "AutoPowerOff="sv},
    {1100, "@TestPrint=Auto"sv},
    {1101, "@TestPrint=Manual1"sv},
    {1102, "@TestPrint=Manual2"sv},
    {1111, "SetRegistration=Y0360A"sv},
    {1121, "SetRegistration=X0360D"sv},
    {1122, "SetRegistration=X0360E"sv},
    {1123, "SetRegistration=X0360F"sv},
    {1124, "SetRegistration=X0360G"sv},
    {1125, "SetRegistration=X0360H"sv},
    {1126, "SetRegistration=X0360I"sv},
    {1131, "SetRegistration=X0720B"sv},
    {1132, "SetRegistration=X0720C"sv},
    {1141, "SetRegistration=Y0720A"sv},
    {1151, "SetRegistration=X0720D"sv},
    {1152, "SetRegistration=X0720E"sv},
    {1153, "SetRegistration=X0720F"sv},
    {1154, "SetRegistration=X0720G"sv},
    {1155, "SetRegistration=X0720H"sv},
    {1156, "SetRegistration=X1440I"sv},
    {1161, "SetRegistration=X1440B"sv},
    {1162, "SetRegistration=X1440C"sv},
    {1203, "SelectParallel=ECP"sv},
    {1204, "SelectParallel=Nibble"sv},
    {1205, "Reserve=A321"sv},
    {1206, "Reserve=A322"sv},
    {1207, "Reserve=A311"sv},
    {1208, "Reserve=A312"sv},
    {1209, "Reserve=A301"sv},
    {1210, "Reserve=A302"sv},
    {1215, "Reserve=A331"sv},
    {1216, "Reserve=A332"sv},
    {1219, "Reserve=A341"sv},
    {1220, "Reserve=A342"sv},
};
static_assert(std::size(kCommands) == 44);

// 0x300C: the registration adjustments. Each record is [a, b, c, d, 0, -n, n,
// command, group, 0 x 7]: the texts (a, b, c, d) and group are those of the
// adjustment, the range n and the SetRegistration command those of the
// resolution the tool adjusts (I[0]).
struct Adjustment {
  int32_t texts[4]; // a, b, c, d
  int32_t group;
};
const Adjustment kAdjustments[] = {
    {{24102, 24103, 24011, 24101}, 1202}, {{24202, 24203, 24021, 24201}, 1203},
    {{24212, 24213, 24211, 0}, 1203},     {{24222, 24223, 24221, 0}, 1203},
    {{24232, 24233, 24231, 0}, 1203},     {{24242, 24243, 24241, 0}, 1203},
    {{24252, 24253, 24251, 0}, 1203},     {{24302, 24303, 24031, 24301}, 1204},
    {{24312, 24313, 24311, 0}, 1204},
};
struct AdjustmentPass {
  int32_t function; // I[0]
  int32_t range[std::size(kAdjustments)];
  int32_t command[std::size(kAdjustments)];
};
const AdjustmentPass kAdjustmentPasses[] = {
    {1, {4, 4, 4, 4, 4, 4, 4, 7, 7}, {1111, 1121, 1122, 1123, 1124, 1125, 1126, 1131, 1132}},
    {2, {1, 1, 1, 1, 1, 1, 3, 1, 1}, {1141, 1151, 1152, 1153, 1154, 1155, 1156, 1161, 1162}},
};

NodeRef AdjustmentRecords(ImageBuilder &b, const AdjustmentPass &pass) {
  std::vector<int64_t> values;
  for (size_t i = 0; i < std::size(kAdjustments); ++i) {
    const Adjustment &a = kAdjustments[i];
    values.insert(values.end(), std::begin(a.texts), std::end(a.texts));
    values.insert(values.end(), {0, -pass.range[i], pass.range[i], pass.command[i], a.group});
    values.insert(values.end(), 7, 0);
  }
  return b.ints(0x300C, values);
}

} // namespace

void AddMaintenanceKeys(ImageBuilder &b) {
  std::vector<int64_t> functions;
  for (const Function &f : kFunctions) {
    functions.push_back(f.index);
    functions.insert(functions.end(), std::begin(f.values), std::end(f.values));
    functions.push_back(f.section);
  }
  b.key(0x3001, "maintenance functions, seven records of ten", b.ints(0x3001, functions));
  b.key(0x3003, "maintenance step script",
        b.ints(0x3003, std::vector<int64_t>(std::begin(kScript), std::end(kScript))));

  std::vector<int64_t> settings;
  for (const auto &s : kSettings) settings.insert(settings.end(), std::begin(s), std::end(s));
  b.key(0x3009, "maintenance settings, seven records of six", b.ints(0x3009, settings));

  std::vector<Case> commands;
  for (const Command &c : kCommands) commands.push_back(is(c.number, b.bytes(0x300B, c.text)));
  b.key(0x300B, "printer command text by command number", b.select(0, commands));

  std::vector<Case> passes;
  for (const AdjustmentPass &p : kAdjustmentPasses) passes.push_back(is(p.function, AdjustmentRecords(b, p)));
  b.key(0x300C, "registration adjustment records by pass", b.select(0, passes));

  b.key(0x300E, "adjustment record by pass",
        b.select(0, {is(1, b.ints(0x300E, {13751, 1205, 0, 100, 144, 18})),
                     is(2, b.ints(0x300E, {13752, 1205, 0, 100, 144, 18}))}));

  struct Fixed {
    Key key;
    const char *name;
    std::vector<int64_t> values;
  };
  const Fixed kFixed[] = {
      {0x3002, "fixed maintenance number", {10}},
      {0x3004, "fixed maintenance number", {3}},
      {0x3006, "fixed maintenance number", {0}},
      {0x3007, "fixed maintenance numbers [0, 5, 10, 15, 30, 60]", {0, 5, 10, 15, 30, 60}},
      {0x3008, "fixed maintenance number", {0}},
      {0x300A, "fixed maintenance number", {6}},
      {0x300D, "fixed maintenance number", {16}},
  };
  for (const Fixed &f : kFixed) b.key(f.key, f.name, b.ints(f.key, f.values));
}

} // namespace imagec
