#include "node_view.h"

#include <cstdio>

#include "describe.h"

namespace m4k7::imageview {

std::string Escaped(const uint8_t *p, uint32_t n) {
  std::string s = "\"";
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t c = p[i];
    if (c == '"' || c == '\\') {
      s += '\\';
      s += char(c);
    } else if (c >= 0x20 && c < 0x7F) {
      s += char(c);
    } else {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02X", unsigned(c));
      s += esc;
    }
  }
  return s + "\"";
}

std::string HexBytes(const uint8_t *p, uint32_t n) {
  std::string s;
  for (uint32_t i = 0; i < n; ++i) {
    char h[4];
    std::snprintf(h, sizeof h, "%02X", unsigned(p[i]));
    if (i) s += ' ';
    s += h;
  }
  return s;
}

std::string Hex32(uint32_t v) {
  char h[12];
  std::snprintf(h, sizeof h, "0x%08X", unsigned(v));
  return h;
}

namespace {

void DescribeLeaf(const ImageDescriptor &image, DbNode n, NodeView *view) {
  const NodeKind k = kindOf(n);
  const uint32_t offset = operandOf(n), count = countOf(n);
  std::string &text = view->text;
  text = KindName(uint8_t(k)) + " " + KeyLabel(fieldOf(n));
  if (k == NodeKind::NK_COMPUTED) {
    text += ": " + ComputedName(count) + " (" + std::to_string(count) + ")";
    return;
  }
  const bool inBytes =
      k == NodeKind::NK_BYTES || k == NodeKind::NK_INT8 || k == NodeKind::NK_UINT8 || k == NodeKind::NK_WIDE;
  const bool inShorts = k == NodeKind::NK_INT16 || k == NodeKind::NK_UINT16;
  const uint64_t size = inBytes ? image.byteSize : inShorts ? image.shortCount : image.intCount;
  const bool present = inBytes    ? image.bytePool != nullptr
                       : inShorts ? image.shortPool != nullptr
                                  : image.intPool != nullptr;
  text += " x" + std::to_string(count) + " @" +
          (inBytes    ? "bytes "
           : inShorts ? "shorts "
                      : "ints ") +
          std::to_string(offset);
  if (!present || uint64_t(offset) + count > size) {
    text += " (outside its pool)";
    return;
  }
  if (k == NodeKind::NK_WIDE) {
    const uint8_t *p = image.bytePool + offset;
    const bool nul = count > 0 && p[count - 1] == 0;
    text += ": " + Escaped(p, nul ? count - 1 : count) + (nul ? "" : " (no NUL)");
    return;
  }
  if (k == NodeKind::NK_BYTES) {
    const uint8_t *p = image.bytePool + offset;
    if (count <= 32) {
      text += ": " + Escaped(p, count) + " = " + HexBytes(p, count);
      return;
    }
    text += ":";
    for (uint32_t i = 0; i < count; i += 32) {
      const uint32_t m = count - i < 32 ? count - i : 32;
      char pos[12];
      std::snprintf(pos, sizeof pos, "%04X: ", unsigned(i));
      view->more.push_back(pos + HexBytes(p + i, m) + "  " + Escaped(p + i, m));
    }
    return;
  }
  std::string values = "[";
  for (uint32_t i = 0; i < count; ++i) {
    int64_t v = 0;
    switch (k) {
    case NodeKind::NK_INT8: v = int8_t(image.bytePool[offset + i]); break;
    case NodeKind::NK_UINT8: v = image.bytePool[offset + i]; break;
    case NodeKind::NK_INT16: v = int16_t(image.shortPool[offset + i]); break;
    case NodeKind::NK_UINT16: v = image.shortPool[offset + i]; break;
    default: v = image.intPool[offset + i]; break;
    }
    if (i) values += ", ";
    values += std::to_string(v);
  }
  text += ": " + values + "]";
}

} // namespace

