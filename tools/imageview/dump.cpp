#include "dump.h"

#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "describe.h"
#include "key_info.h"
#include "node_view.h"
#include "validate.h"

namespace m4k7::imageview {

namespace {

// The counts of the model's reference image, printed beside this image's.
struct Reference {
  const char *what;
  uint32_t ImageStats::*field;
  uint32_t reference;
};
const Reference kReferenceCounts[] = {
    {"nodes", &ImageStats::nodes, 4200},
    {"keys", &ImageStats::keys, 190},
    {"ints", &ImageStats::ints, 549},
    {"shorts", &ImageStats::shorts, 1764},
    {"bytes", &ImageStats::bytes, 5741},
    {"string bytes", &ImageStats::strings, 620},
    {"grouped lists", &ImageStats::groupedLists, 6},
    {"grouped entries", &ImageStats::groupedEntries, 11},
    {"item lists", &ImageStats::itemLists, 4},
    {"items", &ImageStats::items, 38},
    {"print-mode rows", &ImageStats::printModeRows, 150},
    {"shared nodes", &ImageStats::sharedNodes, 231},
    {"deepest path", &ImageStats::deepestPath, 12},
};

// A tree deeper than this is printed no further (a broken image may loop).
constexpr int kMaxDepth = 64;

class Dumper {
public:
  Dumper(const ImageDescriptor &img, const KeyCatalogue *names) : img_(img), names_(names) {}

  // 'key 0x1003 (4099) "paper [width, height] of the paper size"' when the
  // catalogue names it.
  std::string named(uint16_t key) const {
    const KeyInfo *info = names_ ? FindKeyInfo(key, *names_) : nullptr;
    return KeyLabel(key) + (info ? std::string(" \"") + info->name + "\"" : std::string());
  }

  std::string whole() {
    header();
    keys(nullptr);
    hungNodes();
    groupedLists();
    itemLists();
    printModes();
    return std::move(out_);
  }

  std::string some(const std::vector<uint16_t> &wanted) {
    keys(&wanted);
    return std::move(out_);
  }

private:
  void line(int indent, const std::string &text) {
    out_.append(size_t(2 * indent), ' ');
    out_ += text;
    out_ += '\n';
  }

  // The items space-separated, a line ending after the one that passes 90
  // characters.
  void rows(int indent, uint32_t count, const std::function<std::string(uint32_t)> &item) {
    std::string row;
    for (uint32_t i = 0; i < count; ++i) {
      if (!row.empty()) row += ' ';
      row += item(i);
      if (row.size() > 90 || i + 1 == count) {
        line(indent, row);
        row.clear();
      }
    }
  }

  void header() {
    const ImageStats s = MeasureImage(img_);
    line(0, "M4K7 database image");
    line(0, "");
    char row[120];
    std::snprintf(row, sizeof row, "%-18s %10s %10s", "", "this image", "reference");
    line(0, row);
    for (const Reference &r : kReferenceCounts) {
      std::snprintf(row, sizeof row, "%-18s %10u %10u", r.what, s.*r.field, r.reference);
      line(0, row);
    }
    std::snprintf(row, sizeof row, "%-18s %u, %u, %u, %u", "section records", s.sectionRecords[0],
                  s.sectionRecords[1], s.sectionRecords[2], s.sectionRecords[3]);
    line(0, row);
    line(0, "");
  }

