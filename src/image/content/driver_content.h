// The driver database's content, split by concept. AddDriverKeys (driver.cpp)
// calls these in the order that keeps the paper-size tree ahead of the other
// fragment trees among the roots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "builder.h"
#include "drvlists/list_keys.h"

namespace imagec::driver {

// Tags every printer command fragment; its index entry is node 0.
using m4k7::kFragmentKey;

// The driver's media types (I[5]) in the order of key 0x100E.
inline constexpr int32_t kMediaTypes[] = {1, 277, 271, 283, 262, 270, 276, 279, 259, 273, 258, 2, 263, 275};

// The paper sizes (I[28]) in the tree's guard order: all 20 (key 0x1011),
// or only those the printer lays out, with the user-defined size (0x1010).
std::vector<int64_t> PaperSizes(bool printableOnly);

// The paper-size tree; returns its root (also grouped key 4121's third entry).
NodeRef AddPaperSizeTree(ImageBuilder &b);

// What key 0x1016 allows: the print qualities (I[8]) for an ink count and
// media, ascending; empty for a media outside kMediaTypes.
const std::vector<int64_t> &AllowedQualities(int32_t ink, int32_t media);

// What key 0x1014 allows under one of those qualities: the I[6] values, in
// the list's order.
const std::vector<int64_t> &AllowedModes(int32_t ink, int32_t media, int32_t quality);

// The list tree and the print-mode tree; returns the print-mode tree's root
// (also grouped key 4121's second entry).
NodeRef AddPrintSettingTrees(ImageBuilder &b);

// Every driver key outside the shared paper-size and print-setting trees.
void AddOtherDriverKeys(ImageBuilder &b);

// Grouped keys 4120-4125 and the nodes through which their entries hang.
void AddGroupedLists(ImageBuilder &b, NodeRef printModeTree, NodeRef paperSizeTree);

// The full item lists of the settings I[28], I[7], I[5] and I[4].
void AddItemLists(ImageBuilder &b);

// ESC ( p with four big-endian 16-bit values: printable length, 0, printable
// width (1/60 inch), and the last value.
std::string PageFormatCommand(const uint16_t (&values)[4]);

// ESC ( c, ESC ( d and ESC ( t for one branch of the print-mode tree: ink
// count I[4], I[9], media I[5] and print quality I[8]. 25 bytes.
std::string PrintModeCommand(int32_t ink, int32_t i9, int32_t media, int32_t quality);

} // namespace imagec::driver
