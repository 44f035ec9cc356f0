// The answers corpus: a fixed, deterministic set of requests asked through
// the six exported functions, one line per call. The Linux library and both
// Windows DLLs must write the same lines, byte for byte.
//
//   answers_corpus --write FILE     writes the corpus
//   answers_corpus --compare FILE   compares with FILE; names the first
//                                   differing line
//
// The requests come from the image itself: its key index, the values its
// select nodes distinguish, the settings the driver's own list keys allow
// (each asked through the driver's function) and the printer-data values
// its printer-data selects read. Nothing here lists keys or answers.
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "answers/corpus_printer.h"
#include "drvlists/list_keys.h"
#include "engine/image.h"
#include "m4k7db.h"
#include "platform/test_hooks.h"

namespace m4k7::corpus {
namespace {

using AccessFunction = AccessStatus(M4K7DB_CALL *)(uint32_t, const AccessRequest *, uint32_t, void *,
                                                   uint32_t *);

// The six databases, each with its key range and its standard request
// shape (integer and string slot counts).
struct DatabaseInfo {
  const char *name;
  uint32_t first, last;
  AccessFunction function;
  uint32_t ints, strings;
};

const DatabaseInfo kDatabases[] = {
    {"root", 0x0001, 0x0FFF, VRT_AccessRootDataBase, 1, 1},
    {"drv", 0x1001, 0x1FFF, VRT_AccessDrvDataBase, 106, 0},
    {"lm", 0x2001, 0x2FFF, VRT_AccessLMDataBase, 14, 5},
    {"mnt", 0x3001, 0x3FFF, VRT_AccessMntDataBase, 1, 0},
    {"pa", 0x4001, 0x4FFF, VRT_AccessPADataBase, 4, 0},
    {"sm", 0x6001, 0x6FFF, VRT_AccessSMDataBase, 17, 9},
};
constexpr size_t kRoot = 0, kDriver = 1;

// The driver's keys that describe its settings: the order in which the
// settings depend on one another (integer-parameter indexes) and the
// default (index, value) pairs. The values a setting may take under the
// settings before it are the items of its dialog list (DialogListOf).
constexpr uint32_t kChainKey = 4107;
constexpr uint32_t kDefaultsKey = 4131;
// The settings that depend on the page rather than the print mode: paper
// size, margin mode and paper source; and the slot the chain leaves out
// (the driver's I[9]), which every print-mode tree selects on after I[4].
const std::vector<uint32_t> kPaperSlots = {28, 52, 7};
constexpr uint32_t kChainExtraSlot = 9;
// Where the driver gives the user-defined paper's dimensions: width and
// length for the printable area, the capped area and the page command.
const std::vector<std::pair<uint32_t, uint32_t>> kDimensionSlots = {{25, 26}, {29, 30}, {96, 97}};
const std::vector<std::pair<int32_t, int32_t>> kDimensions = {{21000, 29700}, {14800, 21000}, {32900, 48300}};

// The driver keys its list services answer (item lists, grouped lists,
// the print-mode record).
constexpr uint32_t kFirstListKey = 4108, kLastListKey = 4126;

// The module's own keys, which no function accepts; the fragment key's
// index entry is the node under which every driver tree hangs.
constexpr uint32_t kFirstInternalKey = 0x5001, kLastInternalKey = 0x5FFF;
constexpr uint32_t kFragmentKey = 0x5008;

// The value the root's key 8 names a printer-data value by.
constexpr uint32_t kValueNameKey = 8;

// Countries: the first is every request's, the others ask each key's first
// request again; "" is a system that cannot tell its country.
const char *const kLocales[] = {"1", "33", "81", ""};

constexpr size_t kShownBytes = 64;

uint64_t Fnv1a64(const uint8_t *bytes, size_t n) {
  uint64_t h = 0xCBF29CE484222325ull;
  for (size_t i = 0; i < n; ++i) {
    h ^= bytes[i];
    h *= 0x100000001B3ull;
  }
  return h;
}

// ---------------------------------------------------------------------------
// What the image distinguishes under one start node.

struct Distinctions {
  std::map<uint32_t, std::set<int32_t>> ints; // I[n]: case values, range ends, guards
  std::map<uint32_t, std::vector<std::pair<int32_t, int32_t>>> ranges; // I[n]: ranges
  std::map<uint32_t, std::set<std::string>> strings;                   // S[n]: string cases
  std::map<uint32_t, std::set<int32_t>> printerData;                   // value number: case values
  std::set<int32_t> locale;                                            // country codes
  bool computed = false;                                               // a computed leaf is reachable
};

class Analyser {
public:
  explicit Analyser(const ImageDescriptor &image) : image_(image), seen_(image.nodeCount, false) {}

