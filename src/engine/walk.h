// The node walk, written once over an observer type. The module's lookups
// and list services use the default NoObserver, which compiles away; tools
// that show a walk pass an observer of their own. Depth counts the nodes
// entered on the way down from the walk's start, so that a corrupted image
// with a cycle fails instead of exhausting the stack.
#pragma once

#include "engine/engine.h"
#include "engine/walk_observer.h"
#include "engine/work_copy.h"

namespace m4k7 {

namespace detail {

// A walk's allowance of nodes, counted down as it enters them.
inline constexpr int32_t kMaxWalkStepsLeft = int32_t(kMaxWalkSteps);

// What every step of one walk shares: the key it looks for, the request
// the selectors read, the descriptor a matching leaf fills and the observer.
template <class Observer> struct Walk {
  const ImageDescriptor &image;
  uint16_t key;
  const AccessRequest *request;
  LeafDescriptor *descriptor;
  // Nodes the walk may still enter (kMaxWalkSteps at its start); a walk
  // nested in this one continues the count and hands it back. Kept in the
  // record rather than behind a pointer, since every node entered counts.
  mutable int32_t stepsLeft;
  [[no_unique_address]] Observer observer;
};

// Finds key 8's start node the way LookupKey does, without walking it.
AccessStatus FindValueNameTree(const ImageDescriptor &image, uint32_t *index);

template <class O> AccessStatus Stop(const Walk<O> &walk, WalkStop stop, AccessStatus status) {
  walk.observer.Stopped(stop, status);
  return status;
}

template <class O>
AccessStatus WalkAt(const Walk<O> &walk, uint32_t index, uint32_t word0, uint32_t word1, uint32_t depth);

// Every node entered passes the walk's bounds: 0, or the status of the
// bound it meets.
template <class O> inline AccessStatus Enter(const Walk<O> &walk, uint32_t depth) {
  if (depth >= kMaxWalkDepth) return Stop(walk, WalkStop::TooDeep, kFailed);
  if (--walk.stepsLeft < 0) return Stop(walk, WalkStop::TooManySteps, kFailed);
  return kOk;
}

// Every node entered passes the walk's bounds; a leaf then answers its own
// key and is skipped by any other. The leaf's words are read where they are
// needed, so a leaf in the table costs the skip no more than its key.
template <class O> inline AccessStatus WalkLeaf(const Walk<O> &walk, const DbNode &leaf, uint32_t depth) {
  if (const AccessStatus bound = Enter(walk, depth); bound != kOk) return bound;
  // Several keys may share a start node; a leaf answers only its own key.
  const bool answers = fieldOf(leaf.word1) == walk.key;
  walk.observer.Leaf(answers);
  if (!answers) return kNotFound;
  walk.descriptor->word0 = leaf.word0;
  walk.descriptor->word1 = leaf.word1;
  return kOk;
}

// Walks a node of a list or a case's target. Most are leaves, which are
// answered here without a call; the others recurse through WalkAt.
template <class O>
inline AccessStatus WalkChild(const Walk<O> &walk, uint32_t index, const DbNode &node, uint32_t depth) {
  if (!isLeafKind(kindOf(node.word0))) return WalkAt(walk, index, node.word0, node.word1, depth);
  walk.observer.Entered(index, node.word0, node.word1);
  const AccessStatus status = WalkLeaf(walk, node, depth);
  walk.observer.Left(status);
  return status;
}

template <class O> inline AccessStatus WalkIndex(const Walk<O> &walk, uint32_t index, uint32_t depth) {
  return WalkChild(walk, index, walk.image.nodes[index], depth);
}

// How many of a list's `count` entries from `start` lie in the node table.
// A walk reaches the entries before the first one outside in order, and
// fails only when it comes to that one.
inline uint32_t EntriesInTable(const ImageDescriptor &image, uint32_t start, uint32_t count) {
  const uint32_t room = image.nodeCount > start ? image.nodeCount - start : 0;
  return count < room ? count : room;
}

// Sequences, guards, cases and defaults walk their list in order; the first
// child that answers anything but "not mine" decides, failures included.
template <class O>
inline AccessStatus WalkSequence(const Walk<O> &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  if (walk.image.nodes == nullptr) return Stop(walk, WalkStop::NoNodeTable, kFailed);
  const uint32_t start = operandOf(word0);
  const uint32_t count = countOf(word1);
  if (count == 0) return Stop(walk, WalkStop::EmptyList, kNotFound);
  const uint32_t inTable = EntriesInTable(walk.image, start, count);
  const DbNode *children = walk.image.nodes + start;
  for (uint32_t i = 0; i < inTable; ++i) {
    const AccessStatus status = WalkChild(walk, start + i, children[i], depth + 1);
    if (status != kNotFound) return status;
  }
  if (inTable < count) return Stop(walk, WalkStop::PastNodeTable, kFailed);
  return kNotFound;
}

inline bool HasInt(const AccessRequest *request, uint32_t slot) {
  return request->intParams != nullptr && slot < request->intParamCount;
}

// The guards compare I[P], read when the first guard is met: children before
// it are walked even when the request lacks the slot.
template <class O>
AccessStatus WalkGuardedSequence(const Walk<O> &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  const ImageDescriptor &image = walk.image;
  if (image.nodes == nullptr) return Stop(walk, WalkStop::NoNodeTable, kFailed);
  const uint32_t start = operandOf(word0);
  const uint32_t count = countOf(word1);
  const uint16_t slot = fieldOf(word1);
  if (count == 0) return Stop(walk, WalkStop::EmptyList, kNotFound);
  const uint32_t inTable = EntriesInTable(image, start, count);
  uint32_t i = 0;
  for (; i < inTable && kindOf(image.nodes[start + i]) != NodeKind::NK_GUARD; ++i) {
    const AccessStatus status = WalkIndex(walk, start + i, depth + 1);
    if (status != kNotFound) return status;
  }
  if (i < inTable) {
    if (walk.request == nullptr || !HasInt(walk.request, slot))
      return Stop(walk, WalkStop::MissingInt, kMissingInt);
    const uint32_t value = uint32_t(walk.request->intParams[slot]);
    const DbNode *members = image.nodes + start;
    for (; i < inTable; ++i) {
      // Guards that differ are passed over reading only their kind and value.
      const DbNode *member = members + i;
      for (; member != members + inTable && kindOf(member->word0) == NodeKind::NK_GUARD &&
             uint32_t(fieldOf(member->word1)) != value;
           ++member)
        walk.observer.Guard(start + uint32_t(member - members), slot, int32_t(value), false);
      i = uint32_t(member - members);
      if (i == inTable) break;
      const uint32_t word0Of = members[i].word0;
      const uint32_t word1Of = members[i].word1;
      AccessStatus status;
      if (kindOf(word0Of) == NodeKind::NK_GUARD) {
        // A guard that passes is a sequence: walked here, without the kind
        // dispatch.
        walk.observer.Guard(start + i, slot, int32_t(value), true);
        walk.observer.Entered(start + i, word0Of, word1Of);
        status = Enter(walk, depth + 1);
        if (status == kOk) status = WalkSequence(walk, word0Of, word1Of, depth + 1);
        walk.observer.Left(status);
      } else {
        status = WalkChild(walk, start + i, members[i], depth + 1);
      }
      if (status != kNotFound) return status;
    }
  }
  if (inTable < count) return Stop(walk, WalkStop::PastNodeTable, kFailed);
  return kNotFound;
}

// No node: a chosen target lies below nodeCount.
inline constexpr uint32_t kNoTarget = UINT32_MAX;

// A select ends by choosing a case: 0 and the case's target in *target,
// which WalkEntered walks in its place (the target decides, even when it has
// no answer for the key); any other status decides the select.
template <class O> AccessStatus ChooseTarget(const Walk<O> &walk, const DbNode &chosen, uint32_t *target) {
  const uint32_t t = operandOf(chosen);
  if (t >= walk.image.nodeCount) return Stop(walk, WalkStop::PastNodeTable, kFailed);
  *target = t;
  return kOk;
}

// Walks key 8's tree from `nameTree` with I[0] = `number` on a work copy
// without a printer, so that the name never depends on the caller's
// parameters: the walk's status, and the name's leaf when it is 0.
// `stepsLeft` and `depth` continue the walk that asks, so that a key-8 tree
// reaching a printer-data select again cannot recurse without end.
template <class O>
AccessStatus WalkValueName(const Walk<O> &asking, uint32_t nameTree, int32_t number, uint32_t depth,
                           LeafDescriptor *nameLeaf) {
  WorkCopy copy(RequestTemplate::Root, nullptr);
  if (!copy) return Stop(asking, WalkStop::NoWorkCopy, kFailed);
  copy.ints()[0] = number;
  asking.observer.ValueName(number);
  const Walk<O> nameWalk{asking.image, kValueNameKey,    copy.get(),
                         nameLeaf,     asking.stepsLeft, asking.observer};
  const AccessStatus status = WalkIndex(nameWalk, nameTree, depth);
  asking.stepsLeft = nameWalk.stepsLeft;
  return status;
}

// The printer's value of the name WalkValueName finds. The name must be an
// NK_WIDE leaf: one made by code could ask for the very value it names.
template <class O>
AccessStatus ReadValueOfName(const Walk<O> &asking, PrinterHandle printer, uint32_t nameTree, int32_t number,
                             uint32_t depth, uint32_t *value) {
  const ImageDescriptor &image = asking.image;
  LeafDescriptor nameLeaf{};
  AccessStatus status = WalkValueName(asking, nameTree, number, depth, &nameLeaf);
  if (status != kOk) return Stop(asking, WalkStop::NoValueName, kFailed);
  if (printer == nullptr) return Stop(asking, WalkStop::NoPrinter, kNoPrinter);
  status = ReadPrinterDword(image, printer, nameLeaf, value);
  if (status == kFailed) return Stop(asking, WalkStop::BadValueName, kFailed);
  return status;
}

// The printer-data value a printer-data select compares. `first` is moved
// to the list's last entry when the value cannot be read and that entry is
// the default that covers it.
template <class O>
AccessStatus ReadSelectedPrinterValue(const Walk<O> &walk, uint32_t nameTree, uint16_t selector,
                                      uint32_t start, uint32_t count, uint32_t depth, uint32_t *value,
                                      uint32_t *first) {
  const ImageDescriptor &image = walk.image;
  PrinterHandle printer = walk.request != nullptr ? walk.request->printerHandle : nullptr;
  const AccessStatus status = ReadValueOfName(walk, printer, nameTree, selector, depth + 1, value);
  if (status == kOk) return kOk;
  if (status != kNotFound) return status;
  if (count == 0) return Stop(walk, WalkStop::NoPrinterValue, kNotFound);
  const uint32_t last = start + count - 1;
  if (last >= image.nodeCount) return Stop(walk, WalkStop::PastNodeTable, kFailed);
  if (kindOf(image.nodes[last].word0) != NodeKind::NK_DEFAULT)
    return Stop(walk, WalkStop::NoPrinterValue, kNotFound);
  walk.observer.DefaultForMissingValue();
  *first = count - 1;
  return kOk;
}

// The integer selects' cases from entry `first` of the list at `start`:
// the first that matches the value is chosen.
template <class O>
inline AccessStatus ChooseAmongCases(const Walk<O> &walk, uint32_t start, uint32_t count, uint32_t first,
                                     uint32_t value, uint32_t *target) {
  const ImageDescriptor &image = walk.image;
  const uint32_t inTable = EntriesInTable(image, start, count);
  for (uint32_t i = first; i < inTable; ++i) {
    const DbNode &entry = image.nodes[start + i];
    const NodeKind kind = kindOf(entry);
    bool match = true; // NK_DEFAULT
    if (kind == NodeKind::NK_CASE) {
      match = value == entry.word1;
    } else if (kind == NodeKind::NK_RANGE_CASE) {
      const uint32_t j = entry.word1;
      if (image.intPool == nullptr || j >= image.intCount || j + 1 >= image.intCount)
        return Stop(walk, WalkStop::RangePastPool, kFailed);
      const int32_t v = int32_t(value);
      match = image.intPool[j] <= v && v <= image.intPool[j + 1];
    } else if (kind != NodeKind::NK_DEFAULT) {
      return Stop(walk, WalkStop::NotACase, kFailed);
    }
    walk.observer.Case(start + i, match);
    if (match) return ChooseTarget(walk, entry, target);
  }
  if (inTable < count && first < count) return Stop(walk, WalkStop::PastNodeTable, kFailed);
  return Stop(walk, WalkStop::NoCaseMatched, kNotFound);
}

// Cases on I[P], the select most trees are made of: the other integer
// selects' sources are not looked at.
template <class O>
inline AccessStatus ChooseParamCase(const Walk<O> &walk, uint32_t word0, uint32_t word1, uint32_t *target) {
  if (walk.image.nodes == nullptr) return Stop(walk, WalkStop::NoNodeTable, kFailed);
  const uint16_t p = fieldOf(word1);
  if (walk.request == nullptr) return Stop(walk, WalkStop::NoRequest, kFailed);
  if (!HasInt(walk.request, p)) return Stop(walk, WalkStop::MissingInt, kMissingInt);
  const uint32_t value = uint32_t(walk.request->intParams[p]);
  walk.observer.Compared(ValueSource::Parameter, p, value, value);
  return ChooseAmongCases(walk, operandOf(word0), countOf(word1), 0, value, target);
}

// Integer selects: on I[P], on I[P] under a mask, on a printer-data value
// or on the locale's country code.
template <class O>
AccessStatus ChooseIntegerCase(const Walk<O> &walk, uint32_t word0, uint32_t word1, uint32_t depth,
                               uint32_t *target) {
  const ImageDescriptor &image = walk.image;
  const NodeKind kind = kindOf(word0);
  const uint16_t p = fieldOf(word1);
  const uint32_t count = countOf(word1);
  uint32_t start = operandOf(word0);
  uint32_t nameTree = 0;
  uint32_t mask = 0xFFFFFFFFu;
  uint32_t value = 0;
  uint32_t first = 0;

  if (kind == NodeKind::NK_SELECT_PRINTER_DATA) {
    const AccessStatus status = FindValueNameTree(image, &nameTree);
    if (status == kUnknownKey) return Stop(walk, WalkStop::NoValueNameKey, status);
    if (status != kOk) return Stop(walk, WalkStop::NoValueNameIndex, status);
  }
  if (image.nodes == nullptr) return Stop(walk, WalkStop::NoNodeTable, kFailed);
  if (kind == NodeKind::NK_SELECT_MASKED) {
    if (start >= image.nodeCount) return Stop(walk, WalkStop::PastNodeTable, kFailed);
    const DbNode &maskNode = image.nodes[start];
    if (kindOf(maskNode) != NodeKind::NK_MASK) return Stop(walk, WalkStop::NotAMask, kFailed);
    mask = maskNode.word1;
    start = operandOf(maskNode);
  }
  ValueSource source = ValueSource::Parameter;
  if (kind == NodeKind::NK_SELECT_LOCALE) {
    int32_t country = 0;
    if (ReadLocaleCountry(p, &country) != kOk) return Stop(walk, WalkStop::LocaleUnreadable, kFailed);
    value = uint32_t(country);
    source = ValueSource::Locale;
  }
  if (kind == NodeKind::NK_SELECT_PRINTER_DATA) {
    const AccessStatus status =
        ReadSelectedPrinterValue(walk, nameTree, p, start, count, depth, &value, &first);
    if (status != kOk) return status;
    source = ValueSource::PrinterData;
  }
  if (kind == NodeKind::NK_SELECT_PARAM || kind == NodeKind::NK_SELECT_MASKED) {
    if (walk.request == nullptr) return Stop(walk, WalkStop::NoRequest, kFailed);
    if (!HasInt(walk.request, p)) return Stop(walk, WalkStop::MissingInt, kMissingInt);
    value = uint32_t(walk.request->intParams[p]);
  }
  if (first == 0) walk.observer.Compared(source, p, value, value & mask);
  value &= mask;

  return ChooseAmongCases(walk, start, count, first, value, target);
}

template <class O>
AccessStatus ChooseStringCase(const Walk<O> &walk, uint32_t word0, uint32_t word1, uint32_t *target) {
  const ImageDescriptor &image = walk.image;
  if (image.nodes == nullptr) return Stop(walk, WalkStop::NoNodeTable, kFailed);
  const uint32_t start = operandOf(word0);
  const uint32_t count = countOf(word1);
  const uint16_t slot = fieldOf(word1);
  if (count == 0) return Stop(walk, WalkStop::EmptyList, kNotFound);
  for (uint32_t i = 0; i < count; ++i) {
    if (start + i >= image.nodeCount) return Stop(walk, WalkStop::PastNodeTable, kFailed);
    const DbNode &entry = image.nodes[start + i];
    bool match = false;
    switch (kindOf(entry)) {
    case NodeKind::NK_DEFAULT: match = true; break;
    case NodeKind::NK_STRING_CASE: {
      const uint32_t s = entry.word1;
      if (s >= image.nodeCount) return Stop(walk, WalkStop::PastNodeTable, kFailed);
      const DbNode &text = image.nodes[s];
      if (kindOf(text) != NodeKind::NK_BYTES) return Stop(walk, WalkStop::NotAString, kFailed);
      const uint32_t offset = operandOf(text);
      const uint32_t length = countOf(text);
      const AccessRequest *request = walk.request;
      if (request == nullptr || request->stringParams == nullptr || slot >= request->stringParamCount)
        return Stop(walk, WalkStop::MissingString, kMissingString);
      const char *param = request->stringParams[slot];
      if (param == nullptr) param = "";
      walk.observer.ComparedText(slot, param);
      if (image.stringPool == nullptr || offset + length > image.stringSize)
        return Stop(walk, WalkStop::StringPastPool, kFailed);
      // Equal lengths and bytes; the parameter is read no further than one
      // byte past the pool string, so a long parameter costs nothing.
      const char *pooled = image.stringPool + offset;
      uint32_t k = 0;
      while (k < length && param[k] != '\0' && param[k] == pooled[k]) ++k;
      match = k == length && param[length] == '\0';
      break;
    }
    default: return Stop(walk, WalkStop::NotACase, kFailed);
    }
    walk.observer.Case(start + i, match);
    if (!match) continue;
    return ChooseTarget(walk, entry, target);
  }
  return Stop(walk, WalkStop::NoCaseMatched, kNotFound);
}

// A select's chosen target is walked in the select's place, in this frame:
// the chain of selects down to a sequence or leaf costs no call per select.
// Each target entered here owes the observer a Left with the status the
// chain ends with, which is every one of its nodes' status.
template <class O>
AccessStatus WalkEntered(const Walk<O> &walk, uint32_t word0, uint32_t word1, uint32_t depth) {
  uint32_t targets = 0;
  AccessStatus status;
  for (;;) {
    const NodeKind kind = kindOf(word0);
    if (isLeafKind(kind)) {
      status = WalkLeaf(walk, DbNode{word0, word1}, depth);
      break;
    }
    if ((status = Enter(walk, depth)) != kOk) break;
    uint32_t target = kNoTarget;
    switch (kind) {
    case NodeKind::NK_SEQUENCE:
    case NodeKind::NK_GUARD:
    case NodeKind::NK_CASE:
    case NodeKind::NK_DEFAULT: status = WalkSequence(walk, word0, word1, depth); break;
    case NodeKind::NK_GUARDED_SEQUENCE: status = WalkGuardedSequence(walk, word0, word1, depth); break;
    case NodeKind::NK_SELECT_PARAM: status = ChooseParamCase(walk, word0, word1, &target); break;
    case NodeKind::NK_SELECT_PRINTER_DATA:
    case NodeKind::NK_SELECT_LOCALE:
    case NodeKind::NK_SELECT_MASKED: status = ChooseIntegerCase(walk, word0, word1, depth, &target); break;
    case NodeKind::NK_SELECT_STRING: status = ChooseStringCase(walk, word0, word1, &target); break;
    default:
      status = Stop(walk, WalkStop::NotWalkable, kFailed); // string cases, masks, ranges, unknown kinds
    }
    // Only a select sets a target, and only with status 0.
    if (target == kNoTarget) break;
    const DbNode &next = walk.image.nodes[target];
    word0 = next.word0;
    word1 = next.word1;
    ++depth;
    ++targets;
    walk.observer.Entered(target, word0, word1);
  }
  for (; targets != 0; --targets) walk.observer.Left(status);
  return status;
}

template <class O>
AccessStatus WalkAt(const Walk<O> &walk, uint32_t index, uint32_t word0, uint32_t word1, uint32_t depth) {
  walk.observer.Entered(index, word0, word1);
  const AccessStatus status = WalkEntered(walk, word0, word1, depth);
  walk.observer.Left(status);
  return status;
}

} // namespace detail

// Walks the node whose two words are given, for the key and request. The
// descriptor is written only when the walk returns 0. `index` is the node's
// place in the node table, for the observer (kNoNodeIndex: words the caller
// made).
template <class O = NoObserver>
AccessStatus WalkNode(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                      uint32_t word0, uint32_t word1, LeafDescriptor *descriptor,
                      uint32_t index = kNoNodeIndex, O observer = O{}) {
  if (descriptor == nullptr) return kFailed;
  const detail::Walk<O> walk{image, uint16_t(key), request, descriptor, detail::kMaxWalkStepsLeft, observer};
  return detail::WalkChild(walk, index, DbNode{word0, word1}, 0);
}

} // namespace m4k7
