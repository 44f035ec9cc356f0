// The module against the real spooler: printers made with AddPrinterW,
// values written with SetPrinterDataW, read back by the printer-data select
// of grouped key 4120 and by the silent-mode control block.
#if defined(_WIN32)

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "computed/compute.h"
#include "engine/image.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "spooler_printer.h"
#include "support/ask.h"
// winspool.h maps OpenPrinter to OpenPrinterA/W; the module's is meant.
#undef OpenPrinter

namespace m4k7::test {
namespace {

const std::string
    kNibble("\x1B[K\x02\x00\x00\x1FQXLSTART\nControlMode=Common\nSelectParallel=Nibble\nQXLEND\n"
            "\x1B[K\x02\x00\x00\x0F",
            71);
const std::string kEcp("\x1B[K\x02\x00\x00\x1FQXLSTART\nControlMode=Common\nSelectParallel=ECP\nQXLEND\n"
                       "\x1B[K\x02\x00\x00\x0F",
                       68);
const std::string kSilentOff("\x1B[K\x02\x00\x00\x1FQXLSTART\nControlMode=Common\nSetSilent=OFF\nQXLEND\n",
                             56);
const std::string kSilentOn("\x1B[K\x02\x00\x00\x1FQXLSTART\nControlMode=Common\nSetSilent=ON\n\nQXLEND\n",
                            56);

#define REQUIRE_PRINTER(p)                                                                                   \
  do {                                                                                                       \
    std::string why_ = (p).Create();                                                                         \
    ASSERT_EQ(why_, "");                                                                                     \
  } while (0)

// How the printer stores TpxUI_CustomECPMode, and the start block it gets.
struct EcpCase {
  const wchar_t *suffix;
  bool stored;
  DWORD type;
  std::vector<BYTE> data;
  const std::string *startBlock;
};

const std::vector<EcpCase> &EcpCases() {
  static const std::vector<EcpCase> cases = {
      {L"Zero", true, REG_DWORD, {0, 0, 0, 0}, &kNibble},
      {L"One", true, REG_DWORD, {1, 0, 0, 0}, &kEcp},
      {L"HighByte", true, REG_DWORD, {0, 0, 0, 1}, &kEcp},
      {L"Missing", false, REG_NONE, {}, &kEcp},
      // Longer than 4 bytes: the spooler answers ERROR_MORE_DATA, read as
      // no value, and the select takes its default.
      {L"Long", true, REG_BINARY, {0, 0, 0, 0, 0, 0, 0, 0}, &kEcp},
      // The stored type is not looked at.
      {L"BinaryZero", true, REG_BINARY, {0, 0, 0, 0}, &kNibble},
      // Shorter: only the low byte is filled, the rest stays 0.
      {L"ShortZero", true, REG_BINARY, {0}, &kNibble},
      {L"ShortOne", true, REG_BINARY, {1}, &kEcp},
  };
  return cases;
}

TEST(SpoolerPrinterData, StartBlockByNameAndByHandle) {
  for (const EcpCase &c : EcpCases()) {
    SpoolerPrinter printer(c.suffix);
    REQUIRE_PRINTER(printer);
    if (c.stored) {
      ASSERT_EQ(printer.Set(L"TpxUI_CustomECPMode", c.type, c.data), 0u);
    }

    Request byName = Request::Standard(Database::Driver);
    byName.printerName = printer.name16();
    Answer a = Ask(Database::Driver, 4120, byName);
    EXPECT_EQ(a.status, 0) << "by name, " << std::string(c.suffix, c.suffix + wcslen(c.suffix));
    EXPECT_EQ(a.text(), *c.startBlock) << "by name";

    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t *>(printer.name().c_str()), &h, nullptr));
    Request byHandle = Request::Standard(Database::Driver);
    byHandle.printerHandle = h;
    Answer b = Ask(Database::Driver, 4120, byHandle);
    EXPECT_EQ(b.status, 0) << "by handle";
    EXPECT_EQ(b.text(), *c.startBlock) << "by handle";