  void Visit(uint32_t index, Distinctions *d) {
    std::vector<uint32_t> stack{index};
    while (!stack.empty()) {
      const uint32_t n = stack.back();
      stack.pop_back();
      if (n >= image_.nodeCount || seen_[n]) continue;
      seen_[n] = true;
      const DbNode node = image_.nodes[n];
      const NodeKind kind = kindOf(node);
      const uint32_t start = operandOf(node);
      const uint32_t count = countOf(node);
      const uint32_t p = fieldOf(node);
      switch (kind) {
      case NodeKind::NK_COMPUTED: d->computed = true; break;
      case NodeKind::NK_SEQUENCE:
      case NodeKind::NK_GUARD:
        for (uint32_t i = 0; i < count; ++i) stack.push_back(start + i);
        break;
      case NodeKind::NK_GUARDED_SEQUENCE:
        for (uint32_t i = 0; i < count && start + i < image_.nodeCount; ++i) {
          const DbNode child = image_.nodes[start + i];
          if (kindOf(child) == NodeKind::NK_GUARD) d->ints[p].insert(int32_t(fieldOf(child)));
          stack.push_back(start + i);
        }
        break;
      case NodeKind::NK_SELECT_PARAM:
      case NodeKind::NK_SELECT_MASKED:
      case NodeKind::NK_SELECT_PRINTER_DATA:
      case NodeKind::NK_SELECT_LOCALE: {
        uint32_t first = start;
        if (kind == NodeKind::NK_SELECT_MASKED) {
          if (start >= image_.nodeCount) break;
          first = operandOf(image_.nodes[start]);
        }
        std::set<int32_t> *values = kind == NodeKind::NK_SELECT_PRINTER_DATA ? &d->printerData[p]
                                    : kind == NodeKind::NK_SELECT_LOCALE     ? &d->locale
                                                                             : &d->ints[p];
        for (uint32_t i = 0; i < count && first + i < image_.nodeCount; ++i) {
          const DbNode entry = image_.nodes[first + i];
          if (kindOf(entry) == NodeKind::NK_CASE) values->insert(int32_t(entry.word1));
          if (kindOf(entry) == NodeKind::NK_RANGE_CASE && entry.word1 + 1 < image_.intCount) {
            const int32_t lo = image_.intPool[entry.word1], hi = image_.intPool[entry.word1 + 1];
            values->insert(lo);
            values->insert(hi);
            if (values == &d->ints[p]) d->ranges[p].push_back({lo, hi});
          }
          stack.push_back(operandOf(entry));
        }
        break;
      }
      case NodeKind::NK_SELECT_STRING:
        for (uint32_t i = 0; i < count && start + i < image_.nodeCount; ++i) {
          const DbNode entry = image_.nodes[start + i];
          if (kindOf(entry) == NodeKind::NK_STRING_CASE && entry.word1 < image_.nodeCount) {
            const DbNode text = image_.nodes[entry.word1];
            if (operandOf(text) + countOf(text) <= image_.stringSize)
              d->strings[p].insert(std::string(image_.stringPool + operandOf(text), countOf(text)));
          }
          stack.push_back(operandOf(entry));
        }
        break;
      default: break;
      }
    }
  }

