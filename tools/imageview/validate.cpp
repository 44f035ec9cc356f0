#include "validate.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "describe.h"
#include "drvlists/list_keys.h"
#include "engine/engine.h"
#include "graph.h"
#include "node_view.h"

namespace m4k7::imageview {

NodeKind NarrowestIntKind(const int32_t *values, size_t count) {
  const int32_t *end = values + count;
  auto all = [&](int64_t lo, int64_t hi) {
    return std::all_of(values, end, [&](int32_t v) { return v >= lo && v <= hi; });
  };
  if (all(-128, 127)) return NodeKind::NK_INT8;
  if (all(0, 255)) return NodeKind::NK_UINT8;
  if (all(-32768, 32767)) return NodeKind::NK_INT16;
  if (all(0, 65535)) return NodeKind::NK_UINT16;
  return NodeKind::NK_INT32;
}

namespace {

// A 24-bit operand cannot name a node or pool element beyond this.
constexpr uint64_t kOperandLimit = 0x1000000;

struct Edge {
  uint32_t target;
  Role role;
};

// The in-bounds references of every node; out-of-bounds ones are the role
// walk's to report.
std::vector<std::vector<Edge>> Adjacency(const ImageDescriptor &img) {
  std::vector<std::vector<Edge>> adj(img.nodeCount);
  for (uint32_t n = 0; n < img.nodeCount; ++n)
    ForEachEdge(img, n, [&](uint64_t t, Role r) {
      if (t < img.nodeCount) adj[n].push_back({uint32_t(t), r});
    });
  return adj;
}

// The nodes on the way down and the next edge of each.
using Path = std::vector<std::pair<uint32_t, size_t>>;

// Depth first from root over the edges follow(edge) accepts, each node once
// across the calls that share `state` (0 new, 1 on the path, 2 done):
// back(path, target) for an edge into the path, done(node) after a node's
// last edge.
template <typename Follow, typename Back, typename Done>
void DepthFirst(const std::vector<std::vector<Edge>> &adj, uint32_t root, std::vector<uint8_t> &state,
                Follow &&follow, Back &&back, Done &&done) {
  if (state[root]) return;
  Path path{{root, 0}};
  state[root] = 1;
  while (!path.empty()) {
    auto &[n, next] = path.back();
    if (next == adj[n].size()) {
      done(n);
      state[n] = 2;
      path.pop_back();
      continue;
    }
    const Edge e = adj[n][next++];
    if (!follow(e)) continue;
    if (state[e.target] == 1) back(path, e.target);
    if (state[e.target] == 0) {
      state[e.target] = 1;
      path.emplace_back(e.target, 0);
    }
  }
}

class Checker {
public:
  explicit Checker(const ImageDescriptor &img) : img_(img) {}

  std::vector<std::string> run() {
    if (!checkTables()) return std::move(problems_);
    adj_ = Adjacency(img_);
    findOwners();
    checkKeyIndex();
    checkNodeZero();
    walkRoles();
    checkReachFromKeys();
    checkCycles();
    checkListTables();
    // The engine walks only an image that is sound so far.
    if (problems_.empty()) checkValueNames();
    if (problems_.empty()) checkDepth();
    return std::move(problems_);
  }

private:
  // A broken image repeats its fault; the first fifty say enough.
  bool full() const { return problems_.size() >= 50; }
  void add(std::string s) {
    if (!full()) problems_.push_back(std::move(s));
  }
  // "key 0x1016 (4118): node 2311: what"
  void at(uint32_t node, const std::string &what) {
    std::string place;
    if (node < owner_.size() && owner_[node] >= 0) place = KeyLabel(img_.keys[owner_[node]]) + ": ";
    add(place + "node " + std::to_string(node) + ": " + what);
  }

