// The build-time check of a whole image against the invariants the engine
// relies on and the rules the content follows. The image compiler refuses
// an image that fails it; `m4k7db check` runs it on the compiled-in image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/image.h"

namespace m4k7::imageview {

// Every problem found, each naming its place: "key 0x1016 (4118): node
// 2311: guard outside a guarded sequence" (the key is one whose tree reaches
// the node; "node N: ..." when none does). Empty for a sound image. Stops
// after fifty.
std::vector<std::string> ImageProblems(const ImageDescriptor &image);

// True for a sound image; otherwise false with the problems, one a line.
bool ValidateImage(const ImageDescriptor &image, std::vector<std::string> *problems);

// The narrowest integer kind that holds every value: NK_INT8 for -128..127,
// NK_UINT8 for 0..255, NK_INT16, NK_UINT16, else NK_INT32. An empty leaf is
// NK_INT8. The compiler picks kinds with it and the check holds leaves to it.
NodeKind NarrowestIntKind(const int32_t *values, size_t count);

// What the compiler prints and the dump's header shows.
struct ImageStats {
  uint32_t nodes = 0, keys = 0, ints = 0, shorts = 0, bytes = 0, strings = 0;
  uint32_t groupedLists = 0, groupedEntries = 0, itemLists = 0, items = 0, printModeRows = 0;
  uint32_t sectionRecords[4] = {0, 0, 0, 0};
  uint32_t sharedNodes = 0; // nodes that more than one reference leads to
  uint32_t deepestPath = 0; // nodes walked on the longest path from a key's start (entries not counted)
};
ImageStats MeasureImage(const ImageDescriptor &image);

// "nodes 4200, keys 190, ints 549, ..." in the order the image stores its
// counts, then the shared nodes and the deepest path.
std::string StatsLine(const ImageStats &stats);

} // namespace m4k7::imageview