  void Reset() { std::fill(seen_.begin(), seen_.end(), false); }

private:
  const ImageDescriptor &image_;
  std::vector<bool> seen_;
};

// One value the select on a slot does not distinguish: not a case, not a
// guard, inside no range.
std::optional<int32_t> Undistinguished(const std::set<int32_t> &values,
                                       const std::vector<std::pair<int32_t, int32_t>> &ranges) {
  std::vector<int64_t> candidates;
  if (!values.empty()) {
    candidates.push_back(int64_t(*values.rbegin()) + 1);
    candidates.push_back(int64_t(*values.begin()) - 1);
  }
  for (int64_t c = 0; c < 4; ++c) candidates.push_back(c);
  for (int64_t c : candidates) {
    if (c < INT32_MIN || c > INT32_MAX) continue;
    const int32_t v = int32_t(c);
    if (values.count(v)) continue;
    bool inRange = false;
    for (auto [lo, hi] : ranges) inRange = inRange || (lo <= v && v <= hi);
    if (!inRange) return v;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------
// Requests and calls.

struct PrinterSetting {
  enum Kind { kNone, kAbsentName, kStored } kind = kNone;
  std::string valueName;                     // kStored
  std::optional<std::vector<uint8_t>> bytes; // kStored: nullopt = the value is missing
};

struct Request {
  std::vector<int32_t> ints;
  std::string base;                  // what the slots started from ("" = zeros)
  std::map<uint32_t, int32_t> shown; // the slots set since, for the line
  std::vector<std::optional<std::string>> strings;
  bool noInts = false;
  PrinterSetting printer;
  std::string locale = kLocales[0];

  // The slots as they are now become the base the line names.
  void MarkBase(const std::string &name) {
    base = name;
    shown.clear();
  }
  void Set(uint32_t slot, int32_t value) {
    if (slot >= ints.size()) ints.resize(slot + 1, 0);
    ints[slot] = value;
    shown[slot] = value;
  }
};

Request StandardRequest(const DatabaseInfo &db) {
  Request r;
  r.ints.assign(db.ints, 0);
  r.strings.assign(db.strings, std::string());
  return r;
}

std::string Hex(const uint8_t *bytes, size_t n) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

std::string Describe(const Request &r) {
  std::string out;
  if (r.noInts) {
    out += "i0";
  } else {
    out += "i" + std::to_string(r.ints.size()) + (r.base.empty() ? "" : ":" + r.base) + "{";
    bool firstSlot = true;
    for (auto [slot, value] : r.shown) {
      out += (firstSlot ? "" : ",") + std::to_string(slot) + "=" + std::to_string(value);
      firstSlot = false;
    }
    out += "}";
  }
  out += " s" + std::to_string(r.strings.size());
  for (size_t i = 0; i < r.strings.size(); ++i)
    if (!r.strings[i] || !r.strings[i]->empty())
      out += " S" + std::to_string(i) + "=" + (r.strings[i] ? "\"" + *r.strings[i] + "\"" : "null");
  switch (r.printer.kind) {
  case PrinterSetting::kNone: out += " prn=none"; break;
  case PrinterSetting::kAbsentName: out += " prn=unknown-name"; break;
  case PrinterSetting::kStored:
    out += " prn{" + r.printer.valueName + "=" +
           (r.printer.bytes ? "hex:" + Hex(r.printer.bytes->data(), r.printer.bytes->size()) : "missing") +
           "}";
    break;
  }
  out += " loc=" + (r.locale.empty() ? std::string("unknown") : r.locale);
  return out;
}

class Corpus {
public:
  explicit Corpus(CorpusPrinter &printer) : printer_(printer) {}

  std::string error;
  std::string text;
  std::map<std::string, uint64_t> callsPerDatabase;

  // Asks with the three buffer shapes: a size query; then, when it asks
  // for a buffer, one of exactly that size and one a byte short.
  void Ask(size_t db, uint32_t key, Request r) {
    if (!Prepare(r)) return;
    const std::string prefix = std::string(kDatabases[db].name) + " " + KeyText(key) + " " + Describe(r);
    const uint32_t need = Call(db, key, r, prefix, "query", 0, false);
    if (need == kNoSize) return;
    Call(db, key, r, prefix, "exact", need, true);
    if (need > 0) Call(db, key, r, prefix, "short", need - 1, true);
  }

  // One size query with no request at all.
  void AskWithoutRequest(size_t db, uint32_t key) {
    uint32_t size = kUnset;
    const AccessStatus status = kDatabases[db].function(key, nullptr, 0, nullptr, &size);
    Line(db, std::string(kDatabases[db].name) + " " + KeyText(key) + " no-request", "query", 0, status, size,
         "-");
  }

  // The answer bytes of one call with an exact buffer, for the driver's own
  // list keys; empty unless it answered.
  std::vector<uint8_t> Answer(size_t db, uint32_t key, Request r) {
    if (!Prepare(r)) return {};
    AccessRequest view = View(r);
    uint32_t size = 0;
    if (kDatabases[db].function(key, &view, 0, nullptr, &size) != 2) return {};
    std::vector<uint8_t> buffer(size);
    uint32_t got = size;
    if (kDatabases[db].function(key, &view, size, buffer.data(), &got) != 0) return {};
    return buffer;
  }

private:
  static constexpr uint32_t kUnset = 0xA5A5A5A5u;
  static constexpr uint32_t kNoSize = 0xFFFFFFFFu;

  static std::string KeyText(uint32_t key) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(key));
    return text;
  }

  bool Prepare(const Request &r) {
    if (!error.empty()) return false;
    if (r.printer.kind == PrinterSetting::kStored) {
      error = printer_.Store(r.printer.valueName, r.printer.bytes);
      if (!error.empty()) return false;
    }
    locale_.emplace(r.locale.c_str());
    return true;
  }

  AccessRequest View(const Request &r) {
    pointers_.clear();
    for (const auto &s : r.strings) pointers_.push_back(s ? s->c_str() : nullptr);
    name_ = printer_.Name();
    const std::string unknown = "M4K7 No Such Printer";
    if (r.printer.kind == PrinterSetting::kAbsentName) name_.assign(unknown.begin(), unknown.end());
    name_.push_back(u'\0');
    AccessRequest view{};
    view.stringParamCount = AccessWord(pointers_.size());
    view.stringParams = pointers_.empty() ? nullptr : pointers_.data();
    view.intParamCount = r.noInts ? 0 : AccessWord(r.ints.size());
    view.intParams = r.noInts || r.ints.empty() ? nullptr : r.ints.data();
    view.printerName =
        r.printer.kind == PrinterSetting::kNone ? nullptr : reinterpret_cast<const uint16_t *>(name_.data());
    return view;
  }

  // One call; returns the size a status-2 query asked for, else kNoSize.
  uint32_t Call(size_t db, uint32_t key, const Request &r, const std::string &prefix, const char *shape,
                uint32_t bufferSize, bool withBuffer) {
    constexpr size_t kGuard = 16;
    std::vector<uint8_t> buffer(size_t(bufferSize) + kGuard, 0xA5);
    AccessRequest view = View(r);
    uint32_t size = kUnset;
    const AccessStatus status =
        kDatabases[db].function(key, &view, bufferSize, withBuffer ? buffer.data() : nullptr, &size);
    std::string answer = "-";
    bool overrun = false;
    for (size_t i = bufferSize; i < buffer.size(); ++i) overrun = overrun || buffer[i] != 0xA5;
    if (status == 0 && withBuffer) {
      // The list services leave the size unwritten on success; their answer
      // is then the whole buffer.
      const size_t n = size == kUnset ? bufferSize : std::min<size_t>(size, bufferSize);
      if (n <= kShownBytes) {
        answer = n == 0 ? "empty" : Hex(buffer.data(), n);
      } else {
        char digest[64];
        std::snprintf(digest, sizeof digest, "len=%llu fnv=%016llX", static_cast<unsigned long long>(n),
                      static_cast<unsigned long long>(Fnv1a64(buffer.data(), n)));
        answer = digest;
      }
    } else if (withBuffer) {
      bool touched = false;
      for (size_t i = 0; i < bufferSize; ++i) touched = touched || buffer[i] != 0xA5;
      answer = touched ? "buffer-written" : "buffer-untouched";
    }
    if (overrun) answer += " OVERRUN";
    Line(db, prefix, shape, bufferSize, status, size, answer);
    return !withBuffer && status == 2 && size != kUnset ? size : kNoSize;
  }

  void Line(size_t db, const std::string &prefix, const char *shape, uint32_t bufferSize, AccessStatus status,
            uint32_t size, const std::string &answer) {
    text += prefix + " " + shape + " bs=" + std::to_string(bufferSize) + " -> " + std::to_string(status) +
            " size=" + (size == kUnset ? std::string("unset") : std::to_string(size)) + " " + answer + "\n";
    ++callsPerDatabase[kDatabases[db].name];
  }

  CorpusPrinter &printer_;
  std::vector<const char *> pointers_;
  std::u16string name_;
  std::optional<platform::testing::FixedLocaleCountry> locale_;
};

// ---------------------------------------------------------------------------
// The requests of each key.

std::vector<int32_t> Ints(const std::vector<uint8_t> &bytes, size_t stride) {
  std::vector<int32_t> out;
  for (size_t i = 0; i + 4 <= bytes.size(); i += stride) {
    int32_t v;
    std::memcpy(&v, bytes.data() + i, 4);
    out.push_back(v);
  }
  return out;
}

using Combination = std::map<uint32_t, int32_t>; // slot -> value

class Planner {
public:
  Planner(const ImageDescriptor &image, Corpus &corpus) : image_(image), analyser_(image), corpus_(corpus) {}