  // Absent tables with a nonzero count, and sizes the operands cannot reach.
  bool checkTables() {
    struct Table {
      const void *data;
      uint64_t count;
      const char *name;
      bool operand; // a 24-bit operand must reach every element
    };
    const Table tables[] = {
#define M4K7_IMAGE_TABLE(member, type, count, per, array, name, label, held, operand)                        \
  {img_.member, img_.count, name, operand},
#include "engine/image_tables.def"
    };
    for (const Table &t : tables)
      if (t.count && !t.data)
        add(std::string("image: ") + t.name + " absent but its count is " + std::to_string(t.count));
    for (const Table &t : tables)
      if (t.operand && t.count > kOperandLimit)
        add(std::string("image: ") + t.name + " holds " + std::to_string(t.count) +
            " elements, more than a 24-bit operand reaches");
    if (img_.nodeCount == 0) add("image: no nodes");
    if (img_.keyCount == 0) add("image: the key index is empty");
    return problems_.empty();
  }

  // The owner of a node is the first key (in index order) whose tree reaches
  // it; the key of node 0 reaches everything, so it owns only what no other
  // key reaches.
  void findOwners() {
    owner_.assign(img_.nodeCount, -1);
    for (int pass = 0; pass < 2; ++pass)
      for (uint32_t i = 0; i < img_.keyCount; ++i) {
        const uint32_t start = img_.keyNodes[i];
        if (start >= img_.nodeCount || (start == 0) != (pass == 1)) continue;
        forEachReached(start, false, [&](uint32_t n) {
          if (owner_[n] < 0) owner_[n] = int32_t(i);
        });
      }
  }

  // Calls f(node) for every node reached from start (each once) over the
  // in-bounds references, or only those the walk steps along.
  template <typename F> void forEachReached(uint32_t start, bool walkStepsOnly, F &&f) {
    std::vector<uint8_t> state(img_.nodeCount, 0);
    auto follow = [walkStepsOnly](const Edge &e) { return !walkStepsOnly || isWalkStep(e.role); };
    DepthFirst(
        adj_, start, state, follow, [](const Path &, uint32_t) {}, f);
  }

  void checkKeyIndex() {
    for (uint32_t i = 0; i < img_.keyCount; ++i) {
      const uint16_t key = img_.keys[i];
      if (i > 0 && key == img_.keys[i - 1])
        add(KeyLabel(key) + ": appears twice in the key index");
      else if (i > 0 && key < img_.keys[i - 1])
        add(KeyLabel(key) + ": key index not ascending (after " + KeyLabel(img_.keys[i - 1]) + ")");
      if (img_.keyNodes[i] >= img_.nodeCount)
        add(KeyLabel(key) + ": start node " + std::to_string(img_.keyNodes[i]) + " is not a node");
      if (!keyStart_.count(key)) keyStart_[key] = img_.keyNodes[i];
    }
  }

  // Node 0 is the sequence of the roots, nodes 1..R.
  void checkNodeZero() {
    const DbNode n = img_.nodes[0];
    const uint32_t count = countOf(n);
    if (kindOf(n) != NodeKind::NK_SEQUENCE || (count > 0 && operandOf(n) != 1) ||
        uint64_t(count) + 1 > img_.nodeCount)
      at(0, "not a sequence of the roots 1..R (" + KindName(uint8_t(kindOf(n))) + ", start " +
                std::to_string(operandOf(n)) + ", count " + std::to_string(count) + ")");
  }

  std::string edgeName(NodeKind parent, Role role) {
    switch (role) {
    case Role::Walked: return nodeOperandOf(parent) == NodeOperand::Children ? "child" : "case target";
    case Role::GuardedMember: return "member";
    case Role::IntEntry:
    case Role::StringEntry: return "entry";
    case Role::Mask: return "mask";
    case Role::StringNode: return "string node";
    }
    return "reference";
  }

