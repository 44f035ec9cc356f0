#include "walk_trace.h"

#include <cstring>
#include <ostream>

#include "decode.h"
#include "engine/status.h"
#include "text.h"

namespace m4k7cli {

using m4k7::ImageDescriptor;
using m4k7::LeafDescriptor;
using m4k7::NodeKind;

namespace {

std::string nodeRef(uint32_t index) { return "node " + std::to_string(index); }

std::string statusText(AccessStatus s) {
  return std::string(m4k7::StatusName(s)) + " (" + std::to_string(s) + ")";
}

struct Tracer {
  const ImageDescriptor &image;
  uint32_t key;
  const AccessRequest *request;
  LeafDescriptor *leaf;

  AccessStatus fail(TraceNode *node, AccessStatus status, std::string why) {
    node->notes.push_back(std::move(why) + ": " + statusText(status));
    return node->result = status;
  }

  bool nodeAt(uint32_t index, m4k7::DbNode *out) const {
    if (!image.nodes || index >= image.nodeCount) return false;
    *out = image.nodes[index];
    return true;
  }

  // Walks the node at index into a new child of parent.
  AccessStatus child(TraceNode *parent, uint32_t index, uint32_t depth) {
    parent->children.emplace_back();
    TraceNode *c = &parent->children.back();
    c->index = index;
    m4k7::DbNode n = image.nodes[index];
    AccessStatus s = walk(c, n.word0, n.word1, depth + 1);
    return s;
  }

  AccessStatus walk(TraceNode *node, uint32_t w0, uint32_t w1, uint32_t depth) {
    node->word0 = w0;
    node->word1 = w1;
    uint8_t kind = uint8_t(w0 >> 24);
    if (depth > m4k7::kMaxWalkDepth) {
      node->what = NodeKindName(kind);
      return fail(node, M4K7DB_FAILED, "deeper than " + std::to_string(m4k7::kMaxWalkDepth) + " nodes");
    }
    switch (NodeKind(kind)) {
    case NodeKind::NK_BYTES:
    case NodeKind::NK_INT32:
    case NodeKind::NK_INT8:
    case NodeKind::NK_INT16:
    case NodeKind::NK_UINT8:
    case NodeKind::NK_UINT16:
    case NodeKind::NK_WIDE:
    case NodeKind::NK_COMPUTED: return walkLeaf(node, w0, w1);
    case NodeKind::NK_SEQUENCE:
    case NodeKind::NK_GUARD:
    case NodeKind::NK_CASE:
    case NodeKind::NK_DEFAULT: return walkSequence(node, w0, w1, depth);
    case NodeKind::NK_GUARDED_SEQUENCE: return walkGuarded(node, w0, w1, depth);
    case NodeKind::NK_SELECT_PARAM:
    case NodeKind::NK_SELECT_PRINTER_DATA:
    case NodeKind::NK_SELECT_LOCALE:
    case NodeKind::NK_SELECT_MASKED: return walkSelect(node, w0, w1, depth);
    case NodeKind::NK_SELECT_STRING: return walkString(node, w0, w1, depth);
    default:
      node->what = NodeKindName(kind);
      return fail(node, M4K7DB_FAILED, "a node of this kind cannot be walked");
    }
  }

  AccessStatus walkLeaf(TraceNode *node, uint32_t w0, uint32_t w1) {
    uint8_t kind = uint8_t(w0 >> 24);
    uint16_t leafKey = m4k7::fieldOf(w1);
    node->what = std::string(NodeKindName(kind)) + " leaf for key " + HexKey(leafKey);
    if (leafKey != uint16_t(key)) {
      node->otherKey = true;
      node->what += ", not this key: skipped";
      return node->result = M4K7DB_NOT_FOUND;
    }
    node->answers = true;
    node->what += ": answers";
    node->notes.push_back(LeafSliceText(image, w0, w1));
    leaf->word0 = w0;
    leaf->word1 = w1;
    return node->result = M4K7DB_OK;
  }

