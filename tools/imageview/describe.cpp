#include "describe.h"

#include <cstdio>

#include "computed/compute.h"

namespace m4k7::imageview {

const char *NodeKindName(uint8_t kind) {
  switch (NodeKind(kind)) {
#define M4K7_NODE_KIND(name, ...)                                                                            \
  case NodeKind::name:                                                                                       \
    return #name;
#include "engine/node_kinds.def"
#undef M4K7_NODE_KIND
  }
  return nullptr;
}

std::string KindName(uint8_t kind) {
  const char *name = NodeKindName(kind);
  return name ? name + 3 : "kind " + std::to_string(kind);
}

const char *ComputedValueName(uint16_t id) {
  switch (ComputedValueId(id)) {
#define M4K7_COMPUTED_VALUE(name, number, shape, what)                                                       \
  case ComputedValueId::name:                                                                                \
    return #name;
#include "computed/computed_values.def"
#undef M4K7_COMPUTED_VALUE
  }
  return nullptr;
}

std::string ComputedName(uint16_t id) {
  const char *name = ComputedValueName(id);
  return name ? name : "computed value " + std::to_string(id);
}

std::string HexNumber(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, unsigned(value));
  return text;
}

std::string HexBytes(const uint8_t *bytes, size_t count, HexCase letters) {
  const char *digits = letters == HexCase::Lower ? "0123456789abcdef" : "0123456789ABCDEF";
  std::string out;
  out.reserve(count * 3);
  for (size_t i = 0; i < count; ++i) {
    if (i) out += ' ';
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 0xF];
  }
  return out;
}

std::string KeyLabel(uint16_t key) { return "key " + Hex16(key) + " (" + std::to_string(key) + ")"; }

std::string Join(const std::vector<std::string> &items, const char *separator) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) out += (i ? separator : "") + items[i];
  return out;
}

} // namespace m4k7::imageview
