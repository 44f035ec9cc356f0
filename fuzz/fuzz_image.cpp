// Bytes -> a small, arbitrary database image, walked and fetched for
// several keys and requests through the access step, the engine and the
// driver list services. Every table is a heap block of exactly its stated
// count (or absent), so that a read outside any table is caught by the
// sanitizers; the checks are that every call returns one of the eight
// statuses, writes nothing past the buffer, and that a size query's answer
// is accepted by a second call. Each operation also runs with the key index
// marked sorted: where the index is sorted without repeats the outcome must
// be the scan's, and where it is not every read must stay inside it.
//
// Input layout: a byte of table presence bits, a byte of list-table
// presence bits, then each table as a count byte and its entries (nodes as
// a kind byte, a 16-bit operand and a 32-bit second word), then queries
// until the input ends.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "api/access.h"
#include "drvlists/drvlists.h"
#include "drvlists/list_keys.h"
#include "engine/engine.h"
#include "engine/walk.h"
#include "fuzz_support.h"
#include "platform/test_hooks.h"

namespace m4k7::fuzz {
namespace {

constexpr uint32_t kUntouched = 0xFFFFFFFFu;
constexpr int kMaxQueries = 8;

PrinterHandle g_printer = nullptr;

// Keys worth asking more often than chance would: every key the list
// services answer, as their configuration names them, with 4117 among them
// though it is none of theirs; then the fragment key, two per-item keys and
// root keys 8 (the value names), 18 and 1.
constexpr bool AskedOften(uint16_t key) {
  return ServiceOfDriverKey(key) != DriverKeyService::Lookup || key == 4117;
}
constexpr uint16_t kOtherKeys[] = {kFragmentKey, kQualityAttr1.key, kInkAttr3.key, 8, 18, 1};
// The list keys' span holds the grouped keys and key 4126 too.
constexpr uint32_t kFirstListKey = detail::kFirstListKey,
                   kLastListKey = kFirstListKey + detail::kListKeySpan - 1;

constexpr size_t CountAskedOften() {
  size_t n = 0;
  for (uint32_t k = kFirstListKey; k <= kLastListKey; ++k) n += AskedOften(uint16_t(k));
  return n;
}

constexpr auto kInterestingKeys = [] {
  std::array<uint16_t, CountAskedOften() + std::size(kOtherKeys)> keys{};
  size_t n = 0;
  for (uint32_t k = kFirstListKey; k <= kLastListKey; ++k)
    if (AskedOften(uint16_t(k))) keys[n++] = uint16_t(k);
  for (uint16_t k : kOtherKeys) keys[n++] = k;
  return keys;
}();

struct OwnedImage {
  std::vector<DbNode> nodes;
  std::vector<uint16_t> keys;
  std::vector<uint32_t> keyNodes;
  std::vector<int32_t> ints;
  std::vector<uint16_t> shorts;
  std::vector<uint8_t> bytes;
  std::vector<char> strings;
  std::vector<uint16_t> groupKeys, groupEntryCounts;
  std::vector<int32_t> groupEntryStarts;
  std::vector<uint32_t> entryNodes;
  std::vector<uint16_t> listIds, itemCounts, itemIds;
  std::vector<int32_t> itemStarts, itemValues;
  std::vector<PrintModeRow> rows;
  std::vector<uint8_t> sections[4];
  ImageDescriptor image{};
};

// An array of the given count read from the input; nullptr when absent.
// A count stays in the descriptor even for an absent table.
template <class T, class Read> T *Table(std::vector<T> &v, size_t count, bool present, Read read) {
  if (!present) return nullptr;
  v.resize(count);
  for (T &e : v) e = read();
  return v.empty() ? nullptr : v.data();
}

void ReadImage(Reader &in, OwnedImage &o) {
  const uint8_t present = in.u8();
  const uint8_t lists = in.u8();
  auto bit = [](uint8_t b, int n) { return (b >> n & 1) == 0; }; // a clear bit means present
  ImageDescriptor &d = o.image;

  d.nodeCount = in.u8();
  d.nodes = Table(o.nodes, d.nodeCount, bit(present, 0), [&] {
    const uint8_t kind = in.u8() % 24;
    const uint32_t operand = in.u16();
    return DbNode{makeWord0(NodeKind(kind), operand), in.u32()};
  });
  d.keyCount = in.u8();
  d.keys = Table(o.keys, d.keyCount, bit(present, 1), [&] { return in.u16(); });
  d.keyNodes = Table(o.keyNodes, d.keyCount, bit(present, 2), [&] { return uint32_t(in.u8()); });
  d.intCount = in.u8();
  d.intPool = Table(o.ints, d.intCount, bit(present, 3), [&] { return in.setting(); });
  d.shortCount = in.u8();
  d.shortPool = Table(o.shorts, d.shortCount, bit(present, 4), [&] { return in.u16(); });
  d.byteSize = in.u8();
  d.bytePool = Table(o.bytes, d.byteSize, bit(present, 5), [&] { return in.u8(); });
  d.stringSize = in.u8();
  d.stringPool = Table(o.strings, d.stringSize, bit(present, 6), [&] { return char(in.u8()); });

  GroupedListTable &g = d.groups;
  g.groupCount = in.u8() % 16;
  g.groupKeys = Table(o.groupKeys, g.groupCount, bit(lists, 0), [&] { return uint16_t(4120 + in.u8() % 8); });
  g.groupEntryCounts =
      Table(o.groupEntryCounts, g.groupCount, bit(lists, 0), [&] { return uint16_t(in.u8()); });
  g.groupEntryStarts = Table(o.groupEntryStarts, g.groupCount, bit(lists, 0), [&] { return in.setting(); });
  g.entryCount = in.u8() % 32;
  g.entryNodes = Table(o.entryNodes, g.entryCount, bit(lists, 1), [&] { return uint32_t(in.u8()); });

  ItemListTable &t = d.items;
  t.listCount = in.u8() % 16;
  t.listIds = Table(o.listIds, t.listCount, bit(lists, 2), [&] { return uint16_t(in.u8() % 12); });
  t.itemCounts = Table(o.itemCounts, t.listCount, bit(lists, 2), [&] { return uint16_t(in.u8()); });
  t.itemStarts = Table(o.itemStarts, t.listCount, bit(lists, 2), [&] { return in.setting(); });
  t.itemPoolCount = in.u8();
  t.itemIds = Table(o.itemIds, t.itemPoolCount, bit(lists, 3), [&] { return in.u16(); });
  t.itemValues = Table(o.itemValues, t.itemPoolCount, bit(lists, 3), [&] { return in.setting(); });

  PrintModeTables &p = d.printModes;
  p.modeRowCount = in.u8() % 8;
  p.modeRows = Table(o.rows, p.modeRowCount, bit(lists, 4), [&] {
    PrintModeRow row{};
    for (int16_t &m : row.match) m = int16_t(in.setting());
    for (uint16_t &s : row.section) s = uint16_t(in.u8() % 4);
    return row;
  });
  constexpr uint32_t kSizes[4] = {kSection1Size, kSection2Size, kSection3Size, kSection4Size};
  const uint8_t *tables[4] = {};
  for (int s = 0; s < 4; ++s) {
    p.sectionCounts[s] = in.u8() % 4;
    tables[s] = Table(o.sections[s], p.sectionCounts[s] * kSizes[s], bit(lists, 5 + (s > 2 ? 2 : s / 2)),
                      [&] { return uint8_t(0x10 + s); });
  }
  p.sectionTable1 = tables[0];
  p.sectionTable2 = tables[1];
  p.sectionTable3 = tables[2];
  p.sectionTable4 = tables[3];
}

struct Query {
  std::vector<int32_t> ints;
  std::vector<std::string> strings;
  std::vector<const char *> pointers;
  AccessRequest request{};
};

void ReadQuery(Reader &in, Query &q) {
  const uint8_t shape = in.u8();
  // 0, a few, or the driver's 106 and more (the list services want 82+).
  const uint32_t count = (shape & 3) == 0 ? 0 : (shape & 3) == 1 ? in.u8() % 8 : 80 + in.u8() % 40;
  q.ints.resize(count);
  for (uint32_t i = 0; i < count && i < 12; ++i) q.ints[i] = in.setting();
  for (uint32_t i = 12; i < count; ++i) q.ints[i] = (shape & 4) ? in.setting() : 0;
  const uint32_t strings = (shape >> 3) % 4;
  for (uint32_t i = 0; i < strings; ++i) q.strings.push_back(in.bytes(in.u8() % 8));
  for (const std::string &s : q.strings) q.pointers.push_back(s.c_str());
  q.request.intParamCount = count;
  q.request.intParams = q.ints.empty() ? nullptr : q.ints.data();
  q.request.stringParamCount = strings;
  q.request.stringParams = q.pointers.empty() ? nullptr : q.pointers.data();
  q.request.printerHandle = (shape & 0x20) ? g_printer : nullptr;
}

// What one operation gave: statuses, sizes and buffers of both calls.
struct Outcome {
  AccessStatus status = 0, status2 = 0;
  uint32_t size = kUntouched, size2 = kUntouched;
  std::vector<uint8_t> bytes, bytes2;
  AccessStatus read = 0; // a printer-data read through a given descriptor, and its value
  uint32_t value = 0;
  bool operator==(const Outcome &) const = default;
};

// One operation in two calls: a size query, then the buffer it asked for.
template <class Op> Outcome TwoCalls(Op op, uint32_t firstSize) {
  Outcome o;
  GuardedBuffer first(firstSize);
  o.status = op(firstSize, firstSize == 0 ? nullptr : first.data(), &o.size);
  FUZZ_CHECK(IsAccessStatus(o.status));
  FUZZ_CHECK(first.intact());
  o.bytes = first.bytes;
  if (o.status != 2 || o.size == kUntouched || o.size > (1u << 24)) return o;
  GuardedBuffer second(o.size);
  o.status2 = op(o.size, second.data(), &o.size2);
  FUZZ_CHECK(IsAccessStatus(o.status2));
  FUZZ_CHECK(second.intact());
  o.bytes2 = second.bytes;
  return o;
}

// An index the image compiler would mark: ascending, no key twice.
bool SortedWithoutRepeats(const ImageDescriptor &image) {
  if (image.keys == nullptr) return false;
  for (uint32_t i = 1; i < image.keyCount; ++i)
    if (image.keys[i] <= image.keys[i - 1]) return false;
  return true;
}

} // namespace
} // namespace m4k7::fuzz

