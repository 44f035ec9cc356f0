// The image compiler's core: lays the content graph out as node words and
// pools, stores identical answers once, picks the narrowest integer kinds,
// and validates the result before anyone emits it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "builder.h"
#include "engine/image.h"

namespace imagec {

// The tables of one compiled image, owned; descriptor() points into them.
struct ImageTables {
  std::vector<m4k7::DbNode> nodes;
  std::vector<uint16_t> keys;
  std::vector<uint32_t> keyNodes;
  std::vector<int32_t> ints;
  std::vector<uint16_t> shorts;
  std::vector<uint8_t> bytes;
  std::string strings;

  std::vector<uint16_t> groupKeys, groupEntryCounts;
  std::vector<int32_t> groupEntryStarts;
  std::vector<uint32_t> entryNodes;

  std::vector<uint16_t> listIds, itemCounts, itemIds;
  std::vector<int32_t> itemStarts, itemValues;

  std::vector<m4k7::PrintModeRow> modeRows;
  std::vector<uint8_t> section1, section2, section3, section4; // records back to back

  bool keysSorted = false; // see MarkSortedKeys

  // Every table present (possibly empty); nullptr only for empty vectors.
  m4k7::ImageDescriptor descriptor() const;
};

// Compiles the builder's content. False with a message that names the key
// and the node ("key 0x1016 (4118): node 2311: guard outside a guarded
// sequence") when the content breaks an invariant of the image.
bool Compile(const ImageBuilder &content, ImageTables *out, std::string *error);

// Marks the tables for bisecting lookups once it has checked that the key
// index ascends with no key twice; Compile calls it last. False, with the
// mark cleared and a message naming the first key out of place, otherwise.
bool MarkSortedKeys(ImageTables *tables, std::string *error);

} // namespace imagec
