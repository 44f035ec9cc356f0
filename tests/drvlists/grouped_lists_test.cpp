// Grouped lists: the command sequences of keys 4120-4125, joined from the
// fragments their entries pick for the current settings.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "drvlists/drvlists.h"
#include "support/ask.h"
#include "support/printer_data_file.h"

namespace m4k7 {
namespace {

using test::Answer;
using test::Ask;
using test::Request;

constexpr uint32_t kNoSize = 0xDEADBEEF;

std::string Text(const Answer &a) { return a.text(); }
std::string Hex(const std::string &s) { return test::Hex({s.begin(), s.end()}); }
std::string Be16(int v) { return {char(v >> 8), char(v & 0xFF)}; }

// The print-mode command of one branch of the print-mode tree, written out
// command by command apart from the image's content.
std::string PrintModeCommand(int ink, int i9, int media, int q) {
  auto in = [media](std::initializer_list<int> set) {
    for (int m : set)
      if (m == media) return true;
    return false;
  };
  char first = '0';
  if (i9 == 1 && ink == 4)
    first = (media == 276 || (q == 3 && in({2, 258, 273})) || (q == 4 && media == 2)) ? '0' : '1';
  if (i9 == 1 && ink == 6) first = (q == 3 || q == 5 || (q == 4 && media == 2)) ? '1' : '0';
  const std::map<int, int> kMediaCodes = {{1, 0},   {275, 0}, {2, 2},   {258, 3}, {273, 3},
                                          {259, 4}, {270, 5}, {277, 5}, {279, 5}, {276, 6},
                                          {271, 7}, {262, 8}, {263, 8}, {283, 7}};
  int code = kMediaCodes.at(media);
  if (media == 283 && ink == 4 && i9 == 1) code = 8;
  const int qualityCode = q <= 3 ? 2 : q == 4 ? 1 : 0;
  std::string c = std::string("\x1B(c\x03\x00", 5) + first + char(code) + char(qualityCode);

  const int kRes4[][2] = {{720, 1440}, {720, 720}, {360, 360}, {360, 360}, {180, 180}};
  const int kRes6[][2] = {{720, 720}, {360, 360}, {360, 360}, {360, 360}, {180, 180}};
  const int *res = ink == 4 ? kRes4[q - 1] : kRes6[q - 1];
  std::string d = std::string("\x1B(d\x04\x00", 5) + Be16(res[0]) + Be16(res[1]);

  const char *t;
  if (q >= 4)
    t = "\x01\x00\x01";
  else if (ink == 4 && q == 1)
    t = "\x01\x04\x09";
  else if (ink == 4 && q == 2)
    t = "\x01\x00\x09";
  else if (ink == 6 && q == 1)
    t = "\x01\x00\x0C";
  else if (ink == 6 && q == 2)
    t = "\x02\x90\x0C";
  else if (media == 259)
    t = "\x01\x00\x01";
  else if (in({2, 258, 273}))
    t = "\x02\x80\x01";
  else
    t = "\x02\x80\x09";
  return c + d + std::string("\x1B(t\x03\x00", 5) + std::string(t, 3);
}

// The page-format command's eight data bytes by paper size: I[52] = 5, else.
const std::map<int, std::pair<const char *, const char *>> kPageFormats = {
    {11, {"01 F1 00 00 01 4E 00 00", "01 D9 00 00 01 4E 00 00"}},
    {78, {"01 5E 00 00 01 E0 00 00", "01 46 00 00 01 E0 00 00"}},
    {9, {"02 BE 00 00 01 E0 00 00", "02 A6 00 00 01 E0 00 00"}},
    {13, {"02 60 00 00 01 9E 00 00", "02 48 00 00 01 9E 00 00"}},
    {1, {"02 94 00 00 01 E0 00 00", "02 7D 00 00 01 E0 00 07"}},
    {5, {"03 48 00 00 01 E0 00 00", "03 31 00 00 01 E0 00 07"}},
    {43, {"01 5E 00 00 00 DD 00 00", "01 46 00 00 00 DD 00 00"}},
    {270, {"00 F9 00 00 01 E0 00 00", "00 E1 00 00 01 E0 00 07"}},
    {271, {"00 E8 00 00 01 B1 00 00", "00 D0 00 00 01 A3 00 07"}},
    {272, {"03 1E 00 00 01 E0 00 00", "02 9A 00 00 02 04 00 00"}},
    {273, {"03 48 00 00 01 E0 00 00", "02 C4 00 00 01 F6 00 00"}},
    {275, {"01 FE 00 00 01 0B 00 00", "01 7A 00 00 01 03 00 00"}},
    // The user-defined size, computed from I[96] = 14800 and I[97] = 21000.
    {256, {"01 F1 00 00 01 4E 00 00", "01 D9 00 00 01 4E 00 00"}},
};

std::string FromHex(const char *hex) {
  std::string out;
  for (const char *p = hex; *p;) {
    out += char(std::strtol(p, nullptr, 16));
    p += 2;
    while (*p == ' ') ++p;
  }
  return out;
}

std::string PageFormat(int size, int marginMode) {
  auto it = kPageFormats.find(size);
  if (it == kPageFormats.end()) return "";
  return std::string("\x1B(p\x08\x00", 5) + FromHex(marginMode == 5 ? it->second.first : it->second.second);
}

std::string MediaByte(int media, int size, int marginMode) {
  if (marginMode == 5) return "\x0B";
  if (media == 279 || size == 272 || size == 273) return "\x0A";
  const std::map<int, int> kBytes = {{1, 0x00},   {2, 0x02},   {258, 0x03}, {259, 0x04}, {262, 0x09},
                                     {263, 0x08}, {270, 0x09}, {271, 0x07}, {273, 0x03}, {275, 0x0F},
                                     {276, 0x06}, {277, 0x05}, {283, 0x09}};
  return std::string(1, char(kBytes.at(media)));
}

// The ids of an item list, asked of the driver.
std::vector<int32_t> ListIds(uint32_t key, Request &r) {
  uint32_t size = 0;
  if (VRT_AccessDrvDataBase(key, &r.view(), 0, nullptr, &size) != 2) return {};
  std::vector<ListItem> items(size / sizeof(ListItem));
  uint32_t out = 0;
  if (VRT_AccessDrvDataBase(key, &r.view(), size, items.data(), &out) != 0) return {};
  std::vector<int32_t> ids;
  for (const ListItem &i : items) ids.push_back(i.id);
  return ids;
}

// Key 4121 for every combination of settings that the driver's own lists
// offer: ink count, I[9], media, quality, I[6], paper size, margin mode and
// paper source.
TEST(GroupedLists, PageSetupForEverySetting) {
  Request r = Request::Standard(Database::Driver).withSettings({{96, 14800}, {97, 21000}});
  int printModes = 0, checked = 0, failures = 0;
  std::set<std::string> commands;
  const std::vector<int32_t> inks = ListIds(4108, r);
  ASSERT_EQ(inks, (std::vector<int32_t>{4, 6}));
  for (int32_t ink : inks)
    for (int32_t i9 : {0, 1}) {
      r.set(4, ink).set(9, i9).set(81, 0);
      const std::vector<int32_t> media = ListIds(4110, r);
      ASSERT_EQ(media.size(), 14u);
      for (int32_t m : media) {
        r.set(5, m);
        for (int32_t q : ListIds(4118, r)) {
          r.set(8, q);
          for (int32_t i6 : ListIds(4116, r)) {
            r.set(6, i6);
            ++printModes;
            const std::string command = PrintModeCommand(ink, i9, m, q);
            commands.insert(command);
            for (int32_t size : ListIds(4113, r))
              for (int32_t marginMode : {5, 0}) {
                r.set(28, size).set(52, marginMode);
                for (int32_t source : ListIds(4114, r)) {
                  r.set(7, source);
                  const std::string want = std::string("\x1B(b\x01\x00\x01", 6) + command +
                                           PageFormat(size, marginMode) + std::string("\x1B(l\x02\x00", 5) +
                                           (source == 4 ? "1" : "4") + MediaByte(m, size, marginMode);
                  Answer a = Ask(Database::Driver, 4121, r);
                  ++checked;
                  if ((a.status != 0 || Text(a) != want) && ++failures <= 10)
                    ADD_FAILURE() << "I[4]=" << ink << " I[9]=" << i9 << " I[5]=" << m << " I[8]=" << q
                                  << " I[6]=" << i6 << " I[28]=" << size << " I[52]=" << marginMode
                                  << " I[7]=" << source << ": status " << a.status << "\n got  "
                                  << Hex(Text(a)) << "\n want " << Hex(want);
                }
              }
          }
        }
      }
    }
  EXPECT_EQ(printModes, 280); // the leaves of the print-mode tree
  EXPECT_EQ(commands.size(), 48u);
  EXPECT_EQ(checked, 280 * 20 * 3);
  EXPECT_EQ(failures, 0);
}

TEST(GroupedLists, PageSetupExamples) {
  Request r = Request::Standard(Database::Driver)
                  .withSettings({{4, 4}, {9, 0}, {5, 1}, {8, 2}, {6, 1}, {28, 8}, {52, 0}, {7, 7}});
  Answer a = Ask(Database::Driver, 4121, r);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.size, 38u); // A3 has no page-format command
  EXPECT_EQ(Hex(Text(a)), "1B 28 62 01 00 01 "
                          "1B 28 63 03 00 30 00 02 1B 28 64 04 00 02 D0 02 D0 1B 28 74 03 00 01 00 09 "
                          "1B 28 6C 02 00 34 00");
  // Settings the trees have no branch for leave their entries out.
  r.set(5, 999).set(7, 0);
  Answer none = Ask(Database::Driver, 4121, r);
  ASSERT_EQ(none.status, 0);
  EXPECT_EQ(Hex(Text(none)), "1B 28 62 01 00 01");
}

TEST(GroupedLists, SingleFragmentKeys) {
  struct Case {
    uint32_t key;
    const char *want;
  };
  const Case kCases[] = {{4122, "1B 28 71 01 00 00"},
                         {4123, "1B 40"},
                         {4124, "1B 28 62 01 00 00"},
                         {4125, "1B 28 65 02 00 00 01 0C"}};
  for (const Case &c : kCases) {
    Request r = Request::Standard(Database::Driver);
    Answer a = Ask(Database::Driver, c.key, r);
    ASSERT_EQ(a.status, 0) << c.key;
    EXPECT_EQ(Hex(Text(a)), c.want) << c.key;
    EXPECT_EQ(a.size, a.bytes.size()) << c.key;
  }
}

// The size query and the call with exactly that size; with a larger buffer
// only the joined bytes are written and outSize tells how many.
TEST(GroupedLists, SizeNegotiation) {
  Request r = Request::Standard(Database::Driver)
                  .withSettings({{4, 6}, {9, 1}, {5, 275}, {8, 4}, {6, 2}, {28, 9}, {52, 0}, {7, 4}});
  uint32_t size = kNoSize;
  ASSERT_EQ(VRT_AccessDrvDataBase(4121, &r.view(), 0, nullptr, &size), 2);
  EXPECT_EQ(size, 6u + 25 + 13 + 6 + 1);
  Answer larger = test::AskOnce(Database::Driver, 4121, r, size + 10);
  EXPECT_EQ(larger.status, 0);
  EXPECT_EQ(larger.size, size);
  EXPECT_EQ(Hex(Text(Ask(Database::Driver, 4121, r))), Hex(Text(larger)));
}

// The file store of printer data is the POSIX build's.
#if !defined(_WIN32)

const char kEcpPrinters[] = "[Nibble]\nTpxUI_CustomECPMode = dword:0\n"
                            "[One]\nTpxUI_CustomECPMode = dword:1\n"
                            "[Missing]\nTpxUI_CustomPausePage = dword:0\n"
                            "[Long]\nTpxUI_CustomECPMode = hex:01,02,03,04,05,06,07,08\n"
                            "[Short]\nTpxUI_CustomECPMode = hex:00\n";

std::string StartBlock(const char *parallel) {
  return std::string("\x1B[K\x02\x00\x00\x1FQXLSTART\nControlMode=Common\n", 35) + parallel + "\nQXLEND\n" +
         std::string("\x1B[K\x02\x00\x00\x0F", 7);
}

TEST(GroupedLists, StartBlockByPrinterData) {
  test::PrinterDataFile store(kEcpPrinters);
  struct Case {
    const char *printer;
    const char *parallel;
  };
  const Case kCases[] = {{"Nibble", "SelectParallel=Nibble"},
                         {"One", "SelectParallel=ECP"},
                         {"Missing", "SelectParallel=ECP"},
                         {"Long", "SelectParallel=ECP"},
                         {"Short", "SelectParallel=Nibble"}};
  for (const Case &c : kCases) {
    Request r = Request::Standard(Database::Driver);
    r.printerName = test::Utf16(c.printer);
    Answer a = Ask(Database::Driver, 4120, r);
    ASSERT_EQ(a.status, 0) << c.printer;
    EXPECT_EQ(Text(a), StartBlock(c.parallel)) << c.printer;
    EXPECT_EQ(a.size, std::string(c.printer) == "Nibble" || std::string(c.printer) == "Short" ? 71u : 68u);

    r.set(79, 0x00D00000).set(80, 0x0102);
    Answer withOption = Ask(Database::Driver, 4120, r);
    ASSERT_EQ(withOption.status, 0) << c.printer;
    EXPECT_EQ(Text(withOption),
              StartBlock(c.parallel) + std::string("\x1B($\x07\x00\x01\x00\x01\x01\x02\x00\x11", 12))
        << c.printer;
  }
}

TEST(GroupedLists, StartBlockNeedsAPrinter) {
  test::PrinterDataFile store(kEcpPrinters);
  Request none = Request::Standard(Database::Driver);
  EXPECT_EQ(Ask(Database::Driver, 4120, none).status, -4);
  Request unknown = Request::Standard(Database::Driver);
  unknown.printerName = test::Utf16("No Such Printer");
  EXPECT_EQ(Ask(Database::Driver, 4120, unknown).status, -4);
}

#endif // !_WIN32

} // namespace
} // namespace m4k7
