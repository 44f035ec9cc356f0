// The spooler's three operations on POSIX. Printers and their stored
// values come from the printer-data file named by M4K7DB_PRINTER_DATA
// (see printer_data_file.h); when that is unset and the build has CUPS,
// from the CUPS destinations; otherwise no printer opens.
//
// A handle is not scratch memory: it lives as long as the caller keeps the
// printer open, so it comes from operator new and not from Allocate, and
// the heap-failure sweeps count only the module's own scratch blocks.
// A file handle holds a snapshot of its printer's values taken at open
// time; rewriting the file later does not change what it reads.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix/printer_data_file.h"
#include "platform/posix/utf8.h"

#if defined(M4K7DB_HAVE_CUPS)
#include "platform/cups/cups_store.h"
#endif

namespace m4k7::platform {

namespace {

// The failure codes the Windows spooler gives for the same cases.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorMoreData = 234;

// Which store a handle came from; anything else is not one of ours (or was
// closed already).
constexpr uint32_t kFileStoreTag = 0x4D4B3746; // "MK7F"
constexpr uint32_t kCupsStoreTag = 0x4D4B3743; // "MK7C"

// A printer-data file of this size or more is not read: no printer opens.
constexpr size_t kMaxFileBytes = size_t(64) << 20;

struct StoredValue {
  std::string_view name; // into Handle::names
  size_t byteCount;
  uint32_t low; // the first 4 bytes, little-endian, the rest 0
};

struct Handle {
  uint32_t tag = 0;
  void *cups = nullptr;
  std::unique_ptr<StoredValue[]> values; // sorted by name
  size_t count = 0;
  std::unique_ptr<char[]> names;
};

// UTF-16 to UTF-8 in a block of its own; false for an unpaired surrogate
// (the block is there) or no memory (it is not).
bool ToUtf8(const uint16_t *text, std::unique_ptr<char[]> *out, size_t *length) {
  out->reset(new (std::nothrow) char[posix::Utf8Capacity(text)]);
  return *out && posix::ToUtf8(text, out->get(), length);
}

bool ReadWholeFile(const char *path, std::unique_ptr<char[]> *data, size_t *size) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  size_t used = 0, room = 0;
  bool ok = true;
  for (;;) {
    if (used == room) {
      if (room >= kMaxFileBytes) {
        ok = false;
        break;
      }
      size_t grown = room == 0 ? size_t(64) << 10 : std::min(room * 2, kMaxFileBytes);
      std::unique_ptr<char[]> bigger(new (std::nothrow) char[grown]);
      if (!bigger) {
        ok = false;
        break;
      }
      if (used != 0) std::memcpy(bigger.get(), data->get(), used);
      *data = std::move(bigger);
      room = grown;
    }
    ssize_t n = ::read(fd, data->get() + used, room - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    used += size_t(n);
  }
  ::close(fd);
  *size = used;
  return ok;
}

uint32_t LowBytes(const printer_data::Line &l) {
  if (l.valueKind == printer_data::ValueKind::kDword) return l.dword;
  uint8_t bytes[4] = {0, 0, 0, 0};
  printer_data::DecodeHex(l.hex, bytes, 4);
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// The snapshot of one printer from the file's text, or nullptr when that
// printer does not open. Two passes: count, then copy into blocks of
// exactly that size.
Handle *SnapshotPrinter(std::string_view text, std::string_view printer) {
  using printer_data::LineKind;
  bool seen = false, broken = false, inside = false;
  size_t count = 0, nameBytes = 0;
  printer_data::ForEachLine(text, [&](size_t, std::string_view raw) {
    if (broken) return;
    printer_data::Line l = printer_data::ClassifyLine(raw);
    if (l.kind == LineKind::kSection) {
      inside = l.name == printer;
      if (inside && seen) broken = true;
      seen = seen || inside;
    } else if (inside && l.kind == LineKind::kMalformed) {
      broken = true;
    } else if (inside && l.kind == LineKind::kValue) {
      ++count;
      nameBytes += l.name.size();
    }
  });
  if (!seen || broken) return nullptr;

  std::unique_ptr<Handle> h(new (std::nothrow) Handle);
  if (!h) return nullptr;
  h->values.reset(new (std::nothrow) StoredValue[count == 0 ? 1 : count]);
  h->names.reset(new (std::nothrow) char[nameBytes == 0 ? 1 : nameBytes]);
  if (!h->values || !h->names) return nullptr;
  char *names = h->names.get();
  inside = false;
  printer_data::ForEachLine(text, [&](size_t, std::string_view raw) {
    printer_data::Line l = printer_data::ClassifyLine(raw);
    if (l.kind == LineKind::kSection) inside = l.name == printer;
    if (!inside || l.kind != LineKind::kValue || h->count == count) return;
    std::memcpy(names, l.name.data(), l.name.size());
    h->values[h->count++] = StoredValue{std::string_view(names, l.name.size()), l.byteCount, LowBytes(l)};
    names += l.name.size();
  });

  StoredValue *begin = h->values.get(), *end = begin + h->count;
  std::sort(begin, end, [](const StoredValue &a, const StoredValue &b) { return a.name < b.name; });
  auto same = [](const StoredValue &a, const StoredValue &b) { return a.name == b.name; };
  if (std::adjacent_find(begin, end, same) != end) return nullptr; // a repeated value name
  h->tag = kFileStoreTag;
  return h.release();
}

PrinterHandle OpenFromFile(const char *path, const uint16_t *name) {
  std::unique_ptr<char[]> utf8;
  size_t length = 0;
  if (!ToUtf8(name, &utf8, &length)) return nullptr;
  std::unique_ptr<char[]> text;
  size_t size = 0;
  if (!ReadWholeFile(path, &text, &size)) return nullptr;
  return SnapshotPrinter(std::string_view(text.get(), size), std::string_view(utf8.get(), length));
}

uint32_t ReadFromSnapshot(const Handle &h, const uint16_t *valueName, uint32_t *value) {
  std::unique_ptr<char[]> utf8;
  size_t length = 0;
  if (!ToUtf8(valueName, &utf8, &length)) return utf8 ? kErrorFileNotFound : kErrorNotEnoughMemory;
  std::string_view want(utf8.get(), length);
  const StoredValue *begin = h.values.get(), *end = begin + h.count;
  const StoredValue *it =
      std::lower_bound(begin, end, want, [](const StoredValue &v, std::string_view n) { return v.name < n; });
  if (it == end || it->name != want) return kErrorFileNotFound;
  if (it->byteCount > 4) return kErrorMoreData;
  *value = it->low;
  return 0;
}

const char *PrinterDataPath() {
  const char *path = std::getenv("M4K7DB_PRINTER_DATA");
  return path != nullptr && *path != '\0' ? path : nullptr;
}

} // namespace

PrinterHandle OpenPrinter(const uint16_t *name) {
  if (name == nullptr) return nullptr;
  if (const char *path = PrinterDataPath()) return OpenFromFile(path, name);
#if defined(M4K7DB_HAVE_CUPS)
  void *destination = cups::Open(name);
  if (destination == nullptr) return nullptr;
  Handle *h = new (std::nothrow) Handle;
  if (h == nullptr) {
    cups::Close(destination);
    return nullptr;
  }
  h->tag = kCupsStoreTag;
  h->cups = destination;
  return h;
#else
  return nullptr;
#endif
}

void ClosePrinter(PrinterHandle printer) {
  if (printer == nullptr) return;
  Handle *h = static_cast<Handle *>(printer);
  if (h->tag != kFileStoreTag && h->tag != kCupsStoreTag) return; // a handle this backend did not make
#if defined(M4K7DB_HAVE_CUPS)
  if (h->tag == kCupsStoreTag) cups::Close(h->cups);
#endif
  h->tag = 0;
  delete h;
}

uint32_t ReadPrinterData(PrinterHandle printer, const uint16_t *valueName, uint32_t *value) {
  if (printer == nullptr) return kErrorInvalidHandle;
  const Handle *h = static_cast<const Handle *>(printer);
  if (valueName == nullptr || value == nullptr) return kErrorInvalidParameter;
  if (h->tag == kFileStoreTag) return ReadFromSnapshot(*h, valueName, value);
#if defined(M4K7DB_HAVE_CUPS)
  if (h->tag == kCupsStoreTag) return cups::Read(h->cups, valueName, value);
#endif
  return kErrorInvalidHandle;
}

} // namespace m4k7::platform