  // Every node in every position it is reached in: is its kind allowed
  // there? Leaves, selects and entries are checked on the way.
  void walkRoles() {
    seen_.assign(img_.nodeCount, 0);
    std::vector<std::pair<uint32_t, Role>> stack;
    auto push = [&](uint32_t n, Role r) {
      const uint8_t bit = uint8_t(1u << unsigned(r));
      if (seen_[n] & bit) return;
      seen_[n] |= bit;
      stack.emplace_back(n, r);
    };
    auto drain = [&] {
      while (!stack.empty() && !full()) {
        // Plain variables, not a structured binding: lambdas below use n,
        // and clang 14 (the fuzz build's compiler) cannot capture bindings.
        const uint32_t n = stack.back().first;
        const Role r = stack.back().second;
        stack.pop_back();
        if (!checkRole(n, r)) continue;
        const NodeKind parent = kindOf(img_.nodes[n]);
        std::vector<std::pair<uint32_t, Role>> next;
        ForEachEdge(img_, n, [&](uint64_t t, Role role) {
          if (t >= img_.nodeCount)
            at(n, edgeName(parent, role) + " " + std::to_string(t) + " is not a node");
          else
            next.emplace_back(uint32_t(t), role);
        });
        // Reversed onto the stack, so that lists are checked in their order.
        for (auto it = next.rbegin(); it != next.rend(); ++it) push(it->first, it->second);
      }
    };
    push(0, Role::Walked);
    drain();
    std::vector<bool> fromZero(img_.nodeCount);
    for (uint32_t n = 0; n < img_.nodeCount; ++n) fromZero[n] = seen_[n] != 0;
    for (uint32_t i = 0; i < img_.keyCount; ++i)
      if (img_.keyNodes[i] < img_.nodeCount) push(img_.keyNodes[i], Role::Walked);
    for (uint32_t i = 0; i < img_.groups.entryCount && img_.groups.entryNodes; ++i)
      if (img_.groups.entryNodes[i] < img_.nodeCount) push(img_.groups.entryNodes[i], Role::Walked);
    drain();

    const uint8_t stringBit = uint8_t(1u << unsigned(Role::StringNode));
    const uint8_t walkBits = uint8_t((1u << unsigned(Role::Walked)) | (1u << unsigned(Role::GuardedMember)));
    for (uint32_t n = 0; n < img_.nodeCount; ++n) {
      if ((seen_[n] & stringBit) && (seen_[n] & walkBits)) at(n, "string node reached by a walk");
      if (!fromZero[n]) at(n, "not reachable from node 0");
    }
  }

  // False when the node's kind does not belong in this role, so that its
  // references are not followed.
  bool checkRole(uint32_t n, Role role) {
    const DbNode node = img_.nodes[n];
    const NodeKind k = kindOf(node);
    const std::string name = KindName(uint8_t(k));
    const NodeOperand operand = nodeOperandOf(k);
    switch (role) {
    case Role::Walked:
    case Role::GuardedMember:
      if (isLeafKind(k)) {
        checkLeaf(n);
        return false;
      }
      if (k == NodeKind::NK_GUARD && role == Role::Walked) {
        at(n, "guard outside a guarded sequence");
        return false;
      }
      if (isSelectKind(k)) checkSelect(n);
      if (isSelectKind(k) || operand == NodeOperand::Children || operand == NodeOperand::Members) return true;
      at(n, std::string(NodeKindName(uint8_t(k)) ? "" : "invalid ") + name + " where a node is walked");
      return false;
    case Role::IntEntry:
      if (k == NodeKind::NK_RANGE_CASE) checkRange(n);
      if (takesEntry(NodeOperand::IntCases, k)) return true;
      at(n, name + " among the entries of an integer select");
      return false;
    case Role::StringEntry:
      if (!takesEntry(NodeOperand::StringCases, k)) {
        at(n, name + " among the entries of a string select");
        return false;
      }
      if (operand == NodeOperand::TargetText) {
        const uint32_t s = node.word1;
        if (s >= img_.nodeCount) {
          at(n, "string case names node " + std::to_string(s) + ", which is not a node");
          return false;
        }
        if (kindOf(img_.nodes[s]) != NodeKind::NK_BYTES) {
          at(n, "string case on a non-bytes node " + std::to_string(s) + " (" +
                    KindName(uint8_t(kindOf(img_.nodes[s]))) + ")");
          return false;
        }
      }
      return true;
    case Role::Mask:
      if (k != NodeKind::NK_MASK) at(n, "named as the mask of a masked select but is " + name);
      return false;
    case Role::StringNode: // reached only from a string case that found NK_BYTES here
      if (fieldOf(node) != 0) {
        at(n, "string node with " + Hex16(fieldOf(node)) + " in its key field (must be 0)");
      } else if (uint64_t(operandOf(node)) + countOf(node) > img_.stringSize) {
        at(n, "string " + std::to_string(operandOf(node)) + "+" + std::to_string(countOf(node)) +
                  " lies outside StringPool (" + std::to_string(img_.stringSize) + " bytes)");
      }
      return false;
    }
    return false;
  }

