#include "dot.h"

#include <algorithm>
#include <deque>
#include <ostream>
#include <set>

#include "decode.h"
#include "text.h"
#include "walk_trace.h"

namespace m4k7cli {

using m4k7::NodeKind;

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

  // An edge to a node index, or to a red node when the index is bad.
  void edge(const std::string &from, uint32_t to, const std::string &label) {
    std::string attrs = label.empty() ? "" : " [label=" + DotQuote(label) + "]";
    if (!image.nodes || to >= image.nodeCount) {
      std::string missing = "missing" + std::to_string(to);
      if (broken.insert(missing).second)
        out << "  " << missing << " [label=" << DotQuote("#" + std::to_string(to) + "\npast the node table")
            << ", color=red, fontcolor=red];\n";
      out << "  " << from << " -> " << missing << attrs << ";\n";
      return;
    }
    out << "  " << from << " -> " << id(to) << attrs << ";\n";
    if (seen.insert(to).second) queue.push_back(to);
  }

  std::string caseLabel(uint32_t entry, bool *ok) {
    *ok = true;
    if (!image.nodes || entry >= image.nodeCount) {
      *ok = false;
      return "";
    }
    m4k7::DbNode e = image.nodes[entry];
    switch (m4k7::kindOf(e)) {
    case NodeKind::NK_CASE: return "=" + std::to_string(int32_t(e.word1));
    case NodeKind::NK_DEFAULT: return "else";
    case NodeKind::NK_RANGE_CASE:
      if (image.intPool && uint64_t(e.word1) + 1 < image.intCount)
        return std::to_string(image.intPool[e.word1]) + ".." + std::to_string(image.intPool[e.word1 + 1]);
      return "range ?";
    case NodeKind::NK_STRING_CASE: {
      uint32_t s = e.word1;
      if (image.nodes && s < image.nodeCount && m4k7::kindOf(image.nodes[s]) == NodeKind::NK_BYTES &&
          image.stringPool) {
        uint32_t off = m4k7::operandOf(image.nodes[s]), len = m4k7::countOf(image.nodes[s]);
        if (uint64_t(off) + len <= image.stringSize)
          return QuoteBytes(std::string_view(image.stringPool + off, len));
      }
      return "string ?";
    }
    default: *ok = false; return "";
    }
  }

  // Draws the cases of a select as labelled edges to their targets.
  void cases(uint32_t from, uint32_t start, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
      bool ok = false;
      std::string label = caseLabel(start + i, &ok);
      if (!ok) {
        std::string bad = "bad" + std::to_string(start + i);
        if (broken.insert(bad).second)
          out << "  " << bad << " [label=" << DotQuote("#" + std::to_string(start + i) + "\nnot a case")
              << ", color=red, fontcolor=red];\n";
        out << "  " << id(from) << " -> " << bad << ";\n";
        continue;
      }
      edge(id(from), m4k7::operandOf(image.nodes[start + i]), label);
    }
  }

  std::string leafPreview(const m4k7::DbNode &n) {
    std::string slice = LeafSliceText(image, n.word0, n.word1);
    // Keep the values, drop the pool position, and keep labels short.
    if (size_t colon = slice.find(": ");
        colon != std::string::npos && m4k7::kindOf(n) != NodeKind::NK_COMPUTED)
      slice = slice.substr(colon + 2);
    if (slice.size() > 60) slice = slice.substr(0, 57) + "...";
    return slice;
  }

  void node(uint32_t index) {
    m4k7::DbNode n = image.nodes[index];
    NodeKind kind = m4k7::kindOf(n);
    uint32_t start = m4k7::operandOf(n);
    uint16_t count = m4k7::countOf(n);
    uint16_t field = m4k7::fieldOf(n);
    std::string head = "#" + std::to_string(index) + " ";
    switch (kind) {
    case NodeKind::NK_BYTES:
    case NodeKind::NK_INT32:
    case NodeKind::NK_INT8:
    case NodeKind::NK_INT16:
    case NodeKind::NK_UINT8:
    case NodeKind::NK_UINT16:
    case NodeKind::NK_WIDE:
    case NodeKind::NK_COMPUTED: {
      bool mine = keys.count(field) != 0;
      std::string label =
          head + NodeKindName(uint8_t(kind)) + "\nkey " + HexKey(field) + "\n" + leafPreview(n);
      out << "  " << id(index) << " [label=" << DotQuote(label)
          << (mine ? ", style=filled, fillcolor=lightblue" : ", style=dashed, color=gray50, fontcolor=gray50")
          << "];\n";
      return;
    }
    case NodeKind::NK_SEQUENCE:
    case NodeKind::NK_GUARD:
    case NodeKind::NK_GUARDED_SEQUENCE:
    case NodeKind::NK_CASE:
    case NodeKind::NK_DEFAULT: {
      std::string what = kind == NodeKind::NK_SEQUENCE ? "sequence"
                         : kind == NodeKind::NK_GUARD  ? "guard =" + std::to_string(field)
                         : kind == NodeKind::NK_GUARDED_SEQUENCE
                             ? "guarded on I[" + std::to_string(field) + "]"
                             : std::string(NodeKindName(uint8_t(kind)));
      out << "  " << id(index) << " [label=" << DotQuote(head + what) << ", shape=ellipse];\n";
      for (uint32_t i = 0; i < count; ++i) edge(id(index), start + i, count > 1 ? std::to_string(i + 1) : "");
      return;
    }
    case NodeKind::NK_SELECT_PARAM:
    case NodeKind::NK_SELECT_PRINTER_DATA:
    case NodeKind::NK_SELECT_LOCALE:
    case NodeKind::NK_SELECT_STRING:
    case NodeKind::NK_SELECT_MASKED: {
      std::string what = kind == NodeKind::NK_SELECT_PARAM    ? "select I[" + std::to_string(field) + "]"
                         : kind == NodeKind::NK_SELECT_STRING ? "select S[" + std::to_string(field) + "]"
                         : kind == NodeKind::NK_SELECT_PRINTER_DATA
                             ? "select printer value " + std::to_string(field)
                         : kind == NodeKind::NK_SELECT_LOCALE ? std::string("select locale country")
                                                              : "select I[" + std::to_string(field) + "] & ";
      uint32_t first = start;
      if (kind == NodeKind::NK_SELECT_MASKED) {
        if (start < image.nodeCount && m4k7::kindOf(image.nodes[start]) == NodeKind::NK_MASK) {
          what += Hex32(image.nodes[start].word1);
          first = m4k7::operandOf(image.nodes[start]);
        } else {
          what += "(no mask)";
          count = 0;
        }
      }
      out << "  " << id(index) << " [label=" << DotQuote(head + what) << ", shape=diamond];\n";
      cases(index, first, count);
      return;
    }
    default:
      out << "  " << id(index) << " [label=" << DotQuote(head + NodeKindName(uint8_t(kind)))
          << ", color=red, fontcolor=red];\n";
      return;
    }
  }
};

} // namespace

bool WriteDot(std::ostream &out, const m4k7::ImageDescriptor &image, const std::vector<uint32_t> &keys,
              std::string *error) {
  std::vector<std::pair<uint16_t, uint32_t>> starts;
  for (uint32_t key : keys) {
    uint32_t i = 0;
    while (image.keys && i < image.keyCount && image.keys[i] != uint16_t(key)) ++i;
    if (!image.keys || !image.keyNodes || i == image.keyCount) {
      *error = "key " + HexKey(uint16_t(key)) + " is not in the key index";
      return false;
    }
    starts.emplace_back(uint16_t(key), image.keyNodes[i]);
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
