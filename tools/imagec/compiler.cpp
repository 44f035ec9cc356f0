#include "compiler.h"

#include <algorithm>
#include <map>
#include <type_traits>
#include <unordered_map>

#include "describe.h"
#include "validate.h"

namespace imagec {

using m4k7::DbNode;
using m4k7::makeWord0;
using m4k7::makeWord1;
using m4k7::NodeKind;
using m4k7::imageview::KeyLabel;

namespace {

// A 24-bit operand reaches no further; a 16-bit count holds no more.
constexpr uint64_t kOperandLimit = 0x1000000;
constexpr size_t kCountLimit = 0xFFFF;

uint64_t Pack(DbNode n) { return (uint64_t(n.word0) << 32) | n.word1; }

// Where a slice of `n` elements equal to `data` starts in `pool`: its first
// occurrence, or the end after appending what the pool's tail does not
// already hold. Placing every slice at its first occurrence is what makes
// equal answers share one slice, whichever leaf came first.
template <typename Pool, typename T> uint64_t PlaceSlice(Pool &pool, const T *data, size_t n) {
  if (n == 0) return 0;
  auto found = std::search(pool.begin(), pool.end(), data, data + n);
  if (found != pool.end()) return uint64_t(found - pool.begin());
  size_t overlap = std::min(n - 1, pool.size());
  for (; overlap > 0; --overlap)
    if (std::equal(data, data + overlap, pool.end() - std::ptrdiff_t(overlap))) break;
  const uint64_t start = pool.size() - overlap;
  pool.insert(pool.end(), data + overlap, data + n);
  return start;
}

class Layout {
public:
  Layout(const ImageBuilder &content, ImageTables *out) : b_(content), t_(*out) {}

  bool run(std::string *error) {
    const bool ok = placeRoots() && placeGroupedLists() && placeItemLists() && placePrintModes();
    if (!ok && error) *error = error_;
    return ok;
  }

private:
  bool fail(const std::string &what) {
    error_ = context_ + what;
    return false;
  }

  // --- the node table -----------------------------------------------------

  void fill(uint32_t index, DbNode words) {
    t_.nodes[index] = words;
    filled_[index] = true;
    at_[Pack(words)].push_back(index);
  }

  uint32_t append(DbNode words) {
    t_.nodes.push_back(words);
    filled_.push_back(false);
    const uint32_t index = uint32_t(t_.nodes.size() - 1);
    fill(index, words);
    return index;
  }

  // One node with these words: an existing one, else a new one.
  uint32_t single(DbNode words) {
    auto it = at_.find(Pack(words));
    return it != at_.end() ? it->second.front() : append(words);
  }

  // A contiguous run with these words: an existing one, else a new one.
  bool placeRun(const std::vector<DbNode> &words, uint32_t *start) {
    *start = 0;
    if (words.empty()) return true;
    if (words.size() > kCountLimit)
      return fail("a list of " + std::to_string(words.size()) + " entries; at most 65535 fit its count");
    auto it = at_.find(Pack(words[0]));
    if (it != at_.end())
      for (uint32_t candidate : it->second) {
        if (uint64_t(candidate) + words.size() > t_.nodes.size()) continue;
        bool same = true;
        for (size_t i = 1; i < words.size() && same; ++i)
          same = filled_[candidate + i] && Pack(t_.nodes[candidate + i]) == Pack(words[i]);
        if (same) {
          *start = candidate;
          return true;
        }
      }
    *start = uint32_t(t_.nodes.size());
    for (const DbNode &w : words) append(w);
    return true;
  }

  // --- content nodes ------------------------------------------------------

  bool known(NodeRef ref) {
    if (ref.id < b_.nodes().size()) return true;
    return fail("refers to node ref " + std::to_string(ref.id) + ", which this content does not hold");
  }

  // The words of a content node, with everything it refers to placed.
  bool wordsOf(NodeRef ref, DbNode *out) {
    if (!known(ref)) return false;
    const uint32_t id = ref.id;
    if (state_[id] == kDone) {
      *out = words_[id];
      return true;
    }
    if (state_[id] == kBusy) return fail("content node " + std::to_string(id) + " refers back to itself");
    state_[id] = kBusy;
    DbNode w{};
    if (!compute(b_.node(ref), &w)) return false;
    words_[id] = w;
    state_[id] = kDone;
    if (slot_[id] >= 0) fill(uint32_t(slot_[id]), w);
    *out = w;
    return true;
  }