  void checkRange(uint32_t n) {
    const uint32_t j = img_.nodes[n].word1;
    if (uint64_t(j) + 1 >= img_.intCount) {
      at(n, "range bounds at IntPool " + std::to_string(j) + " lie outside IntPool (" +
                std::to_string(img_.intCount) + " values)");
      return;
    }
    if (img_.intPool[j] > img_.intPool[j + 1])
      at(n, "empty range " + std::to_string(img_.intPool[j]) + ".." + std::to_string(img_.intPool[j + 1]));
  }

  // Parameters and entry lists of a select: the locale tag, one default as
  // the last entry, no repeated case value or text.
  void checkSelect(uint32_t n) {
    const DbNode node = img_.nodes[n];
    const NodeKind k = kindOf(node);
    if (k == NodeKind::NK_SELECT_LOCALE && fieldOf(node) != kLocaleSource)
      at(n, "locale select carries " + Hex16(fieldOf(node)) + ", not 0x500F");
    if (k == NodeKind::NK_SELECT_PRINTER_DATA) printerDataSelects_.push_back(n);
    uint32_t start = operandOf(node);
    if (k == NodeKind::NK_SELECT_MASKED) {
      if (start >= img_.nodeCount || kindOf(img_.nodes[start]) != NodeKind::NK_MASK) return;
      start = operandOf(img_.nodes[start]);
    }
    const uint32_t count = countOf(node);
    std::set<uint32_t> values;
    std::set<std::string> texts;
    for (uint32_t i = 0; i < count; ++i) {
      if (uint64_t(start) + i >= img_.nodeCount) return; // reported as an entry that is not a node
      const DbNode e = img_.nodes[start + i];
      switch (kindOf(e)) {
      case NodeKind::NK_DEFAULT:
        if (i + 1 != count)
          at(n, "default is entry " + std::to_string(i + 1) + " of " + std::to_string(count) +
                    "; only the last entry may be one");
        break;
      case NodeKind::NK_CASE:
        if (k != NodeKind::NK_SELECT_STRING && !values.insert(e.word1).second)
          at(n, "case value " + std::to_string(int32_t(e.word1)) + " appears twice");
        break;
      case NodeKind::NK_STRING_CASE: {
        if (k != NodeKind::NK_SELECT_STRING || e.word1 >= img_.nodeCount) break;
        const DbNode s = img_.nodes[e.word1];
        if (kindOf(s) != NodeKind::NK_BYTES || uint64_t(operandOf(s)) + countOf(s) > img_.stringSize) break;
        const std::string text(img_.stringPool + operandOf(s), countOf(s));
        if (!texts.insert(text).second) at(n, "text \"" + text + "\" appears twice");
        break;
      }
      default: break;
      }
    }
  }

