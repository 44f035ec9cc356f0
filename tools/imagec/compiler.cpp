#include "compiler.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>

#include "validate.h"

namespace imagec {

using m4k7::DbNode;
using m4k7::makeWord0;
using m4k7::makeWord1;
using m4k7::NodeKind;

namespace {

std::string KeyName(Key key) {
  char text[32];
  std::snprintf(text, sizeof text, "key 0x%04X (%u)", unsigned(key), unsigned(key));
  return text;
}

// Finds `needle` as a contiguous run in `pool`, or appends it: equal values
// share one slice.
template <class T> uint32_t PlaceSlice(std::vector<T> &pool, const std::vector<T> &needle) {
  if (needle.empty()) return 0;
  if (pool.size() >= needle.size()) {
    const auto it = std::search(pool.begin(), pool.end(), needle.begin(), needle.end());
    if (it != pool.end()) return uint32_t(it - pool.begin());
  }
  const uint32_t at = uint32_t(pool.size());
  pool.insert(pool.end(), needle.begin(), needle.end());
  return at;
}

uint64_t Pack(DbNode n) { return (uint64_t(n.word0) << 32) | n.word1; }

class Layout {
public:
  Layout(const ImageBuilder &content, ImageTables *out) : content_(content), out_(*out) {}

  bool run(std::string *error);

private:
  bool words(NodeRef ref, Key context, DbNode *node);
  bool leafWords(const ContentNode &n, DbNode *node);
  bool caseWords(const Case &c, Key context, DbNode *node);
  uint32_t placeRun(const std::vector<DbNode> &run);
  uint32_t placeSingle(DbNode node) { return placeRun({node}); }
  bool fail(Key context, const std::string &what) {
    error_ = KeyName(context) + ": " + what;
    return false;
  }