  AccessStatus walkSequence(TraceNode *node, uint32_t w0, uint32_t w1, uint32_t depth) {
    uint32_t start = m4k7::operandOf(w0);
    uint16_t count = m4k7::countOf(w1);
    NodeKind kind = m4k7::kindOf(w0);
    switch (kind) {
    case NodeKind::NK_GUARD:
      node->what = "NK_GUARD =" + std::to_string(m4k7::fieldOf(w1)) + ", walked as a sequence";
      break;
    case NodeKind::NK_CASE: node->what = "NK_CASE, walked as a sequence"; break;
    case NodeKind::NK_DEFAULT: node->what = "NK_DEFAULT, walked as a sequence"; break;
    default: node->what = "NK_SEQUENCE"; break;
    }
    node->what += " of " + std::to_string(count) + (count == 1 ? " child" : " children");
    if (count) node->what += " from node " + std::to_string(start);
    if (!image.nodes) return fail(node, M4K7DB_FAILED, "no node table");
    if (count == 0) return fail(node, M4K7DB_NOT_FOUND, "empty list");
    for (uint32_t i = 0; i < count; ++i) {
      if (start + i >= image.nodeCount)
        return fail(node, M4K7DB_FAILED, nodeRef(start + i) + " is past the node table");
      AccessStatus s = child(node, start + i, depth);
      if (s != M4K7DB_NOT_FOUND) return node->result = s;
    }
    return node->result = M4K7DB_NOT_FOUND;
  }

  // "I[P] = v (parameter)", or why it cannot be read.
  bool intParam(uint16_t p, int32_t *v) const {
    if (!request || !request->intParams || p >= request->intParamCount) return false;
    *v = request->intParams[p];
    return true;
  }

  std::string slotsText(uint32_t count, const char *what) const {
    return std::to_string(count) + " " + what + " slot" + (count == 1 ? "" : "s");
  }

  AccessStatus walkGuarded(TraceNode *node, uint32_t w0, uint32_t w1, uint32_t depth) {
    uint32_t start = m4k7::operandOf(w0);
    uint16_t count = m4k7::countOf(w1);
    uint16_t p = m4k7::fieldOf(w1);
    node->what =
        "NK_GUARDED_SEQUENCE on I[" + std::to_string(p) + "], " + std::to_string(count) + " children";
    if (count) node->what += " from node " + std::to_string(start);
    if (!image.nodes) return fail(node, M4K7DB_FAILED, "no node table");
    if (count == 0) return fail(node, M4K7DB_NOT_FOUND, "empty list");
    bool noted = false;
    for (uint32_t i = 0; i < count; ++i) {
      m4k7::DbNode c;
      if (!nodeAt(start + i, &c))
        return fail(node, M4K7DB_FAILED, nodeRef(start + i) + " is past the node table");
      if (m4k7::kindOf(c) == NodeKind::NK_GUARD) {
        int32_t v = 0;
        if (!intParam(p, &v))
          return fail(node, M4K7DB_MISSING_INT,
                      "guard " + nodeRef(start + i) + " needs I[" + std::to_string(p) +
                          "], the request has " +
                          slotsText(request && request->intParams ? request->intParamCount : 0, "integer"));
        if (!noted) {
          node->notes.push_back("I[" + std::to_string(p) + "] = " + std::to_string(v) + " (parameter)");
          noted = true;
        }
        uint32_t guard = m4k7::fieldOf(c);
        if (uint32_t(v) != guard) {
          node->children.emplace_back();
          TraceNode &skipped = node->children.back();
          skipped.index = start + i;
          skipped.word0 = c.word0;
          skipped.word1 = c.word1;
          skipped.what =
              "NK_GUARD =" + std::to_string(guard) + ": I[" + std::to_string(p) + "] differs, skipped";
          skipped.notWalked = true;
          skipped.result = M4K7DB_NOT_FOUND;
          continue;
        }
      }
      AccessStatus s = child(node, start + i, depth);
      if (s != M4K7DB_NOT_FOUND) return node->result = s;
    }
    return node->result = M4K7DB_NOT_FOUND;
  }

  // The text a wide value-name leaf holds.
  std::string valueName(const LeafDescriptor &d) const {
    uint32_t off = m4k7::operandOf(d.word0);
    uint32_t n = m4k7::countOf(d.word1);
    if (!image.bytePool || uint64_t(off) + n > image.byteSize) return "?";
    std::string name(reinterpret_cast<const char *>(image.bytePool + off), n);
    if (size_t nul = name.find('\0'); nul != std::string::npos) name.resize(nul);
    return name;
  }