  void checkLeaf(uint32_t n) {
    if (leafChecked_.empty()) leafChecked_.assign(img_.nodeCount, false);
    if (leafChecked_[n]) return;
    leafChecked_[n] = true;
    leaves_.push_back(n);
    const DbNode node = img_.nodes[n];
    const NodeKind k = kindOf(node);
    const uint16_t key = fieldOf(node);
    const uint32_t offset = operandOf(node), count = countOf(node);
    const std::string name = KindName(uint8_t(k));
    if (!keyStart_.count(key)) at(n, "leaf for " + KeyLabel(key) + ", which is not in the key index");
    if (k == NodeKind::NK_COMPUTED) {
      if (!ComputedValueName(uint16_t(count)))
        at(n, "COMPUTED leaf with unknown id " + std::to_string(count));
      return;
    }
    const LeafSlice slice = SliceOf(img_, node);
    if (!slice.fits) {
      at(n, name + " leaf's slice " + std::to_string(offset) + "+" + std::to_string(count) +
                " lies outside " + slice.pool + " (" + std::to_string(slice.size) + ")");
      return;
    }
    // The slice's stored bytes, to find equal answers stored twice.
    const std::string raw =
        slice.data ? std::string(reinterpret_cast<const char *>(slice.data), slice.bytes) : "";
    if (k == NodeKind::NK_WIDE) {
      if (count == 0 || raw.back() != '\0')
        at(n, "WIDE leaf without its terminating NUL");
      else if (raw.find('\0') != count - 1)
        at(n, "WIDE leaf holds a NUL before its end");
    }
    if (valueWidthOf(k) == 4) { // the integer kinds
      const std::vector<int32_t> values = LeafInts(img_, node);
      const NodeKind want = NarrowestIntKind(values.data(), values.size());
      if (want != k)
        at(n, name + " leaf " + IntList(values) + " is not in its narrowest kind " + KindName(uint8_t(want)));
    }
    if (count == 0) return;
    auto [it, fresh] = slices_.try_emplace({slice.pool, raw}, std::make_pair(offset, n));
    if (!fresh && it->second.first != offset)
      at(n, "holds the same values as node " + std::to_string(it->second.second) + " in another slice (" +
                std::to_string(offset) + ", not " + std::to_string(it->second.first) + ")");
  }

  // Every leaf answers a key whose tree reaches it: a leaf that its own key
  // cannot reach is content no lookup ever returns.
  void checkReachFromKeys() {
    std::vector<bool> ok(img_.nodeCount, false);
    std::map<uint32_t, std::vector<uint16_t>> keysOfStart;
    for (uint32_t i = 0; i < img_.keyCount; ++i)
      if (img_.keyNodes[i] < img_.nodeCount) keysOfStart[img_.keyNodes[i]].push_back(img_.keys[i]);
    for (const auto &entry : keysOfStart) {
      const std::vector<uint16_t> &keys = entry.second; // captured below: no binding, for clang 14
      forEachReached(entry.first, true, [&](uint32_t n) {
        const DbNode node = img_.nodes[n];
        if (isLeafKind(kindOf(node)) && std::find(keys.begin(), keys.end(), fieldOf(node)) != keys.end())
          ok[n] = true;
      });
    }
    for (uint32_t n : leaves_) {
      const uint16_t key = fieldOf(img_.nodes[n]);
      auto it = keyStart_.find(key);
      if (it != keyStart_.end() && !ok[n])
        at(n, "leaf for " + KeyLabel(key) + " is not reachable from that key's start node " +
                  std::to_string(it->second));
    }
  }

  // The engine follows references without cycle detection.
  void checkCycles() {
    std::vector<uint8_t> state(img_.nodeCount, 0);
    int cycles = 0;
    auto any = [](const Edge &) { return true; };
    auto report = [&](const Path &path, uint32_t t) {
      if (cycles++ >= 5) return;
      std::string text;
      auto from = std::find_if(path.begin(), path.end(), [t](const auto &p) { return p.first == t; });
      for (; from != path.end(); ++from) text += std::to_string(from->first) + " -> ";
      at(t, "cycle " + text + std::to_string(t));
    };
    for (uint32_t root = 0; root < img_.nodeCount && cycles < 5; ++root)
      DepthFirst(adj_, root, state, any, report, [](uint32_t) {});
  }

  // A list table's runs: each list named once, its run inside the pool.
  // False for a run outside.
  bool checkRun(std::set<uint16_t> &named, uint16_t id, const std::string &where, int64_t start,
                uint32_t count, uint32_t poolCount, const char *things, const char *pool) {
    if (!named.insert(id).second) add(where + ": listed twice");
    if (start >= 0 && start + count <= int64_t(poolCount)) return true;
    add(where + ": " + things + " " + std::to_string(start) + "+" + std::to_string(count) +
        " lie outside the " + pool + " (" + std::to_string(poolCount) + ")");
    return false;
  }

