// Names the image views print: node kinds, computed-value ids, keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/image.h"

namespace m4k7::imageview {

// "NK_SELECT_PARAM", ...; nullptr for a kind the image format lacks.
const char *NodeKindName(uint8_t kind);
// "SELECT_PARAM", "INT8", ...; "kind 22" for a kind outside 1-21.
std::string KindName(uint8_t kind);
// "CV_PAGE_FORMAT_COMMAND", ...; nullptr for an unknown id.
const char *ComputedValueName(uint16_t id);
// "CV_PAGE_FORMAT_COMMAND", ...; "computed value 9" for an unknown id.
std::string ComputedName(uint16_t id);
// "key 0x1016 (4118)": how every message names a key.
std::string KeyLabel(uint16_t key);
// Hex text for every view, written once. "0x1016": at least `digits`
// upper-case digits.
std::string HexNumber(uint32_t value, int digits);
inline std::string Hex16(uint16_t value) { return HexNumber(value, 4); }
// "0x0B00094C": a node word, all eight digits.
inline std::string Hex32(uint32_t value) { return HexNumber(value, 8); }
// "1B 28 70": bytes one blank apart.
enum class HexCase { Upper, Lower };
std::string HexBytes(const uint8_t *bytes, size_t count, HexCase letters = HexCase::Upper);
// The items with the separator between them.
std::string Join(const std::vector<std::string> &items, const char *separator);

} // namespace m4k7::imageview
