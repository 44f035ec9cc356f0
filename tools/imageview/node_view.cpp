#include "node_view.h"

#include <algorithm>
#include <cstdio>

#include "describe.h"
#include "engine/engine.h"

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

LeafSlice SliceOf(const ImageDescriptor &image, DbNode leaf) {
  const NodeKind k = kindOf(leaf);
  const uint32_t offset = operandOf(leaf), count = countOf(leaf);
  auto slice = [&](const char *pool, const char *unit, const void *base, uint64_t size, size_t width) {
    const bool fits = uint64_t(offset) + count <= size;
    const uint8_t *data = base && fits ? static_cast<const uint8_t *>(base) + offset * width : nullptr;
    return LeafSlice{pool, unit, size, fits, data, count * width};
  };
  switch (poolOf(k)) {
  case LeafPool::Short: return slice("ShortPool", "shorts", image.shortPool, image.shortCount, 2);
  case LeafPool::Int: return slice("IntPool", "ints", image.intPool, image.intCount, 4);
  default: return slice("BytePool", "bytes", image.bytePool, image.byteSize, 1);
  }
}

std::vector<int32_t> LeafInts(const ImageDescriptor &image, DbNode leaf) {
  std::vector<int32_t> values(countOf(leaf));
  uint32_t size = 0;
  const LeafDescriptor descriptor{leaf.word0, leaf.word1};
  if (FetchLeaf(image, nullptr, uint32_t(4 * values.size()), values.data(), &size, descriptor) != kOk)
    values.clear();
  return values;
}

AccessStatus FetchLeafBytes(const ImageDescriptor &image, const AccessRequest *request, LeafDescriptor leaf,
                            std::vector<uint8_t> *bytes) {
  bytes->clear();
  uint32_t size = 0;
  AccessStatus status = FetchLeaf(image, request, 0, nullptr, &size, leaf);
  if (status != kOk && status != kBufferTooSmall) return status;
  bytes->assign(std::max<uint32_t>(size, 1), 0);
  status = FetchLeaf(image, request, size, bytes->data(), &size, leaf);
  bytes->resize(status == kOk ? size : 0);
  return status;
}

std::string IntList(const std::vector<int32_t> &values) {
  std::string s = "[";
  for (size_t i = 0; i < values.size(); ++i) s += (i ? ", " : "") + std::to_string(values[i]);
  return s + "]";
}

namespace {

void DescribeLeaf(const ImageDescriptor &image, DbNode n, NodeView *view) {
  const NodeKind k = kindOf(n);
  const uint32_t count = countOf(n);
  std::string &text = view->text;
  text = KindName(uint8_t(k)) + " " + KeyLabel(fieldOf(n));
  if (k == NodeKind::NK_COMPUTED) {
    text += ": " + ComputedName(count) + " (" + std::to_string(count) + ")";
    return;
  }
  const LeafSlice slice = SliceOf(image, n);
  text += " x" + std::to_string(count) + " @" + slice.unit + " " + std::to_string(operandOf(n));
  if (!slice.data) {
    text += " (outside its pool)";
    return;
  }
  const uint8_t *p = slice.data;
  if (k == NodeKind::NK_WIDE) {
    const bool nul = count > 0 && p[count - 1] == 0;
    text += ": " + Escaped(p, nul ? count - 1 : count) + (nul ? "" : " (no NUL)");
    return;
  }
  if (k == NodeKind::NK_BYTES) {
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
  text += ": " + IntList(LeafInts(image, n));
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
  view.first = start;
  view.count = count;
  view.list = isSelectKind(k) ? NodeView::List::Cases : NodeView::List::Children;
  std::string on; // what the node compares, before its list
  switch (k) {
  case NodeKind::NK_SEQUENCE: break;
  case NodeKind::NK_GUARDED_SEQUENCE: on = " on I[" + field + "]"; break;
  case NodeKind::NK_GUARD: on = " =" + field; break;
  case NodeKind::NK_SELECT_PARAM: on = " on I[" + field + "]"; break;
  case NodeKind::NK_SELECT_STRING: on = " on S[" + field + "]"; break;
  case NodeKind::NK_SELECT_PRINTER_DATA: on = " on value " + field; break;
  case NodeKind::NK_SELECT_LOCALE: on = " source " + Hex16(fieldOf(n)); break;
  case NodeKind::NK_SELECT_MASKED:
    on = " on I[" + field + "]";
    if (image.nodes != nullptr && start < image.nodeCount &&
        kindOf(image.nodes[start]) == NodeKind::NK_MASK) {
      view.first = operandOf(image.nodes[start]);
      on += " & " + Hex32(image.nodes[start].word1) + " (mask node " + std::to_string(start) + ")";
      break;
    }
    view.text = "SELECT_MASKED" + on + ", mask node " + std::to_string(start) + " is not a mask";
    view.list = NodeView::List::None;
    view.count = 0;
    return view;
  default:
    // An entry or mask standing where a node is walked: show its words.
    view.text = KindName(uint8_t(k)) + " " + Hex32(n.word0) + " " + Hex32(n.word1) + " (not walkable)";
    view.list = NodeView::List::None;
    view.count = 0;
    return view;
  }
  const char *things = nodeOperandOf(k) == NodeOperand::Members ? " members @"
                       : view.list == NodeView::List::Children  ? " children @"
                       : count == 1                             ? " case @"
                                                                : " cases @";
  view.text = KindName(uint8_t(k)) + on + ", " + std::to_string(count) + things + std::to_string(view.first);
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