  void Run() {
    LearnDriverSettings();
    for (size_t db = 0; db < std::size(kDatabases); ++db) {
      const DatabaseInfo &info = kDatabases[db];
      corpus_.AskWithoutRequest(db, info.first);
      // Keys no function of this database accepts: just outside its range,
      // and its range's first key with high bits set (the low 16 count).
      Request base = StandardRequest(info);
      corpus_.Ask(db, info.first - 1, base);
      corpus_.Ask(db, info.last + 1, base);
      corpus_.Ask(db, 0x10000u | info.first, base);
      for (uint32_t key : KeysOf(db)) AskKey(db, key);
    }
    // The internal keys the image holds: no function accepts them.
    for (uint32_t i = 0; i < image_.keyCount; ++i)
      if (image_.keys[i] >= kFirstInternalKey && image_.keys[i] <= kLastInternalKey)
        corpus_.Ask(kDriver, image_.keys[i], StandardRequest(kDatabases[kDriver]));
  }

private:
  // The index's keys of a database; for the driver also the keys its list
  // services answer from their own tables (grouped lists, full item lists,
  // the print-mode record), which are in the list keys' range.
  std::vector<uint32_t> KeysOf(size_t db) const {
    std::set<uint32_t> keys;
    for (uint32_t i = 0; i < image_.keyCount; ++i)
      if (image_.keys[i] >= kDatabases[db].first && image_.keys[i] <= kDatabases[db].last)
        keys.insert(image_.keys[i]);
    if (db == kDriver) {
      for (uint32_t g = 0; g < image_.groups.groupCount; ++g) keys.insert(image_.groups.groupKeys[g]);
      for (uint32_t key = kFirstListKey; key <= kLastListKey; ++key) keys.insert(key);
    }
    return {keys.begin(), keys.end()};
  }