using namespace m4k7;
using namespace m4k7::fuzz;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  static const platform::LocalTime kNoon{2024, 5, 11, 12, 0, 0};
  platform::testing::FixClock(&kNoon);
  WritePrinterDataFile("m4k7db_fuzz_image",
                       "[M4K7]\nTpxUI_CustomECPMode = dword:1\nTpxUI_SilentModeTime = dword:0x04B00168\n"
                       "A = dword:2\nB = hex:01,02,03,04,05\n");
  if (m4k7db_open_printer(reinterpret_cast<const uint16_t *>(u"M4K7"), &g_printer) != 0)
    Fail(__FILE__, __LINE__, "the fuzzer's printer does not open");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Reader in(data, size);
  OwnedImage owned;
  ReadImage(in, owned);
  // Every operation runs on the image as read (scanned, as every image
  // without the compiler's mark) and again with the mark set: an index
  // sorted without repeats must give identical outcomes; any other must
  // still keep every read inside the index.
  ImageDescriptor scanned = owned.image;
  scanned.keysSorted = false;
  ImageDescriptor marked = owned.image;
  marked.keysSorted = true;
  const bool sameAnswers = SortedWithoutRepeats(scanned);

  for (int n = 0; n < kMaxQueries && in.left() > 0; ++n) {
    const uint8_t what = in.u8();
    const uint16_t raw = in.u16();
    const uint16_t key = (what & 0x80) ? kInterestingKeys[raw % std::size(kInterestingKeys)] : raw;
    const uint32_t firstSize = (what & 0x40) ? in.u8() : 0;
    Query q;
    ReadQuery(in, q);
    const AccessRequest *request = &q.request;
    // What the operations read beyond the query, read once for both images.
    uint32_t word0 = 0, word1 = 0;
    LeafDescriptor given{};
    std::vector<int32_t> ids;
    switch (what % 6) {
    case 3:
      word0 = in.u32();
      word1 = in.u32();
      break;
    case 4: given = {in.u32(), in.u32()}; break;
    case 5:
      ids.resize(in.u8() % 16);
      for (int32_t &id : ids) id = in.setting();
      break;
    default: break;
    }

    auto ask = [&](const ImageDescriptor &image) -> Outcome {
      switch (what % 6) {
      case 0: // through the access step of the database the key belongs to
        return TwoCalls(
            [&](uint32_t bs, void *b, uint32_t *out) {
              Database db = key < 0x1000   ? Database::Root
                            : key < 0x2000 ? Database::Driver
                            : key < 0x3000 ? Database::LanguageMonitor
                            : key < 0x4000 ? Database::Maintenance
                            : key < 0x6000 ? Database::PA
                                           : Database::StatusMonitor;
              return AccessDatabase(image, db, key, request, bs, b, out);
            },
            firstSize);
      case 1: // the driver's dispatch, list services included
        return TwoCalls([&](uint32_t bs, void *b,
                            uint32_t *out) { return DispatchDriverKey(image, key, request, bs, b, out); },
                        firstSize);
      case 2: // lookup and fetch, internal keys included
        return TwoCalls(
            [&](uint32_t bs, void *b, uint32_t *out) {
              LeafDescriptor leaf{};
              AccessStatus s = LookupKey(image, key, request, &leaf);
              return s == 0 ? FetchLeaf(image, request, bs, b, out, leaf) : s;
            },
            firstSize);
      case 3: // a walk from arbitrary node words, then its fetch
        return TwoCalls(
            [&](uint32_t bs, void *b, uint32_t *out) {
              LeafDescriptor leaf{};
              AccessStatus s = WalkNode(image, key, request, word0, word1, &leaf);
              return s == 0 ? FetchLeaf(image, request, bs, b, out, leaf) : s;
            },
            firstSize);
      case 4: { // a fetch of an arbitrary descriptor, and a printer-data read through it
        Outcome o = TwoCalls(
            [&](uint32_t bs, void *b, uint32_t *out) { return FetchLeaf(image, request, bs, b, out, given); },
            firstSize);
        o.read = ReadPrinterDword(image, g_printer, given, &o.value);
        FUZZ_CHECK(IsAccessStatus(o.read));
        if (o.read != 0) o.value = 0;
        return o;
      }
      default: { // the item-list completion over ids the input gives
        const uint32_t count = uint32_t(ids.size());
        // The ids stand packed as 32-bit values at the start of the records.
        std::vector<ListItem> items(count == 0 ? 1 : count);
        std::memset(items.data(), 0, items.size() * sizeof(ListItem));
        if (count != 0) std::memcpy(items.data(), ids.data(), ids.size() * sizeof(int32_t));
        Outcome o;
        o.status =
            CompleteItemList(image, key, request, uint32_t(count * sizeof(ListItem)), items.data(), count);
        FUZZ_CHECK(IsAccessStatus(o.status));
        o.bytes.resize(items.size() * sizeof(ListItem));
        std::memcpy(o.bytes.data(), items.data(), o.bytes.size());
        return o;
      }
      }
    };
    const Outcome byScan = ask(scanned);
    const Outcome byMark = ask(marked);
    if (sameAnswers) FUZZ_CHECK(byMark == byScan);
  }
  return 0;
}