  // The index of one node that stands for this content node: its root slot
  // if it has one, else any node with its words.
  bool indexOf(NodeRef ref, uint32_t *index) {
    DbNode w;
    if (!wordsOf(ref, &w)) return false;
    *index = slot_[ref.id] >= 0 ? uint32_t(slot_[ref.id]) : single(w);
    return true;
  }

  bool leafWords(NodeKind kind, uint64_t offset, size_t count, Key key, DbNode *out) {
    const std::string label = KeyLabel(key) + ": ";
    if (count > kCountLimit)
      return fail(label + "a leaf of " + std::to_string(count) + " elements; at most 65535 fit its count");
    if (offset >= kOperandLimit) return fail(label + "the pool has grown past what a 24-bit offset reaches");
    *out = {makeWord0(kind, uint32_t(offset)), makeWord1(key, uint16_t(count))};
    return true;
  }

  bool compute(const ContentNode &c, DbNode *out) {
    if (c.raw) {
      *out = {c.rawWord0, c.rawWord1};
      return true;
    }
    std::vector<DbNode> list; // the children, or the select's entries
    switch (c.kind) {
    case NodeKind::NK_INT32: {
      std::vector<int32_t> values;
      for (int64_t v : c.ints) {
        if (v < INT32_MIN || v > int64_t(UINT32_MAX))
          return fail(KeyLabel(c.key) + ": value " + std::to_string(v) + " is outside the 32-bit range");
        // 0x80000000 and above keep their bit pattern as int32.
        values.push_back(int32_t(uint32_t(v)));
      }
      const NodeKind kind = m4k7::imageview::NarrowestIntKind(values.data(), values.size());
      uint64_t offset = 0;
      if (m4k7::poolOf(kind) == m4k7::LeafPool::Byte) {
        std::vector<uint8_t> raw(values.begin(), values.end());
        offset = PlaceSlice(t_.bytes, raw.data(), raw.size());
      } else if (m4k7::poolOf(kind) == m4k7::LeafPool::Short) {
        std::vector<uint16_t> raw(values.begin(), values.end());
        offset = PlaceSlice(t_.shorts, raw.data(), raw.size());
      } else {
        offset = PlaceSlice(t_.ints, values.data(), values.size());
      }
      return leafWords(kind, offset, values.size(), c.key, out);
    }
    case NodeKind::NK_WIDE:
    case NodeKind::NK_BYTES: {
      if (c.kind == NodeKind::NK_WIDE && c.bytes.find('\0') != std::string::npos)
        return fail(KeyLabel(c.key) + ": a name that holds a NUL");
      // A name reaches the caller as a terminated string.
      const std::string text = c.kind == NodeKind::NK_WIDE ? c.bytes + '\0' : c.bytes;
      const uint64_t offset =
          PlaceSlice(t_.bytes, reinterpret_cast<const uint8_t *>(text.data()), text.size());
      return leafWords(c.kind, offset, text.size(), c.key, out);
    }
    case NodeKind::NK_COMPUTED:
      *out = {makeWord0(NodeKind::NK_COMPUTED, 0), makeWord1(c.key, c.computedId)};
      return true;
    case NodeKind::NK_SEQUENCE:
    case NodeKind::NK_GUARD:
    case NodeKind::NK_GUARDED_SEQUENCE:
      for (NodeRef child : c.children) {
        DbNode w;
        if (!wordsOf(child, &w)) return false;
        list.push_back(w);
      }
      break;
    case NodeKind::NK_SELECT_STRING:
      for (const StringCase &cs : c.stringCases) {
        uint32_t target;
        if (!indexOf(cs.target, &target)) return false;
        if (cs.isDefault) {
          list.push_back({makeWord0(NodeKind::NK_DEFAULT, target), 0});
          continue;
        }
        if (cs.text.size() > kCountLimit) return fail("a string case text longer than 65535 bytes");
        const uint64_t offset = PlaceSlice(t_.strings, cs.text.data(), cs.text.size());
        if (offset >= kOperandLimit) return fail("StringPool has grown past what a 24-bit offset reaches");
        // String nodes stand outside every walked list: only cases name them.
        const uint32_t text =
            single({makeWord0(NodeKind::NK_BYTES, uint32_t(offset)), makeWord1(0, uint16_t(cs.text.size()))});
        list.push_back({makeWord0(NodeKind::NK_STRING_CASE, target), text});
      }
      break;
    default: // the integer, masked, printer-data and locale selects
      for (const Case &cs : c.cases) {
        uint32_t target;
        if (!indexOf(cs.target, &target)) return false;
        if (cs.type == Case::Type::Value)
          list.push_back({makeWord0(NodeKind::NK_CASE, target), uint32_t(cs.value)});
        if (cs.type == Case::Type::Default) list.push_back({makeWord0(NodeKind::NK_DEFAULT, target), 0});
        if (cs.type != Case::Type::Range) continue;
        if (cs.value > cs.upper)
          return fail("empty range " + std::to_string(cs.value) + ".." + std::to_string(cs.upper));
        const int32_t pair[2] = {cs.value, cs.upper};
        const uint64_t j = PlaceSlice(t_.ints, pair, 2);
        list.push_back({makeWord0(NodeKind::NK_RANGE_CASE, target), uint32_t(j)});
      }
    }
    uint32_t start;
    if (!placeRun(list, &start)) return false;
    // A masked select names its mask node, which names the entries.
    if (c.kind == NodeKind::NK_SELECT_MASKED) start = single({makeWord0(NodeKind::NK_MASK, start), c.mask});
    *out = {makeWord0(c.kind, start), makeWord1(c.param, uint16_t(list.size()))};
    return true;
  }