  bool InIndex(uint32_t key, uint32_t *node) const {
    for (uint32_t i = 0; i < image_.keyCount; ++i)
      if (image_.keys[i] == key) {
        *node = image_.keyNodes[i];
        return true;
      }
    return false;
  }

  // What the key's answers can depend on. A key the index lacks but the
  // driver's services answer reads every driver setting; a grouped list's
  // entries are walked like the index's trees.
  Distinctions DistinctionsOf(size_t db, uint32_t key) {
    Distinctions d;
    analyser_.Reset();
    uint32_t node = 0;
    const bool indexed = InIndex(key, &node);
    if (indexed) analyser_.Visit(node, &d);
    const GroupedListTable &g = image_.groups;
    for (uint32_t i = 0; i < g.groupCount; ++i) {
      if (g.groupKeys[i] != key) continue;
      for (uint32_t m = 0; m < g.groupEntryCounts[i]; ++m) {
        const uint64_t e = uint64_t(uint32_t(g.groupEntryStarts[i])) + m;
        if (e < g.entryCount) analyser_.Visit(g.entryNodes[e], &d);
      }
    }
    // The list services' keys answer through internal keys too (per-item
    // values, mark pairs, the print-mode table): when the key's own tree
    // reads no setting, every setting counts. A grouped list's entries
    // are all it reads.
    bool readsSetting = false;
    for (uint32_t slot : settingSlots_) readsSetting = readsSetting || d.ints.count(slot);
    bool grouped = false;
    for (uint32_t i = 0; i < g.groupCount; ++i) grouped = grouped || g.groupKeys[i] == key;
    if (db == kDriver && key >= kFirstListKey && key <= kLastListKey && !readsSetting && !grouped) {
      for (uint32_t slot : settingSlots_) {
        d.ints[slot] = driverValues_.ints[slot];
        d.ranges[slot] = driverValues_.ranges[slot];
      }
    }
    return d;
  }

