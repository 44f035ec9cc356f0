// The references between nodes, as the walk follows them, for the checks,
// the counts and the dump. Knows the node word layout of engine/image.h and
// nothing of the walk's statuses.
#pragma once

#include <cstdint>

#include "engine/image.h"

namespace m4k7::imageview {

// How a node is reached, which decides the kinds it may have.
enum class Role : uint8_t {
  Walked,        // a start node, a sequence or guard child, a case target
  GuardedMember, // a direct child of a guarded sequence: may be a guard
  IntEntry,      // an entry of an integer, printer-data, locale or masked select
  StringEntry,   // an entry of a string select
  Mask,          // the NK_MASK a masked select names
  StringNode,    // the StringPool text a string case names
};
inline constexpr int kRoleCount = 6;

// Whether following an edge of this role is a step of the walk (the mask
// and string nodes are read, never walked).
constexpr bool isWalkStep(Role r) { return r != Role::Mask && r != Role::StringNode; }

// Calls f(target, role) for every reference node `index` makes, in list
// order. Targets may lie outside the node table; the caller checks. A
// masked select's entries are reported from the select itself, after its
// mask, and only when the mask is in bounds and an NK_MASK.
template <typename F> void ForEachEdge(const ImageDescriptor &image, uint32_t index, F &&f) {
  if (!image.nodes || index >= image.nodeCount) return;
  const DbNode n = image.nodes[index];
  const uint32_t start = operandOf(n);
  const uint32_t count = countOf(n);
  auto list = [&](uint32_t first, Role role) {
    for (uint32_t i = 0; i < count; ++i) f(uint64_t(first) + i, role);
  };
  switch (nodeOperandOf(kindOf(n))) {
  case NodeOperand::Children: list(start, Role::Walked); break;
  case NodeOperand::Members: list(start, Role::GuardedMember); break;
  case NodeOperand::IntCases: list(start, Role::IntEntry); break;
  case NodeOperand::StringCases: list(start, Role::StringEntry); break;
  case NodeOperand::MaskedCases:
    f(uint64_t(start), Role::Mask);
    if (start < image.nodeCount && kindOf(image.nodes[start]) == NodeKind::NK_MASK)
      list(operandOf(image.nodes[start]), Role::IntEntry);
    break;
  case NodeOperand::Target: f(uint64_t(start), Role::Walked); break;
  case NodeOperand::TargetText:
    f(uint64_t(start), Role::Walked);
    f(uint64_t(n.word1), Role::StringNode);
    break;
  case NodeOperand::None:
  case NodeOperand::Slice: break; // leaves, masks and invalid kinds refer to no node
  }
}

} // namespace m4k7::imageview
