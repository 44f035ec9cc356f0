// The control blocks and the option command that the driver's components
// send on to the printer. No leaf of this image reaches the time block or
// the silent-mode block, so those are asked of ComputeValue directly, with
// the image's root key 8 naming the printer's window value.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "computed/compute.h"
#include "platform/test_hooks.h"
#include "support/ask.h"
#include "support/printer_data_file.h"

namespace m4k7 {
namespace {

using platform::LocalTime;
using platform::testing::FixedClock;
using platform::testing::HeapFailAt;
using platform::testing::LiveBlocks;
using test::Request;

constexpr uint32_t kNoSize = 0xDEADBEEF;

const std::string kTimeText = "QXLSTART\nControlMode=Common\nSetTime=20020304050607\nQXLEND\n";
const std::string kHeader = std::string("\x1B[K\x02\x00\x00\x1F", 7);
const std::string kSilentOff = kHeader + "QXLSTART\nControlMode=Common\nSetSilent=OFF\nQXLEND\n";
const std::string kSilentOn = kHeader + "QXLSTART\nControlMode=Common\nSetSilent=ON\n\nQXLEND\n";

struct Computed {
  AccessStatus status;
  uint32_t size;
  std::string bytes;
};
Computed Compute(uint16_t id, const AccessRequest &r, uint32_t bufferSize, bool withBuffer = true) {
  Computed c{0, kNoSize, std::string(bufferSize, '\xCD')};
  c.status =
      ComputeValue(CompiledImage(), id, &r, bufferSize, withBuffer ? c.bytes.data() : nullptr, &c.size);
  return c;
}

TEST(ControlBlocks, TimeBlock) {
  FixedClock clock({2002, 3, 4, 5, 6, 7});
  Request r;
  Computed got = Compute(5, r.view(), 65);
  ASSERT_EQ(got.status, 0);
  EXPECT_EQ(got.size, 65u);
  EXPECT_EQ(got.bytes, kHeader + kTimeText);
  EXPECT_EQ(got.bytes.substr(43, 14), "20020304050607");
}

TEST(ControlBlocks, TimeBlockSizes) {
  FixedClock clock({2002, 3, 4, 5, 6, 7});
  Request r;
  Computed query = Compute(5, r.view(), 0, false);
  EXPECT_EQ(query.status, 2);
  EXPECT_EQ(query.size, 65u);
  Computed shorter = Compute(5, r.view(), 64);
  EXPECT_EQ(shorter.status, 2);
  EXPECT_EQ(shorter.size, 65u);
  EXPECT_EQ(shorter.bytes, std::string(64, '\xCD'));
}

// A stamp that is not 14 characters fails and writes nothing.
TEST(ControlBlocks, TimeBlockOutOfRange) {
  const LocalTime kTimes[] = {{10000, 1, 1, 0, 0, 0}, {2002, 100, 1, 0, 0, 0}, {2002, 1, 1, 24, 60, 600}};
  for (const LocalTime &t : kTimes) {
    FixedClock clock(t);
    Request r;
    Computed got = Compute(5, r.view(), 65);
    EXPECT_EQ(got.status, -1) << t.year << "-" << t.month;
    EXPECT_EQ(got.bytes, std::string(65, '\xCD'));
  }
  FixedClock lastSecond({9999, 12, 31, 23, 59, 59});
  Request r;
  EXPECT_EQ(Compute(5, r.view(), 65).bytes.substr(43, 14), "99991231235959");
}

TEST(ControlBlocks, OptionCommand) {
  struct Case {
    int32_t flags, value;
    const char *want;
  };
  const Case kCases[] = {
      {0x00800000, 0x1234, "1B 28 24 07 00 01 00 01 12 34 00 01"},
      {0x00500000, 0x1234, "1B 28 24 07 00 01 00 00 12 34 00 11"}, // bits 20 and 22
      {0x00100000, 0x1234, "1B 28 24 07 00 01 00 00 12 34 00 00"}, // bit 20 alone
      {0x00400000, 0x1234, "1B 28 24 07 00 01 00 00 12 34 00 10"}, // bit 22 alone
      {0x00200000, 0x1234, "1B 28 24 07 00 01 00 00 12 34 00 41"},
      {0x00011234, 0x00011234, "1B 28 24 07 00 01 00 00 12 34 00 01"}, // only the low 16 bits of I[80]
      {-1, -1, "1B 28 24 07 00 01 00 01 FF FF 00 51"},
      {0, 0, "1B 28 24 07 00 01 00 00 00 00 00 01"},
  };
  for (const Case &c : kCases) {
    Request r = Request::Ints(81).set(79, c.flags).set(80, c.value);
    Computed got = Compute(6, r.view(), 12);
    ASSERT_EQ(got.status, 0);
    EXPECT_EQ(got.size, 12u);
    EXPECT_EQ(test::Hex({got.bytes.begin(), got.bytes.end()}), c.want) << std::hex << c.flags;
  }
}

TEST(ControlBlocks, OptionCommandSlotsAndSizes) {
  Request few = Request::Ints(80);
  Computed missing = Compute(6, few.view(), 12);
  EXPECT_EQ(missing.status, -3);
  EXPECT_EQ(missing.size, kNoSize);
  Request none;
  EXPECT_EQ(Compute(6, none.view(), 12).status, -3);
  Request enough = Request::Ints(81);
  Computed query = Compute(6, enough.view(), 0, false);
  EXPECT_EQ(query.status, 2);
  EXPECT_EQ(query.size, 12u);
  Computed shorter = Compute(6, enough.view(), 11);
  EXPECT_EQ(shorter.status, 2);
  EXPECT_EQ(shorter.bytes, std::string(11, '\xCD'));
}

TEST(ControlBlocks, SilentModeWithoutPrinter) {
  FixedClock clock({2024, 5, 6, 12, 0, 0});
  Request r = Request::Ints(106); // the caller's parameters play no part
  Computed got = Compute(7, r.view(), 56);
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.bytes, kSilentOff);
}

// The file store of printer data is the POSIX build's; on Windows the
// spooler keeps the values.
#if !defined(_WIN32)

class Printer {
public:
  explicit Printer(const char *name) {
    std::u16string wide = test::Utf16(name);
    if (m4k7db_open_printer(reinterpret_cast<const uint16_t *>(wide.c_str()), &handle_) != 0)
      handle_ = nullptr;
  }
  ~Printer() { m4k7db_close_printer(handle_); }
  PrinterHandle get() const { return handle_; }

private:
  PrinterHandle handle_ = nullptr;
};

// The printers of the silent-mode tests, one per stored window.
const char kSilentPrinters[] = "[Day]\nTpxUI_SilentModeTime = dword:0x04B00168\n"   // 06:00-20:00
                               "[Night]\nTpxUI_SilentModeTime = dword:0x01E00528\n" // 22:00-08:00
                               "[Equal]\nTpxUI_SilentModeTime = dword:0x01680168\n" // empty window
                               "[Short]\nTpxUI_SilentModeTime = hex:68,01\n"        // start 06:00, end 0
                               "[Long]\nTpxUI_SilentModeTime = hex:68,01,B0,04,00,00,00,00\n"
                               "[Missing]\nTpxUI_SilentModeEnable = dword:1\n";

TEST(ControlBlocks, SilentModeWindow) {
  test::PrinterDataFile store(kSilentPrinters);
  struct Case {
    const char *printer;
    uint16_t hour, minute;
    bool on;
  };
  const Case kCases[] = {
      {"Day", 6, 0, true},      {"Day", 20, 0, true},      {"Day", 12, 30, true},     {"Day", 5, 59, false},
      {"Day", 20, 1, false},    {"Day", 0, 0, false},      {"Night", 23, 30, true},   {"Night", 7, 0, true},
      {"Night", 22, 0, true},   {"Night", 8, 0, true},     {"Night", 0, 0, true},     {"Night", 12, 0, false},
      {"Night", 21, 59, false}, {"Night", 8, 1, false},    {"Equal", 6, 0, false},    {"Equal", 0, 0, false},
      {"Equal", 23, 59, false}, {"Short", 12, 0, true},    {"Short", 0, 0, true},     {"Short", 5, 0, false},
      {"Long", 12, 0, false},   {"Missing", 12, 0, false}, {"Unknown", 12, 0, false},
  };
  for (const Case &c : kCases) {
    FixedClock clock({2024, 5, 6, c.hour, c.minute, 0});
    Printer printer(c.printer);
    if (std::string(c.printer) != "Unknown") {
      ASSERT_NE(printer.get(), nullptr) << c.printer;
    }
    Request r;
    r.printerHandle = printer.get();
    Computed got = Compute(7, r.view(), 56);
    ASSERT_EQ(got.status, 0) << c.printer;
    EXPECT_EQ(got.size, 56u);
    EXPECT_EQ(got.bytes, c.on ? kSilentOn : kSilentOff) << c.printer << " at " << c.hour << ":" << c.minute;
  }
}

// A size query reads neither the clock nor the printer: it allocates nothing.
TEST(ControlBlocks, SilentModeSizeQuery) {
  test::PrinterDataFile store(kSilentPrinters);
  Printer printer("Day");
  Request r;
  r.printerHandle = printer.get();
  const uint64_t before = platform::testing::AllocationCount();
  Computed query = Compute(7, r.view(), 0, false);
  EXPECT_EQ(query.status, 2);
  EXPECT_EQ(query.size, 56u);
  Computed shorter = Compute(7, r.view(), 55);
  EXPECT_EQ(shorter.status, 2);
  EXPECT_EQ(shorter.bytes, std::string(55, '\xCD'));
  EXPECT_EQ(platform::testing::AllocationCount(), before);
}

// The value name's buffer is the block's only allocation; when it fails
// the block is off, never a failure, and nothing is left allocated.
TEST(ControlBlocks, SilentModeHeapFailure) {
  test::PrinterDataFile store(kSilentPrinters);
  Printer printer("Day");
  ASSERT_NE(printer.get(), nullptr);
  FixedClock clock({2024, 5, 6, 12, 0, 0});
  Request r;
  r.printerHandle = printer.get();
  const int64_t live = LiveBlocks();
  int failures = 0;
  for (uint32_t n = 1;; ++n) {
    HeapFailAt fail(n);
    Computed got = Compute(7, r.view(), 56);
    ASSERT_EQ(got.status, 0) << n;
    ASSERT_EQ(LiveBlocks(), live) << n;
    if (!fail.fired()) {
      EXPECT_EQ(got.bytes, kSilentOn) << n;
      break;
    }
    EXPECT_EQ(got.bytes, kSilentOff) << n;
    ++failures;
  }
  EXPECT_GE(failures, 1);
}

#endif // !_WIN32

} // namespace
} // namespace m4k7
