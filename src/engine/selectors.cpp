#include "api/work_copy.h"
#include "engine/walk_internal.h"

namespace m4k7::detail {

namespace {

// The chosen case's target decides, even when it has no answer for the key.
AccessStatus WalkCaseTarget(const Walk &walk, const DbNode &chosen, uint32_t depth) {
  const uint32_t target = operandOf(chosen);
  if (target >= walk.image.nodeCount) return kFailed;
  return WalkIndex(walk, target, depth + 1);
}

// The selector P: a parameter index, the value-name selector or the locale
// source, by kind.
constexpr uint16_t parameterOf(uint32_t word1) { return fieldOf(word1); }

bool HasInt(const AccessRequest *request, uint32_t slot) {
  return request->intParams != nullptr && slot < request->intParamCount;
}

// Finds key 8's start node the way LookupKey does, without walking it.
AccessStatus FindValueNameTree(const ImageDescriptor &image, uint32_t *index) {
  if (image.keys == nullptr || image.keyNodes == nullptr || image.nodes == nullptr || image.keyCount == 0)
    return kFailed;
  uint32_t i = 0;
  while (i < image.keyCount && image.keys[i] != kValueNameKey) ++i;
  if (i == image.keyCount) return kUnknownKey;
  if (image.keyNodes[i] >= image.nodeCount) return kFailed;
  *index = image.keyNodes[i];
  return kOk;
}

// Walks key 8's tree from `nameTree` with I[0] = `number` on a work copy
// without a printer, so that the name never depends on the caller's
// parameters, and reads the printer's value of that name. The name must be
// an NK_WIDE leaf: one made by code could ask for the very value it names.
// `steps` and `depth` continue the walk that asks, so that a key-8 tree
// reaching a printer-data select again cannot recurse without end.
AccessStatus ReadValueOfName(const ImageDescriptor &image, PrinterHandle printer, uint32_t nameTree,
                             int32_t number, uint32_t *steps, uint32_t depth, uint32_t *value) {
  LeafDescriptor nameLeaf{};
  AccessStatus status;
  {
    WorkCopy copy(RequestTemplate::Root, nullptr);
    if (!copy) return kFailed;
    copy.ints()[0] = number;
    const Walk nameWalk{image, kValueNameKey, copy.get(), &nameLeaf, steps};
    status = WalkIndex(nameWalk, nameTree, depth);
  }
  if (status != kOk) return kFailed;
  if (printer == nullptr) return kNoPrinter;
  return ReadPrinterDword(image, printer, nameLeaf, value);
}

// The printer-data value a printer-data select compares. `first` is moved
// to the list's last entry when the value cannot be read and that entry is
// the default that covers it.
AccessStatus ReadSelectedPrinterValue(const Walk &walk, uint32_t nameTree, uint16_t selector, uint32_t start,
                                      uint32_t count, uint32_t depth, uint32_t *value, uint32_t *first) {
  const ImageDescriptor &image = walk.image;
  PrinterHandle printer = walk.request != nullptr ? walk.request->printerHandle : nullptr;
  const AccessStatus status =
      ReadValueOfName(image, printer, nameTree, selector, walk.steps, depth + 1, value);
  if (status == kOk) return kOk;
  if (status != kNotFound) return status;
  if (count == 0) return kNotFound;
  const uint32_t last = start + count - 1;
  if (last >= image.nodeCount) return kFailed;
  if (kindOf(image.nodes[last].word0) != NodeKind::NK_DEFAULT) return kNotFound;
  *first = count - 1;
  return kOk;
}

} // namespace

AccessStatus WalkGuardedSequence(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  const ImageDescriptor &image = walk.image;
  if (image.nodes == nullptr) return kFailed;
  const uint32_t start = operandOf(word0);
  const uint32_t count = countOf(word1);
  const uint16_t slot = parameterOf(word1);
  if (count == 0) return kNotFound;
  for (uint32_t i = 0; i < count; ++i) {
    if (start + i >= image.nodeCount) return kFailed;
    const DbNode &child = image.nodes[start + i];
    if (kindOf(child) == NodeKind::NK_GUARD) {
      if (walk.request == nullptr || !HasInt(walk.request, slot)) return kMissingInt;
      if (uint32_t(walk.request->intParams[slot]) != uint32_t(fieldOf(child))) continue;
    }
    const AccessStatus status = WalkAt(walk, child.word0, child.word1, depth + 1);
    if (status != kNotFound) return status;
  }
  return kNotFound;
}

AccessStatus WalkIntegerSelect(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  const ImageDescriptor &image = walk.image;
  const NodeKind kind = kindOf(word0);
  const uint16_t p = parameterOf(word1);
  const uint32_t count = countOf(word1);
  uint32_t start = operandOf(word0);
  uint32_t nameTree = 0;
  uint32_t mask = 0xFFFFFFFFu;
  uint32_t value = 0;
  uint32_t first = 0;

  if (kind == NodeKind::NK_SELECT_PRINTER_DATA) {
    const AccessStatus status = FindValueNameTree(image, &nameTree);
    if (status != kOk) return status;
  }
  if (image.nodes == nullptr) return kFailed;
  if (kind == NodeKind::NK_SELECT_MASKED) {
    if (start >= image.nodeCount) return kFailed;
    const DbNode &maskNode = image.nodes[start];
    if (kindOf(maskNode) != NodeKind::NK_MASK) return kFailed;
    mask = maskNode.word1;
    start = operandOf(maskNode);
  }
  if (kind == NodeKind::NK_SELECT_LOCALE) {
    int32_t country = 0;
    if (ReadLocaleCountry(p, &country) != kOk) return kFailed;
    value = uint32_t(country);
  }
  if (kind == NodeKind::NK_SELECT_PRINTER_DATA) {
    const AccessStatus status =
        ReadSelectedPrinterValue(walk, nameTree, p, start, count, depth, &value, &first);
    if (status != kOk) return status;
  }
  if (kind == NodeKind::NK_SELECT_PARAM || kind == NodeKind::NK_SELECT_MASKED) {
    if (walk.request == nullptr) return kFailed;
    if (!HasInt(walk.request, p)) return kMissingInt;
    value = uint32_t(walk.request->intParams[p]);
  }
  value &= mask;

  for (uint32_t i = first; i < count; ++i) {
    if (start + i >= image.nodeCount) return kFailed;
    const DbNode &entry = image.nodes[start + i];
    bool match = false;
    switch (kindOf(entry)) {
    case NodeKind::NK_CASE: match = value == entry.word1; break;
    case NodeKind::NK_DEFAULT: match = true; break;
    case NodeKind::NK_RANGE_CASE: {
      const uint32_t j = entry.word1;
      if (image.intPool == nullptr || j >= image.intCount || j + 1 >= image.intCount) return kFailed;
      const int32_t v = int32_t(value);
      match = image.intPool[j] <= v && v <= image.intPool[j + 1];
      break;
    }
    default: return kFailed;
    }
    if (!match) continue;
    return WalkCaseTarget(walk, entry, depth);
  }
  return kNotFound;
}

AccessStatus WalkStringSelect(const Walk &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  const ImageDescriptor &image = walk.image;
  if (image.nodes == nullptr) return kFailed;
  const uint32_t start = operandOf(word0);
  const uint32_t count = countOf(word1);
  const uint16_t slot = parameterOf(word1);
  if (count == 0) return kNotFound;
  for (uint32_t i = 0; i < count; ++i) {
    if (start + i >= image.nodeCount) return kFailed;
    const DbNode &entry = image.nodes[start + i];
    bool match = false;
    switch (kindOf(entry)) {
    case NodeKind::NK_DEFAULT: match = true; break;
    case NodeKind::NK_STRING_CASE: {
      const uint32_t s = entry.word1;
      if (s >= image.nodeCount) return kFailed;
      const DbNode &text = image.nodes[s];
      if (kindOf(text) != NodeKind::NK_BYTES) return kFailed;
      const uint32_t offset = operandOf(text);
      const uint32_t length = countOf(text);
      const AccessRequest *request = walk.request;
      if (request == nullptr || request->stringParams == nullptr || slot >= request->stringParamCount)
        return kMissingString;
      const char *param = request->stringParams[slot];
      if (param == nullptr) param = "";
      if (image.stringPool == nullptr || offset + length > image.stringSize) return kFailed;
      // Equal lengths and bytes; the parameter is read no further than one
      // byte past the pool string, so a long parameter costs nothing.
      const char *pooled = image.stringPool + offset;
      uint32_t k = 0;
      while (k < length && param[k] != '\0' && param[k] == pooled[k]) ++k;
      match = k == length && param[length] == '\0';
      break;
    }
    default: return kFailed;
    }
    if (!match) continue;
    return WalkCaseTarget(walk, entry, depth);
  }
  return kNotFound;
}

} // namespace m4k7::detail

namespace m4k7 {

AccessStatus ReadNamedPrinterValue(const ImageDescriptor &image, PrinterHandle printer, int32_t number,
                                   uint32_t *value) {
  uint32_t nameTree = 0;
  const AccessStatus status = detail::FindValueNameTree(image, &nameTree);
  if (status != kOk) return status;
  uint32_t steps = 0;
  return detail::ReadValueOfName(image, printer, nameTree, number, &steps, 0, value);
}

} // namespace m4k7