  // The driver's settings: the defaults of its defaults key, the values its
  // list keys allow, and the combinations of them, one print mode with
  // each page set-up and one page set-up with each print mode.
  void LearnDriverSettings() {
    const DatabaseInfo &drv = kDatabases[kDriver];
    uint32_t root = 0;
    if (InIndex(kFragmentKey, &root))
      analyser_.Visit(root, &driverValues_); // the tree every driver key hangs in
    const std::vector<int32_t> chain = Ints(corpus_.Answer(kDriver, kChainKey, StandardRequest(drv)), 4);
    const std::vector<int32_t> defaults =
        Ints(corpus_.Answer(kDriver, kDefaultsKey, StandardRequest(drv)), 4);
    for (size_t i = 0; i + 1 < defaults.size(); i += 2) defaults_[uint32_t(defaults[i])] = defaults[i + 1];
    std::vector<uint32_t> printOrder;
    for (int32_t slot : chain) {
      printOrder.push_back(uint32_t(slot));
      if (printOrder.size() == 1) printOrder.push_back(kChainExtraSlot);
    }
    std::vector<uint32_t> modeOrder, pageOrder = kPaperSlots;
    for (uint32_t slot : printOrder)
      if (std::find(kPaperSlots.begin(), kPaperSlots.end(), slot) == kPaperSlots.end())
        modeOrder.push_back(slot);
    settingSlots_.insert(printOrder.begin(), printOrder.end());
    settingSlots_.insert(pageOrder.begin(), pageOrder.end());
    // A setting the defaults leave out starts at its list's first item, or
    // at 0 (the request's own zero) when no list key gives it.
    for (uint32_t slot : settingSlots_)
      if (!defaults_.count(slot))
        defaults_[slot] = DialogListOf(slot) != kNoKey ? FirstAllowed(slot, defaults_) : 0;
    // The user-defined paper's dimensions start at the first pair.
    for (auto [w, l] : kDimensionSlots) {
      defaults_[w] = kDimensions.front().first;
      defaults_[l] = kDimensions.front().second;
    }
    std::set<Combination> all;
    Enumerate(modeOrder, 0, defaults_, &all);
    const size_t modes = all.size();
    Enumerate(pageOrder, 0, defaults_, &all);
    std::fprintf(stderr, "driver settings: %llu print-mode and %llu page combinations\n",
                 static_cast<unsigned long long>(modes), static_cast<unsigned long long>(all.size() - modes));
    std::string line = "# drv settings base:";
    for (auto [slot, value] : defaults_) line += " " + std::to_string(slot) + "=" + std::to_string(value);
    corpus_.text += line + "\n";
    combinations_.assign(all.begin(), all.end());
  }

  Request DriverBase(const Combination &c) const {
    Request r = StandardRequest(kDatabases[kDriver]);
    for (auto [slot, value] : c) r.Set(slot, value);
    return r;
  }

  std::vector<int32_t> Allowed(uint32_t slot, const Combination &current) {
    if (const uint16_t list = DialogListOf(slot); list != kNoKey)
      return Ints(corpus_.Answer(kDriver, list, DriverBase(current)), 20); // ids of 20-byte items
    std::set<int32_t> values = driverValues_.ints[slot];
    if (defaults_.count(slot)) values.insert(defaults_.at(slot));
    if (auto other = Undistinguished(driverValues_.ints[slot], driverValues_.ranges[slot]))
      values.insert(*other);
    return {values.begin(), values.end()};
  }

  // The first value a setting may take under the settings so far.
  int32_t FirstAllowed(uint32_t slot, const Combination &current) {
    const std::vector<int32_t> values = Allowed(slot, current);
    return values.empty() ? 0 : values.front();
  }

  void Enumerate(const std::vector<uint32_t> &order, size_t depth, Combination current,
                 std::set<Combination> *out) {
    if (depth == order.size()) {
      out->insert(current);
      return;
    }
    const std::vector<int32_t> values = Allowed(order[depth], current);
    if (values.empty()) {
      out->insert(current); // the settings so far leave this one no value
      return;
    }
    for (int32_t v : values) {
      current[order[depth]] = v;
      Enumerate(order, depth + 1, current, out);
    }
  }

  // The integer requests of a key: the driver's allowed settings projected
  // on the slots its answers read, crossed with every value of the other
  // slots it reads; then each slot once at each value its selects
  // distinguish and one they do not.
  std::vector<Combination> IntCombinations(size_t db, const Distinctions &d) {
    std::map<uint32_t, std::vector<int32_t>> domains;
    for (const auto &[slot, values] : d.ints) {
      std::vector<int32_t> v(values.begin(), values.end());
      auto rangesOf = d.ranges.find(slot);
      if (auto other =
              Undistinguished(values, rangesOf == d.ranges.end() ? std::vector<std::pair<int32_t, int32_t>>{}
                                                                 : rangesOf->second))
        v.push_back(*other);
      domains[slot] = v;
    }
    std::set<Combination> projected;
    std::map<uint32_t, std::vector<int32_t>> free;
    for (const auto &[slot, values] : domains)
      if (!(db == kDriver && settingSlots_.count(slot))) free[slot] = values;
    if (db == kDriver) {
      for (const Combination &c : combinations_) {
        Combination p;
        for (const auto &[slot, value] : c)
          if (domains.count(slot)) p[slot] = value;
        projected.insert(p);
      }
    }
    if (projected.empty()) projected.insert(Combination{});
    std::vector<Combination> out;
    size_t product = projected.size();
    for (const auto &[slot, values] : free) product *= values.size();
    if (product <= 4096) {
      std::vector<Combination> current(projected.begin(), projected.end());
      for (const auto &[slot, values] : free) {
        std::vector<Combination> next;
        for (const Combination &c : current)
          for (int32_t v : values) {
            Combination e = c;
            e[slot] = v;
            next.push_back(e);
          }
        current.swap(next);
      }
      out = current;
    } else {
      out.assign(projected.begin(), projected.end());
      Combination first = out.front();
      for (const auto &[slot, values] : free) first[slot] = values.front();
      out.push_back(first);
    }
    std::set<Combination> seen(out.begin(), out.end());
    const Combination first = out.front();
    for (const auto &[slot, values] : domains)
      for (int32_t v : values) {
        Combination e = first;
        e[slot] = v;
        if (seen.insert(e).second) out.push_back(e);
      }
    return out;
  }