  void checkListTables() {
    const GroupedListTable &g = img_.groups;
    std::set<uint16_t> groupKeys;
    // The dispatch reaches a list only for a key it routes to the grouped
    // lists, and a table list only through a list key's configuration.
    static const char *const kAnswered[] = {"by lookup", "as an item list", "", "with the print-mode record"};
    for (uint32_t i = 0; i < g.groupCount && g.groupKeys && g.groupEntryCounts && g.groupEntryStarts; ++i) {
      const std::string where = "grouped list " + KeyLabel(g.groupKeys[i]);
      checkRun(groupKeys, g.groupKeys[i], where, g.groupEntryStarts[i], g.groupEntryCounts[i], g.entryCount,
               "entries", "entry table");
      if (const DriverKeyService s = ServiceOfDriverKey(g.groupKeys[i]); s != DriverKeyService::GroupedList)
        add(where + ": never answered, the driver's key is answered " + kAnswered[int(s)]);
    }
    for (uint32_t i = 0; i < g.entryCount && g.entryNodes; ++i)
      if (g.entryNodes[i] >= img_.nodeCount)
        add("grouped-list entry " + std::to_string(i) + ": node " + std::to_string(g.entryNodes[i]) +
            " is not a node");
    const ItemListTable &t = img_.items;
    std::set<uint16_t> listIds;
    for (uint32_t i = 0; i < t.listCount && t.listIds && t.itemCounts && t.itemStarts; ++i) {
      const std::string where = "item list " + std::to_string(t.listIds[i]);
      if (std::none_of(std::begin(kItemLists), std::end(kItemLists), [&](const ItemListConfig &c) {
            return c.idsList == t.listIds[i] || c.attr1List == t.listIds[i];
          }))
        add(where + ": never answered, no list key reads it");
      if (!checkRun(listIds, t.listIds[i], where, t.itemStarts[i], t.itemCounts[i], t.itemPoolCount, "items",
                    "item pool"))
        continue;
      // The list service pairs an id with the first value it finds for it.
      std::set<uint16_t> ids;
      for (uint32_t j = 0; j < t.itemCounts[i] && t.itemIds; ++j)
        if (!ids.insert(t.itemIds[t.itemStarts[i] + j]).second)
          add(where + ": id " + std::to_string(t.itemIds[t.itemStarts[i] + j]) + " listed twice");
    }
    const PrintModeTables &p = img_.printModes;
    // The service takes the first row that matches: a later row with the
    // same settings could never be chosen.
    std::map<std::vector<int16_t>, uint32_t> firstRow;
    for (uint32_t r = 0; r < p.modeRowCount && p.modeRows; ++r) {
      const std::vector<int16_t> match(std::begin(p.modeRows[r].match), std::end(p.modeRows[r].match));
      auto [it, fresh] = firstRow.try_emplace(match, r);
      if (!fresh)
        add("print-mode row " + std::to_string(r) + ": matches the same settings as row " +
            std::to_string(it->second) + ", which is found first");
    }
    for (uint32_t r = 0; r < p.modeRowCount && p.modeRows; ++r)
      for (int s = 0; s < 4; ++s)
        if (p.modeRows[r].section[s] >= p.sectionCounts[s])
          add("print-mode row " + std::to_string(r) + ": section " + std::to_string(s + 1) + " record " +
              std::to_string(p.modeRows[r].section[s]) + " is not in its table (" +
              std::to_string(p.sectionCounts[s]) + " records)");
  }

  // A printer-data select reads the value key 8 names for its value number:
  // that walk must end in a name, as the engine will do it.
  void checkValueNames() {
    for (uint32_t n : printerDataSelects_) {
      const uint16_t number = fieldOf(img_.nodes[n]);
      if (!keyStart_.count(kValueNameKey)) {
        at(n, "printer-data select, but " + KeyLabel(kValueNameKey) + " is not in the key index");
        continue;
      }
      LeafDescriptor name{};
      const AccessStatus status = LookupValueName(img_, number, &name);
      if (status != kOk)
        at(n, "printer-data select on value number " + std::to_string(number) + ", which " +
                  KeyLabel(kValueNameKey) + " does not name (status " + std::to_string(status) + ")");
    }
  }

  void checkDepth() {
    const ImageStats stats = MeasureImage(img_);
    if (stats.deepestPath >= kMaxWalkDepth)
      add("image: a walk " + std::to_string(stats.deepestPath) +
          " nodes deep, beyond the engine's limit of " + std::to_string(kMaxWalkDepth));
  }

