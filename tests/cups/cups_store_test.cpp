// Printer data from CUPS destinations, end to end: a private scheduler, raw
// queues made with lpadmin, values stored as their "-default" options, and
// the module reading them by printer name and through a held handle.
#if defined(M4K7DB_HAVE_CUPS)

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "cups_server.h"
#if defined(M4K7DB_WITH_CLI)
#include <sstream>

#include "cli.h"
#endif
#include "m4k7db.h"
#include "platform/cups/cups_store.h"
#include "platform/platform.h"
#include "support/ask.h"

namespace m4k7::test {
namespace {

// The driver asks grouped key 4120 before a job; its first entry is the
// start block, chosen by the printer's stored TpxUI_CustomECPMode.
const char kValueName[] = "TpxUI_CustomECPMode";
const std::string
    kNibble("\x1B[K\x02\x00\x00\x1FQXLSTART\nControlMode=Common\nSelectParallel=Nibble\nQXLEND\n"
            "\x1B[K\x02\x00\x00\x0F",
            71);
const std::string kEcp("\x1B[K\x02\x00\x00\x1FQXLSTART\nControlMode=Common\nSelectParallel=ECP\nQXLEND\n"
                       "\x1B[K\x02\x00\x00\x0F",
                       68);

const uint16_t *Wide(const std::u16string &s) { return reinterpret_cast<const uint16_t *>(s.c_str()); }

struct StoredValue {
  const char *queue;
  const char *text; // nullptr: the queue has no such option
  bool readable;
  uint32_t value;
  const std::string *startBlock;
};

const StoredValue kStored[] = {
    {"M4K7-Zero", "0", true, 0, &kNibble},
    {"M4K7-HexZero", "0x0", true, 0, &kNibble},
    {"M4K7-One", "1", true, 1, &kEcp},
    {"M4K7-Hex", "0x2A", true, 42, &kEcp},
    {"M4K7-Max", "4294967295", true, 0xFFFFFFFFu, &kEcp},
    // Not readable: the select falls to its default, the ECP block.
    {"M4K7-Missing", nullptr, false, 0, &kEcp},
    {"M4K7-Word", "fast", false, 0, &kEcp},
    {"M4K7-Wide", "4294967296", false, 0, &kEcp},
    {"M4K7-Negative", "-1", false, 0, &kEcp},
};

class CupsStore : public ::testing::Test {
protected:
  void SetUp() override {
    std::string why = server_.Start();
    if (why.find("not installed") != std::string::npos) GTEST_SKIP() << why;
    ASSERT_EQ(why, "");
  }

  void AddQueues() {
    std::string error;
    for (const StoredValue &s : kStored) {
      ASSERT_TRUE(server_.AddQueue(s.queue, &error)) << error;
      if (s.text != nullptr) {
        ASSERT_TRUE(server_.SetValue(s.queue, kValueName, s.text, &error)) << error;
      }
    }
  }