  // The texts of a string slot: every case, the first in lower case, one
  // the image does not have, the empty text and an absent pointer.
  static std::vector<std::optional<std::string>> StringDomain(const std::set<std::string> &cases) {
    std::vector<std::optional<std::string>> out(cases.begin(), cases.end());
    if (!cases.empty()) {
      std::string lower = *cases.begin();
      for (char &c : lower) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
      out.push_back(lower);
      out.push_back(*cases.begin() + "X");
    }
    out.push_back(std::string("ZZZ"));
    out.push_back(std::string());
    out.push_back(std::nullopt);
    return out;
  }

  // The printer settings of a key that reads stored data: none, a name no
  // printer has, the value missing, two bytes, each value the select
  // distinguishes and one it does not as four bytes, and eight bytes.
  std::vector<PrinterSetting> PrinterDomain(const Distinctions &d) {
    std::vector<PrinterSetting> out;
    out.push_back({PrinterSetting::kNone, "", std::nullopt});
    out.push_back({PrinterSetting::kAbsentName, "", std::nullopt});
    for (const auto &[number, values] : d.printerData) {
      Request ask = StandardRequest(kDatabases[kRoot]);
      ask.Set(0, int32_t(number));
      const std::vector<uint8_t> wide = corpus_.Answer(kRoot, kValueNameKey, ask);
      std::string name;
      for (size_t i = 0; i + 1 < wide.size(); i += 2)
        if (wide[i] != 0) name += char(wide[i]);
      std::set<int32_t> dwords = values;
      if (auto other = Undistinguished(values, {})) dwords.insert(*other);
      auto bytesOf = [](uint32_t v, size_t n) {
        std::vector<uint8_t> b(n, 0);
        for (size_t i = 0; i < n && i < 4; ++i) b[i] = uint8_t(v >> (8 * i));
        return b;
      };
      out.push_back({PrinterSetting::kStored, name, std::nullopt});
      for (int32_t v : dwords) out.push_back({PrinterSetting::kStored, name, bytesOf(uint32_t(v), 2)});
      for (int32_t v : dwords) out.push_back({PrinterSetting::kStored, name, bytesOf(uint32_t(v), 4)});
      for (int32_t v : dwords) out.push_back({PrinterSetting::kStored, name, bytesOf(uint32_t(v), 8)});
    }
    return out;
  }

  void AskKey(size_t db, uint32_t key) {
    const DatabaseInfo &info = kDatabases[db];
    const Distinctions d = DistinctionsOf(db, key);
    Request base = StandardRequest(info);
    if (db == kDriver) {
      base = DriverBase(defaults_);
      base.MarkBase("base");
    }
    // The request without integer parameters, and the base request in each
    // country.
    Request empty = StandardRequest(info);
    empty.noInts = true;
    corpus_.Ask(db, key, empty);
    for (const char *locale : kLocales) {
      Request r = base;
      r.locale = locale;
      corpus_.Ask(db, key, r);
    }

    const std::vector<Combination> combos = IntCombinations(db, d);
    std::vector<std::vector<std::pair<int32_t, int32_t>>> dimensions{{}};
    if (db == kDriver && d.computed) {
      dimensions.clear();
      for (auto [width, length] : kDimensions) {
        if (dimensions.empty()) {
          dimensions.emplace_back(); // the base request's dimensions
          continue;
        }
        std::vector<std::pair<int32_t, int32_t>> slots;
        for (auto [w, l] : kDimensionSlots) {
          slots.push_back({int32_t(w), width});
          slots.push_back({int32_t(l), length});
        }
        dimensions.push_back(slots);
      }
    }
    std::vector<PrinterSetting> printers{PrinterSetting{}};
    size_t representative = 0; // the first value the select distinguishes, as four bytes
    if (!d.printerData.empty()) printers = PrinterDomain(d);
    for (size_t p = printers.size(); p-- > 0;)
      if (printers[p].bytes && printers[p].bytes->size() == 4) representative = p;
    std::vector<std::string> locales{kLocales[0]};
    if (!d.locale.empty()) locales.assign(std::begin(kLocales), std::end(kLocales));

    for (const Combination &c : combos)
      for (const auto &dims : dimensions)
        for (size_t p = 0; p < printers.size(); ++p)
          for (const std::string &locale : locales) {
            // Each printer and country with the first combination; the
            // others with the printer holding the first distinguished value.
            if (&c != &combos.front() && p != representative) continue;
            Request r = base;
            for (auto [slot, value] : c) r.Set(slot, value);
            for (auto [slot, value] : dims) r.Set(uint32_t(slot), value);
            r.printer = printers[p];
            r.locale = locale;
            corpus_.Ask(db, key, r);
          }

    for (const auto &[slot, texts] : d.strings)
      for (const auto &t : StringDomain(texts)) {
        Request r = base;
        if (slot >= r.strings.size()) r.strings.resize(slot + 1, std::string());
        r.strings[slot] = t;
        corpus_.Ask(db, key, r);
      }
  }