  const ImageDescriptor &img_;
  std::vector<std::string> problems_;
  std::vector<std::vector<Edge>> adj_;
  std::vector<int32_t> owner_;
  std::unordered_map<uint16_t, uint32_t> keyStart_;
  std::vector<uint8_t> seen_;
  std::vector<bool> leafChecked_;
  std::vector<uint32_t> leaves_;
  std::vector<uint32_t> printerDataSelects_;
  std::map<std::pair<std::string, std::string>, std::pair<uint32_t, uint32_t>> slices_; // -> offset, node
};

} // namespace

std::vector<std::string> ImageProblems(const ImageDescriptor &image) { return Checker(image).run(); }

bool ValidateImage(const ImageDescriptor &image, std::vector<std::string> *problems) {
  std::vector<std::string> found = ImageProblems(image);
  const bool ok = found.empty();
  if (problems) *problems = std::move(found);
  return ok;
}

ImageStats MeasureImage(const ImageDescriptor &image) {
  ImageStats s;
  s.nodes = image.nodeCount;
  s.keys = image.keyCount;
  s.ints = image.intCount;
  s.shorts = image.shortCount;
  s.bytes = image.byteSize;
  s.strings = image.stringSize;
  s.groupedLists = image.groups.groupCount;
  s.groupedEntries = image.groups.entryCount;
  s.itemLists = image.items.listCount;
  s.items = image.items.itemPoolCount;
  s.printModeRows = image.printModes.modeRowCount;
  for (int i = 0; i < 4; ++i) s.sectionRecords[i] = image.printModes.sectionCounts[i];
  if (!image.nodes) return s;

  const std::vector<std::vector<Edge>> adj = Adjacency(image);
  std::vector<uint32_t> refs(image.nodeCount, 0);
  for (const auto &edges : adj)
    for (const Edge &e : edges) ++refs[e.target];
  s.sharedNodes = uint32_t(std::count_if(refs.begin(), refs.end(), [](uint32_t r) { return r > 1; }));

  // Longest walk from each node, post-order; a reference back into the
  // current path (a cycle, which the check reports) counts as a dead end.
  std::vector<uint32_t> depth(image.nodeCount, 0);
  std::vector<uint8_t> state(image.nodeCount, 0);
  auto step = [](const Edge &e) { return isWalkStep(e.role); };
  auto measured = [&](uint32_t n) {
    uint32_t d = 0;
    for (const Edge &e : adj[n])
      if (isWalkStep(e.role) && state[e.target] == 2) d = std::max(d, depth[e.target]);
    // A select reads its entries and walks their targets: an entry is no
    // step of its own.
    depth[n] = d + (entryOf(kindOf(image.nodes[n])) != EntryOf::None ? 0 : 1);
  };
  auto measure = [&](uint32_t root) {
    DepthFirst(
        adj, root, state, step, [](const Path &, uint32_t) {}, measured);
  };
  for (uint32_t i = 0; i < image.keyCount && image.keyNodes; ++i)
    if (image.keyNodes[i] < image.nodeCount) {
      measure(image.keyNodes[i]);
      s.deepestPath = std::max(s.deepestPath, depth[image.keyNodes[i]]);
    }
  return s;
}

std::string StatsLine(const ImageStats &s) {
  char line[400];
  std::snprintf(line, sizeof line,
                "nodes %u, keys %u, grouped lists %u/%u entries, item lists %u/%u items, ints %u, shorts %u, "
                "bytes %u, strings %u, print-mode rows %u (sections %u, %u, %u, %u), shared nodes %u, "
                "deepest path %u",
                s.nodes, s.keys, s.groupedLists, s.groupedEntries, s.itemLists, s.items, s.ints, s.shorts,
                s.bytes, s.strings, s.printModeRows, s.sectionRecords[0], s.sectionRecords[1],
                s.sectionRecords[2], s.sectionRecords[3], s.sharedNodes, s.deepestPath);
  return line;
}

} // namespace m4k7::imageview