  void keys(const std::vector<uint16_t> *wanted) {
    std::map<uint32_t, uint16_t> firstKeyAt; // start node -> first key printed there
    auto one = [&](uint32_t i) {
      const uint16_t key = img_.keys[i];
      const uint32_t start = img_.keyNodes[i];
      const std::string head = named(key) + " -> node " + std::to_string(start);
      auto it = firstKeyAt.find(start);
      if (it != firstKeyAt.end()) {
        line(0, head + ": shares node " + std::to_string(start) + " with " + KeyLabel(it->second));
        return;
      }
      firstKeyAt[start] = key;
      line(0, head);
      if (start == 0)
        nodeZero();
      else
        node(1, start);
    };
    if (!img_.keys || !img_.keyNodes) {
      line(0, "(no key index)");
      return;
    }
    if (!wanted) {
      for (uint32_t i = 0; i < img_.keyCount; ++i) one(i);
      line(0, "");
      return;
    }
    for (uint16_t key : *wanted) {
      uint32_t i = 0;
      while (i < img_.keyCount && img_.keys[i] != key) ++i;
      if (i == img_.keyCount)
        line(0, KeyLabel(key) + " is not in the key index");
      else
        one(i);
    }
  }

  // Node 0 holds every root; they are printed under their own keys.
  void nodeZero() {
    if (!img_.nodes || img_.nodeCount == 0) {
      line(1, "0 (not a node)");
      return;
    }
    const DbNode n = img_.nodes[0];
    const uint32_t start = operandOf(n), count = countOf(n);
    line(1, "0 " + KindName(uint8_t(kindOf(n))) + " of the roots, " + std::to_string(count) + " children @" +
                std::to_string(start) + ":");
    rows(2, count, [start](uint32_t i) { return std::to_string(uint64_t(start) + i); });
  }

  // Roots in node 0 that no key starts at: the grouped lists' hangers.
  void hungNodes() {
    if (!img_.nodes || img_.nodeCount == 0 || kindOf(img_.nodes[0]) != NodeKind::NK_SEQUENCE) return;
    std::set<uint32_t> starts(img_.keyNodes, img_.keyNodes + img_.keyCount);
    const uint32_t start = operandOf(img_.nodes[0]), count = countOf(img_.nodes[0]);
    bool any = false;
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t r = uint64_t(start) + i;
      if (starts.count(uint32_t(r))) continue;
      if (!any) line(0, "roots that no key starts at (walked only through node 0)");
      any = true;
      node(1, r);
    }
    if (any) line(0, "");
  }

  void node(int indent, uint64_t index) { node(indent, index, 0); }

  void node(int indent, uint64_t index, int depth) {
    if (!img_.nodes || index >= img_.nodeCount) {
      line(indent, std::to_string(index) + " (not a node)");
      return;
    }
    const uint32_t at = uint32_t(index);
    const NodeView view = DescribeNode(img_, img_.nodes[at]);
    const std::string text = std::to_string(at) + " " + view.text;
    const bool hasList = view.list != NodeView::List::None;
    if (hasList && shown_.count(at)) {
      line(indent, text + " (shown above)");
      return;
    }
    if (hasList && (depth >= kMaxDepth || onPath_.count(at))) {
      line(indent, text + (onPath_.count(at) ? " (cycle)" : " (deeper)"));
      return;
    }
    line(indent, text);
    for (const std::string &more : view.more) line(indent + 2, more);
    if (!hasList) return;
    shown_.insert(at);
    onPath_.insert(at);
    for (uint32_t i = 0; i < view.count; ++i) {
      const uint64_t c = uint64_t(view.first) + i;
      if (view.list == NodeView::List::Children)
        node(indent + 1, c, depth + 1);
      else
        entry(indent + 1, c, depth + 1);
    }
    onPath_.erase(at);
  }

  void entry(int indent, uint64_t index, int depth) {
    if (index >= img_.nodeCount) {
      line(indent, std::to_string(index) + " (not a node)");
      return;
    }
    const DbNode e = img_.nodes[index];
    std::string text;
    const bool isEntry = DescribeEntry(img_, e, &text);
    text = std::to_string(index) + " " + text;
    if (!isEntry) {
      line(indent, text);
      return;
    }
    line(indent, text + " -> " + std::to_string(operandOf(e)));
    node(indent + 1, operandOf(e), depth);
  }

