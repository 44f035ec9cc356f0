// The printer-data file seen through the access functions, the way the
// driver reaches it: a request that names its printer. The driver's start
// block (key 4120) reads "TpxUI_CustomECPMode": 0 selects the nibble block,
// any other value, and a value that cannot be read, the ECP block; a
// printer that does not open leaves the walk without a handle (-4). Every
// damaged file must give exactly one of these, never a crash.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/test_hooks.h"
#include "reliability.h"

namespace m4k7::reliability {
namespace {

constexpr uint16_t kStartBlock = 4120;

// 4120 for the printer `name` over a file holding `text`.
Reply StartBlock(const std::string &text, const std::u16string &name) {
  PrinterDataFile file(text);
  std::vector<int32_t> ints(106, 0);
  AccessRequest r{};
  r.intParamCount = uint32_t(ints.size());
  r.intParams = ints.data();
  r.printerName = reinterpret_cast<const uint16_t *>(name.c_str());
  return CallTwice(Database::Driver, kStartBlock, r);
}

enum class Want { NoPrinter, Nibble, Ecp };

class PrinterDataThroughAccess : public ::testing::Test {
protected:
  void SetUp() override {
    nibble_ = StartBlock("[M4K7]\nTpxUI_CustomECPMode = dword:0\n", u"M4K7");
    ecp_ = StartBlock("[M4K7]\nTpxUI_CustomECPMode = dword:1\n", u"M4K7");
    ASSERT_EQ(nibble_.status, 0);
    ASSERT_EQ(ecp_.status, 0);
    ASSERT_NE(nibble_.bytes, ecp_.bytes);
  }
  void Expect(const std::string &what, const std::string &text, Want want,
              const std::u16string &name = u"M4K7") {
    const int64_t live = platform::testing::LiveBlocks();
    const Reply got = StartBlock(text, name);
    EXPECT_TRUE(got.guardIntact) << what;
    EXPECT_EQ(platform::testing::LiveBlocks(), live) << what;
    switch (want) {
    case Want::NoPrinter: EXPECT_EQ(got.status, -4) << what; break;
    case Want::Nibble: EXPECT_EQ(got, nibble_) << what; break;
    case Want::Ecp: EXPECT_EQ(got, ecp_) << what; break;
    }
  }
  Reply nibble_, ecp_;
};

TEST_F(PrinterDataThroughAccess, DamagedFiles) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += char((i * 7919 + 13) % 256);
  const std::string value = "TpxUI_CustomECPMode = dword:0\n";
  struct Case {
    const char *what;
    std::string text;
    Want want;
  } cases[] = {
      {"empty file", "", Want::NoPrinter},
      {"binary garbage", garbage, Want::NoPrinter},
      {"garbage after the section", "[M4K7]\n" + value + garbage, Want::NoPrinter},
      {"garbage before the section", garbage + "\n[M4K7]\n" + value, Want::Nibble},
      {"1 MB line inside", "[M4K7]\n" + value + "X = hex:" + std::string(1 << 20, '0') + "\n",
       Want::NoPrinter},
      {"1 MB comment before", "; " + std::string(1 << 20, 'c') + "\n[M4K7]\n" + value, Want::Nibble},
      {"1 MB line in another printer", "[M4K7]\n" + value + "[Other]\n" + std::string(1 << 20, 'q') + "\n",
       Want::Nibble},
      {"duplicate section", "[M4K7]\n" + value + "[M4K7]\n", Want::NoPrinter},
      {"duplicate value", "[M4K7]\n" + value + value, Want::NoPrinter},
      {"duplicate value, other kind", "[M4K7]\n" + value + "TpxUI_CustomECPMode = hex:\n", Want::NoPrinter},
      {"value missing: the select's default", "[M4K7]\nA = dword:0\n", Want::Ecp},
      {"section without values", "[M4K7]\n", Want::Ecp},
      {"name differs in case", "[M4K7]\ntpxui_customecpmode = dword:0\n", Want::Ecp},
  };
  for (const Case &c : cases) Expect(c.what, c.text, c.want);

  // No file at all, and the variable unset: no printer opens.
  {
    PrinterDataFile file("");
    std::remove(file.path().c_str());
    std::vector<int32_t> ints(106, 0);
    AccessRequest r{};
    r.intParamCount = 106;
    r.intParams = ints.data();
    r.printerName = reinterpret_cast<const uint16_t *>(u"M4K7");
    EXPECT_EQ(CallTwice(Database::Driver, kStartBlock, r).status, -4) << "missing file";
  }
}

// A value of n bytes: up to 4 bytes it is read, low byte first, with the
// high bytes 0; from 5 bytes on the read fails and the default decides.
TEST_F(PrinterDataThroughAccess, ValuesOfZeroToSixteenBytes) {
  for (int n = 0; n <= 16; ++n) {
    for (int firstByte : {0x00, 0x01}) {
      std::string payload;
      for (int i = 0; i < n; ++i) payload += std::string(i ? "," : "") + (i == 0 && firstByte ? "01" : "00");
      const Want want = n > 4 || (n > 0 && firstByte) ? Want::Ecp : Want::Nibble;
      Expect(std::to_string(n) + " bytes, first " + std::to_string(firstByte),
             "[M4K7]\nTpxUI_CustomECPMode = hex:" + payload + "\n", want);
    }
  }
}

// Names as UTF-16 from the caller and UTF-8 in the file: exact matches
// open, unpaired surrogates open nothing, even where the file holds what a
// lenient conversion would have made of them.
TEST_F(PrinterDataThroughAccess, OddPrinterNames) {
  const std::string value = "TpxUI_CustomECPMode = dword:0\n";
  const std::string lenient =
      "[\xEF\xBF\xBD]\n" + value + "[\xED\xA0\xBD]\n" + value + "[\xED\xB8\x80]\n" + value;
  struct Case {
    const char *what;
    std::string file;
    std::u16string name;
    Want want;
  } cases[] = {
      {"accents and CJK", "[Büro 日本]\n" + value, u"Büro 日本", Want::Nibble},
      {"surrogate pair", "[\xF0\x9F\x96\xA8]\n" + value, u"\U0001F5A8", Want::Nibble},
      {"decomposed accent differs", "[Büro]\n" + value, u"Bu\u0308ro", Want::NoPrinter},
      {"overlong UTF-8 in the file", "[\xC1\x81]\n" + value, u"A", Want::NoPrinter},
      {"lone high surrogate", lenient, std::u16string(1, char16_t(0xD83D)), Want::NoPrinter},
      {"lone low surrogate", lenient, std::u16string(1, char16_t(0xDE00)), Want::NoPrinter},
      {"swapped pair", lenient, std::u16string{char16_t(0xDE00), char16_t(0xD83D)}, Want::NoPrinter},
      {"high surrogate then text", lenient, std::u16string{char16_t(0xD83D), u'x'}, Want::NoPrinter},
      {"inner blanks kept", "[ M4K7 ]\n" + value, u" M4K7 ", Want::Nibble},
      {"blanks are part of the name", "[ M4K7 ]\n" + value, u"M4K7", Want::NoPrinter},
  };
  for (const Case &c : cases) Expect(c.what, c.file, c.want, c.name);
}

} // namespace
} // namespace m4k7::reliability