  AccessStatus walkSelect(TraceNode *node, uint32_t w0, uint32_t w1, uint32_t depth) {
    NodeKind kind = m4k7::kindOf(w0);
    uint32_t start = m4k7::operandOf(w0);
    uint16_t count = m4k7::countOf(w1);
    uint16_t p = m4k7::fieldOf(w1);
    std::string on = kind == NodeKind::NK_SELECT_PRINTER_DATA ? "printer-data value " + std::to_string(p)
                     : kind == NodeKind::NK_SELECT_LOCALE
                         ? "the locale's country code (source " + HexKey(p) + ")"
                         : "I[" + std::to_string(p) + "]";
    node->what =
        std::string(NodeKindName(uint8_t(kind))) + " on " + on + ", " + std::to_string(count) + " cases";

    uint32_t valueNameNode = 0;
    if (kind == NodeKind::NK_SELECT_PRINTER_DATA) {
      if (!image.keys || !image.keyNodes || !image.nodes || image.keyCount == 0)
        return fail(node, M4K7DB_FAILED, "no key index or node table for the value-name key 8");
      uint32_t i = 0;
      while (i < image.keyCount && image.keys[i] != m4k7::kValueNameKey) ++i;
      if (i == image.keyCount)
        return fail(node, M4K7DB_UNKNOWN_KEY, "the value-name key 8 is not in the key index");
      valueNameNode = image.keyNodes[i];
      if (valueNameNode >= image.nodeCount)
        return fail(node, M4K7DB_FAILED, "key 8's node is past the node table");
    }
    if (!image.nodes) return fail(node, M4K7DB_FAILED, "no node table");
    uint32_t mask = 0;
    if (kind == NodeKind::NK_SELECT_MASKED) {
      m4k7::DbNode m;
      if (!nodeAt(start, &m))
        return fail(node, M4K7DB_FAILED, "the mask " + nodeRef(start) + " is past the node table");
      if (m4k7::kindOf(m) != NodeKind::NK_MASK)
        return fail(node, M4K7DB_FAILED, nodeRef(start) + " is not an NK_MASK");
      mask = m.word1;
      node->notes.push_back("mask " + Hex32(mask) + " (" + nodeRef(start) + ")");
      start = m4k7::operandOf(m);
    }
    node->what += count ? " from node " + std::to_string(start) : "";

    int32_t v = 0;
    uint32_t first = 0;
    if (kind == NodeKind::NK_SELECT_LOCALE) {
      if (m4k7::ReadLocaleCountry(p, &v) != M4K7DB_OK)
        return fail(node, M4K7DB_FAILED, "the locale cannot be read");
      node->notes.push_back("country code = " + std::to_string(v) + " (locale)");
    }
    if (kind == NodeKind::NK_SELECT_PRINTER_DATA) {
      // The value's name: key 8 walked with I[0] = P and no printer.
      int32_t nameInts[1] = {int32_t(p)};
      const char *nameStrings[1] = {nullptr};
      AccessRequest nameRequest{};
      nameRequest.intParamCount = 1;
      nameRequest.intParams = nameInts;
      nameRequest.stringParamCount = 1;
      nameRequest.stringParams = nameStrings;
      node->children.emplace_back();
      TraceNode *nameNode = &node->children.back();
      LeafDescriptor nameLeaf{};
      Tracer nameTracer{image, m4k7::kValueNameKey, &nameRequest, &nameLeaf};
      nameNode->index = valueNameNode;
      AccessStatus s = nameTracer.walk(nameNode, image.nodes[valueNameNode].word0,
                                       image.nodes[valueNameNode].word1, depth + 1);
      nameNode->what = "value name: key 8 with I[0] = " + std::to_string(p) + ": " + nameNode->what;
      if (s != M4K7DB_OK) return fail(node, M4K7DB_FAILED, "key 8 names no value for " + std::to_string(p));
      std::string name = valueName(nameLeaf);
      if (!request || !request->printerHandle)
        return fail(node, M4K7DB_NO_PRINTER,
                    "\"" + name + "\" is read from the printer, and no printer is open");
      uint32_t read = 0;
      AccessStatus r = m4k7::ReadPrinterDword(image, request->printerHandle, nameLeaf, &read);
      if (r == M4K7DB_OK) {
        v = int32_t(read);
        node->notes.push_back(name + " = " + std::to_string(v) + " (printer data)");
      } else if (r == M4K7DB_NOT_FOUND) {
        node->notes.push_back(name + " cannot be read from the printer (printer data)");
        m4k7::DbNode last;
        if (count == 0 || !nodeAt(start + count - 1, &last) || m4k7::kindOf(last) != NodeKind::NK_DEFAULT)
          return fail(node, M4K7DB_NOT_FOUND, "no default to take");
        first = count - 1;
        node->notes.push_back("taking the default, the last case");
      } else {
        return fail(node, r, "the printer-data read failed");
      }
    }
    if (kind == NodeKind::NK_SELECT_PARAM || kind == NodeKind::NK_SELECT_MASKED) {
      if (!request) return fail(node, M4K7DB_FAILED, "no request");
      if (!intParam(p, &v))
        return fail(node, M4K7DB_MISSING_INT,
                    "needs I[" + std::to_string(p) + "], the request has " +
                        slotsText(request->intParams ? request->intParamCount : 0, "integer"));
      if (kind == NodeKind::NK_SELECT_MASKED) {
        int32_t raw = v;
        v = int32_t(uint32_t(v) & mask);
        node->notes.push_back("I[" + std::to_string(p) + "] = " + std::to_string(raw) +
                              " (parameter), masked: " + std::to_string(v) + " (" + Hex32(uint32_t(v)) + ")");
      } else {
        node->notes.push_back("I[" + std::to_string(p) + "] = " + std::to_string(v) + " (parameter)");
      }
    }

    for (uint32_t i = first;; ++i) {
      if (i >= count) return fail(node, M4K7DB_NOT_FOUND, "no case matched among " + std::to_string(count));
      m4k7::DbNode e;
      if (!nodeAt(start + i, &e))
        return fail(node, M4K7DB_FAILED, "case " + nodeRef(start + i) + " is past the node table");
      bool match = false;
      std::string label;
      switch (m4k7::kindOf(e)) {
      case NodeKind::NK_CASE:
        match = uint32_t(v) == e.word1;
        label = "case =" + std::to_string(int32_t(e.word1));
        break;
      case NodeKind::NK_DEFAULT:
        match = true;
        label = "default";
        break;
      case NodeKind::NK_RANGE_CASE: {
        uint32_t j = e.word1;
        if (!image.intPool || uint64_t(j) + 1 >= image.intCount)
          return fail(node, M4K7DB_FAILED, "range " + nodeRef(start + i) + " names bounds past the IntPool");
        int32_t lo = image.intPool[j], hi = image.intPool[j + 1];
        match = lo <= v && v <= hi;
        label = "range " + std::to_string(lo) + ".." + std::to_string(hi);
        break;
      }
      default:
        return fail(node, M4K7DB_FAILED,
                    nodeRef(start + i) + " is a " + NodeKindName(uint8_t(m4k7::kindOf(e))) + ", not a case");
      }
      if (!match) continue;
      uint32_t target = m4k7::operandOf(e);
      node->notes.push_back(label + " matched (entry " + std::to_string(i + 1) + " of " +
                            std::to_string(count) + ", " + nodeRef(start + i) + ") -> " + nodeRef(target));
      if (target >= image.nodeCount) return fail(node, M4K7DB_FAILED, "the target is past the node table");
      return node->result = child(node, target, depth);
    }
  }

