// Selector nodes: guarded sequences, selects on an integer value (a
// parameter, a masked parameter, a printer-data value, the locale) and
// string selects. Each picks a target and walks it with the same key.
#include <cstring>

#include "api/work_copy.h"
#include "engine/walk_internal.h"

namespace m4k7::detail {

namespace {

bool HasIntParam(const AccessRequest *request, uint32_t index) {
  return request != nullptr && request->intParams != nullptr && index < request->intParamCount;
}

// Walks the chosen entry's target.
AccessStatus WalkTarget(const Walk &walk, const DbNode &entry, uint32_t depth) {
  const uint32_t target = operandOf(entry);
  if (target >= walk.image.nodeCount) return kFailed;
  return WalkIndex(walk, target, depth + 1);
}

// Finds key 8's start node, the tree that names printer-data values.
AccessStatus FindValueNameTree(const ImageDescriptor &image, uint32_t *node) {
  if (image.keys == nullptr || image.keyNodes == nullptr || image.nodes == nullptr || image.keyCount == 0)
    return kFailed;
  uint32_t i = 0;
  while (i < image.keyCount && image.keys[i] != kValueNameKey) ++i;
  if (i == image.keyCount) return kUnknownKey;
  if (image.keyNodes[i] >= image.nodeCount) return kFailed;
  *node = image.keyNodes[i];
  return kOk;
}

} // namespace

AccessStatus WalkGuardedSequence(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  const ImageDescriptor &image = walk.image;
  if (image.nodes == nullptr) return kFailed;
  const uint32_t start = operandOf(word0), count = countOf(word1), param = fieldOf(word1);
  if (count == 0) return kNotFound;
  for (uint32_t i = 0; i < count; ++i) {
    if (start + i >= image.nodeCount) return kFailed;
    const DbNode &child = image.nodes[start + i];
    if (kindOf(child) == NodeKind::NK_GUARD) {
      if (!HasIntParam(walk.request, param)) return kMissingInt;
      if (walk.request->intParams[param] != int32_t(uint32_t(fieldOf(child)))) continue;
    }
    const AccessStatus status = WalkAt(walk, child.word0, child.word1, depth + 1);
    if (status != kNotFound) return status;
  }
  return kNotFound;
}

AccessStatus WalkIntegerSelect(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  const ImageDescriptor &image = walk.image;
  const NodeKind kind = kindOf(word0);
  uint32_t start = operandOf(word0);
  const uint32_t count = countOf(word1), param = fieldOf(word1);
  uint32_t valueNameTree = 0;

  if (kind == NodeKind::NK_SELECT_PRINTER_DATA) {
    const AccessStatus found = FindValueNameTree(image, &valueNameTree);
    if (found != kOk) return found;
  }
  if (image.nodes == nullptr) return kFailed;

  uint32_t mask = 0xFFFFFFFFu;
  if (kind == NodeKind::NK_SELECT_MASKED) {
    if (start >= image.nodeCount) return kFailed;
    const DbNode &maskNode = image.nodes[start];
    if (kindOf(maskNode) != NodeKind::NK_MASK) return kFailed;
    mask = maskNode.word1;
    start = operandOf(maskNode);
  }

  int32_t value = 0;
  uint32_t first = 0; // scan position; a failed printer-data read jumps to the default
  if (kind == NodeKind::NK_SELECT_LOCALE) {
    if (ReadLocaleCountry(param, &value) != kOk) return kFailed;
  }
  if (kind == NodeKind::NK_SELECT_PRINTER_DATA) {
    LeafDescriptor name{};
    AccessStatus named;
    {
      WorkCopy copy(RequestTemplate::Root, nullptr);
      if (!copy) return kFailed;
      copy.ints()[0] = int32_t(param);
      const DbNode &tree = image.nodes[valueNameTree];
      named = WalkNode(image, kValueNameKey, copy.get(), tree.word0, tree.word1, &name);
    }
    if (named != kOk) return kFailed;
    if (walk.request == nullptr || walk.request->printerHandle == nullptr) return kNoPrinter;
    uint32_t stored = 0;
    const AccessStatus read = ReadPrinterDword(image, walk.request->printerHandle, name, &stored);
    if (read == kOk) {
      value = int32_t(stored);
    } else if (read == kNotFound) {
      if (count == 0) return kNotFound;
      if (start + count - 1 >= image.nodeCount) return kFailed;
      if (kindOf(image.nodes[start + count - 1]) != NodeKind::NK_DEFAULT) return kNotFound;
      first = count - 1;
    } else {
      return read;
    }
  }
  if (kind == NodeKind::NK_SELECT_PARAM || kind == NodeKind::NK_SELECT_MASKED) {
    if (walk.request == nullptr) return kFailed;
    if (!HasIntParam(walk.request, param)) return kMissingInt;
    value = walk.request->intParams[param];
  }
  if (kind == NodeKind::NK_SELECT_MASKED) value = int32_t(uint32_t(value) & mask);

  for (uint32_t i = first; i < count; ++i) {
    if (start + i >= image.nodeCount) return kFailed;
    const DbNode &entry = image.nodes[start + i];
    bool match = false;
    switch (kindOf(entry)) {
    case NodeKind::NK_CASE: match = uint32_t(value) == entry.word1; break;
    case NodeKind::NK_DEFAULT: match = true; break;
    case NodeKind::NK_RANGE_CASE: {
      const uint32_t j = entry.word1;
      if (image.intPool == nullptr || j >= image.intCount || j + 1 >= image.intCount) return kFailed;
      match = image.intPool[j] <= value && value <= image.intPool[j + 1];
      break;
    }
    default: return kFailed;
    }
    if (match) return WalkTarget(walk, entry, depth);
  }
  return kNotFound;
}

AccessStatus WalkStringSelect(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  const ImageDescriptor &image = walk.image;
  if (image.nodes == nullptr) return kFailed;
  const uint32_t start = operandOf(word0), count = countOf(word1), param = fieldOf(word1);
  if (count == 0) return kNotFound;
  for (uint32_t i = 0; i < count; ++i) {
    if (start + i >= image.nodeCount) return kFailed;
    const DbNode &entry = image.nodes[start + i];
    bool match = false;
    if (kindOf(entry) == NodeKind::NK_DEFAULT) {
      match = true;
    } else if (kindOf(entry) == NodeKind::NK_STRING_CASE) {
      const uint32_t s = entry.word1;
      if (s >= image.nodeCount) return kFailed;
      const DbNode &text = image.nodes[s];
      if (kindOf(text) != NodeKind::NK_BYTES) return kFailed;
      const uint32_t offset = operandOf(text), length = countOf(text);
      const AccessRequest *request = walk.request;
      if (request == nullptr || request->stringParams == nullptr || param >= request->stringParamCount)
        return kMissingString;
      const char *given = request->stringParams[param];
      if (given == nullptr) given = "";
      if (image.stringPool == nullptr || offset + length > image.stringSize) return kFailed;
      match = std::strlen(given) == length && std::memcmp(given, image.stringPool + offset, length) == 0;
    } else {
      return kFailed;
    }
    if (match) return WalkTarget(walk, entry, depth);
  }
  return kNotFound;
}

} // namespace m4k7::detail
