// Bytes -> one call of one of the six access functions on the compiled
// image, with any key, any parameter counts and strings, any buffer size,
// and a printer from the printer-data file or none. The checks are the
// promises the functions make to every caller:
// - the status is one of the eight;
// - on 2 the reported size is accepted by a second call with that size;
// - nothing is written past bufferSize, nothing into the request;
// - outSize is untouched on 1 (out of range), 3 and -4, and on 0 holds the
//   bytes written, except for the driver's item lists, which leave it;
// - the compiled image's key index, bisected, answers as a scan of it does.
//
// Input layout: function, key (16 bits), key's high half selector, request
// flags, printer choice, int count (0-300) and values, string count (0-12)
// and strings, buffer choice.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "api/access.h"
#include "drvlists/list_keys.h"
#include "fuzz_support.h"
#include "m4k7db.h"
#include "platform/test_hooks.h"

namespace m4k7::fuzz {
namespace {

using AccessFunction = AccessStatus (*)(uint32_t, const AccessRequest *, uint32_t, void *, uint32_t *);
constexpr AccessFunction kFunctions[6] = {VRT_AccessRootDataBase, VRT_AccessDrvDataBase,
                                          VRT_AccessLMDataBase,   VRT_AccessMntDataBase,
                                          VRT_AccessPADataBase,   VRT_AccessSMDataBase};
constexpr uint16_t kFirstKey[6] = {0x0001, 0x1001, 0x2001, 0x3001, 0x4001, 0x6001};
constexpr uint16_t kLastKey[6] = {0x0FFF, 0x1FFF, 0x2FFF, 0x3FFF, 0x4FFF, 0x6FFF};

constexpr uint32_t kUntouched = 0xFFFFFFFFu;

// Driver keys whose success leaves outSize as it was: the item lists.
bool LeavesSizeOnSuccess(int function, uint16_t key) {
  if (function != 1) return false;
  return m4k7::ItemListConfigOf(key) != nullptr;
}

struct Printers {
  PrinterHandle shared = nullptr; // one handle for every call, as a monitor keeps one
  std::u16string opens = u"M4K7 Series";
  std::u16string opensToo = u"M4K7 Other";
  std::u16string shut = u"M4K7 Broken";
  std::u16string missing = u"No Such Printer";
};
Printers *g_printers = nullptr;

// Every value name the image knows (root keys 8 and 18), so that the walk
// finds a value for each printer-data selector; one value too long for a
// dword shows the read failure.
std::string PrinterDataText() {
  std::string series = "[M4K7 Series]\n", other = "[M4K7 Other]\n";
  std::vector<int32_t> slot(1);
  AccessRequest r{};
  r.intParamCount = 1;
  r.intParams = slot.data();
  int n = 0;
  for (uint32_t key : {8u, 18u}) {
    for (int32_t i = 0; i < 1000; ++i) {
      slot[0] = i;
      uint16_t name[128];
      uint32_t size = 0;
      if (VRT_AccessRootDataBase(key, &r, sizeof name, name, &size) != 0 || size < 2) continue;
      std::string ascii;
      for (uint32_t c = 0; c + 1 < size / 2; ++c) ascii += char(name[c] & 0x7F);
      if (ascii.empty() || series.find("\n" + ascii + " ") != std::string::npos) continue;
      ++n;
      series += ascii + " = dword:" + std::to_string(n % 5 == 0 ? 0x04B00168 : n % 4) + "\n";
      other += ascii + (n % 3 == 0 ? " = hex:01,02,03,04,05\n" : " = hex:0" + std::to_string(n % 7) + "\n");
    }
  }
  return series + other + "[M4K7 Broken]\nA = dword:-1\n";
}

AccessStatus Call(int function, uint32_t key, const AccessRequest *request, uint32_t bufferSize, void *buffer,
                  uint32_t *outSize) {
  return kFunctions[function](key, request, bufferSize, buffer, outSize);
}

// The same call through the access step on the compiled image with its key
// index unmarked, so that every lookup scans instead of bisecting.
AccessStatus CallScanning(int function, uint32_t key, const AccessRequest *request, uint32_t bufferSize,
                          void *buffer, uint32_t *outSize) {
  constexpr m4k7::Database kDatabases[6] = {
      m4k7::Database::Root,        m4k7::Database::Driver, m4k7::Database::LanguageMonitor,
      m4k7::Database::Maintenance, m4k7::Database::PA,     m4k7::Database::StatusMonitor};
  m4k7::ImageDescriptor scanned = m4k7::CompiledImage();
  scanned.keysSorted = false;
  return m4k7::AccessDatabase(scanned, kDatabases[function], key, request, bufferSize, buffer, outSize);
}

// The request and everything it references, kept alive for the call, with
// a copy to prove the module wrote none of it.
struct OwnedRequest {
  std::vector<int32_t> ints;
  std::vector<std::string> strings; // each with its own terminator
  std::vector<const char *> pointers;
  std::u16string name;
  AccessRequest request{};