  AccessStatus walkString(TraceNode *node, uint32_t w0, uint32_t w1, uint32_t depth) {
    uint32_t start = m4k7::operandOf(w0);
    uint16_t count = m4k7::countOf(w1);
    uint16_t p = m4k7::fieldOf(w1);
    node->what = "NK_SELECT_STRING on S[" + std::to_string(p) + "], " + std::to_string(count) + " cases";
    if (count) node->what += " from node " + std::to_string(start);
    if (!image.nodes) return fail(node, M4K7DB_FAILED, "no node table");
    if (count == 0) return fail(node, M4K7DB_NOT_FOUND, "empty list");
    bool noted = false;
    for (uint32_t i = 0; i < count; ++i) {
      m4k7::DbNode e;
      if (!nodeAt(start + i, &e))
        return fail(node, M4K7DB_FAILED, "case " + nodeRef(start + i) + " is past the node table");
      bool match = false;
      std::string label;
      if (m4k7::kindOf(e) == NodeKind::NK_DEFAULT) {
        match = true;
        label = "default";
      } else if (m4k7::kindOf(e) == NodeKind::NK_STRING_CASE) {
        m4k7::DbNode s;
        if (!nodeAt(e.word1, &s))
          return fail(node, M4K7DB_FAILED, "string " + nodeRef(e.word1) + " is past the node table");
        if (m4k7::kindOf(s) != NodeKind::NK_BYTES)
          return fail(node, M4K7DB_FAILED, "string " + nodeRef(e.word1) + " is not an NK_BYTES string node");
        uint32_t off = m4k7::operandOf(s), len = m4k7::countOf(s);
        if (!request || !request->stringParams || p >= request->stringParamCount)
          return fail(
              node, M4K7DB_MISSING_STRING,
              "needs S[" + std::to_string(p) + "], the request has " +
                  slotsText(request && request->stringParams ? request->stringParamCount : 0, "string"));
        const char *param = request->stringParams[p] ? request->stringParams[p] : "";
        if (!noted) {
          node->notes.push_back("S[" + std::to_string(p) + "] = " + QuoteBytes(param) + " (parameter)");
          noted = true;
        }
        if (!image.stringPool || uint64_t(off) + len > image.stringSize)
          return fail(node, M4K7DB_FAILED, "string " + nodeRef(e.word1) + " lies past the StringPool");
        match = std::strlen(param) == len && std::memcmp(param, image.stringPool + off, len) == 0;
        label = "string case " + QuoteBytes(std::string_view(image.stringPool + off, len));
      } else {
        return fail(node, M4K7DB_FAILED,
                    nodeRef(start + i) + " is a " + NodeKindName(uint8_t(m4k7::kindOf(e))) +
                        ", not a string case");
      }
      if (!match) continue;
      uint32_t target = m4k7::operandOf(e);
      node->notes.push_back(label + " matched (entry " + std::to_string(i + 1) + " of " +
                            std::to_string(count) + ", " + nodeRef(start + i) + ") -> " + nodeRef(target));
      if (target >= image.nodeCount) return fail(node, M4K7DB_FAILED, "the target is past the node table");
      return node->result = child(node, target, depth);
    }
    return fail(node, M4K7DB_NOT_FOUND, "no string case matched among " + std::to_string(count));
  }
};

} // namespace

AccessStatus TraceWalk(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                       uint32_t index, TraceNode *node, LeafDescriptor *leaf) {
  *node = TraceNode{};
  node->index = index;
  if (!image.nodes || index >= image.nodeCount) {
    node->what = nodeRef(index);
    node->notes.push_back("past the node table");
    return node->result = M4K7DB_FAILED;
  }
  Tracer t{image, key, request, leaf};
  return t.walk(node, image.nodes[index].word0, image.nodes[index].word1, 0);
}

AccessStatus TraceLookup(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                         TraceNode *root, LeafDescriptor *leaf, std::vector<std::string> *notes) {
  *root = TraceNode{};
  if (!image.keys || !image.keyNodes || image.keyCount == 0) {
    notes->push_back("the image has no key index: " + statusText(M4K7DB_FAILED));
    return M4K7DB_FAILED;
  }
  uint32_t i = 0;
  while (i < image.keyCount && image.keys[i] != uint16_t(key)) ++i;
  if (i == image.keyCount) {
    notes->push_back("key " + HexKey(uint16_t(key)) + " is not among the " + std::to_string(image.keyCount) +
                     " keys of the index: " + statusText(M4K7DB_UNKNOWN_KEY));
    return M4K7DB_UNKNOWN_KEY;
  }
  uint32_t index = image.keyNodes[i];
  if (!image.nodes || index >= image.nodeCount) {
    notes->push_back("index entry " + std::to_string(i) + " names " + nodeRef(index) +
                     ", past the node table: " + statusText(M4K7DB_FAILED));
    return M4K7DB_FAILED;
  }
  notes->push_back("key index entry " + std::to_string(i) + ": key " + HexKey(uint16_t(key)) + " starts at " +
                   nodeRef(index));
  return TraceWalk(image, key, request, index, root, leaf);
}

std::string LeafSliceText(const ImageDescriptor &image, uint32_t w0, uint32_t w1) {
  NodeKind kind = m4k7::kindOf(w0);
  uint32_t off = m4k7::operandOf(w0);
  uint32_t n = m4k7::countOf(w1);
  auto range = [&](const char *pool) {
    return std::string(pool) + "[" + std::to_string(off) + (n ? ".." + std::to_string(off + n - 1) : "") +
           "], " + std::to_string(n) + (n == 1 ? " element" : " elements");
  };
  auto beyond = [&](const char *pool) { return range(pool) + ": past the end of the pool"; };
  switch (kind) {
  case NodeKind::NK_COMPUTED: {
    std::string name = ComputedName(uint16_t(n));
    return "computed value " + std::to_string(n) + (name.empty() ? "" : " (" + name + ")") + ", made by code";
  }
  case NodeKind::NK_INT32: {
    if (!image.intPool || uint64_t(off) + n > image.intCount) return beyond("IntPool");
    std::string text = range("IntPool") + ":";
    for (uint32_t i = 0; i < n; ++i) text += " " + std::to_string(image.intPool[off + i]);
    return text;
  }
  case NodeKind::NK_INT16:
  case NodeKind::NK_UINT16: {
    if (!image.shortPool || uint64_t(off) + n > image.shortCount) return beyond("ShortPool");
    std::string text = range("ShortPool") + ":";
    for (uint32_t i = 0; i < n; ++i) {
      uint16_t s = image.shortPool[off + i];
      text += " " + std::to_string(kind == NodeKind::NK_INT16 ? int32_t(int16_t(s)) : int32_t(s));
    }
    return text;
  }
  case NodeKind::NK_INT8:
  case NodeKind::NK_UINT8:
  case NodeKind::NK_BYTES:
  case NodeKind::NK_WIDE: {
    if (!image.bytePool || uint64_t(off) + n > image.byteSize) return beyond("BytePool");
    const uint8_t *b = image.bytePool + off;
    std::string text = range("BytePool") + ":";
    if (kind == NodeKind::NK_INT8 || kind == NodeKind::NK_UINT8) {
      for (uint32_t i = 0; i < n; ++i)
        text += " " + std::to_string(kind == NodeKind::NK_INT8 ? int32_t(int8_t(b[i])) : int32_t(b[i]));
    } else if (kind == NodeKind::NK_WIDE) {
      text += " " + QuoteBytes(std::string_view(reinterpret_cast<const char *>(b), n));
    } else {
      const uint32_t shown = n > 48 ? 48 : n;
      text += " " + HexBytes(b, shown) + (shown < n ? " ..." : "");
    }
    return text;
  }
  default: return "not a leaf";
  }
}

namespace {

void writeNode(std::ostream &out, const TraceNode &node, int indent, bool brief) {
  std::string pad(size_t(indent), ' ');
  std::string head = node.index == kNoNodeIndex ? "" : nodeRef(node.index) + ": ";
  out << pad << head << node.what << '\n';
  std::string notePad(size_t(indent + 4), ' ');
  for (const std::string &note : node.notes) out << notePad << note << '\n';
  size_t quiet = 0;
  for (const TraceNode &c : node.children) {
    if (brief && c.result == M4K7DB_NOT_FOUND && c.what.rfind("value name", 0) != 0) {
      ++quiet;
      continue;
    }
    writeNode(out, c, indent + 2, brief);
  }
  if (quiet)
    out << std::string(size_t(indent + 2), ' ') << "(" << quiet << " other "
        << (quiet == 1 ? "child" : "children") << " gave no answer)\n";
}

} // namespace

void WriteTrace(std::ostream &out, const TraceNode &node, int indent, bool brief) {
  writeNode(out, node, indent, brief);
}

Json TraceJson(const TraceNode &node) {
  Json j = Json::object();
  if (node.index != kNoNodeIndex) j.set("node", node.index);
  j.set("kind", NodeKindName(uint8_t(node.word0 >> 24)));
  j.set("words", Json::arrayOf(std::vector<std::string>{HexWord(node.word0), HexWord(node.word1)}));
  j.set("what", node.what);
  if (!node.notes.empty()) j.set("notes", Json::arrayOf(node.notes));
  j.set("result", node.result);
  if (node.answers) j.set("answers", true);
  if (node.otherKey) j.set("otherKey", true);
  if (!node.children.empty()) {
    Json children = Json::array();
    for (const TraceNode &c : node.children) children.push(TraceJson(c));
    j.set("children", std::move(children));
  }
  return j;
}

} // namespace m4k7cli