  // --- the roots and the key index ----------------------------------------

  bool placeRoots() {
    const size_t n = b_.nodes().size();
    state_.assign(n, kNew);
    words_.assign(n, DbNode{});
    slot_.assign(n, -1);

    std::map<Key, NodeRef> keys;
    for (const auto &[key, root] : b_.keys()) {
      context_ = KeyLabel(key) + ": ";
      if (!keys.emplace(key, root).second || (b_.hasAllRootsKey() && key == b_.allRootsKey()))
        return fail("the key is given twice");
      if (!known(root)) return false;
    }

    for (size_t i = 0; i < b_.hung().size(); ++i) {
      context_ = "hung node " + std::to_string(i + 1) + ": ";
      if (!known(b_.hung()[i])) return false;
    }
    context_.clear();
    const std::vector<std::pair<NodeRef, std::string>> roots = b_.rootOrder();
    if (roots.size() > kCountLimit) return fail("more than 65535 roots for node 0");
    for (size_t i = 0; i < roots.size(); ++i) slot_[roots[i].first.id] = int64_t(i + 1);

    t_.nodes.assign(roots.size() + 1, DbNode{});
    filled_.assign(roots.size() + 1, false);
    // Node 0 is not offered for reuse: a case target equal to it would walk
    // every root again.
    t_.nodes[0] = {makeWord0(NodeKind::NK_SEQUENCE, 1), makeWord1(0, uint16_t(roots.size()))};
    filled_[0] = true;
    for (const auto &[root, label] : roots) {
      context_ = label;
      DbNode w;
      if (!wordsOf(root, &w)) return false;
    }
    context_.clear();
    if (t_.nodes.size() > kOperandLimit) return fail("more nodes than a 24-bit operand reaches");

    std::vector<std::pair<Key, uint32_t>> index;
    for (const auto &[key, root] : keys) index.emplace_back(key, uint32_t(slot_[root.id]));
    if (b_.hasAllRootsKey()) index.emplace_back(b_.allRootsKey(), 0);
    std::sort(index.begin(), index.end());
    for (const auto &[key, node] : index) {
      t_.keys.push_back(key);
      t_.keyNodes.push_back(node);
    }
    return true;
  }

  // --- the driver list tables ---------------------------------------------

  bool placeGroupedLists() {
    for (const auto &[key, entries] : b_.groupedLists()) {
      if (entries.size() > kCountLimit) return fail("grouped list " + KeyLabel(key) + ": too many entries");
      t_.groupKeys.push_back(key);
      t_.groupEntryCounts.push_back(uint16_t(entries.size()));
      t_.groupEntryStarts.push_back(int32_t(t_.entryNodes.size()));
      for (size_t m = 0; m < entries.size(); ++m) {
        context_ = "grouped list " + KeyLabel(key) + ": entry " + std::to_string(m + 1) + ": ";
        const NodeRef ref = entries[m];
        if (!known(ref)) return false;
        // An entry must stand in the tree, so that node 0 reaches it; its
        // index is its root slot, or wherever its words were placed.
        const bool placed = state_[ref.id] == kDone;
        auto it = placed ? at_.find(Pack(words_[ref.id])) : at_.end();
        if (it == at_.end()) return fail("not in the tree: hang it, or put it under a key");
        t_.entryNodes.push_back(slot_[ref.id] >= 0 ? uint32_t(slot_[ref.id]) : it->second.front());
      }
    }
    context_.clear();
    return true;
  }