NodeView DescribeNode(const ImageDescriptor &image, DbNode n) {
  NodeView view;
  const NodeKind k = kindOf(n);
  if (isLeafKind(k)) {
    view.leaf = true;
    DescribeLeaf(image, n, &view);
    return view;
  }
  const uint32_t start = operandOf(n), count = countOf(n);
  const std::string field = std::to_string(fieldOf(n));
  const std::string list =
      std::to_string(count) + (count == 1 ? " case @" : " cases @") + std::to_string(start);
  const std::string children = std::to_string(count) + " children @" + std::to_string(start);
  view.first = start;
  view.count = count;
  view.list = NodeView::List::Cases;
  switch (k) {
  case NodeKind::NK_SEQUENCE:
    view.text = "SEQUENCE, " + children;
    view.list = NodeView::List::Children;
    break;
  case NodeKind::NK_GUARDED_SEQUENCE:
    view.text = "GUARDED_SEQUENCE on I[" + field + "], " + std::to_string(count) + " members @" +
                std::to_string(start);
    view.list = NodeView::List::Children;
    break;
  case NodeKind::NK_GUARD:
    view.text = "GUARD =" + field + ", " + children;
    view.list = NodeView::List::Children;
    break;
  case NodeKind::NK_SELECT_PARAM: view.text = "SELECT_PARAM on I[" + field + "], " + list; break;
  case NodeKind::NK_SELECT_STRING: view.text = "SELECT_STRING on S[" + field + "], " + list; break;
  case NodeKind::NK_SELECT_PRINTER_DATA:
    view.text = "SELECT_PRINTER_DATA on value " + field + ", " + list;
    break;
  case NodeKind::NK_SELECT_LOCALE:
    view.text = "SELECT_LOCALE source " + Hex16(fieldOf(n)) + ", " + list;
    break;
  case NodeKind::NK_SELECT_MASKED:
    view.text = "SELECT_MASKED on I[" + field + "]";
    if (image.nodes != nullptr && start < image.nodeCount &&
        kindOf(image.nodes[start]) == NodeKind::NK_MASK) {
      const DbNode m = image.nodes[start];
      view.first = operandOf(m);
      view.text += " & " + Hex32(m.word1) + " (mask node " + std::to_string(start) + "), " +
                   std::to_string(count) + (count == 1 ? " case @" : " cases @") + std::to_string(view.first);
    } else {
      view.text += ", mask node " + std::to_string(start) + " is not a mask";
      view.list = NodeView::List::None;
    }
    break;
  default:
    // An entry or mask standing where a node is walked: show its words.
    view.text = KindName(uint8_t(k)) + " " + Hex32(n.word0) + " " + Hex32(n.word1) + " (not walkable)";
    view.list = NodeView::List::None;
    break;
  }
  if (view.list == NodeView::List::None) view.count = 0;
  return view;
}

bool DescribeEntry(const ImageDescriptor &image, DbNode e, std::string *text) {
  switch (kindOf(e)) {
  case NodeKind::NK_CASE: *text = "CASE =" + std::to_string(int32_t(e.word1)); return true;
  case NodeKind::NK_DEFAULT: *text = "DEFAULT"; return true;
  case NodeKind::NK_RANGE_CASE: {
    const uint32_t j = e.word1;
    if (image.intPool && uint64_t(j) + 1 < image.intCount)
      *text = "RANGE_CASE " + std::to_string(image.intPool[j]) + ".." + std::to_string(image.intPool[j + 1]) +
              " (IntPool " + std::to_string(j) + ")";
    else
      *text = "RANGE_CASE IntPool " + std::to_string(j) + " (outside IntPool)";
    return true;
  }
  case NodeKind::NK_STRING_CASE: {
    const uint32_t s = e.word1;
    *text = "STRING_CASE ";
    if (image.nodes && s < image.nodeCount && kindOf(image.nodes[s]) == NodeKind::NK_BYTES &&
        image.stringPool && uint64_t(operandOf(image.nodes[s])) + countOf(image.nodes[s]) <= image.stringSize)
      *text += Escaped(reinterpret_cast<const uint8_t *>(image.stringPool) + operandOf(image.nodes[s]),
                       countOf(image.nodes[s]));
    else
      *text += "(bad string)";
    *text += " (string node " + std::to_string(s) + ")";
    return true;
  }
  default:
    *text = KindName(uint8_t(kindOf(e))) + " " + Hex32(e.word0) + " " + Hex32(e.word1) + " (not an entry)";
    return false;
  }
}

} // namespace m4k7::imageview
