#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "../engine/test_image.h"
#include "api/access.h"
#include "engine/status.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "support/printer_data_file.h"

#if !defined(_WIN32)
// Printer handles come from operator new, not from the scratch heap, so the
// check that a printer opened by name is closed again counts live
// allocations of the whole program around one call.
namespace {
std::atomic<int64_t> gLiveNews{0};
std::atomic<int64_t> gNews{0}; // every block taken, given back or not
void *CountedNew(size_t bytes) noexcept {
  void *p = std::malloc(bytes == 0 ? 1 : bytes);
  if (p != nullptr) gLiveNews.fetch_add(1);
  if (p != nullptr) gNews.fetch_add(1);
  return p;
}
void CountedDelete(void *p) noexcept {
  if (p == nullptr) return;
  gLiveNews.fetch_sub(1);
  std::free(p);
}
} // namespace
// Every form, so that no block is taken by one allocator and given back to
// another (sanitizer builds replace the ones not listed).
void *operator new(size_t bytes) {
  if (void *p = CountedNew(bytes)) return p;
  throw std::bad_alloc();
}
void *operator new[](size_t bytes) { return operator new(bytes); }
void *operator new(size_t bytes, const std::nothrow_t &) noexcept { return CountedNew(bytes); }
void *operator new[](size_t bytes, const std::nothrow_t &) noexcept { return CountedNew(bytes); }
void operator delete(void *p) noexcept { CountedDelete(p); }
void operator delete[](void *p) noexcept { CountedDelete(p); }
void operator delete(void *p, size_t) noexcept { CountedDelete(p); }
void operator delete[](void *p, size_t) noexcept { CountedDelete(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { CountedDelete(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { CountedDelete(p); }
#endif // !_WIN32

namespace m4k7::test {
namespace {

using platform::testing::HeapFailAt;
using platform::testing::LiveBlocks;

constexpr uint32_t kUnwritten = 0xDEADBEEF;
constexpr Database kAll[] = {Database::Root,        Database::Driver, Database::LanguageMonitor,
                             Database::Maintenance, Database::PA,     Database::StatusMonitor};
#if !defined(_WIN32)
const char16_t kPrinter[] = u"Test Printer";
const char16_t kOtherPrinter[] = u"Other Printer";
const char16_t kNoSuchPrinter[] = u"No Such Printer";
const uint16_t *Wide(const char16_t *s) { return reinterpret_cast<const uint16_t *>(s); }
#endif

// Keys at and around every range edge, each answered by its own number,
// so that only the range test can turn one away.
const uint16_t kEdgeKeys[] = {0x0000, 0x0001, 0x0FFF, 0x1000, 0x1001, 0x1FFF, 0x2000, 0x2001, 0x2FFF,
                              0x3000, 0x3001, 0x3FFF, 0x4000, 0x4001, 0x4FFF, 0x5000, 0x5001, 0x5008,
                              0x5FFF, 0x6000, 0x6001, 0x6FFF, 0x7000, 0x7001, 0xFFFF};
constexpr uint16_t kText = 0x0002;  // "hello"
constexpr uint16_t kPrinterKey = 7; // the stored TpxUI_Mode: 3 or 9, else 0
constexpr uint16_t kMissingKey = 0x0003;

struct AccessImage {
  TestImage img;
  AccessImage() {
    for (uint16_t k : kEdgeKeys) img.key(k, img.answer(k, k));
    img.key(kText, img.bytesLeaf(kText, {'h', 'e', 'l', 'l', 'o'}));
    const uint32_t name = img.nameLeaf(8, "TpxUI_Mode");
    img.key(8, img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Case(1, name)}), 0, 1)));
    const uint32_t three = img.answer(kPrinterKey, 3), nine = img.answer(kPrinterKey, 9);
    const uint32_t zero = img.answer(kPrinterKey, 0);
    img.key(kPrinterKey, img.add(List(NodeKind::NK_SELECT_PRINTER_DATA,
                                      img.list({Case(3, three), Case(9, nine), Default(zero)}), 1, 3)));
  }
};

#if !defined(_WIN32)
#endif

struct Result {
  AccessStatus status;
  uint32_t size;
  int32_t value; // the first int of the answer, on status 0
};

Result Call(const ImageDescriptor &image, Database db, uint32_t key, const AccessRequest *request,
            uint32_t room = 64, bool sizeVariable = true) {
  Result r{0, kUnwritten, 0};
  std::vector<uint8_t> buffer(room, 0);
  r.status = AccessDatabase(image, db, key, request, room, room ? buffer.data() : nullptr,
                            sizeVariable ? &r.size : nullptr);
  if (r.status == kOk && (r.size >= 4 || !sizeVariable)) std::memcpy(&r.value, buffer.data(), 4);
  return r;
}

bool InRange(Database db, uint16_t key) {
  const KeyRange r = RangeOf(db);
  return key >= r.first && key <= r.last;
}

TEST(AccessFunctions, EachDatabaseAnswersOnlyItsRange) {
  AccessImage t;
  const ImageDescriptor image = t.img.view();
  const AccessRequest request{};
  for (Database db : kAll) {
    for (uint16_t key : kEdgeKeys) {
      const Result r = Call(image, db, key, &request);
      if (InRange(db, key)) {
        EXPECT_EQ(r.status, kOk) << "db " << int(db) << " key " << std::hex << key;
        EXPECT_EQ(r.value, key) << "db " << int(db) << " key " << std::hex << key;
      } else {
        EXPECT_EQ(r.status, kNotFound) << "db " << int(db) << " key " << std::hex << key;
        EXPECT_EQ(r.size, kUnwritten) << "db " << int(db) << " key " << std::hex << key;
      }
    }
    // Only the low 16 bits are the key, for the range test and the lookup.
    const KeyRange range = RangeOf(db);
    const Result high = Call(image, db, 0xABCD0000u | range.first, &request);
    EXPECT_EQ(high.status, kOk) << "db " << int(db);
    EXPECT_EQ(high.value, range.first) << "db " << int(db);
    EXPECT_EQ(Call(image, db, 0x00010000u, &request).status, kNotFound) << "db " << int(db);
  }
  EXPECT_EQ(Call(image, Database::Root, 0x00010005u, &request).value,
            Call(image, Database::Root, 5, &request).value);
}

TEST(AccessFunctions, NoRequestComesFirst) {
  AccessImage t;
  const ImageDescriptor image = t.img.view();
  for (Database db : kAll)
    for (uint32_t key : {0u, RangeOf(db).first + 0u, 0x7000u}) {
      const Result r = Call(image, db, key, nullptr);
      EXPECT_EQ(r.status, kNoPrinter) << "db " << int(db) << " key " << key;
      EXPECT_EQ(r.size, kUnwritten);
    }
}

TEST(AccessFunctions, SizeQueryThenExactBuffer) {
  AccessImage t;
  const ImageDescriptor image = t.img.view();
  const AccessRequest request{};
  uint32_t size = kUnwritten;
  EXPECT_EQ(AccessDatabase(image, Database::Root, kText, &request, 100, nullptr, &size), kBufferTooSmall);
  EXPECT_EQ(size, 5u);
  char buffer[5] = {};
  size = kUnwritten;
  EXPECT_EQ(AccessDatabase(image, Database::Root, kText, &request, 0, buffer, &size), kBufferTooSmall);
  EXPECT_EQ(size, 5u);
  size = kUnwritten;
  EXPECT_EQ(AccessDatabase(image, Database::Root, kText, &request, 4, buffer, &size), kBufferTooSmall);
  EXPECT_EQ(size, 5u);
  size = kUnwritten;
  EXPECT_EQ(AccessDatabase(image, Database::Root, kText, &request, 5, buffer, &size), kOk);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::string(buffer, 5), "hello");

  // A key in range that the index lacks.
  for (Database db : {Database::Root, Database::Driver}) {
    const Result r = Call(image, db, db == Database::Root ? kMissingKey : 0x1002, &request);
    EXPECT_EQ(r.status, kUnknownKey);
    EXPECT_EQ(r.size, kUnwritten);
  }
  // A caller without a size variable still gets its status.
  EXPECT_EQ(AccessDatabase(image, Database::Root, kText, &request, 5, buffer, nullptr), kOk);
  EXPECT_EQ(AccessDatabase(image, Database::Root, kText, &request, 0, nullptr, nullptr), kBufferTooSmall);
}

#if !defined(_WIN32)
class AccessPrinters : public ::testing::Test {
protected:
  test::PrinterDataFile file_{
      "[Test Printer]\nTpxUI_Mode = dword:3\n[Other Printer]\nTpxUI_Mode = dword:9\n"};
  AccessImage t_;
  ImageDescriptor image_ = t_.img.view();
  int32_t ints_[1] = {0};
  AccessRequest Request(PrinterHandle handle, const char16_t *name) {
    AccessRequest r{};
    r.printerHandle = handle;
    r.printerName = name ? Wide(name) : nullptr;
    r.intParams = ints_;
    r.intParamCount = 1;
    return r;
  }
};

TEST_F(AccessPrinters, HandleOrNameGiveThePrinter) {
  PrinterHandle mine = platform::OpenPrinter(Wide(kPrinter));
  ASSERT_NE(mine, nullptr) << "the test printer does not open";
  struct Case {
    const char *what;
    PrinterHandle handle;
    const char16_t *name;
    AccessStatus printerStatus;
    int32_t printerValue;
    bool sizeVariable;
  };
  const Case cases[] = {
      {"handle", mine, nullptr, kOk, 3, true},
      {"name", nullptr, kOtherPrinter, kOk, 9, true},
      {"handle wins over the name", mine, kOtherPrinter, kOk, 3, true},
      {"handle wins over the name, no size variable", mine, kOtherPrinter, kOk, 3, false},
      {"handle and a name that does not open", mine, kNoSuchPrinter, kOk, 3, true},
      {"name that does not open", nullptr, kNoSuchPrinter, kNoPrinter, 0, true},
      {"neither", nullptr, nullptr, kNoPrinter, 0, true},
  };
  // Blocks the call takes: opening a printer, even one that does not open,
  // reads the printer-data file into blocks of its own.
  auto blocksTaken = [&](const AccessRequest &request, bool sizeVariable) {
    const int64_t before = gNews.load();
    Call(image_, Database::Root, kPrinterKey, &request, 64, sizeVariable);
    return gNews.load() - before;
  };
  for (const Case &c : cases) {
    const AccessRequest request = Request(c.handle, c.name);
    const Result printer = Call(image_, Database::Root, kPrinterKey, &request, 64, c.sizeVariable);
    // Beside a handle, the name is not opened: no more blocks than without it.
    if (c.handle != nullptr) {
      EXPECT_EQ(blocksTaken(request, c.sizeVariable), blocksTaken(Request(c.handle, nullptr), c.sizeVariable))
          << c.what;
    }
    EXPECT_EQ(printer.status, c.printerStatus) << c.what;
    if (c.printerStatus == kOk) {
      EXPECT_EQ(printer.value, c.printerValue) << c.what;
    }
    // Keys that do not read printer data are answered either way.
    const Result plain = Call(image_, Database::Root, 0x0001, &request);
    EXPECT_EQ(plain.status, kOk) << c.what;
    EXPECT_EQ(plain.value, 1) << c.what;
  }
  // The caller's handle was never closed: it still reads.
  uint32_t value = 0;
  const char16_t valueName[] = u"TpxUI_Mode";
  EXPECT_EQ(platform::ReadPrinterData(mine, Wide(valueName), &value), 0u);
  EXPECT_EQ(value, 3u);
  platform::ClosePrinter(mine);
}

TEST_F(AccessPrinters, APrinterOpenedByNameIsClosedOnEveryPath) {
  const AccessRequest byName = Request(nullptr, kPrinter);
  struct Case {
    const char *what;
    Database db;
    uint32_t key;
    AccessStatus want;
  };
  const Case cases[] = {
      {"printer-data answer", Database::Root, kPrinterKey, kOk},
      {"plain answer", Database::Root, 0x0001, kOk},
      {"unknown key", Database::Root, kMissingKey, kUnknownKey},
      {"driver", Database::Driver, 0x1001, kOk},
      {"size query", Database::Root, kPrinterKey, kBufferTooSmall},
  };
  for (const Case &c : cases) {
    const int64_t before = gLiveNews.load();
    const Result r = Call(image_, c.db, c.key, &byName, c.want == kBufferTooSmall ? 0 : 64);
    const int64_t after = gLiveNews.load();
    EXPECT_EQ(r.status, c.want) << c.what;
    if (c.key == kPrinterKey && c.want == kOk) {
      EXPECT_EQ(r.value, 3) << c.what; // it did open
    }
    EXPECT_EQ(after, before) << c.what << ": the printer opened by name was not closed";
  }
}

TEST_F(AccessPrinters, TheCallersRequestIsNeverWritten) {
  std::vector<int32_t> ints = {1, 2, 3};
  const char *strings[] = {"a", nullptr};
  AccessRequest request = Request(nullptr, kPrinter);
  request.intParams = ints.data();
  request.intParamCount = 3;
  request.stringParams = strings;
  request.stringParamCount = 2;
  request.context = 42;
  AccessRequest before;
  std::memcpy(&before, &request, sizeof request);
  const std::vector<int32_t> intsBefore = ints;
  for (Database db : kAll)
    for (uint32_t key : {uint32_t(kPrinterKey), uint32_t(RangeOf(db).first), 0x5008u}) {
      Call(image_, db, key, &request);
      Call(image_, db, key, &request, 0);
    }
  EXPECT_EQ(std::memcmp(&before, &request, sizeof request), 0);
  EXPECT_EQ(ints, intsBefore);
  EXPECT_STREQ(strings[0], "a");
  EXPECT_EQ(strings[1], nullptr);
}

TEST_F(AccessPrinters, ExhaustedHeapFailsCleanly) {
  const AccessRequest byName = Request(nullptr, kPrinter);
  for (uint32_t n = 1;; ++n) {
    HeapFailAt fail(n);
    const int64_t before = gLiveNews.load();
    const Result r = Call(image_, Database::Root, kPrinterKey, &byName);
    ASSERT_EQ(LiveBlocks(), 0) << "allocation " << n;
    ASSERT_EQ(gLiveNews.load(), before) << "allocation " << n;
    if (!fail.fired()) {
      EXPECT_EQ(r.status, kOk);
      EXPECT_EQ(r.value, 3);
      break;
    }
    EXPECT_EQ(r.status, kFailed) << "allocation " << n;
  }
}
#endif // !_WIN32

} // namespace
} // namespace m4k7::test