  const ImageDescriptor &image_;
  Analyser analyser_;
  Corpus &corpus_;
  Distinctions driverValues_;
  Combination defaults_;
  std::set<uint32_t> settingSlots_;
  std::vector<Combination> combinations_;
};

bool ReadFile(const std::string &path, std::string *text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

// The first line where the two texts differ, both shown; 0 when equal.
int CompareLines(const std::string &expected, const std::string &actual) {
  size_t e = 0, a = 0, line = 1;
  while (e < expected.size() || a < actual.size()) {
    const size_t ee = std::min(expected.find('\n', e), expected.size());
    const size_t ae = std::min(actual.find('\n', a), actual.size());
    const std::string el = expected.substr(e, ee - e), al = actual.substr(a, ae - a);
    if (el != al || (e < expected.size()) != (a < actual.size())) {
      std::fprintf(stderr,
                   "answers differ from the committed corpus at line %llu:\n  expected: %s\n  actual:   %s\n",
                   static_cast<unsigned long long>(line), e < expected.size() ? el.c_str() : "(end of file)",
                   a < actual.size() ? al.c_str() : "(end of output)");
      return 1;
    }
    e = ee + 1;
    a = ae + 1;
    ++line;
  }
  return 0;
}

int Main(int argc, char **argv) {
  if (argc != 3 || (std::strcmp(argv[1], "--write") != 0 && std::strcmp(argv[1], "--compare") != 0)) {
    std::fprintf(stderr, "usage: %s --write FILE | --compare FILE\n", argv[0]);
    return 2;
  }
  const auto started = std::chrono::steady_clock::now();
  std::string error;
  std::unique_ptr<CorpusPrinter> printer = MakeCorpusPrinter(&error);
  if (!printer) {
    std::fprintf(stderr, "no printer for the corpus: %s\n", error.c_str());
    return 1;
  }
  // The control blocks stamp the time; every run sees the same one.
  const platform::testing::FixedClock clock(platform::LocalTime{2004, 2, 29, 23, 59, 58});
  Corpus corpus(*printer);
  Planner(CompiledImage(), corpus).Run();
  if (!corpus.error.empty()) {
    std::fprintf(stderr, "the corpus printer failed: %s\n", corpus.error.c_str());
    return 1;
  }
  uint64_t total = 0;
  for (const auto &[name, calls] : corpus.callsPerDatabase) {
    std::fprintf(stderr, "%-5s %llu requests\n", name.c_str(), static_cast<unsigned long long>(calls));
    total += calls;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(stderr, "total %llu requests, %llu bytes, %.2f s\n", static_cast<unsigned long long>(total),
               static_cast<unsigned long long>(corpus.text.size()), seconds);

  if (std::strcmp(argv[1], "--write") == 0) {
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(corpus.text.data(), std::streamsize(corpus.text.size()));
    return out ? 0 : 1;
  }
  std::string expected;
  if (!ReadFile(argv[2], &expected)) {
    std::fprintf(stderr, "cannot read %s\n", argv[2]);
    return 1;
  }
  return CompareLines(expected, corpus.text);
}

} // namespace
} // namespace m4k7::corpus

int main(int argc, char **argv) { return m4k7::corpus::Main(argc, argv); }
