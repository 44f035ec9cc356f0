// The POSIX spooler over the printer-data file, and the file's parser.
// The printer-data file and the POSIX locale are this build's stores;
// the Windows build reads the spooler and the system locale instead
// (tests/windows).
#if !defined(_WIN32)
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "env.h"
#include "platform/platform.h"
#include "platform/posix/printer_data_file.h"
#include "platform/test_hooks.h"

namespace m4k7::test {
namespace {

namespace pd = platform::printer_data;

constexpr uint32_t kNotFound = 2, kInvalidHandle = 6, kMoreData = 234;

// An open printer over a file holding `text`; closes on scope exit.
struct Opened {
  Opened(const std::string &text, const std::u16string &name) : file(text) {
    ScopedEnv env{{"M4K7DB_PRINTER_DATA", file.path()}};
    handle = platform::OpenPrinter(reinterpret_cast<const uint16_t *>(name.c_str()));
  }
  ~Opened() { platform::ClosePrinter(handle); }
  // {code, value}; value starts at a pattern so untouched bytes show.
  std::pair<uint32_t, uint32_t> read(const std::u16string &value) const {
    uint32_t v = 0xA5A5A5A5;
    uint32_t code = platform::ReadPrinterData(handle, reinterpret_cast<const uint16_t *>(value.c_str()), &v);
    return {code, v};
  }
  TempFile file;
  PrinterHandle handle = nullptr;
};

bool Opens(const std::string &text, const std::u16string &name = u"M4K7") {
  return Opened(text, name).handle != nullptr;
}

TEST(PrinterDataStore, FilesThatOpenNothing) {
  struct Case {
    const char *what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"only comments", "; [M4K7]\n# [M4K7]\n\n"},
      {"other printer", "[M4K7 Series]\nA = dword:1\n"},
      {"name differs in case", "[m4k7]\n"},
      {"name with inner blanks kept", "[ M4K7 ]\n"},
      {"binary garbage", std::string("\x00\xff\xfe[M4K7\x00]\n\x01\x02", 14)},
      {"section with NUL", std::string("[M4K7\0]\n", 8)},
      {"unterminated section", "[M4K7\n"},
  };
  for (const Case &c : cases) EXPECT_FALSE(Opens(c.text)) << c.what;