  void groupedLists() {
    const GroupedListTable &g = img_.groups;
    line(0, "grouped lists: " + std::to_string(g.groupCount) + " lists, " + std::to_string(g.entryCount) +
                " entries");
    if (g.groupCount && (!g.groupKeys || !g.groupEntryCounts || !g.groupEntryStarts)) {
      line(1, "(tables absent)");
      return;
    }
    for (uint32_t i = 0; i < g.groupCount; ++i) {
      const int64_t start = g.groupEntryStarts[i];
      line(1, named(g.groupKeys[i]) + ": " + std::to_string(g.groupEntryCounts[i]) + " entries from " +
                  std::to_string(start));
      for (uint32_t m = 0; m < g.groupEntryCounts[i]; ++m) {
        const int64_t e = start + m;
        if (e < 0 || e >= int64_t(g.entryCount) || !g.entryNodes) {
          line(2, "entry " + std::to_string(e) + " (outside the entry table)");
          continue;
        }
        line(2, "entry " + std::to_string(m + 1) + ": node " + std::to_string(g.entryNodes[e]));
        node(3, g.entryNodes[e]);
      }
    }
    line(0, "");
  }

  void itemLists() {
    const ItemListTable &t = img_.items;
    line(0, "item lists: " + std::to_string(t.listCount) + " lists, " + std::to_string(t.itemPoolCount) +
                " items");
    if (t.listCount && (!t.listIds || !t.itemCounts || !t.itemStarts)) {
      line(1, "(tables absent)");
      return;
    }
    for (uint32_t i = 0; i < t.listCount; ++i) {
      const int64_t start = t.itemStarts[i];
      line(1, "list " + std::to_string(t.listIds[i]) + ": " + std::to_string(t.itemCounts[i]) +
                  " items from " + std::to_string(start) + " (id=value)");
      rows(2, t.itemCounts[i], [&](uint32_t m) {
        const int64_t p = start + m;
        if (p < 0 || p >= int64_t(t.itemPoolCount) || !t.itemIds || !t.itemValues)
          return std::string("(outside)");
        return std::to_string(t.itemIds[p]) + "=" + std::to_string(t.itemValues[p]);
      });
    }
    line(0, "");
  }

  void printModes() {
    const PrintModeTables &p = img_.printModes;
    line(0, "print-mode rows: " + std::to_string(p.modeRowCount) +
                " (I[4] I[9] I[5] I[8] I[6] I[81] -> section records)");
    for (uint32_t r = 0; r < p.modeRowCount && p.modeRows; ++r) {
      const PrintModeRow &row = p.modeRows[r];
      char text[160];
      std::snprintf(text, sizeof text, "%4u: %d %d %d %d %d %d -> %u %u %u %u", unsigned(r), row.match[0],
                    row.match[1], row.match[2], row.match[3], row.match[4], row.match[5],
                    unsigned(row.section[0]), unsigned(row.section[1]), unsigned(row.section[2]),
                    unsigned(row.section[3]));
      line(1, text);
    }
    const uint8_t *tables[4] = {p.sectionTable1, p.sectionTable2, p.sectionTable3, p.sectionTable4};
    const uint32_t sizes[4] = {kSection1Size, kSection2Size, kSection3Size, kSection4Size};
    for (int s = 0; s < 4; ++s) {
      line(0, "print-mode section " + std::to_string(s + 1) + ": " + std::to_string(p.sectionCounts[s]) +
                  " records of " + std::to_string(sizes[s]) + " bytes");
      for (uint32_t r = 0; r < p.sectionCounts[s] && tables[s]; ++r)
        line(1, std::to_string(r) + ": " + HexBytes(tables[s] + size_t(r) * sizes[s], sizes[s]));
    }
  }

  const ImageDescriptor &img_;
  const KeyCatalogue *names_;
  std::string out_;
  std::set<uint32_t> shown_;
  std::set<uint32_t> onPath_;
};

} // namespace

std::string DumpImage(const ImageDescriptor &image, const DumpOptions &options) {
  Dumper d(image, options.names);
  return options.keys.empty() ? d.whole() : d.some(options.keys);
}

} // namespace m4k7::imageview