  const ImageBuilder &content_;
  ImageTables &out_;
  std::string error_;
  std::map<std::vector<uint64_t>, uint32_t> runs_;
  std::unordered_map<uint32_t, DbNode> memo_;
  std::set<uint32_t> visiting_;
};

// A run of node words stored once: an equal run, or an equal single node
// anywhere in the table, is reused.
uint32_t Layout::placeRun(const std::vector<DbNode> &run) {
  std::vector<uint64_t> packed;
  for (const DbNode &n : run) packed.push_back(Pack(n));
  if (const auto it = runs_.find(packed); it != runs_.end()) return it->second;
  const uint32_t at = uint32_t(out_.nodes.size());
  out_.nodes.insert(out_.nodes.end(), run.begin(), run.end());
  runs_.emplace(packed, at);
  for (size_t i = 0; i < run.size(); ++i) runs_.emplace(std::vector<uint64_t>{packed[i]}, uint32_t(at + i));
  return at;
}

bool Layout::leafWords(const ContentNode &n, DbNode *node) {
  switch (n.type) {
  case ContentNode::Type::Ints: {
    int64_t lo = 0, hi = 0;
    for (int64_t v : n.ints) {
      if (v < INT32_MIN || v > UINT32_MAX)
        return fail(n.key, "integer " + std::to_string(v) + " does not fit 32 bits");
      lo = std::min(lo, v), hi = std::max(hi, v);
    }
    if (n.ints.size() > 0xFFFF) return fail(n.key, "leaf too long");
    const uint16_t count = uint16_t(n.ints.size());
    // The narrowest kind that holds every value.
    if (hi > INT32_MAX || lo < -32768 || hi > 65535 || (lo < 0 && hi > 32767)) {
      std::vector<int32_t> v;
      for (int64_t x : n.ints) v.push_back(int32_t(uint32_t(x)));
      *node = {makeWord0(NodeKind::NK_INT32, PlaceSlice(out_.ints, v)), makeWord1(n.key, count)};
    } else if (lo >= -128 && hi <= 127) {
      std::vector<uint8_t> v;
      for (int64_t x : n.ints) v.push_back(uint8_t(int8_t(x)));
      *node = {makeWord0(NodeKind::NK_INT8, PlaceSlice(out_.bytes, v)), makeWord1(n.key, count)};
    } else if (lo >= 0 && hi <= 255) {
      std::vector<uint8_t> v(n.ints.begin(), n.ints.end());
      *node = {makeWord0(NodeKind::NK_UINT8, PlaceSlice(out_.bytes, v)), makeWord1(n.key, count)};
    } else {
      const NodeKind kind = hi <= 32767 ? NodeKind::NK_INT16 : NodeKind::NK_UINT16;
      std::vector<uint16_t> v;
      for (int64_t x : n.ints) v.push_back(uint16_t(x));
      *node = {makeWord0(kind, PlaceSlice(out_.shorts, v)), makeWord1(n.key, count)};
    }
    return true;
  }
  case ContentNode::Type::Wide:
  case ContentNode::Type::Bytes: {
    std::vector<uint8_t> v(n.bytes.begin(), n.bytes.end());
    if (n.type == ContentNode::Type::Wide) v.push_back(0);
    if (v.size() > 0xFFFF) return fail(n.key, "leaf too long");
    const NodeKind kind = n.type == ContentNode::Type::Wide ? NodeKind::NK_WIDE : NodeKind::NK_BYTES;
    *node = {makeWord0(kind, PlaceSlice(out_.bytes, v)), makeWord1(n.key, uint16_t(v.size()))};
    return true;
  }
  default: *node = {makeWord0(NodeKind::NK_COMPUTED, 0), makeWord1(n.key, n.computedId)}; return true;
  }
}

bool Layout::caseWords(const Case &c, Key context, DbNode *node) {
  DbNode target{};
  if (!words(c.target, context, &target)) return false;
  const uint32_t at = placeSingle(target);
  switch (c.type) {
  case Case::Type::Value: *node = {makeWord0(NodeKind::NK_CASE, at), uint32_t(c.value)}; break;
  case Case::Type::Default: *node = {makeWord0(NodeKind::NK_DEFAULT, at), 0}; break;
  case Case::Type::Range: {
    if (c.value > c.upper) return fail(context, "range case with its bounds reversed");
    const uint32_t j = PlaceSlice(out_.ints, std::vector<int32_t>{c.value, c.upper});
    *node = {makeWord0(NodeKind::NK_RANGE_CASE, at), j};
    break;
  }
  }
  return true;
}

// The two words of a content node, with everything below it placed.
bool Layout::words(NodeRef ref, Key context, DbNode *node) {
  if (!ref.valid() || ref.id >= content_.nodes().size())
    return fail(context, "reference to a node that does not exist");
  if (const auto it = memo_.find(ref.id); it != memo_.end()) return *node = it->second, true;
  if (!visiting_.insert(ref.id).second) return fail(context, "content refers to itself");
  const ContentNode &n = content_.node(ref);
  using T = ContentNode::Type;
  switch (n.type) {
  case T::Ints:
  case T::Wide:
  case T::Bytes:
  case T::Computed:
    if (!leafWords(n, node)) return false;
    break;
  case T::Raw: *node = {n.rawWord0, n.rawWord1}; break;
  case T::Sequence:
  case T::Guard:
  case T::Guarded: {
    std::vector<DbNode> run;
    for (NodeRef child : n.children) {
      DbNode w{};
      if (!words(child, context, &w)) return false;
      run.push_back(w);
    }
    const uint32_t at = run.empty() ? 0 : placeRun(run);
    const NodeKind kind = n.type == T::Sequence ? NodeKind::NK_SEQUENCE
                          : n.type == T::Guard  ? NodeKind::NK_GUARD
                                                : NodeKind::NK_GUARDED_SEQUENCE;
    *node = {makeWord0(kind, at), makeWord1(n.type == T::Sequence ? 0 : n.param, uint16_t(run.size()))};
    break;
  }
  case T::SelectString: {
    std::vector<DbNode> run;
    for (const StringCase &c : n.stringCases) {
      DbNode target{};
      if (!words(c.target, context, &target)) return false;
      const uint32_t at = placeSingle(target);
      if (c.isDefault) {
        run.push_back({makeWord0(NodeKind::NK_DEFAULT, at), 0});
        continue;
      }
      const std::vector<char> text(c.text.begin(), c.text.end());
      std::vector<char> pool(out_.strings.begin(), out_.strings.end());
      const uint32_t offset = PlaceSlice(pool, text);
      out_.strings.assign(pool.begin(), pool.end());
      const uint32_t s =
          placeSingle({makeWord0(NodeKind::NK_BYTES, offset), makeWord1(0, uint16_t(text.size()))});
      run.push_back({makeWord0(NodeKind::NK_STRING_CASE, at), s});
    }
    const uint32_t at = run.empty() ? 0 : placeRun(run);
    *node = {makeWord0(NodeKind::NK_SELECT_STRING, at), makeWord1(n.param, uint16_t(run.size()))};
    break;
  }
  default: { // integer selects
    std::vector<DbNode> run;
    for (const Case &c : n.cases) {
      DbNode w{};
      if (!caseWords(c, context, &w)) return false;
      run.push_back(w);
    }
    uint32_t at = run.empty() ? 0 : placeRun(run);
    NodeKind kind = NodeKind::NK_SELECT_PARAM;
    if (n.type == T::SelectPrinterData) kind = NodeKind::NK_SELECT_PRINTER_DATA;
    if (n.type == T::SelectLocale) kind = NodeKind::NK_SELECT_LOCALE;
    if (n.type == T::SelectMasked) {
      kind = NodeKind::NK_SELECT_MASKED;
      at = placeSingle({makeWord0(NodeKind::NK_MASK, at), n.mask});
    }
    *node = {makeWord0(kind, at), makeWord1(n.param, uint16_t(run.size()))};
    break;
  }
  }
  visiting_.erase(ref.id);
  memo_.emplace(ref.id, *node);
  return true;
}

bool Layout::run(std::string *error) {
  // The roots of node 0. A plain lookup of the all-roots key walks them in
  // this order and answers the first fragment it reaches; the driver's keys
  // come first, so that a driver request meets the page-format command
  // before root key 0x0012's string select could fail it for want of a
  // string parameter.
  std::vector<std::pair<Key, NodeRef>> keys = content_.keys();
  std::stable_sort(keys.begin(), keys.end(), [](auto &a, auto &b) { return a.first < b.first; });
  for (size_t i = 1; i < keys.size(); ++i)
    if (keys[i].first == keys[i - 1].first)
      return *error = KeyName(keys[i].first) + ": key given twice", false;
  if (content_.hasAllRootsKey())
    for (auto &k : keys)
      if (k.first == content_.allRootsKey()) return *error = KeyName(k.first) + ": key given twice", false;

  auto driverSide = [](Key k) { return k >= 0x1000 && k <= 0x5FFF; };
  std::vector<std::pair<NodeRef, Key>> roots; // root and the key it is named after
  std::set<uint32_t> seen;
  auto addRoot = [&](NodeRef r, Key k) {
    if (seen.insert(r.id).second) roots.emplace_back(r, k);
  };
  for (auto &[k, r] : keys)
    if (driverSide(k)) addRoot(r, k);
  for (NodeRef r : content_.hung()) addRoot(r, content_.hasAllRootsKey() ? content_.allRootsKey() : 0);
  for (auto &[k, r] : keys)
    if (!driverSide(k)) addRoot(r, k);

  out_.nodes.assign(1 + roots.size(), DbNode{0, 0});
  std::vector<DbNode> rootWords;
  for (auto &[r, k] : roots) {
    DbNode w{};
    if (!words(r, k, &w)) return *error = error_, false;
    rootWords.push_back(w);
  }
  for (size_t i = 0; i < rootWords.size(); ++i) out_.nodes[1 + i] = rootWords[i];
  out_.nodes[0] = {makeWord0(NodeKind::NK_SEQUENCE, 1), makeWord1(0, uint16_t(roots.size()))};
  std::map<uint32_t, uint32_t> rootIndex;
  for (size_t i = 0; i < roots.size(); ++i) rootIndex[roots[i].first.id] = uint32_t(1 + i);

  std::vector<std::pair<Key, uint32_t>> index;
  for (auto &[k, r] : keys) index.emplace_back(k, rootIndex[r.id]);
  if (content_.hasAllRootsKey()) index.emplace_back(content_.allRootsKey(), 0);
  std::sort(index.begin(), index.end());
  for (auto &[k, n] : index) out_.keys.push_back(k), out_.keyNodes.push_back(n);

  for (const auto &[key, entries] : content_.groupedLists()) {
    out_.groupKeys.push_back(key);
    out_.groupEntryCounts.push_back(uint16_t(entries.size()));
    out_.groupEntryStarts.push_back(int32_t(out_.entryNodes.size()));
    for (NodeRef e : entries) {
      if (const auto it = rootIndex.find(e.id); it != rootIndex.end()) {
        out_.entryNodes.push_back(it->second);
        continue;
      }
      DbNode w{};
      if (!words(e, key, &w)) return *error = error_, false;
      out_.entryNodes.push_back(placeSingle(w));
    }
  }
  for (const auto &[id, items] : content_.itemLists()) {
    out_.listIds.push_back(id);
    out_.itemCounts.push_back(uint16_t(items.size()));
    out_.itemStarts.push_back(int32_t(out_.itemIds.size()));
    for (auto [itemId, value] : items) out_.itemIds.push_back(itemId), out_.itemValues.push_back(value);
  }
  // Each distinct section record is stored once, numbered in first-use order.
  std::map<std::vector<uint8_t>, uint16_t> sections[4];
  std::vector<uint8_t> *tables[4] = {&out_.section1, &out_.section2, &out_.section3, &out_.section4};
  for (const PrintModeRowSource &row : content_.printModeRows()) {
    m4k7::PrintModeRow stored{};
    for (int i = 0; i < 6; ++i) stored.match[i] = row.match[size_t(i)];
    const std::vector<uint8_t> records[4] = {{row.section1.begin(), row.section1.end()},
                                             {row.section2.begin(), row.section2.end()},
                                             {row.section3.begin(), row.section3.end()},
                                             {row.section4.begin(), row.section4.end()}};
    for (int s = 0; s < 4; ++s) {
      auto [it, fresh] = sections[s].emplace(records[s], uint16_t(sections[s].size()));
      if (fresh) tables[s]->insert(tables[s]->end(), records[s].begin(), records[s].end());
      stored.section[s] = it->second;
    }
    out_.modeRows.push_back(stored);
  }
  if (out_.nodes.size() > 0xFFFFFF) return *error = "image: more nodes than a 24-bit operand can name", false;
  return true;
}

// Every table of a compiled image is present, empty ones included: an
// absent table fails every lookup, an empty one only finds nothing.
template <class T> const T *DataOf(const std::vector<T> &v) {
  static const T none{};
  return v.empty() ? &none : v.data();
}

} // namespace

m4k7::ImageDescriptor ImageTables::descriptor() const {
  m4k7::ImageDescriptor d{};
  d.nodes = DataOf(nodes);
  d.keys = DataOf(keys);
  d.keyNodes = DataOf(keyNodes);
  d.intPool = DataOf(ints);
  d.shortPool = DataOf(shorts);
  d.bytePool = DataOf(bytes);
  d.stringPool = strings.data();
  d.groups = {DataOf(groupKeys),  DataOf(groupEntryCounts),   DataOf(groupEntryStarts),
              DataOf(entryNodes), uint32_t(groupKeys.size()), uint32_t(entryNodes.size())};
  d.items = {DataOf(listIds),    DataOf(itemCounts),       DataOf(itemStarts),      DataOf(itemIds),
             DataOf(itemValues), uint32_t(listIds.size()), uint32_t(itemIds.size())};
  d.printModes = {
      DataOf(modeRows),
      DataOf(section1),
      DataOf(section2),
      DataOf(section3),
      DataOf(section4),
      uint32_t(modeRows.size()),
      {uint32_t(section1.size() / m4k7::kSection1Size), uint32_t(section2.size() / m4k7::kSection2Size),
       uint32_t(section3.size() / m4k7::kSection3Size), uint32_t(section4.size() / m4k7::kSection4Size)}};
  d.nodeCount = uint32_t(nodes.size());
  d.keyCount = uint32_t(keys.size());
  d.intCount = uint32_t(ints.size());
  d.shortCount = uint32_t(shorts.size());
  d.byteSize = uint32_t(bytes.size());
  d.stringSize = uint32_t(strings.size());
  return d;
}

bool Compile(const ImageBuilder &content, ImageTables *out, std::string *error) {
  *out = ImageTables{};
  Layout layout(content, out);
  if (!layout.run(error)) return false;
  return ValidateImage(out->descriptor(), error);
}

} // namespace imagec