  ScopedEnv env{{"M4K7DB_PRINTER_DATA", ::testing::TempDir() + "m4k7db_no_such_file.txt"}};
  EXPECT_EQ(platform::OpenPrinter(reinterpret_cast<const uint16_t *>(u"M4K7")), nullptr) << "missing file";
  ScopedEnv dir{{"M4K7DB_PRINTER_DATA", ::testing::TempDir()}};
  EXPECT_EQ(platform::OpenPrinter(reinterpret_cast<const uint16_t *>(u"M4K7")), nullptr) << "a folder";
  EXPECT_EQ(platform::OpenPrinter(nullptr), nullptr);
}

TEST(PrinterDataStore, LayoutThatStillReads) {
  struct Case {
    const char *what;
    std::string text;
  } cases[] = {
      {"plain", "[M4K7]\nA = dword:7\n"},
      {"CRLF and blanks", "\r\n  [M4K7]  \r\n\tA\t=\tdword:7 \r\n"},
      {"byte-order mark", "\xEF\xBB\xBF[M4K7]\nA = dword:7\n"},
      {"comments between", "# top\n[M4K7]\n; before\nA=dword:7\n# after\n"},
      {"no final newline", "[M4K7]\nA = dword:7"},
      {"blanks around payload", "[M4K7]\nA = dword:   7   \n"},
      {"other printers around", "[X]\nA = dword:1\n[M4K7]\nA = dword:7\n[Y]\nA = dword:2\n"},
      {"broken lines before any section", "junk\nA = dword:-1\n[]\n[M4K7]\nA = dword:7\n"},
      {"broken other printer", "[X]\nbad line\n[M4K7]\nA = dword:7\n[Y]\nA = hex:zz\n"},
      {"1 MB comment", "; " + std::string(1 << 20, 'x') + "\n[M4K7]\nA = dword:7\n"},
  };
  for (const Case &c : cases) {
    Opened p(c.text, u"M4K7");
    ASSERT_NE(p.handle, nullptr) << c.what;
    EXPECT_EQ(p.read(u"A"), std::make_pair(0u, 7u)) << c.what;
  }
}

// Each line breaks the printer whose section holds it and nothing else.
TEST(PrinterDataStore, MalformedLineKeepsOnlyItsPrinterShut) {
  const std::string lines[] = {
      "A = dword:4294967296",
      "A = dword:0x100000000",
      "A = dword:-1",
      "A = dword:+1",
      "A = dword:",
      "A = dword:0x",
      "A = dword:12a",
      "A = dword:1 2",
      "A = dword:0x1G",
      "A = dword:1 ; note",
      "A = DWORD:1",
      "A = word:1",
      "A = 5",
      "= dword:1",
      "A dword:1",
      "A = hex:1,",
      "A = hex:,",
      "A = hex:123",
      "A = hex:0g",
      "A = hex:01 02",
      "A = hex:01,,02",
      "[]",
      "[M4K7",
      "plain words",
      std::string(1 << 20, 'q'),
      std::string("A = dword:1\0", 12),
      std::string("A\0B = dword:1", 13),
      std::string("; note\0", 7),
  };
  for (const std::string &bad : lines) {
    std::string where = "line \"" + bad.substr(0, 40) + "\"";
    EXPECT_FALSE(Opens("[M4K7]\nB = dword:1\n" + bad + "\n")) << where;
    EXPECT_TRUE(Opens(bad + "\n[M4K7]\nB = dword:1\n")) << where << " before any section";
    EXPECT_TRUE(Opens("[M4K7]\nB = dword:1\n[Other]\n" + bad + "\n")) << where << " in another printer";
  }
}

TEST(PrinterDataStore, DuplicatesKeepThePrinterShut) {
  EXPECT_FALSE(Opens("[M4K7]\nA = dword:1\n[M4K7]\nB = dword:2\n")) << "section twice";
  EXPECT_FALSE(Opens("[M4K7]\n[X]\n[M4K7]\n")) << "empty section twice";
  EXPECT_FALSE(Opens("[M4K7]\nA = dword:1\nA = dword:1\n")) << "value twice, same number";
  EXPECT_FALSE(Opens("[M4K7]\nA = dword:1\nB = hex:\nA = hex:01\n")) << "value twice, other kind";
  EXPECT_TRUE(Opens("[X]\n[X]\n[M4K7]\nA = dword:1\n")) << "another printer twice";
  EXPECT_TRUE(Opens("[M4K7]\nA = dword:1\na = dword:2\n")) << "value names differ in case";
  EXPECT_TRUE(Opens("[M4K7]\nA = dword:1\n[X]\nA = dword:2\n")) << "same value in two printers";
}

TEST(PrinterDataStore, DwordForms) {
  struct Case {
    const char *payload;
    uint32_t want;
  } cases[] = {{"0", 0},
               {"007", 7},
               {"4294967295", 0xFFFFFFFF},
               {"0xFFFFFFFF", 0xFFFFFFFF},
               {"0X10", 16},
               {"0x00000001", 1},
               {"0xabCD", 0xABCD},
               {"2147483648", 0x80000000},
               {"0x0000000000000000000001", 1}};
  for (const Case &c : cases) {
    Opened p(std::string("[M4K7]\nV = dword:") + c.payload + "\n", u"M4K7");
    ASSERT_NE(p.handle, nullptr) << c.payload;
    EXPECT_EQ(p.read(u"V"), std::make_pair(0u, c.want)) << c.payload;
  }
}

// A value of up to 4 bytes fills the low bytes and zeroes the rest; a
// longer one is reported as more data and leaves the result alone.
TEST(PrinterDataStore, HexValuesOfEveryLength) {
  for (size_t n = 0; n <= 16; ++n) {
    std::string payload;
    uint32_t want = 0;
    for (size_t i = 0; i < n; ++i) {
      char item[4];
      std::snprintf(item, sizeof item, "%s%02X", i ? "," : "", unsigned(0x11 * (i + 1)) & 0xFF);
      payload += item;
      if (i < 4) want |= uint32_t((0x11 * (i + 1)) & 0xFF) << (8 * i);
    }
    Opened p("[M4K7]\nV = hex:" + payload + "\n", u"M4K7");
    ASSERT_NE(p.handle, nullptr) << n;
    if (n <= 4)
      EXPECT_EQ(p.read(u"V"), std::make_pair(0u, want)) << n << " bytes";
    else
      EXPECT_EQ(p.read(u"V"), std::make_pair(kMoreData, 0xA5A5A5A5u)) << n << " bytes";
  }
  Opened p("[M4K7]\nShort = hex: 1 , a\n", u"M4K7");
  EXPECT_EQ(p.read(u"Short"), std::make_pair(0u, 0x0A01u)) << "one-digit bytes with blanks";
}

TEST(PrinterDataStore, ReadFailures) {
  Opened p("[M4K7]\nA = dword:1\nLong = hex:1,2,3,4,5\n[Other]\nB = dword:2\n", u"M4K7");
  ASSERT_NE(p.handle, nullptr);
  struct Case {
    std::u16string name;
    uint32_t code;
  } cases[] = {
      {u"B", kNotFound}, {u"a", kNotFound}, {u"", kNotFound}, {u"A ", kNotFound}, {u"Long", kMoreData}};
  for (const Case &c : cases) EXPECT_EQ(p.read(c.name).first, c.code);
  uint32_t v = 0;
  EXPECT_EQ(platform::ReadPrinterData(nullptr, reinterpret_cast<const uint16_t *>(u"A"), &v), kInvalidHandle);
  EXPECT_NE(platform::ReadPrinterData(p.handle, nullptr, &v), 0u);
  EXPECT_NE(platform::ReadPrinterData(p.handle, reinterpret_cast<const uint16_t *>(u"A"), nullptr), 0u);
  platform::ClosePrinter(nullptr);
}

TEST(PrinterDataStore, HandleKeepsTheValuesOfItsOpening) {
  Opened p("[M4K7]\nA = dword:1\nB = dword:2\n", u"M4K7");
  ASSERT_NE(p.handle, nullptr);
  p.file.Write("[M4K7]\nA = dword:10\nC = dword:3\n");
  EXPECT_EQ(p.read(u"A"), std::make_pair(0u, 1u));
  EXPECT_EQ(p.read(u"B"), std::make_pair(0u, 2u));
  EXPECT_EQ(p.read(u"C").first, kNotFound);

  ScopedEnv env{{"M4K7DB_PRINTER_DATA", p.file.path()}};
  PrinterHandle fresh = platform::OpenPrinter(reinterpret_cast<const uint16_t *>(u"M4K7"));
  ASSERT_NE(fresh, nullptr);
  uint32_t v = 0;
  EXPECT_EQ(platform::ReadPrinterData(fresh, reinterpret_cast<const uint16_t *>(u"A"), &v), 0u);
  EXPECT_EQ(v, 10u);
  platform::ClosePrinter(fresh);

  p.file.Write("[M4K7]\nA = dword:-5\n");
  EXPECT_EQ(p.read(u"A"), std::make_pair(0u, 1u)) << "a broken rewrite does not reach an open handle";
  EXPECT_EQ(platform::OpenPrinter(reinterpret_cast<const uint16_t *>(u"M4K7")), nullptr);
}

TEST(PrinterDataStore, Utf16Names) {
  const std::string file = "[Drucker Büro 日本 \xF0\x9F\x96\xA8]\n"
                           "Größe = dword:5\n"
                           "Lone\xED\xB8\x80 = dword:1\n"
                           "\xF0\x9F\x98\x80 = dword:6\n"
                           "[\xEF\xBF\xBD]\n" // U+FFFD, what a lenient conversion makes of a lone surrogate
                           "[\xED\xA0\xBD]\n" // the lone surrogates encoded as if they were characters
                           "[\xED\xB8\x80]\n";
  Opened p(file, u"Drucker Büro 日本 \U0001F5A8");
  ASSERT_NE(p.handle, nullptr);
  EXPECT_EQ(p.read(u"Größe"), std::make_pair(0u, 5u));
  EXPECT_EQ(p.read(u"\U0001F600"), std::make_pair(0u, 6u)) << "surrogate pair";
  EXPECT_EQ(p.read(u"Grösse").first, kNotFound);

  const std::u16string unpaired[] = {std::u16string(1, char16_t(0xD83D)), std::u16string(1, char16_t(0xDE00)),
                                     std::u16string(u"a") + char16_t(0xDE00) + char16_t(0xD83D),
                                     std::u16string(u"Lone") + char16_t(0xDE00),
                                     std::u16string(1, char16_t(0xD83D)) + u"x"};
  for (const std::u16string &name : unpaired) {
    EXPECT_FALSE(Opens(file, name)) << "unpaired surrogate opens nothing, not even U+FFFD";
    EXPECT_EQ(p.read(name).first, kNotFound) << "unpaired surrogate names no value";
  }
}

TEST(PrinterDataStore, ManyValuesAllFound) {
  std::string text = "[M4K7]\n";
  for (int i = 0; i < 3000; ++i)
    text += "V" + std::to_string(i * 7919 % 3000) + " = dword:" + std::to_string(i) + "\n";
  Opened p(text, u"M4K7");
  ASSERT_NE(p.handle, nullptr);
  for (int i = 0; i < 3000; ++i) {
    std::string name = "V" + std::to_string(i * 7919 % 3000);
    EXPECT_EQ(p.read(std::u16string(name.begin(), name.end())), std::make_pair(0u, uint32_t(i))) << name;
  }
}

TEST(PrinterDataStore, HandlesAreNotScratchMemory) {
  const std::string text = "[M4K7]\nA = dword:1\n";
  int64_t live = platform::testing::LiveBlocks();
  uint64_t count = platform::testing::AllocationCount();
  platform::testing::HeapFailAt fail(1);
  Opened p(text, u"M4K7");
  ASSERT_NE(p.handle, nullptr);
  EXPECT_EQ(p.read(u"A"), std::make_pair(0u, 1u));
  EXPECT_FALSE(fail.fired());
  EXPECT_EQ(platform::testing::LiveBlocks(), live);
  EXPECT_EQ(platform::testing::AllocationCount(), count);
}

TEST(PrinterDataParser, ReportsEachMalformedLineWithItsPrinter) {
  pd::File f = pd::ParseFile("bad\n[A]\nx = dword:1\nx = dword:2\n[B]\ny = hex:0a,0B\n\n[A]\nz = dword:q\n");
  ASSERT_EQ(f.printers.size(), 2u);
  EXPECT_EQ(f.printers[0].name, "A");
  EXPECT_FALSE(f.printers[0].opens);
  EXPECT_EQ(f.printers[1].name, "B");
  EXPECT_TRUE(f.printers[1].opens);
  ASSERT_EQ(f.printers[1].values.size(), 1u);
  EXPECT_EQ(f.printers[1].values[0].bytes, (std::vector<uint8_t>{0x0A, 0x0B}));
  EXPECT_EQ(f.printers[1].values[0].line, 6u);
  struct Want {
    size_t line;
    int printer;
  } want[] = {{1, -1}, {4, 0}, {8, 0}, {9, 0}};
  ASSERT_EQ(f.malformed.size(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    EXPECT_EQ(f.malformed[i].line, want[i].line) << i;
    EXPECT_EQ(f.malformed[i].printer, want[i].printer) << i;
    EXPECT_FALSE(f.malformed[i].reason.empty()) << i;
  }
}

// Random files from a pool of good, bad and duplicate lines: the tools'
// parser and the open path must agree on every printer and every value.
TEST(PrinterDataParser, AgreesWithTheOpenPath) {
  const std::string pool[] = {"[P1]",
                              "[P2]",
                              "[P3]",
                              "A = dword:1",
                              "A = dword:0x20",
                              "B = hex:01,02",
                              "B = hex:",
                              "C = hex:1,2,3,4,5",
                              "D = dword:4294967295",
                              "; note",
                              "",
                              "junk",
                              "E = dword:99999999999",
                              "\xEF\xBB\xBF",
                              std::string("F = dword:1\0", 12),
                              "G = hex:ff"};
  const char16_t *printers[] = {u"P1", u"P2", u"P3"};
  const char *values[] = {"A", "B", "C", "D", "E", "F", "G"};
  std::mt19937 rng(20240511);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int n = int(rng() % 12); n > 0; --n)
      text += pool[rng() % std::size(pool)] + (rng() % 5 ? "\n" : "\r\n");
    pd::File parsed = pd::ParseFile(text);
    for (const char16_t *name : printers) {
      std::u16string wide(name);
      std::string narrow(wide.begin(), wide.end());
      const pd::Printer *want = nullptr;
      for (const pd::Printer &p : parsed.printers)
        if (p.name == narrow) want = &p;
      Opened got(text, wide);
      ASSERT_EQ(got.handle != nullptr, want != nullptr && want->opens) << narrow << " in:\n" << text;
      if (got.handle == nullptr) continue;
      for (const char *value : values) {
        const pd::Value *v = nullptr;
        for (const pd::Value &candidate : want->values)
          if (candidate.name == value) v = &candidate;
        auto [code, read] = got.read(std::u16string(value, value + 1));
        if (v == nullptr) {
          EXPECT_EQ(code, kNotFound) << value;
        } else if (v->bytes.size() > 4) {
          EXPECT_EQ(code, kMoreData) << value;
        } else {
          uint32_t expect = 0;
          for (size_t i = 0; i < v->bytes.size(); ++i) expect |= uint32_t(v->bytes[i]) << (8 * i);
          EXPECT_EQ(std::make_pair(code, read), std::make_pair(0u, expect)) << value << " in:\n" << text;
        }
      }
    }
  }
}

TEST(PrinterDataParser, SurvivesGarbage) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    std::string text(rng() % 4096, '\0');
    for (char &c : text) c = char(rng() % 4 == 0 ? "[]=:,\n"[rng() % 6] : rng());
    pd::File f = pd::ParseFile(text);
    for (const pd::Malformed &m : f.malformed) EXPECT_GE(m.line, 1u);
  }
  std::string longLine = "[P]\nV = hex:" + std::string(1 << 20, '0') + "\n";
  pd::File f = pd::ParseFile(longLine);
  ASSERT_EQ(f.printers.size(), 1u);
  EXPECT_FALSE(f.printers[0].opens);
}

} // namespace
} // namespace m4k7::test

#endif // !_WIN32