    // The caller's handle is not closed by the module.
    DWORD type = 0, v = 0, needed = 0;
    EXPECT_NE(GetPrinterDataW(h, const_cast<wchar_t *>(L"Anything"), &type, reinterpret_cast<BYTE *>(&v), 4,
                              &needed),
              DWORD(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(ClosePrinter(h));
  }
}

// The platform read as the select uses it: a 4-byte buffer, whatever type
// the value was stored with.
TEST(SpoolerPrinterData, ReadsIntoFourBytes) {
  struct ReadCase {
    const wchar_t *valueName; // nullptr: not stored
    DWORD type;
    std::vector<BYTE> data;
    uint32_t rc;
    uint32_t value; // from a buffer preset to 0xA5A5A5A5
  };
  const ReadCase kReads[] = {
      {L"Dword", REG_DWORD, {0x04, 0x03, 0x02, 0x01}, 0, 0x01020304u},
      {L"Short", REG_BINARY, {0x34, 0x12}, 0, 0xA5A51234u},
      {L"Text", REG_SZ, {'1', 0, 0, 0}, 0, 0x31u},
      {L"Long", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}, ERROR_MORE_DATA, 0},
      {nullptr, REG_NONE, {}, ERROR_FILE_NOT_FOUND, 0},
  };
  SpoolerPrinter printer(L"Reads");
  REQUIRE_PRINTER(printer);
  for (const ReadCase &c : kReads) {
    if (c.valueName != nullptr) {
      ASSERT_EQ(printer.Set(c.valueName, c.type, c.data), 0u);
    }
  }
  PrinterHandle h = platform::OpenPrinter(reinterpret_cast<const uint16_t *>(printer.name().c_str()));
  ASSERT_NE(h, nullptr);
  for (const ReadCase &c : kReads) {
    const wchar_t *name = c.valueName != nullptr ? c.valueName : L"NotStored";
    uint32_t value = 0xA5A5A5A5u;
    EXPECT_EQ(platform::ReadPrinterData(h, reinterpret_cast<const uint16_t *>(name), &value), c.rc)
        << std::string(name, name + wcslen(name));
    if (c.rc == 0) {
      EXPECT_EQ(value, c.value) << std::string(name, name + wcslen(name));
    }
  }
  platform::ClosePrinter(h);
  uint32_t value = 0;
  EXPECT_EQ(platform::ReadPrinterData(nullptr, reinterpret_cast<const uint16_t *>(L"Dword"), &value),
            uint32_t(ERROR_INVALID_HANDLE));
  EXPECT_EQ(platform::OpenPrinter(reinterpret_cast<const uint16_t *>(L"M4K7 No Such Printer")), nullptr);
}

TEST(SpoolerPrinterData, NameThatDoesNotOpen) {
  Request r = Request::Standard(Database::Driver);
  r.printerName = u"M4K7 No Such Printer";
  EXPECT_EQ(Ask(Database::Driver, 4120, r).status, M4K7DB_NO_PRINTER);
}

TEST(SpoolerPrinterData, ScratchMemoryFailsCleanly) {
  using platform::testing::HeapFailAt;
  using platform::testing::LiveBlocks;
  SpoolerPrinter printer(L"Heap");
  REQUIRE_PRINTER(printer);
  ASSERT_EQ(printer.SetDword(L"TpxUI_CustomECPMode", 0), 0u);
  Request r = Request::Standard(Database::Driver);
  r.printerName = printer.name16();
  for (uint32_t n = 1;; ++n) {
    HeapFailAt fail(n);
    Answer a = AskOnce(Database::Driver, 4120, r, 256);
    ASSERT_TRUE(a.status == 0 || a.status == M4K7DB_FAILED) << n << ": " << a.status;
    if (a.status == 0) {
      EXPECT_EQ(a.text(), kNibble) << n;
    }
    ASSERT_EQ(LiveBlocks(), 0) << n;
    if (!fail.fired()) break;
  }
}

// The window is TpxUI_SilentModeTime: start minute in the low half, end
// minute in the high half.
struct SilentCase {
  const wchar_t *suffix;
  bool stored;
  DWORD window;
  uint16_t hour, minute;
  const std::string *block;
};

const SilentCase kSilent[] = {
    {L"Day0600", true, 0x04B00168, 6, 0, &kSilentOn},     {L"Day2000", true, 0x04B00168, 20, 0, &kSilentOn},
    {L"Day0559", true, 0x04B00168, 5, 59, &kSilentOff},   {L"Day2001", true, 0x04B00168, 20, 1, &kSilentOff},
    {L"Night2330", true, 0x01E00528, 23, 30, &kSilentOn}, {L"Night0700", true, 0x01E00528, 7, 0, &kSilentOn},
    {L"Night1200", true, 0x01E00528, 12, 0, &kSilentOff}, {L"Empty", true, 0x02580258, 10, 0, &kSilentOff},
    {L"NoWindow", false, 0, 10, 0, &kSilentOff},
};

TEST(SpoolerSilentMode, BlockFollowsStoredWindow) {
  for (const SilentCase &c : kSilent) {
    const std::string label(c.suffix, c.suffix + wcslen(c.suffix));
    SpoolerPrinter printer(c.suffix);
    REQUIRE_PRINTER(printer);
    if (c.stored) {
      ASSERT_EQ(printer.SetDword(L"TpxUI_SilentModeTime", c.window), 0u);
    }
    HANDLE h = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t *>(printer.name().c_str()), &h, nullptr));

    platform::testing::FixedClock clock({2024, 5, 6, c.hour, c.minute, 30});
    Request r = Request::Ints(0);
    r.printerHandle = h;
    std::vector<uint8_t> buffer(56);
    uint32_t size = 0;
    ASSERT_EQ(ComputeValue(CompiledImage(), uint16_t(ComputedValueId::CV_SILENT_MODE_BLOCK), &r.view(),
                           uint32_t(buffer.size()), buffer.data(), &size),
              0)
        << label;
    EXPECT_EQ(size, 56u) << label;
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), *c.block) << label;
    ClosePrinter(h);
  }
}

} // namespace
} // namespace m4k7::test

#endif
