// The image compiler's core: lays the content graph out as node words and
// pools, stores identical answers once, picks the narrowest integer kinds,
// and validates the result before anyone emits it.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "builder.h"
#include "engine/image.h"

namespace imagec {

using m4k7::DbNode;
using m4k7::PrintModeRow;

// How the compiler holds a table of the image: the strings as text, the rest
// as vectors; a print-mode section's records lie back to back.
template <typename T> using Held = std::conditional_t<std::is_same_v<T, char>, std::string, std::vector<T>>;

// The tables of one compiled image, owned; descriptor() points into them.
struct ImageTables {
#define M4K7_IMAGE_TABLE(member, type, count, per, array, name, label, held, ...) Held<type> held;
#include "engine/image_tables.def"

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
