// The tool's command line: numbers, options, and requests built from them.
#include <sstream>

#include <gtest/gtest.h>

#include "args.h"
#include "request.h"

namespace m4k7cli {
namespace {

TEST(CliNumbers, ValuesKeysAndSlots) {
  struct Case {
    const char *text;
    bool ok;
    int32_t want;
  };
  const Case values[] = {
      {"0", true, 0},
      {"-1", true, -1},
      {"0x800000", true, 0x800000},
      {"0X1f", true, 31},
      {"2147483647", true, INT32_MAX},
      {"-2147483648", true, INT32_MIN},
      {"0x80000001", true, -2147483647},
      {"4294967295", true, -1},
      {"4294967296", false, 0},
      {"-2147483649", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"0x", false, 0},
      {"12a", false, 0},
      {" 1", false, 0},
      {"1.5", false, 0},
      {"+7", true, 7},
      {"0xg", false, 0},
  };
  for (const Case &c : values) {
    int32_t v = 12345;
    std::string error;
    EXPECT_EQ(ParseValue(c.text, &v, &error), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.want) << c.text;
    } else {
      EXPECT_FALSE(error.empty()) << c.text;
    }
  }

  struct KeyCase {
    const char *text;
    bool ok;
    uint32_t want;
  };
  const KeyCase keys[] = {
      {"3", true, 3},
      {"0x1003", true, 0x1003},
      {"0xFFFFFFFF", true, 0xFFFFFFFF},
      {"0x100000000", false, 0},
      {"-1", false, 0},
      {"abc", false, 0},
      {"99999999999999999999999", false, 0},
  };
  for (const KeyCase &c : keys) {
    uint32_t k = 0;
    std::string error;
    EXPECT_EQ(ParseKey(c.text, &k, &error), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(k, c.want) << c.text;
    }
  }
  uint32_t slot = 0;
  std::string error;
  EXPECT_TRUE(ParseSlot("4095", &slot, &error));
  EXPECT_FALSE(ParseSlot("4096", &slot, &error));
  EXPECT_TRUE(ParseSlotCount("4096", &slot, &error));
  EXPECT_FALSE(ParseSlotCount("4097", &slot, &error));
}

CommandLine Parse(std::vector<std::string> args, bool *ok, std::string *error) {
  CommandLine cl;
  *ok = ParseCommandLine(args, kAcceptSettings | kAcceptFormat | kAcceptRaw, {"text", "json"}, &cl, error);
  return cl;
}

TEST(CliOptions, SettingsInEveryForm) {
  bool ok = false;
  std::string error;
  CommandLine cl = Parse({"drv", "--ink", "6", "--media=275", "4126", "--int", "81=0", "--i9", "1", "--s2",
                          "BK,VC", "--paper-width", "14800", "--format", "json", "--", "--ink"},
                         &ok, &error);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(cl.positional, (std::vector<std::string>{"drv", "4126", "--ink"}));
  EXPECT_EQ(cl.format, "json");
  ASSERT_EQ(cl.settings.ints.size(), 5u);
  EXPECT_EQ(cl.settings.ints[0].slots, std::vector<uint32_t>{4});
  EXPECT_EQ(cl.settings.ints[1].value, 275);
  EXPECT_EQ(cl.settings.ints[2].slots, std::vector<uint32_t>{81});
  EXPECT_EQ(cl.settings.ints[3].slots, std::vector<uint32_t>{9});
  EXPECT_EQ(cl.settings.ints[4].slots, (std::vector<uint32_t>{25, 29, 96}));
  ASSERT_EQ(cl.settings.strings.size(), 1u);
  EXPECT_EQ(cl.settings.strings[0].slot, 2u);
  EXPECT_EQ(cl.settings.strings[0].text, "BK,VC");

  // A negative number is an argument, not an option.
  cl = Parse({"get", "--int", "5=-3", "-7"}, &ok, &error);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(cl.settings.ints[0].value, -3);
  EXPECT_EQ(cl.positional.back(), "-7");
}

TEST(CliOptions, BadInputIsRefusedWithAMessage) {
  const std::vector<std::vector<std::string>> bad = {
      {"--ink"},                  // no value
      {"--ink", "four"},          // not a number
      {"--int", "5"},             // no '='
      {"--int", "x=1"},           // slot not a number
      {"--int", "5000=1"},        // slot past the limit
      {"--int", "5=0x1FFFFFFFF"}, // value past 32 bits
      {"--ints", "-1"},
      {"--format", "xml"},
      {"--frobnicate"},
      {"-x"},
      {"--raw=1"},
      {"--i"}, // --i alone is no slot option
  };
  for (const auto &args : bad) {
    bool ok = true;
    std::string error;
    Parse(args, &ok, &error);
    EXPECT_FALSE(ok) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
  // Options of other subcommands are unknown here.
  CommandLine cl;
  std::string error;
  EXPECT_FALSE(ParseCommandLine({"--brief"}, kAcceptSettings, {}, &cl, &error));
  EXPECT_FALSE(ParseCommandLine({"--ink", "4"}, kAcceptFormat, {"text"}, &cl, &error));
}

TEST(CliRequests, ShapesAndSlotsBeyondThem) {
  std::ostringstream warnings;
  struct Case {
    const char *db;
    std::vector<std::string> args;
    bool ok;
    uint32_t ints, strings;
  };
  const Case cases[] = {
      {"root", {}, true, 1, 1},
      {"drv", {}, true, 106, 0},
      {"lm", {}, true, 14, 5},
      {"mnt", {}, true, 1, 0},
      {"pa", {}, true, 4, 0},
      {"sm", {}, true, 17, 9},
      {"drv", {"--int", "200=1"}, false, 0, 0},
      {"drv", {"--ints", "300", "--int", "200=1"}, true, 300, 0},
      {"root", {"--ink", "4"}, false, 0, 0},
      {"root", {"--s0", "SSR"}, true, 1, 1},
      {"root", {"--s1", "SSR"}, false, 0, 0},
      {"drv", {"--s0", "x"}, false, 0, 0},
      {"drv", {"--strs", "1", "--s0", "x"}, true, 106, 1},
      // A paper width fills the slots that fit; none fitting is an error.
      {"drv", {"--ints", "60", "--paper-width", "1"}, true, 60, 0},
      {"drv", {"--ints", "20", "--paper-width", "1"}, false, 0, 0},
      {"drv", {"--handle"}, false, 0, 0},
  };
  for (const Case &c : cases) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(c.args, kAcceptSettings, {}, &cl, &error)) << error;
    OwnedRequest r;
    bool ok = BuildRequest(*FindDatabase(c.db), cl.settings, &r, &error, warnings);
    EXPECT_EQ(ok, c.ok) << c.db << " " << (c.args.empty() ? "" : c.args[0]) << ": " << error;
    if (!ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    const AccessRequest &v = r.view();
    EXPECT_EQ(v.intParamCount, c.ints) << c.db;
    EXPECT_EQ(v.stringParamCount, c.strings) << c.db;
  }

  CommandLine cl;
  std::string error;
  ASSERT_TRUE(ParseCommandLine(
      {"--ints", "60", "--paper-width", "14800", "--paper-length", "21000", "--media", "2", "--media", "275"},
      kAcceptSettings, {}, &cl, &error));
  OwnedRequest r;
  ASSERT_TRUE(BuildRequest(*FindDatabase("drv"), cl.settings, &r, &error, warnings)) << error;
  EXPECT_EQ(r.ints[25], 14800);
  EXPECT_EQ(r.ints[29], 14800);
  EXPECT_EQ(r.ints[26], 21000);
  EXPECT_EQ(r.ints[30], 21000);
  EXPECT_EQ(r.ints[5], 275) << "the later setting wins";
}

TEST(CliRequests, APrinterThatDoesNotOpenIsReportedAndLeftOut) {
  setenv("M4K7DB_PRINTER_DATA", "/nonexistent/printers.ini", 1);
  CommandLine cl;
  std::string error;
  ASSERT_TRUE(
      ParseCommandLine({"--printer", "No Such Printer", "--handle"}, kAcceptSettings, {}, &cl, &error));
  std::ostringstream warnings;
  OwnedRequest r;
  ASSERT_TRUE(BuildRequest(*FindDatabase("drv"), cl.settings, &r, &error, warnings)) << error;
  EXPECT_NE(warnings.str().find("does not open"), std::string::npos) << warnings.str();
  EXPECT_EQ(r.view().printerHandle, nullptr);
  EXPECT_EQ(r.engineView().printerHandle, nullptr);

  // Invalid UTF-8 cannot become a UTF-16 name.
  ASSERT_TRUE(ParseCommandLine({"--printer", "\xC3("}, kAcceptSettings, {}, &cl, &error));
  OwnedRequest bad;
  EXPECT_FALSE(BuildRequest(*FindDatabase("drv"), cl.settings, &bad, &error, warnings));
  unsetenv("M4K7DB_PRINTER_DATA");
}

} // namespace
} // namespace m4k7cli