  struct Snapshot {
    AccessRequest request;
    std::vector<int32_t> ints;
    std::vector<std::string> strings;
    std::vector<const char *> pointers;
    std::u16string name;
  };
  Snapshot snapshot() const { return {request, ints, strings, pointers, name}; }
  bool unchanged(const Snapshot &s) const {
    return std::memcmp(&s.request, &request, sizeof request) == 0 && s.ints == ints && s.strings == strings &&
           s.pointers == pointers && s.name == name;
  }
};

} // namespace
} // namespace m4k7::fuzz

using namespace m4k7::fuzz;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  // Control blocks stamp the local time; a fixed clock keeps the size
  // query and the fetch in agreement across a minute's turn.
  static const m4k7::platform::LocalTime kNoon{2024, 5, 11, 12, 0, 0};
  m4k7::platform::testing::FixClock(&kNoon);
  WritePrinterDataFile("m4k7db_fuzz_access", PrinterDataText());
  static Printers printers;
  if (m4k7db_open_printer(reinterpret_cast<const uint16_t *>(printers.opens.c_str()), &printers.shared) != 0)
    Fail(__FILE__, __LINE__, "the fuzzer's printer does not open");
  g_printers = &printers;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Reader in(data, size);
  const int function = in.u8() % 6;
  const uint16_t low = in.u16();
  const uint8_t high = in.u8();
  uint32_t key = low;
  if (high & 1) key |= uint32_t(high) << 16; // the high half is ignored
  const uint8_t flags = in.u8();
  const uint8_t printerChoice = in.u8();

  OwnedRequest owned;
  owned.ints.resize(in.u16() % 301);
  for (int32_t &v : owned.ints) v = in.setting();
  const size_t stringCount = in.u8() % 13;
  std::vector<bool> absent(stringCount);
  for (size_t i = 0; i < stringCount; ++i) {
    const uint8_t mode = in.u8();
    absent[i] = mode == 0;
    // The text may hold a zero byte of its own: the string ends there.
    owned.strings.push_back(mode == 0 ? std::string() : in.bytes(mode % 48));
  }
  for (size_t i = 0; i < stringCount; ++i)
    owned.pointers.push_back(absent[i] ? nullptr : owned.strings[i].c_str());

  AccessRequest &r = owned.request;
  r.context = (flags & 0x40) ? 0xC0FFEE : 0;
  r.intParamCount = uint32_t(owned.ints.size());
  r.intParams = (flags & 0x02) || owned.ints.empty() ? nullptr : owned.ints.data();
  if (flags & 0x08) r.intParamCount += 1 + in.u8() % 8; // more slots claimed than given: only with no array
  if (r.intParams != nullptr) r.intParamCount = uint32_t(owned.ints.size());
  r.stringParamCount = uint32_t(stringCount);
  r.stringParams = (flags & 0x04) || stringCount == 0 ? nullptr : owned.pointers.data();
  if (r.stringParams == nullptr && (flags & 0x10)) r.stringParamCount = 1 + in.u8() % 8;
  switch (printerChoice % 6) {
  case 1: r.printerHandle = g_printers->shared; break;
  case 2: owned.name = g_printers->opens; break;
  case 3: owned.name = g_printers->opensToo; break;
  case 4: owned.name = g_printers->shut; break;
  case 5: owned.name = g_printers->missing; break;
  default: break;
  }
  if (printerChoice & 0x80) r.printerHandle = g_printers->shared; // a handle and a name: the handle wins
  if (!owned.name.empty()) r.printerName = reinterpret_cast<const uint16_t *>(owned.name.c_str());
  const AccessRequest *request = (flags & 0x01) ? nullptr : &r;

  // The buffer: absent, 0, the exact size, short of it, or larger.
  const uint8_t bufferChoice = in.u8();
  const uint16_t arbitrary = in.u16();
  uint32_t needed = 0;
  if ((bufferChoice % 6) >= 2 && (bufferChoice % 6) <= 4) {
    uint32_t probe = kUntouched;
    if (Call(function, key, request, 0, nullptr, &probe) == 2) needed = probe;
  }
  uint32_t bufferSize = 0;
  bool hasBuffer = true;
  switch (bufferChoice % 6) {
  case 0:
    hasBuffer = false;
    bufferSize = arbitrary;
    break;
  case 1: bufferSize = 0; break;
  case 2: bufferSize = needed; break;
  case 3: bufferSize = needed == 0 ? 0 : needed - 1 - arbitrary % needed; break;
  case 4: bufferSize = needed + arbitrary % 512; break;
  default: bufferSize = arbitrary % 4096; break;
  }
  if (bufferSize > 1u << 20) bufferSize = 1u << 20;

  const auto before = owned.snapshot();
  GuardedBuffer buffer(hasBuffer ? bufferSize : 0);
  const std::vector<uint8_t> untouchedBuffer = buffer.bytes;
  uint32_t outSize = kUntouched;
  const AccessStatus status =
      Call(function, key, request, bufferSize, hasBuffer ? buffer.data() : nullptr, &outSize);

  FUZZ_CHECK(IsAccessStatus(status));
  FUZZ_CHECK(buffer.intact());
  FUZZ_CHECK(owned.unchanged(before));
  if (request == nullptr) FUZZ_CHECK(status == -4);
  const bool inRange = low >= kFirstKey[function] && low <= kLastKey[function];
  if (request != nullptr && !inRange) FUZZ_CHECK(status == 1);
  if (status == -4 || status == 3 || (status == 1 && !inRange)) FUZZ_CHECK(outSize == kUntouched);
  if (status == 0 && !LeavesSizeOnSuccess(function, low)) FUZZ_CHECK(outSize <= bufferSize);
  if (status == 0 && LeavesSizeOnSuccess(function, low)) FUZZ_CHECK(outSize == kUntouched);
  if (status == 2) FUZZ_CHECK(buffer.bytes == untouchedBuffer);

  // The compiled image's bisected index answers as the scan would: status,
  // size and every byte, a partly built list after a failure included.
  GuardedBuffer scannedBuffer(hasBuffer ? bufferSize : 0);
  uint32_t scannedSize = kUntouched;
  const AccessStatus scannedStatus = CallScanning(function, key, request, bufferSize,
                                                  hasBuffer ? scannedBuffer.data() : nullptr, &scannedSize);
  FUZZ_CHECK(scannedStatus == status);
  FUZZ_CHECK(scannedSize == outSize);
  FUZZ_CHECK(scannedBuffer.bytes == buffer.bytes);
  if (status == 2 && outSize != kUntouched) {
    FUZZ_CHECK(!hasBuffer || outSize > bufferSize);
    // The two-call pattern: a buffer of the reported size is accepted.
    const uint32_t reported = outSize;
    GuardedBuffer exact(reported);
    uint32_t second = kUntouched;
    const AccessStatus again = Call(function, key, request, reported, exact.data(), &second);
    FUZZ_CHECK(again != 2);
    FUZZ_CHECK(IsAccessStatus(again));
    FUZZ_CHECK(exact.intact());
    if (again == 0) FUZZ_CHECK(second == (LeavesSizeOnSuccess(function, low) ? kUntouched : reported));
    FUZZ_CHECK(owned.unchanged(before));
  }
  return 0;
}