  bool placeItemLists() {
    for (const auto &[listId, items] : b_.itemLists()) {
      if (items.size() > kCountLimit) return fail("item list " + std::to_string(listId) + ": too many items");
      t_.listIds.push_back(listId);
      t_.itemCounts.push_back(uint16_t(items.size()));
      t_.itemStarts.push_back(int32_t(t_.itemIds.size()));
      for (const auto &[id, value] : items) {
        t_.itemIds.push_back(id);
        t_.itemValues.push_back(value);
      }
    }
    return true;
  }

  // Each distinct section record is stored once, numbered in first-use
  // order; rows hold the numbers. Records are keyed by their bytes as a
  // string: ordering vectors of bytes makes GCC 12 at -O3 warn falsely
  // (-Wstringop-overread in its inlined memcmp).
  bool placePrintModes() {
    std::map<std::string, uint16_t> records[4];
    std::vector<uint8_t> *tables[4] = {&t_.section1, &t_.section2, &t_.section3, &t_.section4};
    for (size_t r = 0; r < b_.printModeRows().size(); ++r) {
      const PrintModeRowSource &src = b_.printModeRows()[r];
      m4k7::PrintModeRow row{};
      std::copy(src.match.begin(), src.match.end(), row.match);
      const std::string sections[4] = {
          {src.section1.begin(), src.section1.end()},
          {src.section2.begin(), src.section2.end()},
          {src.section3.begin(), src.section3.end()},
          {src.section4.begin(), src.section4.end()},
      };
      for (int s = 0; s < 4; ++s) {
        auto [it, fresh] = records[s].try_emplace(sections[s], uint16_t(records[s].size()));
        if (fresh) {
          if (records[s].size() > kCountLimit + 1)
            return fail("print-mode section " + std::to_string(s + 1) + ": more than 65536 records");
          tables[s]->insert(tables[s]->end(), sections[s].begin(), sections[s].end());
        }
        row.section[s] = it->second;
      }
      t_.modeRows.push_back(row);
    }
    return true;
  }

  enum : uint8_t { kNew, kBusy, kDone };

  const ImageBuilder &b_;
  ImageTables &t_;
  std::string error_;
  std::string context_; // "key 0x1016 (4118): ", the root being laid out
  std::vector<bool> filled_;
  std::unordered_map<uint64_t, std::vector<uint32_t>> at_; // words -> the filled nodes holding them
  std::vector<uint8_t> state_;
  std::vector<DbNode> words_;
  std::vector<int64_t> slot_; // content node -> its index among nodes 1..R, or -1
};

} // namespace

m4k7::ImageDescriptor ImageTables::descriptor() const {
  // Every table of a compiled image is present, empty ones included: an
  // absent table fails every lookup, an empty one only finds nothing.
  auto ptr = [](const auto &v) {
    using T = typename std::decay_t<decltype(v)>::value_type;
    static const T none{};
    return v.empty() ? &none : v.data();
  };
  m4k7::ImageDescriptor d{};
  // A count is set from the first table it counts.
  using namespace m4k7;
#define M4K7_IMAGE_TABLE(member, type, count, per, array, name, label, held, ...)                            \
  d.member = ptr(held);                                                                                      \
  if (*label) d.count = uint32_t(held.size() / (per));
#include "engine/image_tables.def"
  d.keysSorted = keysSorted;
  return d;
}

// The engine bisects a marked index and would miss keys in one out of
// order, so the mark is given only after this check of its own, whatever
// the layout and the validation before it promise.
bool MarkSortedKeys(ImageTables *tables, std::string *error) {
  tables->keysSorted = false;
  const std::vector<uint16_t> &keys = tables->keys;
  for (size_t i = 1; i < keys.size(); ++i)
    if (keys[i] <= keys[i - 1]) {
      if (error)
        *error = KeyLabel(keys[i]) + ": key index entry " + std::to_string(i) +
                 (keys[i] == keys[i - 1] ? " repeats the key before it" : " is below the key before it") +
                 ", so lookups cannot bisect it";
      return false;
    }
  tables->keysSorted = true;
  return true;
}

bool Compile(const ImageBuilder &content, ImageTables *out, std::string *error) {
  ImageTables tables;
  if (!Layout(content, &tables).run(error)) return false;
  std::vector<std::string> problems;
  if (!m4k7::imageview::ValidateImage(tables.descriptor(), &problems)) {
    if (error) *error = m4k7::imageview::Join(problems, "\n");
    return false;
  }
  if (!MarkSortedKeys(&tables, error)) return false;
  *out = std::move(tables);
  return true;
}

} // namespace imagec
