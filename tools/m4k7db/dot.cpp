#include "dot.h"

#include <algorithm>
#include <deque>
#include <ostream>
#include <set>

#include "decode.h"
#include "engine/engine.h"
#include "node_view.h"
#include "text.h"

namespace m4k7cli {

std::string DotQuote(const std::string &text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

namespace {

std::string id(uint32_t index) { return "n" + std::to_string(index); }

struct Graph {
  const m4k7::ImageDescriptor &image;
  std::set<uint16_t> keys;
  std::ostream &out;
  std::set<uint32_t> seen;
  std::deque<uint32_t> queue;
  std::set<std::string> broken;

  // An edge to a red node (drawn once) for a reference that cannot be
  // followed.
  void brokenEdge(const std::string &from, const std::string &name, const std::string &label,
                  const std::string &attrs) {
    if (broken.insert(name).second)
      out << "  " << name << " [label=" << DotQuote(label) << ", color=red, fontcolor=red];\n";
    out << "  " << from << " -> " << name << attrs << ";\n";
  }

  // An edge to a node index, or to a red node when the index is bad.
  void edge(const std::string &from, uint32_t to, const std::string &label) {
    std::string attrs = label.empty() ? "" : " [label=" + DotQuote(label) + "]";
    if (!image.nodes || to >= image.nodeCount)
      return brokenEdge(from, "missing" + std::to_string(to),
                        "#" + std::to_string(to) + "\npast the node table", attrs);
    out << "  " << from << " -> " << id(to) << attrs << ";\n";
    if (seen.insert(to).second) queue.push_back(to);
  }

  // Draws the cases of a select as edges to their targets, labelled with
  // the entry as the image view describes it.
  void cases(uint32_t from, uint32_t start, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t at = start + i;
      std::string label;
      if (!image.nodes || at >= image.nodeCount ||
          !m4k7::imageview::DescribeEntry(image, image.nodes[at], &label)) {
        brokenEdge(id(from), "bad" + std::to_string(at), "#" + std::to_string(at) + "\nnot a case", "");
        continue;
      }
      edge(id(from), m4k7::operandOf(image.nodes[at]), label);
    }
  }

  void node(uint32_t index) {
    const m4k7::DbNode n = image.nodes[index];
    const m4k7::imageview::NodeView view = m4k7::imageview::DescribeNode(image, n);
    std::string text = view.text;
    if (text.size() > 72) text = text.substr(0, 69) + "...";
    const std::string label = DotQuote("#" + std::to_string(index) + "\n" + text);
    out << "  " << id(index) << " [label=" << label;
    if (view.leaf) {
      const bool mine = keys.count(m4k7::fieldOf(n)) != 0;
      out << (mine ? ", style=filled, fillcolor=lightblue" : ", style=dashed, color=gray50, fontcolor=gray50")
          << "];\n";
      return;
    }
    switch (view.list) {
    case m4k7::imageview::NodeView::List::Children:
      out << ", shape=ellipse];\n";
      for (uint32_t i = 0; i < view.count; ++i)
        edge(id(index), view.first + i, view.count > 1 ? std::to_string(i + 1) : "");
      return;
    case m4k7::imageview::NodeView::List::Cases:
      out << ", shape=diamond];\n";
      cases(index, view.first, view.count);
      return;
    default: out << ", color=red, fontcolor=red];\n"; return;
    }
  }
};

} // namespace

bool WriteDot(std::ostream &out, const m4k7::ImageDescriptor &image, const std::vector<uint32_t> &keys,
              std::string *error) {
  std::vector<std::pair<uint16_t, uint32_t>> starts;
  for (uint32_t key : keys) {
    uint32_t start = 0;
    const AccessStatus found = m4k7::FindKeyStart(image, key, &start);
    if (found != M4K7DB_OK) {
      *error = "key " + HexKey(uint16_t(key)) +
               (found == M4K7DB_UNKNOWN_KEY ? " is not in the key index"
                                            : ": the key index or its node is broken");
      return false;
    }
    starts.emplace_back(uint16_t(key), start);
  }
  out << "digraph m4k7db {\n"
      << "  rankdir=LR;\n"
      << "  node [shape=box, fontname=\"monospace\", fontsize=10];\n"
      << "  edge [fontname=\"monospace\", fontsize=9];\n";
  Graph g{image, {}, out, {}, {}, {}};
  for (const auto &s : starts) g.keys.insert(s.first);
  for (const auto &s : starts) {
    std::string k = "key" + std::to_string(s.first);
    out << "  " << k
        << " [label=" << DotQuote("key " + HexKey(s.first) + " (" + std::to_string(s.first) + ")")
        << ", shape=box, style=\"bold,rounded\"];\n";
    g.edge(k, s.second, "");
  }
  while (!g.queue.empty()) {
    uint32_t index = g.queue.front();
    g.queue.pop_front();
    g.node(index);
  }
  out << "}\n";
  return true;
}

} // namespace m4k7cli
