// The language monitor's keys (0x2001-0x204B). The monitor passes the model
// name in S[0], the cartridge pair the printer reports in S[1], the printer's
// status word in I[6] (a four-digit status code read as a hexadecimal number)
// and the ink that a status names in I[7].
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "content.h"
#include "monitor_cartridges.h"

namespace imagec {

namespace {

using monitor::BothOrders;

std::vector<StringCase> TextsTo(const std::vector<std::string> &texts, NodeRef target) {
  std::vector<StringCase> cases;
  for (const std::string &t : texts) cases.push_back(text(t, target));
  return cases;
}

void Append(std::vector<StringCase> &cases, std::vector<StringCase> more) {
  cases.insert(cases.end(), more.begin(), more.end());
}

// Answers that hold whatever the request says.
void AddFixedKeys(ImageBuilder &b) {
  struct Fixed {
    Key key;
    const char *name;
    std::vector<int64_t> values;
  };
  const Fixed kFixed[] = {
      {0x2003, "fixed monitor ids [5019, 6618, 25010, 2]", {5019, 6618, 25010, 2}},
      {0x2004, "fixed monitor id 12421", {12421}},
      {0x2007, "five 32-bit values", {0x000F00FF, 0x00FF0000, 0x0000FFFF, -1, -1}},
      {0x200A, "fixed monitor number", {1}},
      {0x2010, "fixed monitor numbers [1, 256, 256]", {1, 256, 256}},
      {0x2011, "fixed monitor number", {1}},
      {0x2014, "fixed monitor number", {0}},
      {0x2016, "fixed monitor number", {0}},
      {0x2017, "fixed monitor number", {0}},
      {0x2018, "fixed monitor number", {103}},
      {0x2019, "fixed monitor number", {300}},
      {0x201B, "fixed monitor number", {200}},
      {0x201C, "fixed monitor number", {0}},
      {0x201D, "fixed monitor number", {0}},
      {0x201E, "fixed monitor ids [5026, 6617, 0, 0]", {5026, 6617, 0, 0}},
      {0x2021, "fixed monitor number", {1}},
      {0x2022, "fixed monitor number", {8}},
      {0x202E, "fixed monitor number", {1}},
      {0x203D, "fixed monitor number", {2}},
      {0x2041, "fixed monitor record [5037, 400, 0]", {5037, 400, 0}},
      {0x2042, "fixed monitor record [5038, 300, 0]", {5038, 300, 0}},
      {0x204B, "fixed monitor number", {1}},
  };
  for (const Fixed &f : kFixed) b.key(f.key, f.name, b.ints(f.key, f.values));
  b.key(0x201A, "DLL name tpxsb1o.dll", b.wide(0x201A, "tpxsb1o.dll"));
  b.key(0x202B, "DLL name tpxpm1o.dll", b.wide(0x202B, "tpxpm1o.dll"));
}

// 0x2001: the configuration record for the pair in S[1] (configuration
// number and two 56xx codes); I[1] tells the two-cartridge sets apart.
void AddConfiguration(ImageBuilder &b) {
  constexpr Key k = 0x2001;
  NodeRef none = b.ints(k, {0});
  std::vector<StringCase> cases;
  NodeRef oneCartridge = b.ints(k, {1, 5011, 0, 0, 10101});
  for (std::string_view pair : {"BK,NO", "NO,BK", "NO,NO", "NO,VC", "NO,VL", "VC,NO", "VL,NO"})
    cases.push_back(text(pair, oneCartridge));
  Append(cases,
         TextsTo(BothOrders("BK", "VC"),
                 b.select(1, {is(0xC0000, b.ints(k, {1, 5015, 5619, 5906, 10101})), otherwise(none)})));
  Append(cases,
         TextsTo(BothOrders("VC", "VL"),
                 b.select(1, {is(0x90000, b.ints(k, {1, 5014, 5621, 5907, 10101})), otherwise(none)})));
  cases.push_back(anyText(b.select(1, {is(0xC0000, b.ints(k, {1, 5028, 5614, 5606, 10101})),
                                       otherwise(b.ints(k, {1, 5028, 5614, 5604, 10101}))})));
  b.key(k, "configuration record of the cartridge pair", b.selectString(1, cases));
}

// 0x2002: the ink behind an ink-out status. I[5] is the status class, I[6]
// the status word; its low byte names the ink, the first ink being the black
// of the pair's black cartridge.
void AddInkOutKey(ImageBuilder &b) {
  constexpr Key k = 0x2002;
  struct StatusClass {
    int32_t value;    // I[5]
    int32_t codeBase; // I[6] without its ink byte
    int32_t last;
  };
  const StatusClass kClasses[] = {{1, 0x1600, 4}, {2, 0x1500, 3}};
  const int32_t kInkBytes[] = {0x01, 0x11, 0x12, 0x13, 0x34, 0x35};
  NodeRef none = b.ints(k, {0});
  auto byStatus = [&](int32_t black) {
    const int32_t inks[] = {black, 2, 3, 4, 6, 7}; // parallel to kInkBytes
    std::vector<Case> classes;
    for (const StatusClass &c : kClasses) {
      std::vector<Case> codes;
      for (size_t i = 0; i < std::size(kInkBytes); ++i)
        codes.push_back(is(c.codeBase + kInkBytes[i], b.ints(k, {2, inks[i], c.last})));
      codes.push_back(otherwise(none));
      classes.push_back(is(c.value, b.select(6, codes)));
    }
    classes.push_back(otherwise(none));
    return b.select(5, classes);
  };
  std::vector<StringCase> cases = TextsTo(BothOrders("BK", "VC"), byStatus(9));
  Append(cases, TextsTo(BothOrders("VC", "VL"), byStatus(20)));
  cases.push_back(anyText(none));
  b.key(k, "ink behind an ink-out status", b.selectString(1, cases));
}

// 0x200C: the cartridge layout of the two-cartridge heads.
void AddCartridgeLayout(ImageBuilder &b) {
  constexpr Key k = 0x200C;
  std::vector<StringCase> cases =
      TextsTo(BothOrders("BK", "VC"),
              b.ints(k, {5018, 5408, 5409, 25038, 25039, 5426, 5425, 0, 3, 3, 0, 19, 9, 19, 4, 3, 2}));
  Append(cases, TextsTo(BothOrders("VC", "VL"), b.ints(k, {5018, 5408, 5409, 25038, 25039, 5424, 5425, 0, 3,
                                                           3, 0, 20, 7, 6, 4, 3, 2})));
  b.key(k, "cartridge layout of the two-cartridge heads", b.selectString(1, cases));
}

// 0x200D and 0x200E: what the monitor shows for the ink in I[7]; 0x200E also
// by the cleaning level in I[8].
void AddInkKeys(ImageBuilder &b) {
  struct InkText {
    std::vector<int32_t> inks; // I[7]
    int64_t value;
  };
  const InkText kInkTexts[] = {{{1, 9}, 5801}, {{2}, 5804}, {{3}, 5803},  {{4}, 5802},
                               {{6}, 5807},    {{7}, 5806}, {{19}, 5449}, {{20, 21}, 5805}};
  std::vector<Case> inkTexts;
  for (const InkText &t : kInkTexts) {
    NodeRef leaf = b.ints(0x200D, {t.value});
    for (int32_t ink : t.inks) inkTexts.push_back(is(ink, leaf));
  }
  b.key(0x200D, "what the monitor shows for the ink", b.select(7, inkTexts));

  // a counts up with the level for each ink, b follows the level alone.
  const int32_t kLevels[] = {1, 3, 4}; // I[8]
  const int64_t kLevelTexts[] = {5412, 5411, 5410};
  struct InkLevels {
    std::vector<int32_t> inks; // I[7]
    int64_t firstA;
  };
  const InkLevels kInkLevels[] = {{{1}, 25029}, {{4}, 25026}, {{3}, 25032},     {{20}, 25060},
                                  {{7}, 25063}, {{6}, 25066}, {{9, 21}, 25023}, {{2}, 25035}};
  std::vector<Case> byInk;
  for (const InkLevels &l : kInkLevels) {
    std::vector<Case> byLevel;
    for (size_t i = 0; i < std::size(kLevels); ++i)
      byLevel.push_back(is(kLevels[i], b.ints(0x200E, {l.firstA + int64_t(i), kLevelTexts[i]})));
    NodeRef levels = b.select(8, byLevel);
    for (int32_t ink : l.inks) byInk.push_back(is(ink, levels));
  }
  // Ink 19 has one answer for every level.
  NodeRef ink19 = b.ints(0x200E, {25040, 5412});
  std::vector<Case> ink19Levels;
  for (int32_t level : kLevels) ink19Levels.push_back(is(level, ink19));
  byInk.push_back(is(19, b.select(8, ink19Levels)));
  b.key(0x200E, "what the monitor shows for the ink and cleaning level", b.select(7, byInk));
}

// 0x200F: the cartridge class of the pair in S[1]. A missing (NO) or unknown
// (UK) cartridge beside BK, VC, VL or its own code, or alone, has a class of
// its own; NO beside UK falls to the default.
void AddCartridgeClass(ImageBuilder &b) {
  constexpr Key k = 0x200F;
  std::vector<StringCase> cases;
  auto withPartners = [&](std::string_view code, int64_t kind) {
    NodeRef leaf = b.ints(k, {kind});
    for (std::string_view partner : {"BK", "VC", "VL"})
      Append(cases, TextsTo(BothOrders(code, partner), leaf));
    Append(cases, TextsTo(BothOrders(code, code), leaf));
    cases.push_back(text(code, leaf));
  };
  withPartners("NO", 23);
  withPartners("UK", 22);
  Append(cases, TextsTo(BothOrders("BK", "VC"), b.ints(k, {4})));
  Append(cases, TextsTo(BothOrders("VC", "VL"), b.ints(k, {6})));
  cases.push_back(anyText(b.ints(k, {21})));
  b.key(k, "cartridge class of the pair", b.selectString(1, cases));
}

// Yes/no answers on the model name, the maintenance operation name and bit
// fields of I[0] and I[2], and the I[10] switch.
void AddFlags(ImageBuilder &b) {
  b.key(0x2009, "1 for the model names QX M4K7 and QXC-3000, else 0",
        b.selectString(0, {text("QX M4K7", b.ints(0x2009, {1})), text("QXC-3000", b.ints(0x2009, {1})),
                           anyText(b.ints(0x2009, {0}))}));
  b.key(0x2012, "whether I[2]&0xFF is 0x31",
        b.selectMasked(2, 0xFF, {is(0x31, b.ints(0x2012, {1})), otherwise(b.ints(0x2012, {0}))}));
  b.key(0x2013, "whether I[2]&0xF00 is 0xB00",
        b.selectMasked(2, 0xF00, {is(0xB00, b.ints(0x2013, {1})), otherwise(b.ints(0x2013, {0}))}));

  std::vector<StringCase> operations;
  NodeRef yes = b.ints(0x202D, {1});
  for (std::string_view op : {"Cleaning", "TestPrint", "ChangeHead", "ChangeTank", "RollerCleaning"})
    operations.push_back(text(op, yes));
  operations.push_back(anyText(b.ints(0x202D, {0})));
  b.key(0x202D, "1 for the five maintenance operations it names, else 0", b.selectString(4, operations));

  NodeRef no = b.ints(0x2030, {0});
  b.key(0x2030, "120 for I[0]&0xF0000 = 0 and I[2]&0xFF = 0x34, else 0",
        b.selectMasked(0, 0xF0000,
                       {is(0, b.selectMasked(2, 0xFF, {is(0x34, b.ints(0x2030, {120})), otherwise(no)})),
                        otherwise(no)}));
  b.key(0x2036, "2 for I[10] = 81, else 1",
        b.select(10, {is(81, b.ints(0x2036, {2})), otherwise(b.ints(0x2036, {1}))}));

  // 0x2043: by the status word; the 0x16xx ink statuses share one answer.
  b.key(
      0x2043, "record by status word",
      b.select(6, {range(0x1600, 0x1635, b.ints(0x2043, {5016, 200, 0})),
                   is(0x1000, b.ints(0x2043, {5038, 300, 0})), is(0x1810, b.ints(0x2043, {5024, 100, 0}))}));
}

} // namespace

void AddLanguageMonitorKeys(ImageBuilder &b) {
  AddConfiguration(b);
  AddInkOutKey(b);
  AddCartridgeLayout(b);
  AddInkKeys(b);
  AddCartridgeClass(b);
  AddFlags(b);
  AddFixedKeys(b);
}

} // namespace imagec