  CupsServer server_;
};

TEST_F(CupsStore, StartBlockByPrinterName) {
  AddQueues();
  for (const StoredValue &s : kStored) {
    Request r = Request::Standard(Database::Driver);
    r.printerName = Utf16(s.queue);
    Answer a = Ask(Database::Driver, 4120, r);
    EXPECT_EQ(a.status, 0) << s.queue;
    EXPECT_EQ(a.text(), *s.startBlock) << s.queue;
  }
}

TEST_F(CupsStore, HeldHandleReadsValues) {
  AddQueues();
  const std::u16string name = Utf16(kValueName);
  for (const StoredValue &s : kStored) {
    PrinterHandle h = nullptr;
    ASSERT_EQ(m4k7db_open_printer(Wide(Utf16(s.queue)), &h), 0) << s.queue;
    ASSERT_NE(h, nullptr);
    uint32_t v = 0xA5A5A5A5u;
    uint32_t rc = platform::ReadPrinterData(h, Wide(name), &v);
    if (s.readable) {
      EXPECT_EQ(rc, 0u) << s.queue;
      EXPECT_EQ(v, s.value) << s.queue;
    } else {
      EXPECT_NE(rc, 0u) << s.queue;
    }

    Request r = Request::Standard(Database::Driver);
    r.printerHandle = h;
    Answer a = Ask(Database::Driver, 4120, r);
    EXPECT_EQ(a.status, 0) << s.queue;
    EXPECT_EQ(a.text(), *s.startBlock) << s.queue;
    m4k7db_close_printer(h);
  }
}

TEST_F(CupsStore, HandleKeepsValuesOfItsOpen) {
  std::string error;
  ASSERT_TRUE(server_.AddQueue("M4K7-Changing", &error)) << error;
  ASSERT_TRUE(server_.SetValue("M4K7-Changing", kValueName, "0", &error)) << error;
  const std::u16string queue = Utf16("M4K7-Changing"), name = Utf16(kValueName);
  PrinterHandle before = nullptr;
  ASSERT_EQ(m4k7db_open_printer(Wide(queue), &before), 0);
  ASSERT_TRUE(server_.SetValue("M4K7-Changing", kValueName, "1", &error)) << error;
  PrinterHandle after = nullptr;
  ASSERT_EQ(m4k7db_open_printer(Wide(queue), &after), 0);

  uint32_t v = 7;
  EXPECT_EQ(platform::ReadPrinterData(before, Wide(name), &v), 0u);
  EXPECT_EQ(v, 0u);
  EXPECT_EQ(platform::ReadPrinterData(after, Wide(name), &v), 0u);
  EXPECT_EQ(v, 1u);
  m4k7db_close_printer(before);
  m4k7db_close_printer(after);
}

TEST_F(CupsStore, UnknownPrinterOpensNothing) {
  std::string error;
  ASSERT_TRUE(server_.AddQueue("M4K7-Known", &error)) << error;
  PrinterHandle h = reinterpret_cast<PrinterHandle>(1);
  EXPECT_NE(m4k7db_open_printer(Wide(Utf16("M4K7-Unknown")), &h), 0);

  // The start block needs the printer's data: no printer, no answer.
  Request r = Request::Standard(Database::Driver);
  r.printerName = Utf16("M4K7-Unknown");
  EXPECT_EQ(Ask(Database::Driver, 4120, r).status, M4K7DB_NO_PRINTER);

  // Keys that do not read the printer answer as without a name.
  Request named = Request::Standard(Database::Root), plain = Request::Standard(Database::Root);
  named.printerName = Utf16("M4K7-Unknown");
  Answer withName = Ask(Database::Root, 3, named), without = Ask(Database::Root, 3, plain);
  EXPECT_EQ(withName.status, without.status);
  EXPECT_EQ(withName.bytes, without.bytes);
}

TEST_F(CupsStore, NoServerNoPrinter) {
  std::string error;
  ASSERT_TRUE(server_.AddQueue("M4K7-Gone", &error)) << error;
  ASSERT_TRUE(server_.SetValue("M4K7-Gone", kValueName, "0", &error)) << error;
  const std::u16string queue = Utf16("M4K7-Gone");
  PrinterHandle held = nullptr;
  ASSERT_EQ(m4k7db_open_printer(Wide(queue), &held), 0);

  server_.Stop();
  PrinterHandle h = nullptr;
  EXPECT_NE(m4k7db_open_printer(Wide(queue), &h), 0);
  Request r = Request::Standard(Database::Driver);
  r.printerName = queue;
  EXPECT_EQ(Ask(Database::Driver, 4120, r).status, M4K7DB_NO_PRINTER);

  // A handle opened while the server ran still holds its values.
  Request byHandle = Request::Standard(Database::Driver);
  byHandle.printerHandle = held;
  Answer a = Ask(Database::Driver, 4120, byHandle);
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.text(), kNibble);
  m4k7db_close_printer(held);
}

// Which store serves the process: the printer-data file whenever
// M4K7DB_PRINTER_DATA names one, with no fall-back to CUPS for a printer the
// file lacks; CUPS otherwise (an empty value counts as unset).
TEST_F(CupsStore, PrinterDataFileComesFirst) {
  std::string error;
  for (const char *queue : {"M4K7-Both", "M4K7-CupsOnly"}) {
    ASSERT_TRUE(server_.AddQueue(queue, &error)) << error;
    ASSERT_TRUE(server_.SetValue(queue, kValueName, "1", &error)) << error;
  }
  const std::string file =
      ::testing::TempDir() + "m4k7_cups_store_choice_" + std::to_string(getpid()) + ".ini";
  std::ofstream(file) << "[M4K7-Both]\n" << kValueName << " = dword:0\n";

  struct Choice {
    const char *setting; // nullptr: unset
    const char *queue;
    int status;
    const std::string *startBlock;
  };
  const Choice kChoices[] = {
      {file.c_str(), "M4K7-Both", 0, &kNibble},
      {file.c_str(), "M4K7-CupsOnly", M4K7DB_NO_PRINTER, nullptr},
      {"", "M4K7-Both", 0, &kEcp},
      {nullptr, "M4K7-Both", 0, &kEcp},
      {nullptr, "M4K7-CupsOnly", 0, &kEcp},
  };
  for (const Choice &c : kChoices) {
    if (c.setting != nullptr)
      setenv("M4K7DB_PRINTER_DATA", c.setting, 1);
    else
      unsetenv("M4K7DB_PRINTER_DATA");
    Request r = Request::Standard(Database::Driver);
    r.printerName = Utf16(c.queue);
    Answer a = Ask(Database::Driver, 4120, r);
    const std::string label = std::string(c.setting ? c.setting : "(unset)") + ", " + c.queue;
    EXPECT_EQ(a.status, c.status) << label;
    if (c.startBlock != nullptr) {
      EXPECT_EQ(a.text(), *c.startBlock) << label;
    }
  }
  unsetenv("M4K7DB_PRINTER_DATA");
  std::remove(file.c_str());
}

#if defined(M4K7DB_WITH_CLI)
TEST_F(CupsStore, PrintersCommandListsWhatTheModuleOpens) {
  // With no printer-data file named, `m4k7db printers` lists the
  // destinations and the values key 8 names, as the module reads them.
  std::string error;
  ASSERT_TRUE(server_.AddQueue("M4K7-One", &error)) << error;
  ASSERT_TRUE(server_.SetValue("M4K7-One", kValueName, "1", &error)) << error;
  ASSERT_TRUE(server_.SetValue("M4K7-One", "TpxUI_InkDry", "fast", &error)) << error;
  ASSERT_TRUE(server_.SetValue("M4K7-One", "NotAValueName", "7", &error)) << error;
  unsetenv("M4K7DB_PRINTER_DATA");
  std::ostringstream out, err;
  EXPECT_EQ(m4k7cli::RunTool({"printers"}, out, err), 0) << err.str();
  const std::string text = out.str();
  for (const char *want :
       {"CUPS destinations (M4K7DB_PRINTER_DATA is not set): 1 printer\n", "[M4K7-One]  opens\n",
        "dword 1 (0x1)  [key 8 value 2]", "\"fast\", not a 32-bit number: reads fail"})
    EXPECT_NE(text.find(want), std::string::npos) << want << " in\n" << text;
  EXPECT_EQ(text.find("NotAValueName"), std::string::npos) << text;
}
#endif

TEST(CupsOptionNumber, ParsesOnlyWhole32BitNumbers) {
  struct Case {
    const char *text;
    bool ok;
    uint32_t value;
  };
  const Case kCases[] = {
      {"0", true, 0},
      {"17", true, 17},
      {"007", true, 7},
      {"4294967295", true, 0xFFFFFFFFu},
      {"0x0", true, 0},
      {"0X1f", true, 31},
      {"0xFFFFFFFF", true, 0xFFFFFFFFu},
      {"0x00000000FF", true, 0xFF},
      {"4294967296", false, 0},
      {"99999999999999999999999", false, 0},
      {"0x100000000", false, 0},
      {"", false, 0},
      {"0x", false, 0},
      {"-1", false, 0},
      {"+1", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"12abc", false, 0},
      {"0x1g", false, 0},
      {"true", false, 0},
  };
  for (const Case &c : kCases) {
    uint32_t v = 0xA5A5A5A5u;
    EXPECT_EQ(platform::cups::ParseOptionNumber(c.text, &v), c.ok) << '"' << c.text << '"';
    EXPECT_EQ(v, c.ok ? c.value : 0xA5A5A5A5u) << '"' << c.text << '"';
  }
}

} // namespace
} // namespace m4k7::test

#endif
